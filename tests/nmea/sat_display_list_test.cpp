#include "nmea/sat_display_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "decoder_harness.h"

namespace gnss {
namespace {

using testing::DecoderHarness;

TEST(SatDisplayList, SortsByNumberKeepingTableOrderForEqualNumbers) {
    SatTable table;
    table.InView = 5;
    table.Entries[0] = {67, 10, 1, 30, 0};
    table.Entries[1] = {5, 20, 2, 0, 0};
    table.Entries[2] = {67, 30, 3, 31, 0};
    table.Entries[3] = {-1, 40, 4, 32, 0};
    table.Entries[4] = {201, 50, 5, 33, 0};
    table.Entries[5] = {1, 60, 6, 34, 0};  // beyond the in-view count: not sorted in
    GsaRecord gsa;
    gsa.UsedSatellites[0] = 201;
    gsa.UsedSatellites[1] = 0;
    SatDisplayList list;
    BuildSatDisplayList(list, table, gsa, 7);
    EXPECT_EQ(list.EntryCount, 5);
    EXPECT_EQ(list.UsedCount, 7);
    std::vector<int> order;
    for (int i = 0; i < 6; ++i) order.push_back(list.Entries[i].Azimuth);
    EXPECT_EQ(order, (std::vector<int>{4, 2, 1, 3, 5, 6}));
    EXPECT_EQ(std::vector<uint8_t>(list.UseStates.begin(), list.UseStates.begin() + 6),
              (std::vector<uint8_t>{kSatTracked, kSatInView, kSatTracked, kSatTracked, kSatUsed,
                                    kSatNoState}));
}

TEST(SatDisplayList, NumberZeroIsNeverUsedAndInViewIsLimitedToTheTable) {
    SatTable table;
    table.InView = 60;
    GsaRecord gsa;  // all zeros
    SatDisplayList list;
    BuildSatDisplayList(list, table, gsa, 0);
    EXPECT_EQ(list.EntryCount, 44);
    EXPECT_EQ(list.InView, 60);
    EXPECT_EQ(list.UseStates[0], kSatInView);
    table.InView = -4;
    BuildSatDisplayList(list, table, gsa, 0);
    EXPECT_EQ(list.EntryCount, 0);
}

TEST(SatDisplayList, RebuildAtTheEndOfAGsvBlockUsesTheGsaListAndResetsItsCount) {
    DecoderHarness h;
    h.Feed("$GPGSA,A,3,13,05,,,,,,,,,,,1.0,0.8,0.6");
    h.Feed("$GPGSV,1,1,03,13,22,062,31,10,29,224,,05,01,047,23");
    EXPECT_EQ(h.Decoder.DisplayList().UsedCount, 2);  // the GSA block ended at the GSV
    EXPECT_EQ(h.Decoder.DisplayList().EntryCount, 0);
    h.Feed("$GPRMC,1,A,4807.0,N,01131.0,E,0.0,1,230394,,,A");
    const SatDisplayList& list = h.Decoder.DisplayList();
    EXPECT_EQ(list.EntryCount, 3);
    EXPECT_EQ(list.UsedCount, 2);
    EXPECT_EQ(list.Entries[0].Number, 5);
    EXPECT_EQ(list.Entries[1].Number, 10);
    EXPECT_EQ(list.Entries[2].Number, 13);
    EXPECT_EQ(list.UseStates[0], kSatUsed);
    EXPECT_EQ(list.UseStates[1], kSatInView);
    EXPECT_EQ(list.UseStates[2], kSatUsed);
    EXPECT_EQ(h.Decoder.Gsa().UsedCount, 0);
    EXPECT_EQ(h.Decoder.Sats().CollectionState, kGsvBlockComplete);
    // A block is rebuilt once.
    EXPECT_FALSE(
        h.Decoder.CloseEndedBlocks(SentenceKind::Rmc, SentenceKind::Rmc).SatellitesRebuilt);
}

TEST(SatDisplayList, BdsUsedNumbersMatchTheShiftedGsvNumbers) {
    DecoderHarness h;
    h.Family = ReceiverFamily::MTK;
    h.Feed("$BDGSA,A,3,07,14,,,,,,,,,,,1.0,0.8,0.6");
    h.Feed("$BDGSV,1,1,02,07,22,062,31,14,29,224,40");
    h.Feed("$GPRMC,1,A,4807.0,N,01131.0,E,0.0,1,230394,,,A");
    EXPECT_EQ(h.Decoder.DisplayList().Entries[0].Number, 207);
    EXPECT_EQ(h.Decoder.DisplayList().UseStates[0], kSatUsed);
    EXPECT_EQ(h.Decoder.DisplayList().UseStates[1], kSatUsed);
}

}  // namespace
}  // namespace gnss
