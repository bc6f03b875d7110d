// Offline replay of byte streams and the JSON Lines / text reports of it.
#include "replay/decode_report.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "nmea/nmea_checksum.h"
#include "replay/capture_replay.h"

namespace gnss {
namespace {

std::string Sentence(std::string_view body) {
    return std::string(body) + NmeaChecksumSuffix(body) + "\r\n";
}

// Records the replay's events in a compact form: "S<kind>@<ms>", "V@<ms>", "P:<text>".
class Recorder final : public ReplayObserver {
  public:
    void Sentence(uint64_t timeMs, SentenceKind kind, std::string_view,
                  const NmeaDecoder&) override {
        events.push_back("S" + std::to_string(KindIndex(kind)) + "@" + std::to_string(timeMs));
    }
    void Satellites(uint64_t timeMs, const NmeaDecoder& decoder) override {
        events.push_back("V@" + std::to_string(timeMs));
        entries.push_back(decoder.DisplayList().EntryCount);
    }
    void Prompt(uint64_t, std::string_view text) override {
        events.push_back("P:" + std::string(text));
    }
    void Summary(const ReplaySummary& s) override { summary = s; }

    std::vector<std::string> events;
    std::vector<int> entries;
    ReplaySummary summary;
};

TEST(ReplayChunks, BytesPerTickFollowTheBaudRate) {
    struct Case {
        uint64_t ticks;
        uint32_t baud;
        uint64_t bytes;
    };
    const Case cases[] = {
        {1, 115200, 806}, {2, 115200, 1612}, {3, 115200, 2419}, {1, 9600, 67},
        {10, 9600, 672},  {1, 4800, 33},     {1, 921600, 6451}, {0, 115200, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BytesDeliveredBy(c.ticks, c.baud), c.bytes) << c.ticks << " @ " << c.baud;
    }
}

TEST(ReplayChunks, ReplayTakesAsManyTicksAsTheRateNeeds) {
    // 10000 bytes at 9600 bit/s: 67.2 bytes per tick, the last byte in tick 149; then the
    // link that never found NMEA gets one more second.
    const std::string bytes(10000, 'x');
    Recorder r;
    const ReplaySummary s = ReplayCapture(bytes, {.BaudRate = 9600}, r);
    EXPECT_EQ(s.ReplayedMs, 149u * 70u + 1000u);
    EXPECT_EQ(s.BytesFed, 10000u);
    EXPECT_EQ(s.RingOverruns, 0u);
}

TEST(ReplayChunks, SentencesAreDecodedInTheTickTheirLineEndArrives) {
    // At 4800 bit/s 33 or 34 bytes arrive per tick. The first line shows "$GP", so the link
    // becomes NMEA in the tick its first bytes arrive and lines are processed from then on.
    const std::string gga =
        Sentence("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    const std::string vtg = Sentence("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K");
    Recorder r;
    ReplayCapture(gga + vtg, {.BaudRate = 4800}, r);
    uint64_t ticks = 1;
    while (BytesDeliveredBy(ticks, 4800) < gga.size()) ++ticks;
    const uint64_t ggaTick = ticks;
    while (BytesDeliveredBy(ticks, 4800) < gga.size() + vtg.size()) ++ticks;
    EXPECT_EQ(r.events, (std::vector<std::string>{"S3@" + std::to_string(ggaTick * 70),
                                                  "S19@" + std::to_string(ticks * 70)}));
}

TEST(ReplayDetection, NmeaWithoutMarkerIsFoundByTheOneSecondCheck) {
    // No "$GP", "$GN", "$GL", "$PL" or "$PMD" anywhere: the once-per-second detection finds
    // the valid sentences; lines before it are gone, as on a live link.
    std::string bytes;
    for (int i = 0; i < 40; ++i) {
        bytes += Sentence("$GAGSV,1,1,01,07,45,120,40");
        bytes += Sentence("$BDGSA,A,3,07,,,,,,,,,,,,1.5,0.9,1.2");
    }
    Recorder r;
    const ReplaySummary s = ReplayCapture(bytes, {.BaudRate = 9600}, r);
    EXPECT_EQ(s.FinalLinkState, LinkState::Nmea);
    ASSERT_FALSE(r.events.empty());
    EXPECT_TRUE(r.events.front().starts_with("S"));  // a sentence, once a second has passed
    EXPECT_GE(std::stoul(r.events.front().substr(r.events.front().find('@') + 1)), 1000u);
    EXPECT_GT(s.SatelliteBlocks, 10u);
    EXPECT_LT(s.DecodedLines, 80u);
    EXPECT_EQ(s.InvalidLines, 0u);
}

TEST(ReplayDetection, StreamsThatNeverBecomeNmeaStillGiveASummary) {
    struct Case {
        const char* name;
        std::string bytes;
        LinkState state;
        bool prompt;
    };
    std::string noise;
    for (int i = 0; i < 20000; ++i) noise += static_cast<char>((i * 7919) % 251);
    std::string sirf;
    for (int i = 0; i < 2000; ++i) sirf += std::string("\xA0\xA2\x00\x09\x09\x00\x00\x00", 8);
    const Case cases[] = {
        {"empty", "", LinkState::Unknown, false},
        {"noise", noise, LinkState::Unknown, false},
        {"sirf binary", sirf, LinkState::SirfBinary, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder r;
        const ReplaySummary s = ReplayCapture(c.bytes, {}, r);
        EXPECT_EQ(s.FinalLinkState, c.state);
        EXPECT_EQ(s.Bytes, c.bytes.size());
        EXPECT_EQ(s.DecodedLines, 0u);
        EXPECT_EQ(s.Disconnected, c.prompt);  // "No" to the SiRF question disconnects
        EXPECT_EQ(!r.events.empty() && r.events[0].starts_with("P:GPS is in SiRF Binary mode."),
                  c.prompt);
    }
}

TEST(ReplayLineEnds, CrIsAddedOnlyWhereMissing) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"", ""},
        {"\n", "\r\n"},
        {"a\nb\r\nc\n\n", "a\r\nb\r\nc\r\n\r\n"},
        {"\r\r\n\n\r", "\r\r\n\r\n\r"},
    };
    for (const auto& c : cases) EXPECT_EQ(AddCrBeforeLf(c.in), c.out);
}

TEST(ReplayLineEnds, LfOnlyLogDecodesOnlyWhenAsked) {
    const std::string log =
        "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48\n"
        "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48\n";
    Recorder asIs;
    EXPECT_EQ(ReplayCapture(log, {}, asIs).Lines, 0u);  // a lone LF ends no line
    Recorder converted;
    const ReplaySummary s = ReplayCapture(log, {.LfLineEnds = true}, converted);
    EXPECT_EQ(s.Lines, 2u);
    EXPECT_EQ(s.LinesPerKind[SentenceKind::Vtg], 2u);
    EXPECT_EQ(s.Bytes, log.size() + 2);
}

TEST(ReplayFamily, NamesOfTheFamilies) {
    EXPECT_EQ(FamilyFromName("unknow"), ReceiverFamily::Unknown);
    EXPECT_EQ(FamilyFromName("Unknown"), ReceiverFamily::Unknown);
    EXPECT_EQ(FamilyFromName("UBLOX"), ReceiverFamily::ublox);
    EXPECT_EQ(FamilyFromName("SiRF5"), ReceiverFamily::SiRF5);
    EXPECT_EQ(FamilyFromName("MXT"), ReceiverFamily::MXT);
    EXPECT_EQ(FamilyFromName("Uni"), ReceiverFamily::Uni);
    EXPECT_EQ(FamilyFromName("nonesuch"), std::nullopt);
    EXPECT_EQ(FamilyFromName(""), std::nullopt);
}

TEST(ReplayFamily, FamilyChangesTheNumbering) {
    // BDGSV satellite 7 is 207, except for family Uni.
    const std::string bytes = Sentence("$GPGGA,1,,,,,0,,,,,,,,") +
                              Sentence("$BDGSV,1,1,01,07,45,120,40") +
                              Sentence("$GPGGA,1,,,,,0,,,,,,,,");
    for (const auto& [family, number] :
         {std::pair{ReceiverFamily::Unknown, 207}, std::pair{ReceiverFamily::Uni, 7}}) {
        std::ostringstream out;
        JsonLinesReport report(out);
        ReplayCapture(bytes + bytes, {.Family = family}, report);
        EXPECT_NE(out.str().find("\"list\":[[" + std::to_string(number) + ",45,120,40,0,2]]"),
                  std::string::npos)
            << out.str();
    }
}

TEST(JsonText, ArbitraryBytesAreEscaped) {
    const struct {
        std::string bytes;
        std::string json;
    } cases[] = {
        {"", R"("")"},
        {"$GPGGA,1*4A", R"("$GPGGA,1*4A")"},
        {std::string("a\0b", 3), R"("a\u0000b")"},
        {"say \"hi\"", R"("say \"hi\"")"},
        {"C:\\path", R"("C:\\path")"},
        {"\r\n\t\x1B[H", R"("\u000D\u000A\u0009\u001B[H")"},
        {"\x7F\x80\xA0\xFF", R"("\u007F\u0080\u00A0\u00FF")"},
        {"/<>'", R"("/<>'")"},
    };
    for (const auto& c : cases) {
        std::string out;
        AppendJsonString(out, c.bytes);
        EXPECT_EQ(out, c.json);
    }
}

TEST(JsonText, NumbersAreFixedAndLocaleIndependent) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {0.5, "0.5"},
        {10000.0, "10000"},
        {-122.5, "-122.5"},
        {48.1173, "48.1173"},
        {1.0 / 3.0, "0.333333333"},
        {1e-12, "0"},
        {-1e-12, "0"},
        {1e20, "1e+20"},
        {std::numeric_limits<double>::quiet_NaN(), "null"},
        {-std::numeric_limits<double>::infinity(), "null"},
    };
    for (const auto& c : cases) {
        std::string out;
        AppendNumber(out, c.value);
        EXPECT_EQ(out, c.text) << c.value;
    }
}

// What AppendNumber writes, by way of to_chars in fixed form.
std::string FixedByToChars(double value) {
    char digits[64];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 9);
    std::string text(digits, result.ptr);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}

TEST(JsonText, NumbersRoundExactlyAsToChars) {
    std::vector<double> values = {0.0009765625,  // 2^-10: a tie at the ninth decimal
                                  0.0029296875, 1.0000000005, 2.5e-10,           7.5e-10,
                                  5e-10,        1.5e-9,       999999.9999999995, 123456789012345.6,
                                  4.9e-324,     -0.0009765625};
    std::mt19937_64 random(42);
    for (int i = 0; i < 100000; ++i) {
        // Decimal-looking values as receivers send them, and arbitrary bit patterns.
        const double scale = std::pow(10.0, static_cast<int>(random() % 12) - 3);
        values.push_back(static_cast<double>(random() % 100000000) / 1e6 * scale);
        values.push_back(static_cast<double>(random() % 2000001) / 8192.0 - 122.0);
        const double any = std::bit_cast<double>(random());
        if (std::isfinite(any) && std::fabs(any) < 1e15) values.push_back(any);
    }
    for (const double value : values) {
        if (value == 0.0) continue;
        std::string out;
        AppendNumber(out, value);
        ASSERT_EQ(out, FixedByToChars(value)) << std::hexfloat << value;
    }
}

TEST(JsonReport, ObjectsOfAShortReplay) {
    const std::string bytes =
        Sentence("$GPGGA,123519,4807.038,N,01131.000,W,1,08,0.9,545.4,M,46.9,M,,") +
        Sentence("$GPGSA,A,3,04,05,,,,,,,,,,,2.5,1.3,2.1") +
        Sentence("$GPGSV,1,1,02,04,45,120,40,05,10,300,00") +
        Sentence("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,,230394,003.1,W") + "$GPGGA,12";
    std::ostringstream out;
    JsonLinesReport report(out);
    report.Begin("x.log", {});
    ReplayCapture(bytes, {}, report);
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 7u) << out.str();
    EXPECT_EQ(lines[0], R"({"type":"replay","file":"x.log","baudRate":115200,"family":"unknow",)"
                        R"("lfLineEnds":false})");
    EXPECT_EQ(lines[1],
              R"({"type":"sentence","t":70,"kind":3,"name":"GGA","line":"$GPGGA,123519,4807.038,N,)"
              R"(01131.000,W,1,08,0.9,545.4,M,46.9,M,,*55","gns":false,"time":"12:35:19",)"
              R"("lat":48.1173,"latLetter":"N","lon":-11.516666667,"lonLetter":"W","quality":1,)"
              R"("satellites":8,"hdop":0.9,"altitude":545.4,"geoidSeparation":46.9,"diffAge":0,)"
              R"("stationId":-1})");
    EXPECT_NE(lines[2].find(R"("name":"GPGSA",)"), std::string::npos);
    EXPECT_NE(lines[2].find(R"("selection":"A","fixMode":3,"used":2,"usedList":[4,5],)"
                            R"("pdop":2.5,"hdop":1.3,"vdop":2.1})"),
              std::string::npos);
    EXPECT_NE(lines[3].find(R"("talker":"P","state":2,"total":1,"number":1,"inView":2,)"
                            R"("collected":2})"),
              std::string::npos);
    EXPECT_NE(lines[4].find(R"("name":"RMC",)"), std::string::npos);
    EXPECT_NE(lines[4].find(R"("course":10000,"date":"94-03-23","magVar":3.1,)"
                            R"("magVarLetter":"W","mode":" "})"),
              std::string::npos);
    EXPECT_EQ(lines[5], R"({"type":"satellites","t":70,"inView":2,"used":2,)"
                        R"("table":[[4,45,120,40,0],[5,10,300,0,0]],)"
                        R"("list":[[4,45,120,40,0,3],[5,10,300,0,0,3]]})");
    EXPECT_TRUE(lines[6].starts_with(
        R"({"type":"summary","bytes":228,"bytesFed":228,"bytesLeft":9,"lines":4,)"
        R"("decodedLines":4,"invalidLines":0,)"));
    EXPECT_NE(lines[6].find(R"("kinds":{"RMC":1,"GGA":1,"GPGSA":1,"GPGSV":1})"), std::string::npos);
    EXPECT_NE(lines[6].find(R"("linkState":"NMEA","disconnected":false})"), std::string::npos);
}

TEST(ReplaySummaryCounts, UndecodedLinesAreSplitByReason) {
    const std::string bytes =
        Sentence("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") +
        Sentence("$GPZDA,201530.00,04,07,2002,00,00") +         // valid, kind not decoded
        Sentence("$GNTXT,01,01,02,u-blox AG") +                 // valid, kind not decoded
        Sentence("$PUBX,00,081350.00,4717.113210,N") +          // valid vendor sentence
        "$GPRMC,123519,A,4807.038,N,01131.000,E,,,,,*00\r\n" +  // wrong checksum
        "$GPRMC,123519,A*4a\r\n" +                              // lower-case checksum
        "hello\r\n$GPVTG,,T\r\n";                               // not sentences
    Recorder r;
    const ReplaySummary s = ReplayCapture(bytes, {}, r);
    EXPECT_EQ(s.UnknownKindLines, 3u);
    EXPECT_EQ(s.BadChecksumLines, 2u);
    EXPECT_EQ(s.NotSentenceLines, 2u);
    EXPECT_EQ(s.InvalidLines, 4u) << "valid sentences of other kinds are not invalid";
    EXPECT_EQ(s.DecodedLines, 8u);

    std::ostringstream out;
    JsonLinesReport report(out);
    ReplayCapture(bytes, {}, report);
    EXPECT_NE(out.str().find(R"("invalidLines":4,"badChecksumLines":2,"notSentenceLines":2,)"
                             R"("unknownKindLines":3,)"),
              std::string::npos);
}

TEST(JsonReport, EventLimitKeepsTheSummaryAndCountsWhatWasLeftOut) {
    std::string bytes;
    for (int i = 0; i < 5; ++i) bytes += Sentence("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K");
    std::ostringstream out;
    JsonLinesReport report(out);
    report.SetEventLimit(2);
    ReplayCapture(bytes, {}, report);
    const std::string text = out.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
    EXPECT_NE(text.find(R"("eventsOmitted":3})"), std::string::npos);
}

TEST(TextReport, OneReadableLinePerEvent) {
    const std::string bytes = Sentence("$GPGSV,1,1,02,04,45,120,40,05,10,300,00") +
                              Sentence("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K") +
                              std::string("\x01\xFE", 2) + "\r\n";
    std::ostringstream out;
    TextReport report(out);
    ReplayCapture(bytes, {}, report);
    const std::string text = out.str();
    EXPECT_NE(text.find("[       0.070] VTG courseTrue=54.7 courseMagnetic=34.4 speedKnots=5.5 "
                        "speedKmh=10.2 mode=   $GPVTG,"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("satellites in view 2, used 0: 4(45/120/40) 5(10/300/0)-"),
              std::string::npos);
    EXPECT_NE(text.find("  invalid lines    1\n    bad checksum   0\n    not a sentence 1\n"
                        "  unknown kinds    0\n"),
              std::string::npos);
}

}  // namespace
}  // namespace gnss
