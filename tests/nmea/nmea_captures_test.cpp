// Every line of the real receiver captures through the decoder, as the receive dispatch feeds
// them, with cross-checks against the expectations stored beside the captures.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "decoder_harness.h"

namespace gnss {
namespace {

namespace fs = std::filesystem;
using testing::DecoderHarness;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Lines ended by LF, a trailing CR removed (some captures are LF-only).
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<fs::path> Captures() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(GNSS_TESTDATA_DIR)) {
        if (!entry.is_regular_file()) continue;
        const auto ext = entry.path().extension().string();
        if (ext == ".chk" || ext == ".md") continue;
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

struct ConstellationsSeen {
    bool Gps = false;
    bool Glonass = false;
    bool Galileo = false;
    bool BeiDou = false;
};

TEST(Captures, EveryLineDecodesWithTheTableAndStateInBounds) {
    const auto files = Captures();
    ASSERT_GE(files.size(), 30u) << GNSS_TESTDATA_DIR;
    for (ReceiverFamily family : {ReceiverFamily::Unknown, ReceiverFamily::ublox,
                                  ReceiverFamily::Uni, ReceiverFamily::MXT}) {
        for (const auto& file : files) {
            const std::string data = ReadFile(file);
            DecoderHarness h;
            h.Family = family;
            int decoded = 0;
            for (std::string_view line : SplitLines(data)) {
                const SentenceKind kind = h.FeedLine(line);
                ASSERT_LT(KindIndex(kind), kSentenceKindCount);
                decoded += kind != SentenceKind::None ? 1 : 0;
                const SatTable& t = h.Decoder.Sats();
                ASSERT_LE(t.CollectionState, kGsvSequenceError) << file << ": " << line;
                ASSERT_LE(h.Decoder.Gsa().UsedCount, kMaxSatellites);
                ASSERT_LE(h.Decoder.DisplayList().EntryCount, kMaxSatellites);
                ASSERT_GE(h.Decoder.GsvInViewTotal(), 0);
            }
            const std::string name = file.filename().string();
            const bool nmeaCapture = name.find("nmea") != std::string::npos;
            // The "$$" capture and the pure binary ones carry no decodable sentence.
            if (nmeaCapture && name.find("doubledollar") == std::string::npos) {
                EXPECT_GT(decoded, 10) << name;
            }
        }
    }
}

TEST(Captures, NeoM9nBlocksHoldFourConstellationsWithUsedSatellites) {
    const std::string data =
        ReadFile(fs::path(GNSS_TESTDATA_DIR) / "ublox_neo-m9n_nmea41_gp-gl-ga-gb_gsv-sigid.log");
    DecoderHarness h;
    h.Family = ReceiverFamily::ublox;
    int rebuilds = 0;
    int complete = 0;
    for (std::string_view line : SplitLines(data)) {
        const SentenceKind prev = h.PrevKind;
        const SentenceKind kind = h.Decoder.DecodeSentence(line, prev);
        if (kind == SentenceKind::None) continue;
        const bool rebuilt = h.Decoder.CloseEndedBlocks(kind, prev).SatellitesRebuilt;
        h.PrevKind = kind;
        if (!rebuilt) continue;
        ++rebuilds;
        const SatDisplayList& list = h.Decoder.DisplayList();
        ConstellationsSeen seen;
        int used = 0;
        int secondSignals = 0;
        for (int i = 0; i < list.EntryCount; ++i) {
            const int n = list.Entries[i].Number;
            seen.Gps |= n >= 1 && n <= 32;
            seen.Glonass |= n >= 65 && n <= 96;
            seen.BeiDou |= n >= 201 && n <= 263;
            seen.Galileo |= n >= 301 && n <= 336;
            used += list.UseStates[i] == kSatUsed ? 1 : 0;
            secondSignals += list.Entries[i].SecondCno != 0 ? 1 : 0;
        }
        EXPECT_EQ(secondSignals, 0);  // this receiver reports one signal per satellite
        if (seen.Gps && seen.Glonass && seen.Galileo && seen.BeiDou && used >= 4) ++complete;
    }
    EXPECT_GT(rebuilds, 50);
    EXPECT_GT(complete, rebuilds / 2);
    EXPECT_TRUE(h.Decoder.GalileoGsvSeen());
}

TEST(Captures, FirstNeoM9nEpochMatchesItsSentences) {
    DecoderHarness h;
    h.Family = ReceiverFamily::ublox;
    const std::string data =
        ReadFile(fs::path(GNSS_TESTDATA_DIR) / "ublox_neo-m9n_nmea41_gp-gl-ga-gb_gsv-sigid.log");
    int rmcs = 0;
    for (std::string_view line : SplitLines(data)) {
        if (h.FeedLine(line) == SentenceKind::Rmc && ++rmcs == 2) break;
    }
    // 16 GPS + 10 GLONASS + 10 Galileo + 7 BeiDou.
    const SatDisplayList& list = h.Decoder.DisplayList();
    EXPECT_EQ(list.InView, 43);
    EXPECT_EQ(list.UsedCount, 25);
    EXPECT_EQ(h.Decoder.Gsa().UsedCount, 0);  // handed over by the rebuild
    int used = 0;
    for (int i = 0; i < list.EntryCount; ++i) used += list.UseStates[i] == kSatUsed ? 1 : 0;
    // The four GNGSA (system ids 1 to 4) list 8 GPS, 7 GLONASS, 5 Galileo and 5 BeiDou
    // satellites, every one of them also in the GSV groups.
    EXPECT_EQ(used, 25);
    EXPECT_FLOAT_EQ(h.State.Pdop, 0.99f);
    EXPECT_EQ(h.State.FixMode, 3);
    EXPECT_TRUE(h.State.FixValid);
}

// gpsd's expectations: a GGA line followed by its TPV report.
TEST(Captures, GgaPositionsAgreeWithTheStoredExpectations) {
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(GNSS_TESTDATA_DIR)) {
        if (entry.path().extension() != ".chk") continue;
        const std::string data = ReadFile(entry.path());
        const auto lines = SplitLines(data);
        for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
            const std::string_view line = lines[i];
            const std::string_view report = lines[i + 1];
            if (!line.starts_with("$") || line.find("GGA,") == std::string_view::npos) continue;
            if (!report.starts_with("{\"class\":\"TPV\"")) continue;
            const auto latPos = report.find("\"lat\":");
            const auto lonPos = report.find("\"lon\":");
            if (latPos == std::string_view::npos || lonPos == std::string_view::npos) continue;
            DecoderHarness h;
            if (h.FeedLine(line) != SentenceKind::Gga || h.Decoder.Gga().FixQuality == 0) continue;
            const double lat = std::stod(std::string(report.substr(latPos + 6, 20)));
            const double lon = std::stod(std::string(report.substr(lonPos + 6, 20)));
            EXPECT_NEAR(h.Decoder.Gga().Latitude, lat, 1e-6) << entry.path() << ": " << line;
            EXPECT_NEAR(h.Decoder.Gga().Longitude, lon, 1e-6) << entry.path() << ": " << line;
            ++compared;
        }
    }
    EXPECT_GT(compared, 50);
}

TEST(Captures, QuirkyLinesAreRejected) {
    struct Case {
        const char* File;
        const char* Needle;  // lines containing it must decode to 0
    };
    const Case cases[] = {
        {"magellan_ec-10x_nmea_lowercase-checksum.log", "*4a"},
        {"st_teseo-liv4f_nmea41_pstmver-banner_doubledollar.log", "$$"},
        {"telit_sl869_sta8088_nmea_qzgsv_gptxt-no-checksum.log", "TELIT SW"},
        {"globalsat_et-332_sirf3_nmea_ansi-escape-in-checksum.log", "\x1b["},
    };
    for (const auto& c : cases) {
        const std::string data = ReadFile(fs::path(GNSS_TESTDATA_DIR) / c.File);
        DecoderHarness h;
        int seen = 0;
        for (std::string_view line : SplitLines(data)) {
            if (line.find(c.Needle) == std::string_view::npos) continue;
            ++seen;
            EXPECT_EQ(h.FeedLine(line), SentenceKind::None) << c.File << ": " << line;
        }
        EXPECT_GT(seen, 0) << c.File;
    }
}

}  // namespace
}  // namespace gnss
