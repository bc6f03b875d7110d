#include "link/receive_dispatch.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "frames/binary_frame.h"
#include "link/dispatch_fixture.h"
#include "nmea/nmea_checksum.h"
#include "nmea/nmea_decoder.h"

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

// Decodes every valid sentence to one kind and ends no block.
class FixedKindDecoder final : public SentenceDecoder {
  public:
    explicit FixedKindDecoder(SentenceKind kind) : kind_(kind) {}
    SentenceKind DecodeSentence(std::string_view line, SentenceKind) override {
        return IsValidSentence(line) ? kind_ : SentenceKind::None;
    }
    BlockEnds CloseEndedBlocks(SentenceKind, SentenceKind) override { return {}; }

  private:
    SentenceKind kind_;
};

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
        {"binary bytes before the sentence are not part of it",
         {"\x01\xFFjunk$GPGGA,1*00\r\n"},
         {"$GPGGA,1*00"},
         ""},
        {"text before $ belongs to the line", {"junk$GPGGA,1*00\r\n"}, {"junk$GPGGA,1*00"}, ""},
        {"binary bytes inside a sentence stay", {"$GPA,\x1B[H*33\r\n"}, {"$GPA,\x1B[H*33"}, ""},
        {"CR CR LF ends a line", {kGga + "\r\r\n" + kRmc + "\r\r", "\n"}, {kGga, kRmc}, ""},
        {"empty lines reach no consumer", {"\r\n\r\n" + kGga + "\r\n\r\n"}, {kGga}, ""},
        {"LF CR is not a line end: the sentence after it is taken",
         {"$GPX\n\r$GPY\r\n"},
         {"$GPY"},
         ""},
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
        f.FeedTick(c.line + "\r\n");
        EXPECT_EQ(f.lines.size(), c.passes ? 1u : 0u) << c.line;
        EXPECT_EQ(f.log.Only("decoded").size(), c.passes ? 1u : 0u)
            << c.line << ": a stopped line reaches no consumer";
        EXPECT_EQ(f.log.Received.size(), 1u) << "every line is seen before the filter";
    }
}

TEST(ReceiveDispatch, DecodedLinesDriveBlockEndsAndTheirListenersInOrder) {
    DispatchFixture f;
    NmeaDecoder decoder(f.receiver, f.shared.Family);
    f.dispatcher.SetDecoder(&decoder);
    // The computer's clock when a GGA has been handled.
    struct ClockAfterGga final : LineListener {
        explicit ClockAfterGga(const VirtualTime& time) : Time(time) {}
        void OnSentenceHandled(SentenceKind kind) override {
            if (kind == SentenceKind::Gga) Utc = Time.NowUtc();
        }
        const VirtualTime& Time;
        DateTime Utc{};
    } clockAfterGga(f.time);
    f.dispatcher.AddListener(clockAfterGga);
    f.time.Advance(1000);

    f.FeedTick(kGsa + "\r\n" + kGsv + "\r\n" + kGga + "\r\n");
    EXPECT_EQ(f.log.Without("lamp"),
              (Lines{"decoded 5", "handled 5", "decoded 13", "gsa-end", "handled 13", "decoded 3",
                     "rebuild", "refresh", "handled 3"}));
    EXPECT_EQ(decoder.Sats().CollectionState, kGsvBlockComplete);
    EXPECT_EQ(f.receiver.ReceiverUtcTime, clockAfterGga.Utc) << "the computer's clock at the GGA";
    EXPECT_TRUE(f.dispatcher.Counters().NewSentenceFlag);
    EXPECT_EQ(f.dispatcher.Counters().PrevKind, SentenceKind::Gga);
    EXPECT_TRUE(f.dispatcher.Counters().KindsSeen[SentenceKind::GpGsa]);
    EXPECT_TRUE(f.dispatcher.Counters().KindsSeen[SentenceKind::GpGsv]);
    EXPECT_FALSE(f.dispatcher.Counters().KindsSeen[SentenceKind::Rmc]);

    // A second GSV block ending within 400 ms rebuilds but does not refresh the views.
    f.log.Events.clear();
    f.FeedTick(kGsv + "\r\n" + kRmc + "\r\n");
    EXPECT_EQ(f.log.Without("lamp"),
              (Lines{"decoded 13", "handled 13", "decoded 2", "rebuild", "handled 2"}));
    f.time.Advance(400);
    f.log.Events.clear();
    f.FeedTick(kGsv + "\r\n" + kRmc + "\r\n");
    EXPECT_EQ(f.log.Without("lamp"),
              (Lines{"decoded 13", "handled 13", "decoded 2", "rebuild", "refresh", "handled 2"}));

    // Paused: no consumer, no refresh, decoding goes on.
    f.time.Advance(1000);
    f.shared.MonitorPaused = true;
    f.log.Events.clear();
    f.log.PassedChain.clear();
    f.lines.clear();
    f.FeedTick(kGsv + "\r\n" + kRmc + "\r\n");
    EXPECT_TRUE(f.lines.empty());
    EXPECT_TRUE(f.log.PassedChain.empty());
    EXPECT_EQ(f.log.Without("lamp"),
              (Lines{"decoded 13", "handled 13", "decoded 2", "rebuild", "handled 2"}));
}

TEST(ReceiveDispatch, LinesThatPassTheWholeChainAreAnnounced) {
    DispatchFixture f;
    f.dispatcher.Chain().Register(ChainSlot::AssistReplies, [](SentenceContext& ctx) {
        return ctx.Line.starts_with("$PMTK") ? ChainStep::EndFalse : ChainStep::Continue;
    });
    f.FeedTick(kGga + "\r\n$PMTK001,604,3*32\r\n$GP\r\n");
    EXPECT_EQ(f.log.PassedChain, (Lines{kGga})) << "ended by a consumer, or too short";
}

TEST(ReceiveDispatch, EmptyRmcClearsTheFixAndOverlongLinesAreCounted) {
    DispatchFixture f;
    FixedKindDecoder decoder(SentenceKind::Rmc);
    f.dispatcher.SetDecoder(&decoder);
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
        AntennaState state;
    };
    const std::vector<Case> cases = {
        {ReceiverFamily::MTK, true, "$PGTOP,11,US=OK*00", AntennaState::Ok},
        {ReceiverFamily::HED, true, "$PCAS,ANT_OPEN*2B", AntennaState::Open},
        {ReceiverFamily::ATGM, true, "$GNTXT,01,01,01,ANTENNA SHORT*63", AntennaState::Short},
        // OK words come first.
        {ReceiverFamily::MXT, true, "$X,US=OPEN*,ANT_OK*", AntennaState::Ok},
        {ReceiverFamily::MTK, false, "$PGTOP,11,US=OK*00", AntennaState::Unknown},
        {ReceiverFamily::ublox, true, "$GPTXT,01,01,02,ANT_OK*2B", AntennaState::Unknown},
        {ReceiverFamily::MTK, true, "$GPTXT,US=SHORT", AntennaState::Unknown},
    };
    for (const auto& c : cases) {
        DispatchFixture f;
        f.shared.Family = c.family;
        f.shared.AntennaStatusExpected = c.expected;
        f.FeedTick(c.line + "\r\n");
        EXPECT_EQ(f.shared.Antenna, c.state) << c.line;
    }
}

TEST(ReceiveDispatch, PrcrLinesAreRewrittenWhileTheWatchIsOn) {
    DispatchFixture f;
    f.log.UnwrapPrcr = true;
    f.FeedTick("$PRCR,1$PMTK705,AXN*00$tail\r\n");
    f.log.UnwrapPrcr = false;
    f.FeedTick("$PRCR,1$PMTK705,AXN*00\r\n");
    EXPECT_EQ(f.lines, (Lines{"$PMTK705,AXN*00", "$PRCR,1$PMTK705,AXN*00"}));
    EXPECT_EQ(f.log.Received, f.lines);
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
         {kRmc},
         "",
         {}},
        {"UBX not taken after the deadline",
         ReceiverFamily::ublox,
         true,
         -1,
         {ubxAck + kRmc + "\r\n"},
         {kRmc},
         "",
         {}},
    };
    for (const auto& c : cases) {
        DispatchFixture f;
        f.shared.Family = c.family;
        f.shared.ReceiverIdentified = c.identified;
        f.shared.HedReplyDeadline = c.deadline;
        f.shared.UbxReplyDeadline = c.deadline;
        for (const auto& chunk : c.chunks) f.FeedTick(chunk);
        EXPECT_EQ(f.lines, c.lines) << c.name;
        EXPECT_EQ(f.dispatcher.RxBuffer(), c.rest) << c.name;
        EXPECT_EQ(f.log.Frames, c.handled) << c.name;
    }
}

TEST(ReceiveDispatch, UbxMonitorSeesEveryGoodFrameOfUbloxWithoutChangingTheBuffer) {
    DispatchFixture f(LinkState::Unknown);
    f.shared.Family = ReceiverFamily::ublox;
    std::string bad = BuildUbxFrame(0x0C, 0x01, "bad");  // class not accepted: still seen
    std::string badSum = BuildUbxFrame(0x02, 0x11, "zz");
    badSum.back() = 0;
    const std::string buffer = BuildUbxFrame(0x02, 0x11, "ab") + "txt" + badSum + bad +
                               BuildUbxFrame(0x0A, 0x04, "long").substr(0, 9);
    f.dispatcher.SetLinkState(LinkState::Nmea);
    f.FeedTick(buffer);
    EXPECT_EQ(f.log.SeenUbx, (std::vector<std::string>{"2/17/2/ab", "12/1/3/bad"}));
    EXPECT_EQ(f.dispatcher.RxBuffer(), buffer);
}

TEST(ReceiveDispatch, SentencesAfterBinaryFramesAreDecoded) {
    // u-blox NMEA+UBX and NMEA+RTCM 3: a frame right before the epoch's RMC. The RTCM 3 frame
    // (1005, stationary reference) holds a CR LF of its own.
    const std::string ubx = BuildUbxFrame(0x01, 0x07, std::string(92, '\x11'));
    const std::string rtcm(
        "\xD3\x00\x13\x3E\xD0\x00\x03\r\n\x8A\x0E\xDE\xEF\x34\xB4"
        "\xBD\x62\xAC\x09\x41\x98\x6F\x33\x36\x0B\x98",
        25);
    for (const std::string& frame : {ubx, rtcm}) {
        DispatchFixture f;
        f.shared.Family = ReceiverFamily::ublox;
        f.shared.ReceiverIdentified = true;
        f.shared.UbxReplyDeadline = -1;  // no reply awaited: frames stay in the buffer
        NmeaDecoder decoder(f.receiver, f.shared.Family);
        f.dispatcher.SetDecoder(&decoder);
        f.FeedTick(kGga + "\r\n" + frame + kRmc + "\r\n");
        ASSERT_FALSE(f.lines.empty());
        EXPECT_EQ(f.lines.back(), kRmc);
        EXPECT_EQ(f.log.Only("handled"), (Lines{"handled 3", "handled 2"}));
        EXPECT_EQ(decoder.Rmc().Sentence.View(), kRmc);
        EXPECT_TRUE(f.log.Received.back().ends_with(frame.substr(frame.size() - 5) + kRmc))
            << "the line as received keeps the frame";
    }
    DispatchFixture f;
    f.shared.Family = ReceiverFamily::ublox;
    f.FeedTick(ubx + kRmc + "\r\n");
    EXPECT_EQ(f.log.SeenUbx.size(), 1u) << "the monitor still sees the frame";
}

TEST(ReceiveDispatch, AConsumerFailureEndsThePassAndTheRestFollowsNextTick) {
    DispatchFixture f;
    bool fail = true;
    f.dispatcher.Chain().Register(ChainSlot::Monitor, [&](SentenceContext& ctx) {
        if (fail && ctx.Line == kRmc) throw std::runtime_error("Invalid Data !");
        return ChainStep::Continue;
    });
    f.FeedTick(kGga + "\r\n" + kRmc + "\r\n" + kGsv + "\r\n");
    EXPECT_EQ(f.lines, (Lines{kGga, kRmc}));
    EXPECT_EQ(f.dispatcher.RxBuffer(), kGsv + "\r\n");
    EXPECT_EQ(f.log.Errors, (std::vector<std::string>{"Invalid Data !"}));
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
    EXPECT_EQ(f.log.Only("recognised"), (Lines{"recognised NMEA"}));
    EXPECT_TRUE(f.dispatcher.SecondTimerEnabled()) << "running before the link is announced";
    EXPECT_EQ(f.dispatcher.Counters().LinkUpTick, f.time.TickMs());
    f.FeedTick("");
    EXPECT_TRUE(f.lines.empty());  // an empty ring does not process
    f.FeedTick("\r\n");
    EXPECT_EQ(f.lines, (Lines{"$GNGGA,1*00"}));
    EXPECT_EQ(f.log.Received.front(), "\xA0\xA2 binary$GNGGA,1*00");
}

TEST(ReceiveDispatch, NmeaMarkers) {
    struct Case {
        std::string data;
        bool nmea;
    };
    const std::vector<Case> cases = {
        {"xx$GPRMC", true}, {"$GLGSV", true},  {"$PLXX", true},
        {"$PMDV", true},    {"$GAGSV", false}, {"$gp", false},
    };
    for (const auto& c : cases) {
        DispatchFixture f(LinkState::Unknown);
        f.FeedTick(c.data);
        EXPECT_EQ(f.dispatcher.State() == LinkState::Nmea, c.nmea) << c.data;
        EXPECT_EQ(f.log.Only("recognised").size(), c.nmea ? 1u : 0u) << c.data;
    }
}

TEST(ReceiveDispatch, StepwiseDetectionDropsEarlyChunksAndStepsAfterTwoSeconds) {
    DispatchFixture f(LinkState::BaudDetection);
    const int& steps = f.detectionSteps;
    f.shared.DetectionActive = true;
    f.shared.DetectionStartTick = f.time.TickMs();
    f.FeedTick("old rate");  // at +70 ms
    f.FeedTick("old rate");  // at +140 ms
    EXPECT_EQ(f.dispatcher.RxBuffer(), "");
    EXPECT_EQ(f.dispatcher.Counters().RxBytesThisSecond, 16u);
    f.FeedTick("new");  // at +210 ms
    EXPECT_EQ(f.dispatcher.RxBuffer(), "new");
    EXPECT_EQ(f.log.Bytes, "new") << "the discarded bytes reach no listener";
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

TEST(ReceiveDispatch, StreamListenersGetEveryChunkAndTheBufferWhileIdentificationIsPending) {
    DispatchFixture f;
    f.FeedTick("ab");
    f.shared.IdentificationPending = true;
    f.FeedTick("cd");
    f.shared.ReceiverIdentified = true;
    f.FeedTick("ef\r\n");
    EXPECT_EQ(f.log.Bytes, "abcdef\r\n");
    EXPECT_EQ(f.log.Buffers, (Lines{"abcd"}));
}

TEST(ReceiveDispatch, DataLampIsLitFor400MsFromTheFirstChunk) {
    DispatchFixture f;
    const auto repaints = [&f] { return static_cast<int>(f.log.Only("lamp").size()); };
    f.port.Feed("a");
    f.time.Advance(70);  // chunk taken at 70 ms: lamp on, lamp timer started
    EXPECT_TRUE(f.dispatcher.Counters().DataIndicator);
    EXPECT_EQ(repaints(), 1);
    f.port.Feed("b");
    f.time.Advance(70);  // more data while lit changes nothing
    EXPECT_EQ(repaints(), 1);
    f.time.Advance(199);  // 339 ms: first lamp tick (at 270) passed
    EXPECT_TRUE(f.dispatcher.Counters().DataIndicator);
    f.time.Advance(131);  // 470 ms: second lamp tick
    EXPECT_FALSE(f.dispatcher.Counters().DataIndicator);
    EXPECT_FALSE(f.dispatcher.DataLampTimerEnabled());
    EXPECT_EQ(repaints(), 2);
    EXPECT_EQ(f.log.Only("lamp"), (Lines{"lamp on", "lamp off"}));
    f.FeedTick("c");
    EXPECT_TRUE(f.dispatcher.Counters().DataIndicator);
    EXPECT_EQ(repaints(), 3);
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
        bool sirfExpected;
        LinkState after;
        std::size_t bufferSize;
        Lines events;
    };
    const std::string valid = Sentence("$GPGGA,1,2");
    const std::vector<Case> cases = {
        {"valid sentence: NMEA",
         LinkState::Unknown,
         "zz\r\n" + valid + "\r\n",
         false,
         LinkState::Nmea,
         valid.size() + 2,
         {"recognised NMEA", "nmea-second (recognised)"}},
        {"SiRF reply awaited",
         LinkState::Unknown,
         valid + "\r\n",
         true,
         LinkState::SirfBinary,
         valid.size() + 2,
         {"recognised SiRF"}},
        {"SiRF binary start",
         LinkState::Unknown,
         std::string("\xA0\xA2\x00\x09\x09xyz", 8),
         false,
         LinkState::SirfBinary,
         8,
         {"recognised SiRF"}},
        {"garbage cut to 128",
         LinkState::Unknown,
         std::string(300, 'q'),
         false,
         LinkState::Unknown,
         128,
         {}},
        {"ascii falls back", LinkState::Ascii, "abc", false, LinkState::Unknown, 3, {}},
        {"nmea second", LinkState::Nmea, "abc", false, LinkState::Nmea, 3, {"nmea-second"}},
    };
    for (const auto& c : cases) {
        DispatchFixture f(LinkState::SirfBinary);
        f.dispatcher.DisableProcessingTimer();
        f.port.Feed(c.buffer);
        f.dispatcher.OnProcessingTick();
        f.dispatcher.SetLinkState(c.state);
        f.log.Events.clear();
        f.log.ExpectSirf = c.sirfExpected;
        f.dispatcher.LinkSupervisionSecond();
        EXPECT_EQ(f.dispatcher.State(), c.after) << c.name;
        EXPECT_EQ(f.dispatcher.RxBuffer().size(), c.bufferSize) << c.name;
        EXPECT_EQ(f.log.Events, c.events) << c.name;
    }
}

TEST(ReceiveDispatch, SirfQuestionYesSwitchesAndStartsDetection) {
    DispatchFixture f(LinkState::SirfBinary);
    f.prompts.answers = {PromptAnswer::Yes};
    f.dispatcher.SetSecondTimerEnabled(true);
    f.time.Advance(1000);  // the second: the question, with the processing paused meanwhile
    ASSERT_EQ(f.prompts.shown.size(), 1u);
    EXPECT_EQ(f.prompts.shown[0].text,
              "GPS is in SiRF Binary mode.\r\n\r\nDo you want to switch to NMEA mode ?");
    EXPECT_EQ(f.port.Writes(), (std::vector<std::string>{std::string(SirfSwitchToNmeaFrame())}));
    EXPECT_EQ(SirfSwitchToNmeaFrame().size(), 32u);
    EXPECT_TRUE(f.dispatcher.ProcessingTimerEnabled());
    f.port.Feed("old-rate bytes");
    f.time.Advance(149);
    EXPECT_TRUE(f.log.Only("switched").empty());
    f.time.Advance(1);
    EXPECT_EQ(f.log.Only("switched").size(), 1u);
    f.time.Advance(150);
    EXPECT_EQ(f.controllerEvents, (Lines{"detect@1300 buffer 0"}));
}

TEST(ReceiveDispatch, SirfQuestionNoDisconnectsAndNothingIsSentWhenClosed) {
    {
        DispatchFixture f(LinkState::SirfBinary);
        f.dispatcher.LinkSupervisionSecond();
        EXPECT_EQ(f.controllerEvents, (Lines{"disconnect"}));
        EXPECT_TRUE(f.port.Writes().empty());
        EXPECT_FALSE(f.dispatcher.ProcessingTimerEnabled());
    }
    {
        DispatchFixture f(LinkState::SirfBinary);
        f.shared.PortOpen = false;
        f.prompts.answers = {PromptAnswer::Yes};
        f.dispatcher.LinkSupervisionSecond();
        f.time.Advance(1000);
        EXPECT_TRUE(f.port.Writes().empty());
        for (const auto& event : f.controllerEvents) {
            EXPECT_FALSE(event.starts_with("detect")) << event;
        }
    }
}

TEST(ReceiveDispatch, PauseAndResumeProcessing) {
    DispatchFixture f;
    f.dispatcher.SetSecondTimerEnabled(true);
    f.FeedTick("x");
    f.dispatcher.PauseProcessing();
    EXPECT_FALSE(f.dispatcher.ProcessingTimerEnabled());
    EXPECT_FALSE(f.dispatcher.SecondTimerEnabled());
    EXPECT_FALSE(f.dispatcher.DataLampTimerEnabled());
    EXPECT_EQ(f.log.Only("paused").size(), 1u);
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
