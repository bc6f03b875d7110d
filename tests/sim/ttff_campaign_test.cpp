// Restart campaigns through the application core against simulated receivers on virtual time:
// every run ends with one outcome, the statistics and exports follow the runs, and a receiver
// that goes away or never fixes does not stop the campaign or pass for a fix.

#include "testruns/ttff_campaign.h"

#include <gtest/gtest.h>

#include <string>

#include "sim/app_core_station.h"

namespace gnss {
namespace {

using gnss::testing::AppCoreStation;

sim::SimConfig Quick(const std::string& family) {
    sim::SimConfig config;
    config.Family = family;
    config.HotMs = 1500;
    config.WarmMs = 2500;
    config.ColdMs = 3500;
    config.FactoryMs = 4500;
    config.JitterMs = 1000;
    return config;
}

CampaignSettings Settings(std::vector<RestartKind> kinds, int runs, uint32_t timeoutMs = 20000) {
    CampaignSettings settings;
    settings.Kinds = std::move(kinds);
    settings.Runs = runs;
    settings.TimeoutMs = timeoutMs;
    settings.PauseMs = 500;
    return settings;
}

void RunCampaign(AppCoreStation& s, int limitMs = 600000) {
    for (int t = 0; t < limitMs && s.core.Campaign.Running(); t += 100) s.time.Advance(100);
}

TEST(TtffCampaign, KindsInTurnWithStatisticsAndExports) {
    AppCoreStation s(Quick("mtk"));
    ASSERT_TRUE(s.Identify());
    EXPECT_TRUE(s.core.Campaign.CanStart());
    ASSERT_TRUE(s.core.Campaign.Start(Settings({RestartKind::Hot, RestartKind::Cold}, 6)));
    RunCampaign(s);
    ASSERT_FALSE(s.core.Campaign.Running());
    const auto& runs = s.core.Campaign.Runs();
    ASSERT_EQ(runs.size(), 6u);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].Number, static_cast<int>(i) + 1);
        EXPECT_EQ(runs[i].Kind, i % 2 == 0 ? RestartKind::Hot : RestartKind::Cold);
        EXPECT_EQ(runs[i].Outcome, RunOutcome::Fix);
        EXPECT_TRUE(runs[i].AckSeen);
        EXPECT_TRUE(runs[i].FixDropped);
        EXPECT_TRUE(runs[i].TtffFromAck);
        EXPECT_GT(runs[i].FromCommandMs, runs[i].TtffMs);  // the command precedes its ack
        EXPECT_GT(runs[i].SatellitesUsed, 3);
        EXPECT_TRUE(runs[i].HasPosition);
        EXPECT_LT(runs[i].DistanceFromMedianM, 1.0);  // a receiver that does not move
    }
    const auto summary = s.core.Campaign.Summary();
    ASSERT_EQ(summary.size(), 2u);
    EXPECT_EQ(summary[1].Kind, RestartKind::Cold);
    EXPECT_EQ(summary[1].Runs, 3);
    EXPECT_EQ(summary[1].Fixes, 3);
    EXPECT_LE(summary[1].MinMs, summary[1].MedianMs);
    EXPECT_LE(summary[1].MedianMs, summary[1].MaxMs);
    EXPECT_LE(summary[1].P95Ms, summary[1].MaxMs);
    EXPECT_GT(summary[1].MeanMs, summary[0].MeanMs);  // cold takes longer than hot

    const std::string csv = CampaignCsv(s.core.Campaign);
    EXPECT_NE(csv.find("# receiver: MTK, firmware: "), std::string::npos);
    EXPECT_NE(csv.find("\n6,cold,"), std::string::npos);
    EXPECT_NE(csv.find("\ncold,3,3,0,"), std::string::npos);
    const std::string json = CampaignJson(s.core.Campaign);
    EXPECT_EQ(json.rfind("{\"settings\":{\"kinds\":[\"hot\",\"cold\"],\"runs\":6,", 0), 0u);
    EXPECT_NE(json.find("\"outcome\":\"fix\""), std::string::npos);
}

TEST(TtffCampaign, TimeoutsFailuresAndStopOnFirstFailure) {
    sim::SimConfig never = Quick("mtk");
    never.ColdMs = 600000;  // never fixes within the limit
    AppCoreStation s(never);
    ASSERT_TRUE(s.Identify());
    CampaignSettings settings = Settings({RestartKind::Cold}, 3, 8000);
    ASSERT_TRUE(s.core.Campaign.Start(settings));
    RunCampaign(s);
    ASSERT_EQ(s.core.Campaign.Runs().size(), 3u);
    for (const CampaignRun& run : s.core.Campaign.Runs()) {
        EXPECT_EQ(run.Outcome, RunOutcome::Timeout);
        EXPECT_FALSE(run.HasTtff);
    }
    EXPECT_EQ(s.core.Campaign.Summary()[0].Failures, 3);

    settings.StopOnFirstFailure = true;
    ASSERT_TRUE(s.core.Campaign.Start(settings));
    RunCampaign(s);
    EXPECT_EQ(s.core.Campaign.Runs().size(), 1u);

    // A receiver that restarts without a word: no acknowledgement, and no fix in time.
    sim::SimConfig mute = never;
    mute.Faults.NeverAck = true;
    AppCoreStation m(mute);
    ASSERT_TRUE(m.Identify());
    ASSERT_TRUE(m.core.Campaign.Start(Settings({RestartKind::Cold}, 1, 8000)));
    RunCampaign(m);
    ASSERT_EQ(m.core.Campaign.Runs().size(), 1u);
    EXPECT_EQ(m.core.Campaign.Runs()[0].Outcome, RunOutcome::NoAcknowledgement);
}

TEST(TtffCampaign, ALostLinkCountsTheRunAndTheCampaignGoesOnAfterTheReconnect) {
    AppCoreStation s(Quick("mtk"));
    ASSERT_TRUE(s.Identify());
    ASSERT_TRUE(s.core.Campaign.Start(Settings({RestartKind::Cold}, 3)));
    s.time.Advance(1000);
    s.core.ToolButtonClicked(ToolButton::Connect, false);  // the cable is pulled mid-run
    s.time.Advance(500);
    ASSERT_EQ(s.core.Campaign.Runs().size(), 1u);
    EXPECT_EQ(s.core.Campaign.Runs()[0].Outcome, RunOutcome::LinkLost);
    EXPECT_TRUE(s.core.Campaign.Running());
    s.time.Advance(5000);
    EXPECT_EQ(s.core.Campaign.Runs().size(), 1u);  // waits for the receiver
    s.core.ToolButtonClicked(ToolButton::Connect, false);
    RunCampaign(s);
    ASSERT_EQ(s.core.Campaign.Runs().size(), 3u);
    EXPECT_EQ(s.core.Campaign.Runs()[1].Outcome, RunOutcome::Fix);
    EXPECT_EQ(s.core.Campaign.Runs()[2].Outcome, RunOutcome::Fix);
}

TEST(TtffCampaign, RefusedKindsAndReceiversThatCannotRestart) {
    AppCoreStation sirf(Quick("sirf4"));
    ASSERT_TRUE(sirf.Identify());
    ASSERT_TRUE(sirf.core.Campaign.Start(Settings({RestartKind::Factory}, 2)));
    RunCampaign(sirf);
    ASSERT_EQ(sirf.core.Campaign.Runs().size(), 2u);
    EXPECT_EQ(sirf.core.Campaign.Runs()[0].Outcome, RunOutcome::NotSent);

    sim::SimConfig plain;
    plain.Family = "plain";
    AppCoreStation p(plain);
    p.Connect();
    p.time.Advance(15000);
    EXPECT_FALSE(p.core.Campaign.CanStart());
    EXPECT_FALSE(p.core.Campaign.Start(Settings({RestartKind::Cold}, 1)));
}

}  // namespace
}  // namespace gnss
