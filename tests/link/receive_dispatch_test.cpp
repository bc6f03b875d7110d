#include "link/receive_dispatch.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "frames/binary_frame.h"
#include "link/dispatch_fixture.h"
#include "nmea/nmea_checksum.h"

namespace gnss {
namespace {

using testing::DispatchFixture;
using Lines = std::vector<std::string>;

std::string Sentence(std::string_view body) {
    std::string s(body);
    s += NmeaChecksumSuffix(s);
    return s;
}

const std::string kGga = Sentence("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
const std::string kRmc =
    Sentence("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W");
const std::string kGsv = Sentence("$GPGSV,1,1,01,01,40,083,46");
const std::string kGsa = Sentence("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1");

TEST(ReceiveDispatch, LinesAreCutOnlyAtCrLfAcrossTicks) {
    struct Case {
        const char* name;
        std::vector<std::string> chunks;  // one per tick
        Lines lines;
        std::string rest;  // left in the buffer
    };
    const std::vector<Case> cases = {
        {"complete GGA, RMC still open", {kGga + "\r\n" + kRmc}, {kGga}, kRmc},
        {"RMC completed next tick", {kGga + "\r\n" + kRmc, "\r\n"}, {kGga, kRmc}, ""},
        {"CR and LF in different ticks", {kGga + "\r", "\n"}, {kGga}, ""},
        {"lone LF and lone CR do not end lines", {"$GPA\nB\rC\r\n"}, {"$GPA\nB\rC"}, ""},
        {"junk before $ belongs to the line",
         {"\x01\xFFjunk$GPGGA,1*00\r\n"},
         {"\x01\xFFjunk$GPGGA,1*00"},
         ""},
        {"empty lines reach no consumer", {"\r\n\r\n" + kGga + "\r\n\r\n"}, {kGga}, ""},
        {"LF CR is not a line end", {"$GPX\n\r$GPY\r\n"}, {"$GPX\n\r$GPY"}, ""},
        {"many lines in one tick",
         {kGga + "\r\n" + kRmc + "\r\n" + kGsv + "\r\n"},
         {kGga, kRmc, kGsv},
         ""},
    };
    for (const auto& c : cases) {
        DispatchFixture f;
        for (const auto& chunk : c.chunks) f.FeedTick(chunk);
        EXPECT_EQ(f.lines, c.lines) << c.name;
        EXPECT_EQ(f.dispatcher.RxBuffer(), c.rest) << c.name;
    }
}

TEST(ReceiveDispatch, LineFilterByFamily) {
    struct Case {
        std::string line;
        ReceiverFamily family;
        bool passes;
    };
    const std::vector<Case> cases = {
        {"$GPTXT,01,01,02,ANTSTATUS=OK*3B", ReceiverFamily::MTK, true},
        {"$GPTXT,01,01,02,ANTSTATUS=OK*3B", ReceiverFamily::Unknown, true},
        {"$GPTXT,01,01,02,u-blox ag*00", ReceiverFamily::ublox, true},
        {"$GPTXT,01,01,02,u-blox ag*00", ReceiverFamily::Unknown, false},
        {"$GPTXT,01,01,02,u-blox ag*00", ReceiverFamily::MTK, false},
        {"$GNTXT,01,01,02,u-blox ag*00", ReceiverFamily::Unknown, true},
        {"$PMTK001,-1,0*1F", ReceiverFamily::MTK, false},
        {"$PMTK001,-1,0*1F ", ReceiverFamily::MTK, true},
        {"$PUNV,ERR,1*00", ReceiverFamily::Uni, false},
        {"$GPTXT,ANTSTATUS,$PUNV,ERR,*00", ReceiverFamily::ublox, false},
    };
    for (const auto& c : cases) {
        DispatchFixture f;
        f.shared.Family = c.family;
        int decoded = 0;
        f.dispatcher.Hooks.DecodeSentence = [&](std::string_view) -> uint8_t {
            ++decoded;
            return 0;
        };
        f.FeedTick(c.line + "\r\n");
        EXPECT_EQ(f.lines.size(), c.passes ? 1u : 0u) << c.line;
        EXPECT_EQ(decoded, c.passes ? 1 : 0) << c.line << ": a stopped line reaches no consumer";
    }
}

TEST(ReceiveDispatch, KnownKindsDriveThePerLineReactions) {
    DispatchFixture f;
    f.time.Advance(1000);
    std::vector<std::string> events;
    uint8_t gsvState = 0;
    const auto kindOf = [](std::string_view line) -> uint8_t {
        if (line.find("GSV") != std::string_view::npos) return 13;
        if (line.find("GSA") != std::string_view::npos) return 5;
        if (line.find("RMC") != std::string_view::npos) return 2;
        if (line.find("GGA") != std::string_view::npos) return 3;
        return 0;
    };
    auto& h = f.dispatcher.Hooks;
    h.DecodeSentence = [&](std::string_view line) {
        const uint8_t kind = kindOf(line);
        if (kind == 13) gsvState = 1;
        return kind;
    };
    h.GsaBlockEnded = [&] { events.push_back("gsa-end"); };
    h.GsvCollectionState = [&] { return gsvState; };
    h.SetGsvCollectionState = [&](uint8_t s) { gsvState = s; };
    h.RebuildSatelliteList = [&] { events.push_back("rebuild"); };
    h.RefreshSatelliteViews = [&] { events.push_back("refresh"); };
    h.ShowRmcTime = [&] { events.push_back("rmc-time"); };
    DateTime ggaSeenAt{};
    h.ShowGgaTime = [&] {
        events.push_back("gga-time");
        ggaSeenAt = f.time.NowUtc();
    };
    h.TtffKind = [&](uint8_t k) { events.push_back("ttff" + std::to_string(k)); };

    f.FeedTick(kGsa + "\r\n" + kGsv + "\r\n" + kGga + "\r\n");
    EXPECT_EQ(events, (std::vector<std::string>{"ttff5", "gsa-end", "ttff13", "rebuild", "refresh",
                                                "gga-time", "ttff3"}));
    EXPECT_EQ(gsvState, 3);
    EXPECT_EQ(f.receiver.ReceiverUtcTime, ggaSeenAt);
    EXPECT_TRUE(f.dispatcher.Counters().NewSentenceFlag);
    EXPECT_EQ(f.dispatcher.Counters().PrevKind, 3);
    EXPECT_TRUE(f.dispatcher.Counters().KindsSeen[5]);
    EXPECT_TRUE(f.dispatcher.Counters().KindsSeen[13]);
    EXPECT_FALSE(f.dispatcher.Counters().KindsSeen[2]);

    // A second GSV block ending within 400 ms rebuilds but does not refresh the views.
    events.clear();
    f.FeedTick(kGsv + "\r\n" + kRmc + "\r\n");
    EXPECT_EQ(events, (std::vector<std::string>{"ttff13", "rebuild", "rmc-time", "ttff2"}));
    f.time.Advance(400);
    events.clear();
    f.FeedTick(kGsv + "\r\n" + kRmc + "\r\n");
    EXPECT_EQ(events,
              (std::vector<std::string>{"ttff13", "rebuild", "refresh", "rmc-time", "ttff2"}));

    // Paused: no consumer, no refresh, decoding goes on.
    f.time.Advance(1000);
    f.shared.MonitorPaused = true;
    events.clear();
    f.lines.clear();
    f.FeedTick(kGsv + "\r\n" + kRmc + "\r\n");
    EXPECT_TRUE(f.lines.empty());
    EXPECT_EQ(events, (std::vector<std::string>{"ttff13", "rebuild", "rmc-time", "ttff2"}));
}

TEST(ReceiveDispatch, EmptyRmcClearsTheFixAndOverlongLinesAreCounted) {
    DispatchFixture f;
    f.dispatcher.Hooks.DecodeSentence = [](std::string_view line) -> uint8_t {
        return IsValidSentence(line) ? 2 : 0;
    };
    f.receiver.FixValid = true;
    f.FeedTick("$GPRMC,,*4B\r\n");
    EXPECT_FALSE(f.receiver.FixValid);
    f.FeedTick("$" + std::string(100, 'A') + "\r\n$" + std::string(99, 'A') + "\r\n");
    EXPECT_EQ(f.dispatcher.Counters().OverlongLines, 1u);
}

TEST(ReceiveDispatch, AntennaWordsOnlyForReportingFamilies) {
    struct Case {
        ReceiverFamily family;
        bool expected;
        std::string line;
        uint8_t state;
    };
    const std::vector<Case> cases = {
        {ReceiverFamily::MTK, true, "$PGTOP,11,US=OK*00", 1},
        {ReceiverFamily::HED, true, "$PCAS,ANT_OPEN*2B", 2},
        {ReceiverFamily::ATGM, true, "$GNTXT,01,01,01,ANTENNA SHORT*63", 3},
        {ReceiverFamily::MXT, true, "$X,US=OPEN*,ANT_OK*", 1},  // OK words come first
        {ReceiverFamily::MTK, false, "$PGTOP,11,US=OK*00", 0},
        {ReceiverFamily::ublox, true, "$GPTXT,01,01,02,ANT_OK*2B", 0},
        {ReceiverFamily::MTK, true, "$GPTXT,US=SHORT", 0},
    };
    for (const auto& c : cases) {
        DispatchFixture f;
        f.shared.Family = c.family;
        f.shared.AntennaStatusExpected = c.expected;
        f.FeedTick(c.line + "\r\n");
        EXPECT_EQ(f.shared.AntennaState, c.state) << c.line;
    }
}

TEST(ReceiveDispatch, PrcrLinesAreRewrittenWhileTheWatchIsOn) {
    DispatchFixture f;
    bool watch = true;
    std::vector<std::string> watched;
    f.dispatcher.Hooks.PrcrRewriteActive = [&] { return watch; };
    f.dispatcher.Hooks.IdentificationLineWatch = [&](std::string_view l) {
        watched.emplace_back(l);
    };
    f.FeedTick("$PRCR,1$PMTK705,AXN*00$tail\r\n");
    watch = false;
    f.FeedTick("$PRCR,1$PMTK705,AXN*00\r\n");
    EXPECT_EQ(f.lines, (Lines{"$PMTK705,AXN*00", "$PRCR,1$PMTK705,AXN*00"}));
    EXPECT_EQ(watched, f.lines);
}

TEST(ReceiveDispatch, BinaryFramesAreCutOutAroundTheLines) {
    const std::string hdAck = BuildAck(FrameProtocol::Hd, 0x06, 0x40);
    const std::string ubxAck = BuildAck(FrameProtocol::Ubx, 0x06, 0x04);
    const std::string ubxVer = BuildUbxFrame(0x0A, 0x04, std::string(40, 'v'));
    std::string badHd = BuildHdFrame(0x0B, 0x32, "x");
    badHd.back() = static_cast<char>(badHd.back() ^ 0x55);
    struct Case {
        const char* name;
        ReceiverFamily family;
        bool identified;
        int32_t deadline;  // both reply deadlines; SecondsCounter is 0
        std::vector<std::string> chunks;
        Lines lines;
        std::string rest;
        std::vector<std::string> handled;  // frames given to the handlers
    };
    const std::vector<Case> cases = {
        {"HD between two lines",
         ReceiverFamily::Unknown,
         true,
         3,
         {kGga + "\r\n" + hdAck + kRmc + "\r\n"},
         {kGga, kRmc},
         "",
         {hdAck}},
        {"HD inside a line",
         ReceiverFamily::HED,
         true,
         3,
         {"$GPX," + hdAck + "1*00\r\n"},
         {"$GPX,1*00"},
         "",
         {hdAck}},
        {"HD deadline passed: cut, not handled",
         ReceiverFamily::HED,
         true,
         -1,
         {kGga + "\r\n" + hdAck + kRmc + "\r\n"},
         {kGga, kRmc},
         "",
         {}},
        {"HD bad checksum: cut, not handled",
         ReceiverFamily::HED,
         true,
         3,
         {kGga + "\r\n" + badHd + kRmc + "\r\n"},
         {kGga, kRmc},
         "",
         {}},
        {"HD not cut for ublox",
         ReceiverFamily::ublox,
         false,
         3,
         {hdAck + "\r\n"},
         {hdAck},
         "",
         {}},
        {"HD split across passes",
         ReceiverFamily::Unknown,
         true,
         3,
         {kGga + "\r\n" + hdAck.substr(0, 5), hdAck.substr(5) + kRmc + "\r\n"},
         {kGga, kRmc},
         "",
         {hdAck}},
        {"HD incomplete stays",
         ReceiverFamily::Unknown,
         true,
         3,
         {kGga + "\r\n" + hdAck.substr(0, 9)},
         {kGga},
         hdAck.substr(0, 9),
         {}},
        {"UBX frames and the text between them go",
         ReceiverFamily::ublox,
         true,
         3,
         {kGga + "\r\n" + ubxAck + "mid" + ubxVer + kRmc + "\r\n"},
         {kGga, kRmc},
         "",
         {ubxAck, ubxVer}},
        {"UBX incomplete stays untouched",
         ReceiverFamily::ublox,
         true,
         3,
         {kGga + "\r\n" + ubxVer.substr(0, 20)},
         {kGga},
         ubxVer.substr(0, 20),
         {}},
        {"UBX incomplete completes later",
         ReceiverFamily::ublox,
         true,
         3,
         {ubxVer.substr(0, 20), ubxVer.substr(20) + kRmc + "\r\n"},
         {kRmc},
         "",
         {ubxVer}},
        {"UBX not taken before identification",
         ReceiverFamily::ublox,
         false,
         3,
         {ubxAck + kRmc + "\r\n"},
         {ubxAck + kRmc},
         "",
         {}},
        {"UBX not taken after the deadline",
         ReceiverFamily::ublox,
         true,
         -1,
         {ubxAck + kRmc + "\r\n"},
         {ubxAck + kRmc},
         "",
         {}},
    };
    for (const auto& c : cases) {
        DispatchFixture f;
        f.shared.Family = c.family;
        f.shared.ReceiverIdentified = c.identified;
        f.shared.HedReplyDeadline = c.deadline;
        f.shared.UbxReplyDeadline = c.deadline;
        std::vector<std::string> handled;
        f.dispatcher.Hooks.HandleHdFrame = [&](std::string_view fr) { handled.emplace_back(fr); };
        f.dispatcher.Hooks.HandleUbxFrame = [&](std::string_view fr) { handled.emplace_back(fr); };
        for (const auto& chunk : c.chunks) f.FeedTick(chunk);
        EXPECT_EQ(f.lines, c.lines) << c.name;
        EXPECT_EQ(f.dispatcher.RxBuffer(), c.rest) << c.name;
        EXPECT_EQ(handled, c.handled) << c.name;
    }
}

TEST(ReceiveDispatch, UbxMonitorSeesEveryGoodFrameOfUbloxWithoutChangingTheBuffer) {
    DispatchFixture f(LinkState::Unknown);
    f.shared.Family = ReceiverFamily::ublox;
    std::vector<std::string> seen;
    f.dispatcher.Hooks.UbxMonitor = [&](uint8_t cls, uint8_t id, uint16_t len, std::string_view p) {
        seen.push_back(std::to_string(cls) + "/" + std::to_string(id) + "/" + std::to_string(len) +
                       "/" + std::string(p));
    };
    std::string bad = BuildUbxFrame(0x0C, 0x01, "bad");  // class not accepted: still seen
    std::string badSum = BuildUbxFrame(0x02, 0x11, "zz");
    badSum.back() = 0;
    const std::string buffer = BuildUbxFrame(0x02, 0x11, "ab") + "txt" + badSum + bad +
                               BuildUbxFrame(0x0A, 0x04, "long").substr(0, 9);
    f.dispatcher.SetLinkState(LinkState::Nmea);
    f.FeedTick(buffer);
    EXPECT_EQ(seen, (std::vector<std::string>{"2/17/2/ab", "12/1/3/bad"}));
    EXPECT_EQ(f.dispatcher.RxBuffer(), buffer);
}

TEST(ReceiveDispatch, AConsumerFailureEndsThePassAndTheRestFollowsNextTick) {
    DispatchFixture f;
    std::vector<std::string> errors;
    f.dispatcher.Hooks.ConsumerError = [&](std::string_view what) { errors.emplace_back(what); };
    bool fail = true;
    f.dispatcher.Chain().Register(ChainSlot::Monitor, [&](SentenceContext& ctx) {
        if (fail && ctx.Line == kRmc) throw std::runtime_error("Invalid Data !");
        return ChainStep::Continue;
    });
    f.FeedTick(kGga + "\r\n" + kRmc + "\r\n" + kGsv + "\r\n");
    EXPECT_EQ(f.lines, (Lines{kGga, kRmc}));
    EXPECT_EQ(f.dispatcher.RxBuffer(), kGsv + "\r\n");
    EXPECT_EQ(errors, (std::vector<std::string>{"Invalid Data !"}));
    EXPECT_TRUE(f.dispatcher.ProcessingTimerEnabled());
    fail = false;
    f.FeedTick(kGga + "\r\n");
    EXPECT_EQ(f.lines, (Lines{kGga, kRmc, kGsv, kGga}));
    EXPECT_EQ(f.dispatcher.RxBuffer(), "");
    EXPECT_EQ(f.dispatcher.Counters().ConsumerErrors, 1u);
}

TEST(ReceiveDispatch, ProcessedLinesAreNotDeliveredTwiceAfterACutDuringAPass) {
    DispatchFixture f;
    f.dispatcher.Chain().Register(ChainSlot::Monitor, [&](SentenceContext& ctx) {
        if (ctx.Line == kRmc) f.dispatcher.CutRxBufferTo(5);
        return ChainStep::Continue;
    });
    f.FeedTick(kGga + "\r\n" + kRmc + "\r\n" + kGsv + "\r\n");
    EXPECT_EQ(f.dispatcher.RxBuffer(), kGsv.substr(0, 5));
    f.FeedTick("\r\n");
    EXPECT_EQ(f.lines, (Lines{kGga, kRmc, kGsv.substr(0, 5)}));
}

TEST(ReceiveDispatch, BufferChangesAskedForDuringAPassApplyAtItsEnd) {
    DispatchFixture f;
    f.dispatcher.Chain().Register(ChainSlot::Monitor, [&](SentenceContext& ctx) {
        if (ctx.Line == kRmc) f.dispatcher.ClearRxBuffer();
        EXPECT_FALSE(ctx.Line.empty());  // the line stays readable
        return ChainStep::Continue;
    });
    f.FeedTick(kGga + "\r\n" + kRmc + "\r\n" + kGsv + "\r\n" + "$GPpartial");
    EXPECT_EQ(f.lines, (Lines{kGga, kRmc}));
    EXPECT_EQ(f.dispatcher.RxBuffer(), "");
}

TEST(ReceiveDispatch, ProcessingTicksInUnknownState) {
    DispatchFixture f(LinkState::Unknown);
    int identifications = 0;
    f.dispatcher.Hooks.StartIdentification = [&] { ++identifications; };
    // Nothing yet: after 20 idle ticks the one-second timer starts.
    f.time.Advance(19 * 70);
    EXPECT_FALSE(f.dispatcher.SecondTimerEnabled());
    f.time.Advance(70);
    EXPECT_TRUE(f.dispatcher.SecondTimerEnabled());
    f.dispatcher.SetSecondTimerEnabled(false);

    // Non-NMEA data: the second timer starts, the state stays.
    f.FeedTick("\xA0\xA2 binary");
    EXPECT_EQ(f.dispatcher.State(), LinkState::Unknown);
    EXPECT_TRUE(f.dispatcher.SecondTimerEnabled());
    EXPECT_EQ(f.dispatcher.Counters().RxBytesThisSecond, 9u);
    EXPECT_EQ(f.dispatcher.Counters().RxBufferLength, 9u);

    // A talker prefix switches to NMEA; its lines wait for the next tick.
    f.FeedTick("$GNGGA,1*00\r\n");
    EXPECT_EQ(f.dispatcher.State(), LinkState::Nmea);
    EXPECT_TRUE(f.lines.empty());
    EXPECT_EQ(f.panels, (std::vector<std::string>{"1:Baud Rate :9600", "3:NMEA"}));
    EXPECT_EQ(identifications, 1);
    EXPECT_EQ(f.shared.IdentificationAttempts, 1);
    EXPECT_EQ(f.dispatcher.Counters().LinkUpTick, f.time.TickMs());
    f.FeedTick("");
    EXPECT_TRUE(f.lines.empty());  // an empty ring does not process
    f.FeedTick("\r\n");
    EXPECT_EQ(f.lines, (Lines{"\xA0\xA2 binary$GNGGA,1*00"}));
}

TEST(ReceiveDispatch, NmeaMarkersAndIdentifiedReceivers) {
    struct Case {
        std::string data;
        bool identified;
        bool nmea;
        int attempts;
    };
    const std::vector<Case> cases = {
        {"xx$GPRMC", false, true, 1}, {"$GLGSV", true, true, 0},   {"$PLXX", false, true, 1},
        {"$PMDV", false, true, 1},    {"$GAGSV", false, false, 0}, {"$gp", false, false, 0},
    };
    for (const auto& c : cases) {
        DispatchFixture f(LinkState::Unknown);
        f.shared.ReceiverIdentified = c.identified;
        f.FeedTick(c.data);
        EXPECT_EQ(f.dispatcher.State() == LinkState::Nmea, c.nmea) << c.data;
        EXPECT_EQ(f.shared.IdentificationAttempts, c.attempts) << c.data;
    }
}

TEST(ReceiveDispatch, StepwiseDetectionDropsEarlyChunksAndStepsAfterTwoSeconds) {
    DispatchFixture f(LinkState::BaudDetection);
    int steps = 0;
    f.dispatcher.Hooks.DetectionStep = [&] { ++steps; };
    f.shared.DetectionActive = true;
    f.shared.DetectionStartTick = f.time.TickMs();
    f.FeedTick("old rate");  // at +70 ms
    f.FeedTick("old rate");  // at +140 ms
    EXPECT_EQ(f.dispatcher.RxBuffer(), "");
    EXPECT_EQ(f.dispatcher.Counters().RxBytesThisSecond, 16u);
    f.FeedTick("new");  // at +210 ms
    EXPECT_EQ(f.dispatcher.RxBuffer(), "new");
    EXPECT_EQ(steps, 0);
    f.time.Advance(1960 - 210);  // idle ticks up to +1960: the empty tick after data is early
    EXPECT_EQ(steps, 0);
    f.FeedTick("more");  // at +2030: a tick with data steps
    EXPECT_EQ(steps, 1);
    f.time.Advance(70);  // the following empty tick after data steps again
    EXPECT_EQ(steps, 2);
    f.time.Advance(70);  // and then nothing until data arrives
    EXPECT_EQ(steps, 2);
}

TEST(ReceiveDispatch, SlowRateStartsTheSecondTimerWithData) {
    DispatchFixture f;
    f.port.SetBaudRate(4800);
    f.FeedTick("$GPGGA");
    EXPECT_TRUE(f.dispatcher.SecondTimerEnabled());
    DispatchFixture g;
    g.FeedTick("$GPGGA");
    EXPECT_FALSE(g.dispatcher.SecondTimerEnabled());
}

TEST(ReceiveDispatch, RawCaptureGetsEveryChunkWhileOn) {
    DispatchFixture f;
    std::string captured;
    f.dispatcher.Hooks.RawCaptureAppend = [&](std::string_view chunk) { captured += chunk; };
    f.FeedTick("ab");
    f.shared.RawCaptureActive = true;
    f.FeedTick("cd");
    f.FeedTick("ef\r\n");
    EXPECT_EQ(captured, "cdef\r\n");
}

TEST(ReceiveDispatch, DataLampIsLitFor400MsFromTheFirstChunk) {
    DispatchFixture f;
    int repaints = 0;
    f.dispatcher.Hooks.RepaintStatusBar = [&] { ++repaints; };
    f.port.Feed("a");
    f.time.Advance(70);  // chunk taken at 70 ms: lamp on, lamp timer started
    EXPECT_TRUE(f.dispatcher.Counters().DataIndicator);
    EXPECT_EQ(repaints, 1);
    f.port.Feed("b");
    f.time.Advance(70);  // more data while lit changes nothing
    EXPECT_EQ(repaints, 1);
    f.time.Advance(199);  // 339 ms: first lamp tick (at 270) passed
    EXPECT_TRUE(f.dispatcher.Counters().DataIndicator);
    f.time.Advance(131);  // 470 ms: second lamp tick
    EXPECT_FALSE(f.dispatcher.Counters().DataIndicator);
    EXPECT_FALSE(f.dispatcher.DataLampTimerEnabled());
    EXPECT_EQ(repaints, 2);
    f.FeedTick("c");
    EXPECT_TRUE(f.dispatcher.Counters().DataIndicator);
    EXPECT_EQ(repaints, 3);
}

TEST(ReceiveDispatch, DetectNmea) {
    const std::string valid = Sentence("$GPGGA,1,2");
    struct Case {
        const char* name;
        LinkState state;
        std::string buffer;
        bool found;
        std::string rest;
    };
    const std::vector<Case> cases = {
        {"valid line after junk lines", LinkState::Nmea, "junk\r\n$GPBAD*00\r\n" + valid + "\r\nx",
         true, valid + "\r\nx"},
        {"@@Eq anywhere", LinkState::Nmea, "xx@@Eq", true, "xx@@Eq"},
        {"@@Eq line start", LinkState::Nmea, "a\r\n@@Eqz\r\n", true, "a\r\n@@Eqz\r\n"},
        {"no valid line: complete lines dropped", LinkState::Nmea, "a\r\nb\r\npartial", false,
         "partial"},
        {"no complete line: unchanged", LinkState::Nmea, "partial$GPGGA", false, "partial$GPGGA"},
        {"unknown keeps the last 180 bytes first", LinkState::Unknown,
         valid + "\r\n" + std::string(200, 'z'), false, std::string(180, 'z')},
        {"lower-case checksum is not valid", LinkState::Nmea, "$GPX,1*4a\r\n", false, ""},
    };
    for (const auto& c : cases) {
        DispatchFixture f(c.state);
        f.dispatcher.DisableProcessingTimer();
        f.port.Feed(c.buffer);
        f.dispatcher.DisableProcessingTimer();
        // Load the buffer through one tick in a state that does not process lines.
        f.dispatcher.SetLinkState(LinkState::SirfBinary);
        f.dispatcher.OnProcessingTick();
        f.dispatcher.SetLinkState(c.state);
        EXPECT_EQ(f.dispatcher.DetectNmea(), c.found) << c.name;
        EXPECT_EQ(f.dispatcher.RxBuffer(), c.rest) << c.name;
    }
}

TEST(ReceiveDispatch, SupervisionOfUnknownAsciiAndNmea) {
    struct Case {
        const char* name;
        LinkState state;
        std::string buffer;
        bool sirfPoll;
        LinkState after;
        std::size_t bufferSize;
        int monitorSteps;
        int duties;
    };
    const std::string valid = Sentence("$GPGGA,1,2");
    const std::vector<Case> cases = {
        {"valid sentence: NMEA", LinkState::Unknown, "zz\r\n" + valid + "\r\n", false,
         LinkState::Nmea, valid.size() + 2, 1, 0},
        {"SiRF poll pending", LinkState::Unknown, valid + "\r\n", true, LinkState::SirfBinary,
         valid.size() + 2, 0, 0},
        {"SiRF binary start", LinkState::Unknown, std::string("\xA0\xA2\x00\x09\x09xyz", 8), false,
         LinkState::SirfBinary, 8, 0, 0},
        {"garbage cut to 128", LinkState::Unknown, std::string(300, 'q'), false, LinkState::Unknown,
         128, 0, 0},
        {"ascii falls back", LinkState::Ascii, "abc", false, LinkState::Unknown, 3, 0, 0},
        {"nmea second", LinkState::Nmea, "abc", false, LinkState::Nmea, 3, 1, 1},
    };
    for (const auto& c : cases) {
        DispatchFixture f(LinkState::SirfBinary);
        f.dispatcher.DisableProcessingTimer();
        f.port.Feed(c.buffer);
        f.dispatcher.OnProcessingTick();
        f.dispatcher.SetLinkState(c.state);
        int monitorSteps = 0;
        int duties = 0;
        f.dispatcher.Hooks.SirfPollPending = [&] { return c.sirfPoll; };
        f.dispatcher.Hooks.MonitorStep = [&] { ++monitorSteps; };
        f.dispatcher.Hooks.NmeaSecondDuties = [&] { ++duties; };
        f.dispatcher.LinkSupervisionSecond();
        EXPECT_EQ(f.dispatcher.State(), c.after) << c.name;
        EXPECT_EQ(f.dispatcher.RxBuffer().size(), c.bufferSize) << c.name;
        EXPECT_EQ(monitorSteps, c.monitorSteps) << c.name;
        EXPECT_EQ(duties, c.duties) << c.name;
    }
}

TEST(ReceiveDispatch, SirfQuestionYesSwitchesAndStartsDetection) {
    DispatchFixture f(LinkState::SirfBinary);
    f.prompts.answers = {PromptAnswer::Yes};
    std::vector<std::string> events;
    f.dispatcher.Hooks.ClearSirfSubstate = [&] {
        events.push_back("clear@" + std::to_string(f.time.ElapsedMs()));
    };
    f.dispatcher.Hooks.StartSteppingDetection = [&] {
        events.push_back("detect@" + std::to_string(f.time.ElapsedMs()) + " buffer " +
                         std::to_string(f.dispatcher.RxBuffer().size()));
    };
    f.dispatcher.Hooks.Disconnect = [&] { events.push_back("disconnect"); };
    f.dispatcher.SetSecondTimerEnabled(true);
    f.time.Advance(1000);  // the second: the question, with the processing paused meanwhile
    ASSERT_EQ(f.prompts.shown.size(), 1u);
    EXPECT_EQ(f.prompts.shown[0].text,
              "GPS is in SiRF Binary mode.\r\n\r\nDo you want to switch to NMEA mode ?");
    EXPECT_EQ(f.port.Writes(), (std::vector<std::string>{std::string(SirfSwitchToNmeaFrame())}));
    EXPECT_EQ(SirfSwitchToNmeaFrame().size(), 32u);
    EXPECT_TRUE(f.dispatcher.ProcessingTimerEnabled());
    f.port.Feed("old-rate bytes");
    f.time.Advance(300);
    EXPECT_EQ(events, (std::vector<std::string>{"clear@1150", "detect@1300 buffer 0"}));
}

TEST(ReceiveDispatch, SirfQuestionNoDisconnectsAndNothingIsSentWhenClosed) {
    {
        DispatchFixture f(LinkState::SirfBinary);
        int disconnects = 0;
        f.dispatcher.Hooks.Disconnect = [&] { ++disconnects; };
        f.dispatcher.LinkSupervisionSecond();
        EXPECT_EQ(disconnects, 1);
        EXPECT_TRUE(f.port.Writes().empty());
        EXPECT_FALSE(f.dispatcher.ProcessingTimerEnabled());
    }
    {
        DispatchFixture f(LinkState::SirfBinary);
        f.shared.PortOpen = false;
        f.prompts.answers = {PromptAnswer::Yes};
        int detections = 0;
        f.dispatcher.Hooks.StartSteppingDetection = [&] { ++detections; };
        f.dispatcher.LinkSupervisionSecond();
        f.time.Advance(1000);
        EXPECT_TRUE(f.port.Writes().empty());
        EXPECT_EQ(detections, 0);
    }
}

TEST(ReceiveDispatch, PauseAndResumeProcessing) {
    DispatchFixture f;
    int pauses = 0;
    f.dispatcher.Hooks.OnPauseProcessing = [&] { ++pauses; };
    f.dispatcher.SetSecondTimerEnabled(true);
    f.FeedTick("x");
    f.dispatcher.PauseProcessing();
    EXPECT_FALSE(f.dispatcher.ProcessingTimerEnabled());
    EXPECT_FALSE(f.dispatcher.SecondTimerEnabled());
    EXPECT_FALSE(f.dispatcher.DataLampTimerEnabled());
    EXPECT_EQ(pauses, 1);
    f.port.Feed(kGga + "\r\n");
    f.time.Advance(5000);
    EXPECT_TRUE(f.lines.empty());
    EXPECT_EQ(f.dispatcher.Ring().RxTakeAll(), kGga + "\r\n");  // a transfer drains it itself
    f.dispatcher.ResumeProcessing();
    EXPECT_TRUE(f.dispatcher.ProcessingTimerEnabled());
    EXPECT_TRUE(f.dispatcher.SecondTimerEnabled());
    EXPECT_TRUE(f.dispatcher.DataLampTimerEnabled());
}

TEST(ReceiveDispatch, APauseFromAConsumerIsNotUndoneByTheEndOfThePass) {
    DispatchFixture f;
    f.dispatcher.Chain().Register(ChainSlot::AssistReplies, [&](SentenceContext& ctx) {
        if (ctx.Line.starts_with("$PMTK")) f.dispatcher.PauseProcessing();
        return ChainStep::Continue;
    });
    f.FeedTick(kGga + "\r\n");
    EXPECT_TRUE(f.dispatcher.ProcessingTimerEnabled());
    f.FeedTick("$PMTK001,604,3*32\r\n");
    EXPECT_FALSE(f.dispatcher.ProcessingTimerEnabled());
    f.FeedTick("reply bytes");
    EXPECT_EQ(f.dispatcher.Ring().RxTakeAll(), "reply bytes");
}

TEST(ReceiveDispatch, ResetLinkClearsBufferRingAndCounters) {
    DispatchFixture f;
    f.FeedTick("$GPpartial");
    f.port.Feed("pending");
    f.dispatcher.ResetLink();
    EXPECT_EQ(f.dispatcher.RxBuffer(), "");
    EXPECT_TRUE(f.dispatcher.Ring().Empty());
    EXPECT_EQ(f.dispatcher.Ring().RxWritePos(), 1u);
    EXPECT_EQ(f.dispatcher.Counters().RxBytesThisSecond, 0u);
}

}  // namespace
}  // namespace gnss
