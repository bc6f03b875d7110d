#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder_harness.h"

namespace gnss {
namespace {

using testing::DecoderHarness;

constexpr const char* kRmc = "$GPRMC,1,A,4807.0,N,01131.0,E,0.0,1,230394,,,A";

std::vector<int16_t> Numbers(const SatTable& table, int count) {
    std::vector<int16_t> numbers;
    for (int i = 0; i < count; ++i) numbers.push_back(table.Entries[i].Number);
    return numbers;
}

TEST(DecodeGsv, GathersGroupsOfSeveralConstellationsInArrivalOrder) {
    DecoderHarness h;
    h.Feed(kRmc);
    h.Feed("$GPGSV,2,1,05,05,01,047,23,10,29,224,,13,22,062,31,15,40,094,40");
    EXPECT_EQ(h.Decoder.Sats().CollectionState, kGsvGroupInProgress);
    EXPECT_EQ(h.Decoder.Sats().InView, 5);
    h.Feed("$GPGSV,2,2,05,16,25,306,30");
    EXPECT_EQ(h.Decoder.Sats().CollectionState, kGsvGroupComplete);
    h.Feed("$GLGSV,1,1,02,66,09,027,,67,56,054,40");
    const SatTable& t = h.Decoder.Sats();
    EXPECT_EQ(t.CollectionState, kGsvGroupComplete);
    EXPECT_EQ(t.InView, 7);
    EXPECT_EQ(h.Decoder.GsvInViewTotal(), 7);
    EXPECT_EQ(t.TalkerLetter, 'L');
    EXPECT_EQ(Numbers(t, 8), (std::vector<int16_t>{5, 10, 13, 15, 16, 66, 67, 0}));
    EXPECT_EQ(t.Entries[0], (SatEntry{5, 1, 47, 23, 0}));
    EXPECT_EQ(t.Entries[6], (SatEntry{67, 56, 54, 40, 0}));

    h.Feed(kRmc);  // the block is over
    EXPECT_EQ(h.Decoder.Sats().CollectionState, kGsvBlockComplete);
    EXPECT_EQ(h.Decoder.DisplayList().EntryCount, 7);

    // The next epoch starts a new block.
    h.Feed("$GLGSV,1,1,01,70,09,027,20");
    EXPECT_EQ(Numbers(h.Decoder.Sats(), 2), (std::vector<int16_t>{70, 0}));
    EXPECT_EQ(h.Decoder.Sats().InView, 1);
}

TEST(DecodeGsv, JoinInTheMiddleOfAGroupSkipsThatTalkerUntilTheNextBlock) {
    DecoderHarness h;  // first sentence after connecting
    h.Feed("$GPGSV,3,2,09,16,25,306,30,18,68,358,39,20,63,235,37,21,35,292,35");
    EXPECT_EQ(h.Decoder.GsvSkipTalker(), 'P');
    EXPECT_EQ(h.Decoder.Sats().CollectionState, kGsvEmpty);
    h.Feed("$GPGSV,3,3,09,23,58,225,20");
    EXPECT_EQ(h.Decoder.Sats().CollectionState, kGsvEmpty);
    h.Feed("$GLGSV,1,1,02,66,09,027,,67,56,054,40");
    EXPECT_EQ(h.Decoder.GsvSkipTalker(), '\0');
    EXPECT_EQ(h.Decoder.Sats().CollectionState, kGsvGroupComplete);
    EXPECT_EQ(Numbers(h.Decoder.Sats(), 3), (std::vector<int16_t>{66, 67, 0}));
    EXPECT_EQ(h.Decoder.Sats().InView, 2);
}

TEST(DecodeGsv, SkippedTalkerIsIgnoredWhileTheBlockLasts) {
    DecoderHarness h;
    h.Feed("$GPGSV,2,2,05,16,25,306,30");
    h.Feed("$GPGSV,2,1,05,05,01,047,23,10,29,224,,13,22,062,31,15,40,094,40");
    EXPECT_EQ(h.Decoder.Sats().CollectionState, kGsvEmpty);
    h.Feed(kRmc);
    h.Feed("$GPGSV,1,1,01,05,01,047,23");
    EXPECT_EQ(h.Decoder.Sats().CollectionState, kGsvGroupComplete);
    EXPECT_EQ(h.Decoder.Sats().Entries[0].Number, 5);
}

TEST(DecodeGsv, OutOfSequenceMessagesMarkAnErrorUntilTheNextMessageOne) {
    DecoderHarness h;
    h.Feed(kRmc);
    h.Feed("$GPGSV,3,1,09,05,01,047,23,10,29,224,,13,22,062,31,15,40,094,40");
    h.Feed("$GPGSV,3,3,09,23,58,225,20");
    EXPECT_EQ(h.Decoder.Sats().CollectionState, kGsvSequenceError);
    h.Feed("$GPGSV,3,2,09,16,25,306,30,18,68,358,39,20,63,235,37,21,35,292,35");
    EXPECT_EQ(h.Decoder.Sats().CollectionState, kGsvSequenceError);
    EXPECT_EQ(h.Decoder.Sats().Entries[4].Number, 0);
    h.Feed(kRmc);  // an error is not a finished block
    EXPECT_EQ(h.Decoder.Sats().CollectionState, kGsvSequenceError);
    EXPECT_EQ(h.Decoder.DisplayList().EntryCount, 0);
    h.Feed("$GPGSV,1,1,01,05,01,047,23");
    EXPECT_EQ(h.Decoder.Sats().CollectionState, kGsvGroupComplete);
}

TEST(DecodeGsv, SecondSignalGroupsFillOnlyTheSecondCno) {
    DecoderHarness h;
    h.Feed(kRmc);
    h.Feed("$GPGSV,1,1,03,05,01,047,23,10,29,224,,13,22,062,31,1");
    h.Feed("$GPGSV,1,1,02,13,22,062,45,05,01,047,38,8");
    const SatTable& t = h.Decoder.Sats();
    EXPECT_EQ(t.InView, 3);
    EXPECT_EQ(t.Entries[0], (SatEntry{5, 1, 47, 23, 38}));
    EXPECT_EQ(t.Entries[1], (SatEntry{10, 29, 224, 0, 0}));
    EXPECT_EQ(t.Entries[2], (SatEntry{13, 22, 62, 31, 45}));
    EXPECT_EQ(t.Entries[3].Number, 0);
    EXPECT_EQ(t.CollectionState, kGsvGroupComplete);
}

TEST(DecodeGsv, SatellitesSeenOnlyInASecondSignalEnterWithTheirCno) {
    DecoderHarness h;
    h.Feed(kRmc);
    // u-blox F9 sends the Galileo E5b group before the E1 group.
    h.Feed("$GAGSV,1,1,02,04,77,354,21,06,59,286,37,2");
    EXPECT_EQ(h.Decoder.Sats().Entries[0], (SatEntry{304, 77, 354, 21, 0}));
    EXPECT_EQ(h.Decoder.Sats().Entries[1], (SatEntry{306, 59, 286, 37, 0}));
    EXPECT_EQ(h.Decoder.Sats().InView, 2);
    // The primary signal arriving later takes the first C/No; the E5b one moves to the second.
    h.Feed("$GAGSV,1,1,02,04,77,354,27,06,59,286,43,7");
    EXPECT_EQ(h.Decoder.Sats().Entries[0], (SatEntry{304, 77, 354, 27, 21}));
    EXPECT_EQ(h.Decoder.Sats().Entries[1], (SatEntry{306, 59, 286, 43, 37}));
    EXPECT_EQ(h.Decoder.Sats().Entries[2].Number, 0);
    EXPECT_EQ(h.Decoder.Sats().InView, 2);

    // A BeiDou receiver reporting B1C only, the satellites listed as used by GSA.
    DecoderHarness b;
    b.Feed("$GNGSA,A,3,19,,,,,,,,,,,,1.5,0.9,1.2,4");
    b.Feed("$GPGSV,1,1,01,05,01,047,23,1");
    b.Feed("$GBGSV,1,1,02,19,45,120,38,20,30,200,33,3");
    b.Feed(kRmc);
    const SatDisplayList& list = b.Decoder.DisplayList();
    ASSERT_EQ(list.EntryCount, 3);
    EXPECT_EQ(list.Entries[1], (SatEntry{219, 45, 120, 38, 0}));
    EXPECT_EQ(list.UseStates[1], kSatUsed);
    EXPECT_EQ(list.Entries[2], (SatEntry{220, 30, 200, 33, 0}));
    EXPECT_EQ(list.UseStates[2], kSatTracked);
}

TEST(DecodeGsv, AGroupRepeatingCollectedSatellitesIsAFurtherSignalOfThem) {
    DecoderHarness h;
    h.Feed("$GNGSA,A,3,01,03,,,,,,,,,,,1.5,0.9,1.2,4");
    h.Feed("$GPGSV,1,1,01,05,01,047,23,1");
    // u-blox F9 in NMEA 4.10 mode: each BeiDou group once with signal id 1, then again for the
    // same satellites with the signal-id field present but empty.
    h.Feed("$GBGSV,2,1,06,01,29,321,40,03,12,292,35,04,37,345,38,08,49,229,41,1");
    h.Feed("$GBGSV,2,2,06,10,20,100,30,11,05,050,,1");
    h.Feed("$GBGSV,2,1,06,01,29,321,,03,12,292,,04,37,345,,08,49,229,,");
    h.Feed("$GBGSV,2,2,06,10,20,100,,11,05,050,,");
    const SatTable& t = h.Decoder.Sats();
    EXPECT_EQ(t.InView, 7);
    EXPECT_EQ(Numbers(t, 8), (std::vector<int16_t>{5, 201, 203, 204, 208, 210, 211, 0}));
    EXPECT_EQ(t.Entries[1], (SatEntry{201, 29, 321, 40, 0}));
    EXPECT_EQ(t.CollectionState, kGsvGroupComplete);

    // A repeat with more satellites than the first group adds only the new ones.
    h.Feed("$GBGSV,1,1,02,04,37,345,30,14,10,010,25,5");
    EXPECT_EQ(h.Decoder.Sats().InView, 8);
    EXPECT_EQ(h.Decoder.Sats().Entries[3], (SatEntry{204, 37, 345, 38, 30}));
    EXPECT_EQ(h.Decoder.Sats().Entries[7], (SatEntry{214, 10, 10, 25, 0}));

    h.Feed(kRmc);
    const SatDisplayList& list = h.Decoder.DisplayList();
    EXPECT_EQ(list.InView, 8);
    EXPECT_EQ(list.UsedCount, 2);
    int used = 0;
    for (int i = 0; i < list.EntryCount; ++i) used += list.UseStates[i] == kSatUsed ? 1 : 0;
    EXPECT_EQ(used, 2) << "used flags match the used count";
}

struct SignalCase {
    const char* Talker;
    const char* SignalId;
    bool Second;
};

class SignalIdTest : public ::testing::TestWithParam<SignalCase> {};

TEST_P(SignalIdTest, DecidesWhetherAGroupIsASecondSignal) {
    const auto& c = GetParam();
    DecoderHarness h;
    h.Feed(kRmc);
    const std::string gsv = std::string("$") + c.Talker + "GSV,1,1,01,";
    h.Feed(gsv + "05,01,047,23");
    // Satellite 07 first seen in the group under test, then in a group without a signal id:
    // the primary signal's C/No comes first.
    h.Feed(gsv + "07,20,100,40," + c.SignalId);
    h.Feed(gsv + "07,20,100,30");
    const SatEntry& entry = h.Decoder.Sats().Entries[1];
    EXPECT_EQ(entry.Number, h.Decoder.Sats().Entries[0].Number + 2);
    EXPECT_EQ(entry.Cno, c.Second ? 30 : 40);
    EXPECT_EQ(entry.SecondCno, c.Second ? 40 : 30);
    EXPECT_EQ(h.Decoder.Sats().Entries[2].Number, 0);
    EXPECT_EQ(h.Decoder.Sats().InView, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, SignalIdTest,
    ::testing::Values(SignalCase{"GP", "1", false}, SignalCase{"GP", "0", false},
                      SignalCase{"GP", "2", true}, SignalCase{"GP", "8", true},
                      SignalCase{"GP", "9", true}, SignalCase{"GP", "12", false},
                      SignalCase{"GP", "", false}, SignalCase{"GL", "3", true},
                      SignalCase{"GB", "B", true}, SignalCase{"BD", "5", true},
                      // Galileo's primary signals are E1 (6, 7); E5a (1) is a second one.
                      SignalCase{"GA", "7", false}, SignalCase{"GA", "6", false},
                      SignalCase{"GA", "0", false}, SignalCase{"GA", "1", true},
                      SignalCase{"GA", "2", true}));

TEST(DecodeGsv, SatelliteNumbersMoveIntoTheProgramNumbering) {
    struct Case {
        const char* Talker;
        ReceiverFamily Family;
        int16_t First;   // from "07"
        int16_t Second;  // from "120"
    };
    const Case cases[] = {
        {"BD", ReceiverFamily::MTK, 207, 120}, {"BD", ReceiverFamily::Uni, 7, 120},
        {"GB", ReceiverFamily::Uni, 207, 120}, {"GA", ReceiverFamily::MTK, 307, 120},
        {"GI", ReceiverFamily::MTK, 407, 120}, {"GP", ReceiverFamily::MTK, 7, 120},
        {"GL", ReceiverFamily::MTK, 7, 120},   {"QZ", ReceiverFamily::MTK, 7, 120},
        {"GN", ReceiverFamily::MTK, 7, 120},
    };
    for (const auto& c : cases) {
        DecoderHarness h;
        h.Family = c.Family;
        h.Feed(std::string("$") + c.Talker + "GSV,1,1,02,07,10,100,30,120,11,110,31");
        EXPECT_EQ(h.Decoder.Sats().Entries[0].Number, c.First) << c.Talker;
        EXPECT_EQ(h.Decoder.Sats().Entries[1].Number, c.Second) << c.Talker;
    }
}

TEST(DecodeGsv, AShortSentenceInsideAGroupAddsOnlyTheSatellitesItHolds) {
    // Quectel LC79D: the middle sentence holds three satellites, the last one is the L5 group.
    DecoderHarness h;
    h.Feed(kRmc);
    h.Feed("$GPGSV,3,1,10,02,25,260,40,04,15,092,27,05,,,14,06,12,215,45");
    h.Feed("$GPGSV,3,2,10,07,80,137,44,09,53,089,27,30,55,211,49");
    h.Feed("$GPGSV,3,3,10,06,,,40,09,,,27,30,,,39,8");
    // No satellite made of the checksum after the three of the short sentence.
    EXPECT_EQ(Numbers(h.Decoder.Sats(), 8), (std::vector<int16_t>{2, 4, 5, 6, 7, 9, 30, 0}));
    EXPECT_EQ(h.Decoder.Sats().Entries[6], (SatEntry{30, 55, 211, 49, 39}));
    h.Feed("$GLGSV,1,1,02,74,20,191,42,70,38,115,43");
    h.Feed(kRmc);
    const SatDisplayList& list = h.Decoder.DisplayList();
    std::vector<int16_t> numbers;
    for (int i = 0; i < list.EntryCount; ++i) numbers.push_back(list.Entries[i].Number);
    EXPECT_EQ(numbers, (std::vector<int16_t>{2, 4, 5, 6, 7, 9, 30, 70, 74}));
}

TEST(DecodeGsv, TableHoldsAtMostFortyFourEntries) {
    DecoderHarness h;
    h.Feed(kRmc);
    // 12 messages of 4 satellites, claiming 48 in view.
    for (int n = 1; n <= 12; ++n) {
        std::string body = "$GPGSV,12," + std::to_string(n) + ",48";
        for (int j = 1; j <= 4; ++j) body += "," + std::to_string(4 * (n - 1) + j) + ",10,100,30";
        h.Feed(body);
    }
    const SatTable& t = h.Decoder.Sats();
    EXPECT_EQ(t.Entries[43].Number, 44);
    EXPECT_EQ(t.Entries[0].Number, 1);
    // The satellites beyond the table are dropped; the group still completes.
    EXPECT_EQ(t.CollectionState, kGsvGroupComplete);
    EXPECT_EQ(t.MessageNumber, 12);
    EXPECT_EQ(t.InView, 48);
    h.Feed(kRmc);
    EXPECT_EQ(h.Decoder.DisplayList().EntryCount, 44);
}

TEST(DecodeGsv, ALastConstellationCutAtTheTableEndIsStillShown) {
    DecoderHarness h;
    h.Feed(kRmc);
    // 32 GPS satellites, then 16 BeiDou: only 12 of them fit into the table.
    for (int n = 1; n <= 8; ++n) {
        std::string body = "$GPGSV,8," + std::to_string(n) + ",32";
        for (int j = 1; j <= 4; ++j) body += "," + std::to_string(4 * (n - 1) + j) + ",10,100,30";
        h.Feed(body);
    }
    for (int n = 1; n <= 4; ++n) {
        std::string body = "$GBGSV,4," + std::to_string(n) + ",16";
        for (int j = 1; j <= 4; ++j) body += "," + std::to_string(4 * (n - 1) + j) + ",20,200,35";
        h.Feed(body);
    }
    h.Feed(kRmc);
    const SatDisplayList& list = h.Decoder.DisplayList();
    EXPECT_EQ(list.EntryCount, 44);
    EXPECT_EQ(list.InView, 48);
    int beidou = 0;
    for (int i = 0; i < list.EntryCount; ++i) beidou += list.Entries[i].Number > 200 ? 1 : 0;
    EXPECT_EQ(beidou, 12);
}

TEST(DecodeGsv, ALyingLastMessageCannotWriteBeyondTheTable) {
    DecoderHarness h;
    h.Feed(kRmc);
    h.Feed("$GPGSV,1,1,99,05,01,047,23");
    const SatTable& t = h.Decoder.Sats();
    EXPECT_EQ(t.Entries[0].Number, 5);
    EXPECT_EQ(t.Entries[43].Number, 0);
    // Nothing is written past entry 44; the group ends with the count it claimed.
    EXPECT_EQ(t.CollectionState, kGsvGroupComplete);
    EXPECT_EQ(h.Decoder.GsvInViewTotal(), 99);
    h.Feed(kRmc);
    EXPECT_EQ(h.Decoder.DisplayList().EntryCount, 44);
}

TEST(DecodeGsv, EmptyAndMalformedGroups) {
    struct Case {
        const char* Body;
        uint8_t State;
    };
    const Case cases[] = {
        {"$GAGSV,1,1,00,0", kGsvGroupComplete},  // nothing in view
        {"$GPGSV,1,1,", kGsvGroupComplete},      // in view not a number
        {"$GPGSV,1,1,-3,05,01,047,23", kGsvGroupComplete},
        {"$GPGSV,x,1,01,05,01,047,23", kGsvEmpty},
        {"$GPGSV,1,0,01,05,01,047,23", kGsvEmpty},
        {"$GPGSV,0,1,01,05,01,047,23", kGsvEmpty},
        {"$GPGSV,1,1", kGsvEmpty},  // 3 delimiters
    };
    for (const auto& c : cases) {
        DecoderHarness h;
        h.Feed(kRmc);
        EXPECT_EQ(h.Feed(c.Body) != SentenceKind::None, true) << c.Body;
        EXPECT_EQ(h.Decoder.Sats().CollectionState, c.State) << c.Body;
        EXPECT_EQ(h.Decoder.Sats().Entries[0].Number, 0) << c.Body;
    }
}

}  // namespace
}  // namespace gnss
