// The decoding steps of the receive path, driven through the port on virtual time.
#include "link/receive_pipeline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/virtual_time.h"
#include "doubles/scripted_prompts.h"
#include "link/memory_receiver_port.h"
#include "nmea/nmea_checksum.h"

namespace gnss {
namespace {

std::string Sentence(std::string_view body) {
    return std::string(body) + NmeaChecksumSuffix(body) + "\r\n";
}

// A connected receive path already carrying NMEA, at a tick far from 0 (as a real system tick),
// with the fixture listening to what it decodes.
struct ReceivePipelineTest : ::testing::Test, LineListener, SatelliteListener {
    ReceivePipelineTest() {
        port.SetBaudRate(115200);
        port.Open();
        p.Shared.PortOpen = true;
        p.Dispatcher.SetLinkState(LinkState::Nmea);
        p.Dispatcher.EnableProcessingTimer();
        p.Dispatcher.AddListener(*this);
    }

    void OnSentenceDecoded(SentenceKind kind, std::string_view) override { kinds.push_back(kind); }
    void OnGsaBlockEnded() override { ++gsaEnded; }
    void OnSatellitesRebuilt() override { ++rebuilt; }
    void OnSatellitesRefresh() override { ++refreshed; }

    // The sentences arrive, then one processing tick passes.
    void Tick(const std::vector<std::string>& bodies) {
        std::string bytes;
        for (const auto& body : bodies) bytes += Sentence(body);
        port.Feed(bytes);
        time.Advance(ReceiveDispatcher::kProcessingIntervalMs);
    }

    VirtualTime time{VirtualTime::Options{.StartTickMs = 1'000'000}};
    MemoryReceiverPort port;
    testing::ScriptedPrompts prompts;
    ReceivePipeline p{port, time, time, prompts};
    int rebuilt = 0;
    int refreshed = 0;
    int gsaEnded = 0;
    std::vector<SentenceKind> kinds;
};

const std::vector<std::string> kGsvBlock = {
    "$GPGSV,2,1,05,12,45,120,40,05,30,060,35,25,10,300,00,02,60,200,42",
    "$GPGSV,2,2,05,29,05,010,20",
    "$GLGSV,1,1,02,70,50,100,38,65,20,220,30",
};
const std::string kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";
const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";

TEST_F(ReceivePipelineTest, GsvBlockAcrossConstellationsIsRebuiltOnceAtTheNextSentence) {
    Tick(kGsvBlock);
    EXPECT_EQ(rebuilt, 0);  // the block may go on
    EXPECT_EQ(p.Decoder.Sats().CollectionState, kGsvGroupComplete);

    Tick({kRmc, kGga});
    EXPECT_EQ(rebuilt, 1);
    EXPECT_EQ(p.Decoder.Sats().CollectionState, kGsvBlockComplete);
    const SatDisplayList& list = p.Decoder.DisplayList();
    EXPECT_EQ(list.InView, 7);
    ASSERT_EQ(list.EntryCount, 7);
    const std::vector<int> expected = {2, 5, 12, 25, 29, 65, 70};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(list.Entries[i].Number, expected[i]) << i;
    }
    EXPECT_EQ(list.UseStates[3], kSatInView);  // satellite 25 has C/No 0
    EXPECT_EQ(list.UseStates[0], kSatTracked);
}

TEST_F(ReceivePipelineTest, GsaBlockEndCopiesTheUsedCountAndMarksUsedSatellites) {
    // Two GNGSA of one block: the second continues the first because the pipeline passes the
    // previous kind along.
    Tick({"$GNGSA,A,3,12,05,02,,,,,,,,,,1.5,0.9,1.2", "$GNGSA,A,3,70,65,,,,,,,,,,,1.5,0.9,1.2"});
    EXPECT_EQ(gsaEnded, 0);
    EXPECT_EQ(p.Decoder.Gsa().UsedCount, 5);
    EXPECT_EQ(p.Receiver.FixMode, 3);

    Tick(kGsvBlock);
    EXPECT_EQ(gsaEnded, 1);
    EXPECT_EQ(p.Decoder.DisplayList().UsedCount, 5);

    Tick({kRmc});
    ASSERT_EQ(rebuilt, 1);
    const SatDisplayList& list = p.Decoder.DisplayList();
    EXPECT_EQ(list.UsedCount, 5);
    const std::vector<uint8_t> states = {kSatUsed,    kSatUsed, kSatUsed, kSatInView,
                                         kSatTracked, kSatUsed, kSatUsed};
    for (std::size_t i = 0; i < states.size(); ++i) EXPECT_EQ(list.UseStates[i], states[i]) << i;
    EXPECT_EQ(p.Decoder.Gsa().UsedCount, 0);  // consumed by the rebuild
}

TEST_F(ReceivePipelineTest, SatelliteRefreshIsLimitedToOnePer400Ms) {
    struct Step {
        uint32_t waitMs;
        int rebuilt;
        int refreshed;
    };
    const Step steps[] = {
        {0, 1, 1},    // first block: refreshed
        {0, 2, 1},    // 70 ms later: rebuilt, not refreshed
        {260, 3, 1},  // 400 ms after the refresh: still too early
        {0, 4, 2},    // 470 ms after it
    };
    for (const Step& step : steps) {
        time.Advance(step.waitMs);
        std::vector<std::string> block = kGsvBlock;
        block.push_back(kRmc);
        Tick(block);
        EXPECT_EQ(rebuilt, step.rebuilt);
        EXPECT_EQ(refreshed, step.refreshed);
    }
}

TEST_F(ReceivePipelineTest, MonitorPauseStopsTheRefreshButNotTheRebuild) {
    p.Shared.MonitorPaused = true;
    std::vector<std::string> block = kGsvBlock;
    block.push_back(kRmc);
    Tick(block);
    EXPECT_EQ(rebuilt, 1);
    EXPECT_EQ(refreshed, 0);
    EXPECT_EQ(p.Decoder.Sats().CollectionState, kGsvBlockComplete);
    EXPECT_EQ(p.Decoder.DisplayList().EntryCount, 7);

    p.Shared.MonitorPaused = false;
    time.Advance(500);
    Tick(block);
    EXPECT_EQ(refreshed, 1);
}

TEST_F(ReceivePipelineTest, EmptyRmcClearsTheFixThatAValidRmcSet) {
    Tick({kRmc});
    EXPECT_TRUE(p.Receiver.FixValid);
    port.Feed("$GPRMC,,*4B\r\n");
    time.Advance(ReceiveDispatcher::kProcessingIntervalMs);
    EXPECT_FALSE(p.Receiver.FixValid);
    EXPECT_EQ(kinds.back(), SentenceKind::Rmc);
}

TEST_F(ReceivePipelineTest, DecodedKindsReachTheListenerAndTheCounters) {
    port.Feed("$GPGGA,bad*00\r\njunk\r\n");
    Tick({kGga});
    EXPECT_EQ(kinds, (std::vector<SentenceKind>{SentenceKind::None, SentenceKind::None,
                                                SentenceKind::Gga}));
    const ReceiveCounters& counters = p.Dispatcher.Counters();
    EXPECT_EQ(counters.PrevKind, SentenceKind::Gga);
    EXPECT_TRUE(counters.KindsSeen[SentenceKind::Gga]);
    EXPECT_TRUE(counters.NewSentenceFlag);
    // The time of the computer in UTC, taken right after the GGA.
    EXPECT_EQ(p.Receiver.ReceiverUtcTime, time.NowUtc());
    EXPECT_EQ(p.Decoder.Gga().SatellitesUsed, 8);
}

TEST_F(ReceivePipelineTest, ConnectResetReturnsTheDecodingSideToItsStart) {
    p.Receiver.SecondsCounter = 7;
    Tick({"$GNGSA,A,3,12,05,02,,,,,,,,,,1.5,0.9,1.2",
          "$GPGGA,123519,4807.038,N,01131.000,E,2,08,0.9,545.4,M,46.9,M,3.0,0042",
          "$BDGSV,1,1,01,07,45,120,40", "$GAGSV,1,1,01,07,45,120,40"});
    Tick({kRmc});
    ASSERT_TRUE(p.Decoder.BdsGsvSeen());
    ASSERT_TRUE(p.Decoder.GalileoGsvSeen());
    ASSERT_EQ(p.Receiver.DgpsStationText, "0042");
    ASSERT_EQ(p.Receiver.LastGgaSecond, 7);

    p.ResetForConnect();
    EXPECT_FALSE(p.Decoder.BdsGsvSeen());
    EXPECT_FALSE(p.Decoder.GalileoGsvSeen());
    EXPECT_EQ(p.Receiver.FixMode, 0);
    EXPECT_FALSE(p.Receiver.FixValid);
    EXPECT_EQ(p.Receiver.DgpsStationText, "");
    EXPECT_EQ(p.Receiver.LastGgaSecond, 0);
    EXPECT_FLOAT_EQ(p.Receiver.Pdop, ReceiverState::kDopNotReported);
    EXPECT_FLOAT_EQ(p.Receiver.Hdop, ReceiverState::kDopNotReported);
    EXPECT_EQ(p.Decoder.DisplayList().EntryCount, 0);
    EXPECT_EQ(p.Decoder.Sats().CollectionState, kGsvEmpty);
    EXPECT_EQ(p.Decoder.Gga().SatellitesUsed, 0);
}

}  // namespace
}  // namespace gnss
