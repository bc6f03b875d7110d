#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder_harness.h"

namespace gnss {
namespace {

using testing::DecoderHarness;

// "$<talker>GSA,A,3,<up to 12 satellites>,1.0,0.8,0.6[,<system id>]"
std::string Gsa(const std::string& talker, const std::vector<std::string>& sats,
                const char* systemId = nullptr) {
    std::string body = "$" + talker + "GSA,A,3";
    for (int i = 0; i < 12; ++i) body += "," + (i < static_cast<int>(sats.size()) ? sats[i] : "");
    body += ",1.0,0.8,0.6";
    if (systemId != nullptr) body += std::string(",") + systemId;
    return body;
}

std::vector<int16_t> UsedList(const NmeaDecoder& d) {
    const auto& list = d.Gsa().UsedSatellites;
    std::vector<int16_t> used(list.begin(), list.end());
    while (!used.empty() && used.back() == 0) used.pop_back();
    return used;
}

struct GsaCase {
    const char* Name;
    ReceiverFamily Family;
    std::vector<std::string> Bodies;  // one block
    std::vector<int16_t> Used;
    int UsedCount;
};

class GsaNumberingTest : public ::testing::TestWithParam<GsaCase> {};

TEST_P(GsaNumberingTest, BuildsTheUsedListOfTheBlock) {
    DecoderHarness h;
    h.Family = GetParam().Family;
    h.Feed("$GPRMC,1,A,4807.0,N,01131.0,E,0.0,1,230394,,,A");
    for (const auto& body : GetParam().Bodies) ASSERT_NE(h.Feed(body), SentenceKind::None) << body;
    EXPECT_EQ(UsedList(h.Decoder), GetParam().Used);
    EXPECT_EQ(h.Decoder.Gsa().UsedCount, GetParam().UsedCount);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, GsaNumberingTest,
    ::testing::Values(
        GsaCase{"GpsOnly", ReceiverFamily::MTK, {Gsa("GP", {"05", "12", "29"})}, {5, 12, 29}, 3},
        GsaCase{"SystemIds",
                ReceiverFamily::Unknown,
                {Gsa("GN", {"29", "20"}, "1"), Gsa("GN", {"82", "73"}, "2"),
                 Gsa("GN", {"03", "05"}, "3"), Gsa("GN", {"32", "28"}, "4"), Gsa("GN", {"02"}, "6"),
                 Gsa("GN", {"01"}, "5")},
                {29, 20, 82, 73, 303, 305, 232, 228, 402, 1},
                10},
        // With a system id the id decides; the family rule for continuations does not apply.
        GsaCase{"UbloxWithSystemIds",
                ReceiverFamily::ublox,
                {Gsa("GN", {"29"}, "1"), Gsa("GN", {"82"}, "2"), Gsa("GN", {"03"}, "3"),
                 Gsa("GN", {"32"}, "4")},
                {29, 82, 303, 232},
                4},
        GsaCase{"EmptySystemIdField",
                ReceiverFamily::Unknown,
                {Gsa("GN", {"29"}, ""), Gsa("GN", {"82"}, " "), Gsa("GN", {"03"}, "")},
                {29, 82, 303},
                3},
        GsaCase{"ThirdConsecutiveGngsaIsGalileo",
                ReceiverFamily::Unknown,
                {Gsa("GN", {"01"}), Gsa("GN", {"65"}), Gsa("GN", {"11", "140", "141"}),
                 Gsa("GN", {"12"})},
                {1, 65, 311, 440, 141, 12},
                6},
        GsaCase{"BdgsaUnlessUni",
                ReceiverFamily::MTK,
                {Gsa("BD", {"07", "99", "100"})},
                {207, 299, 100},
                3},
        GsaCase{"BdgsaFromUni", ReceiverFamily::Uni, {Gsa("BD", {"07"})}, {7}, 1},
        GsaCase{"Gagsa", ReceiverFamily::MTK, {Gsa("GA", {"11", "141"})}, {311, 141}, 2},
        GsaCase{"UbloxGbgsa", ReceiverFamily::ublox, {Gsa("GB", {"07", "200"})}, {207, 200}, 2},
        GsaCase{"OtherFamilyGbgsa", ReceiverFamily::MTK, {Gsa("GB", {"07"})}, {7}, 1},
        // Continuation GSA of these families lists BeiDou satellites (GPS+BDS receivers).
        GsaCase{"UbloxContinuation",
                ReceiverFamily::ublox,
                {Gsa("GN", {"01", "02"}), Gsa("GN", {"07", "160"})},
                {1, 2, 207, 160},
                4},
        GsaCase{"MxtContinuation",
                ReceiverFamily::MXT,
                {Gsa("GP", {"01"}), Gsa("BD", {"07"})},
                {1, 207},
                2},
        GsaCase{"MtkContinuation",
                ReceiverFamily::MTK,
                {Gsa("GN", {"01"}), Gsa("GN", {"70"})},
                {1, 70},
                2},
        // Empty fields store 0 without counting; the next sentence of the block continues at
        // the used count.
        GsaCase{"GapsAndOffsets",
                ReceiverFamily::Unknown,
                {Gsa("GN", {"", "05"}), Gsa("GN", {"07"})},
                {0, 7},
                2}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(DecodeGsa, AGsaBlockAfterTheSatellitesMarksThemUsed) {
    // Some phone forwarders send GSV first, then $GPGSA followed by $GNGSA.
    DecoderHarness h;
    for (int epoch = 0; epoch < 2; ++epoch) {
        SCOPED_TRACE(epoch);
        h.Feed("$GPRMC,1,A,4807.0,N,01131.0,E,0.0,1,230394,,,A");
        h.Feed("$GPGSV,1,1,02,05,40,047,40,12,22,062,35");
        h.Feed("$GLGSV,1,1,02,66,09,027,40,67,56,054,30");
        h.Feed(Gsa("GP", {"05", "12"}));
        h.Feed(Gsa("GN", {"66", "67"}));
        h.Feed("$GPGGA,1,4807.0,N,01131.0,E,1,04,0.9,1.0,M,0.0,M,,");
        const SatDisplayList& list = h.Decoder.DisplayList();
        ASSERT_EQ(list.EntryCount, 4);
        EXPECT_EQ(list.UsedCount, 4);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(list.UseStates[i], kSatUsed) << list.Entries[i].Number;
        }
    }
    // The next GSV block right after the GSA block ends both before it replaces the table.
    h.Feed("$GPGSV,1,1,02,05,40,047,40,12,22,062,35");
    h.Feed(Gsa("GP", {"12"}));
    h.Feed(Gsa("GN", {"05"}));
    h.Feed("$GPGSV,1,1,01,07,10,100,20");
    const SatDisplayList& list = h.Decoder.DisplayList();
    ASSERT_EQ(list.EntryCount, 2);
    EXPECT_EQ(list.UsedCount, 2);
    EXPECT_EQ(list.UseStates[0], kSatUsed);
    EXPECT_EQ(list.UseStates[1], kSatUsed);
    EXPECT_EQ(h.Decoder.Sats().Entries[0].Number, 7) << "the new block is collected";
}

TEST(DecodeGsa, UsedListStopsAtFortyFourSatellites) {
    DecoderHarness h;
    for (int i = 0; i < 4; ++i) {
        std::vector<std::string> twelve;
        for (int k = 1; k <= 12; ++k) twelve.push_back(std::to_string(100 + 12 * i + k));
        h.Feed(Gsa("GP", twelve));
    }
    EXPECT_EQ(h.Decoder.Gsa().UsedCount, 44);
    EXPECT_EQ(h.Decoder.GsaUsedOffset(), 44);
    for (int k = 0; k < 44; ++k) EXPECT_EQ(h.Decoder.Gsa().UsedSatellites[k], 101 + k);
}

TEST(DecodeGsa, ASatelliteListedAgainInTheBlockCountsOnce) {
    // $GPGSA, then a $GNGSA repeating its satellites, then one with the GLONASS satellites.
    DecoderHarness h;
    h.Feed(Gsa("GP", {"02", "04", "06"}));
    h.Feed(Gsa("GN", {"02", "04", "06"}));
    h.Feed(Gsa("GN", {"70", "72", "04"}));
    EXPECT_EQ(h.Decoder.Gsa().UsedCount, 5);
    EXPECT_EQ(UsedList(h.Decoder), (std::vector<int16_t>{2, 4, 6, 70, 72}));
}

TEST(DecodeGsa, OtherFormsAreIgnoredAndNewBlocksStartAfterOtherKinds) {
    DecoderHarness h;
    h.Feed(Gsa("GP", {"01", "02"}));
    ASSERT_EQ(h.Decoder.Gsa().UsedCount, 2);
    // 17 delimiters: ignored, but still a GSA kind for the dispatch.
    EXPECT_EQ(h.Feed("$GPGSA,A,3,01,02,,,,,,,,,,,1.0,0.8"), SentenceKind::GpGsa);
    EXPECT_EQ(h.Decoder.Gsa().UsedCount, 2);
    EXPECT_EQ(h.Decoder.GsaBlockCount(), 1);

    h.Feed("$GPGGA,120000,4807.0,N,01131.0,E,1,04,0.9,1.0,M,0.0,M,,");
    // The GSA block ended at the GGA: its used count went to the display list.
    EXPECT_EQ(h.Decoder.DisplayList().UsedCount, 2);
    h.Feed(Gsa("GN", {"03"}));
    EXPECT_EQ(UsedList(h.Decoder), std::vector<int16_t>{3});
    EXPECT_EQ(h.Decoder.GsaBlockCount(), 1);
    EXPECT_EQ(h.Decoder.Gsa().SelectionMode, 'A');
    EXPECT_EQ(h.Decoder.Gsa().FixMode, 3);
    EXPECT_DOUBLE_EQ(h.Decoder.Gsa().Vdop, 0.6);
}

}  // namespace
}  // namespace gnss
