// Every simulated receiver family identified, then restarted with each button through the
// application core: the simulator must recognise the command, acknowledge it, drop and regain
// its fix, and the verification must say so; refusals and silence are never called success.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "sim/app_core_station.h"
#include "sim/family_profiles.h"

namespace gnss {
namespace {

using Ack = RestartReport::Ack;
using Outcome = RestartReport::Outcome;

// Short reacquisition times keep the runs brief.
sim::SimConfig Quick(sim::SimConfig config) {
    config.HotMs = 2000;
    config.WarmMs = 3000;
    config.ColdMs = 4000;
    config.FactoryMs = 5000;
    return config;
}

struct Station : gnss::testing::AppCoreStation {
    explicit Station(const sim::SimConfig& config) : AppCoreStation(Quick(config)) {}
    bool Identify() {
        const bool identified = AppCoreStation::Identify();
        time.Advance(1000);
        return identified;
    }
    // Presses the button and runs until the verification ends (at most 60 s).
    const RestartReport& Restart(ToolButton button) {
        core.ToolButtonClicked(button, false);
        for (int i = 0; i < 600 && core.Verification.Running(); ++i) time.Advance(100);
        return core.Verification.Report();
    }
    sim::SimulatedReceiver& Receiver() { return *simulated; }
};

sim::SimConfig ConfigFor(const sim::FamilyProfile& profile) {
    sim::SimConfig config;
    config.Family = profile.Key;
    config.Variant = profile.Variant;
    return config;
}

bool TakesRestarts(const sim::FamilyProfile& profile) {
    for (const sim::CommandRule& rule : profile.Commands) {
        if (rule.Action == sim::CommandAction::Restart ||
            rule.Action == sim::CommandAction::StRestorePar) {
            return true;
        }
    }
    return false;
}

constexpr ToolButton kButtons[] = {ToolButton::HotStart, ToolButton::WarmStart,
                                   ToolButton::ColdStart, ToolButton::FactoryReset};

TEST(RestartEndToEnd, EveryFamilyTakesEveryOfferedRestartAndIsVerified) {
    int verified = 0;
    for (const sim::FamilyProfile& profile : sim::FamilyProfiles()) {
        if (profile.Family == ReceiverFamily::TMC || profile.Family == ReceiverFamily::Unknown) {
            continue;  // no restarts for these receivers
        }
        const std::string name = profile.Key + "/" + profile.Variant;
        Station s(ConfigFor(profile));
        ASSERT_TRUE(s.Identify()) << name;
        for (ToolButton button : kButtons) {
            if (!s.core.Window.Button(button).Enabled) continue;
            const int before = s.Receiver().RestartCount();
            const RestartReport& report = s.Restart(button);
            const std::string what = name + " " + std::string(RestartKindName(report.Kind));
            if (report.Result == Outcome::NotSent) continue;  // refused by the table
            if (report.WireBytes == "\r\n") {
                // Nothing to send for this family: said so, and nothing claimed.
                EXPECT_EQ(report.Acknowledgement, Ack::NotExpected) << what;
                EXPECT_NE(report.SummaryLine().find("nothing to send"), std::string::npos);
                EXPECT_EQ(s.Receiver().RestartCount(), before) << what;
                continue;
            }
            if (!TakesRestarts(profile)) {
                // A receiver that ignores the command is never reported as restarted.
                EXPECT_FALSE(report.Succeeded()) << what << " " << report.SummaryLine();
                continue;
            }
            EXPECT_GT(s.Receiver().RestartCount(), before) << what << ": not recognised";
            EXPECT_TRUE(report.CommandWritten) << what;
            EXPECT_NE(report.Acknowledgement, Ack::Missing) << what;
            EXPECT_NE(report.Acknowledgement, Ack::Refused) << what;
            EXPECT_TRUE(report.FixDropped) << what;
            EXPECT_EQ(report.Result, Outcome::FixAgain) << what << " " << report.SummaryLine();
            EXPECT_TRUE(report.Succeeded()) << what;
            verified += report.Succeeded() ? 1 : 0;
            EXPECT_TRUE(s.MonitorShows(report.SummaryLine())) << what;
            s.time.Advance(2000);
            // A factory reset may move the link through its rate search; wait until it is back.
            for (int i = 0; i < 200 && !s.core.Window.Button(ToolButton::HotStart).Enabled; ++i) {
                s.time.Advance(100);
            }
        }
    }
    EXPECT_GE(verified, 80);  // about four restarts of some twenty receivers
}

TEST(RestartEndToEnd, TheVerificationLineNamesCommandAcknowledgementAndFix) {
    sim::SimConfig config;
    config.Family = "mtk";
    Station s(config);
    ASSERT_TRUE(s.Identify());
    const RestartReport& report = s.Restart(ToolButton::ColdStart);
    EXPECT_EQ(report.WireBytes, "$PMTK103*30\r\n");
    EXPECT_EQ(report.Acknowledgement, Ack::Seen);
    EXPECT_EQ(report.AckMarker, "\"$PMTK010,001*2E\"");
    EXPECT_LT(report.AckDelayMs, 500u);
    const std::string line = report.SummaryLine();
    EXPECT_EQ(line.rfind("  <Cold start (C): wrote $PMTK103*30; acknowledged by "
                         "\"$PMTK010,001*2E\" after ",
                         0),
              0u)
        << line;
    EXPECT_NE(line.find("; fix dropped; fix again after "), std::string::npos) << line;
    EXPECT_NEAR(report.FixAgainMs, 4000, 1100);  // the receiver's cold time, in its epochs
    // The memo told the story as it happened.
    bool memoAck = false;
    for (const std::string& memo : s.core.Memo.Lines()) {
        memoAck = memoAck || memo.find("Cold start: acknowledged by") != std::string::npos;
    }
    EXPECT_TRUE(memoAck);
}

TEST(RestartEndToEnd, RefusalSilenceAndNoPortAreNeverSuccess) {
    {
        sim::SimConfig config;
        config.Family = "ublox";
        config.Faults.Reject = true;
        Station s(config);
        ASSERT_TRUE(s.Identify());
        const RestartReport& report = s.Restart(ToolButton::ColdStart);
        EXPECT_EQ(report.Acknowledgement, Ack::Refused) << report.SummaryLine();
        EXPECT_FALSE(report.Succeeded());
        EXPECT_NE(report.SummaryLine().find("REFUSED"), std::string::npos);
    }
    {
        sim::SimConfig config;
        config.Family = "mtk";
        config.Faults.NeverAck = true;
        Station s(config);
        ASSERT_TRUE(s.Identify());
        const RestartReport& report = s.Restart(ToolButton::ColdStart);
        EXPECT_EQ(report.Acknowledgement, Ack::Missing) << report.SummaryLine();
        EXPECT_FALSE(report.Succeeded());
        EXPECT_NE(report.SummaryLine().find("NO acknowledgement within 5 s"), std::string::npos);
    }
    {
        sim::SimConfig config;
        config.Family = "mtk";
        config.Faults.Reject = true;  // MTK receivers simply do not restart
        Station s(config);
        ASSERT_TRUE(s.Identify());
        const RestartReport& report = s.Restart(ToolButton::HotStart);
        EXPECT_FALSE(report.Succeeded()) << report.SummaryLine();
    }
    {
        sim::SimConfig config;
        Station s(config);
        s.core.Restart.RestartReceiver(RestartKind::Cold);  // the button is off; the routine says
        ASSERT_EQ(s.prompts.shown.size(), 1u);
        EXPECT_EQ(s.prompts.shown[0].text, "Please Open GPS First !!");
        EXPECT_TRUE(s.port.WrittenBytes().empty());
    }
}

TEST(RestartEndToEnd, ControlsFollowTheLinkAndTheFamily) {
    sim::SimConfig config;
    config.Family = "mtk";
    Station s(config);
    for (ToolButton button : kButtons) EXPECT_FALSE(s.core.Window.Button(button).Enabled);
    EXPECT_FALSE(s.core.Commands.Enabled());
    ASSERT_TRUE(s.Identify());
    for (ToolButton button : kButtons) EXPECT_TRUE(s.core.Window.Button(button).Enabled);
    EXPECT_TRUE(s.core.Window.ReceiverRateEnabled());
    EXPECT_TRUE(s.core.Commands.Enabled());
    s.core.ToolButtonClicked(ToolButton::Pause, false);
    EXPECT_FALSE(s.core.Window.Button(ToolButton::ColdStart).Enabled);
    EXPECT_FALSE(s.core.Commands.Enabled());
    s.core.ToolButtonClicked(ToolButton::Pause, false);
    s.core.ToolButtonClicked(ToolButton::Connect, false);
    s.time.Advance(200);
    for (ToolButton button : kButtons) EXPECT_FALSE(s.core.Window.Button(button).Enabled);
    EXPECT_FALSE(s.core.Commands.Enabled());
}

}  // namespace
}  // namespace gnss
