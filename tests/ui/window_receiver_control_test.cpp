// The receiver controls in the real window against gnss-sim on a pseudo-terminal: the command
// panel from the panels menu, a typed command and its echo, a cold start from the toolbar and
// the verification line in the monitor. With GNSS_SCREENSHOT_DIR set, the window is saved there.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "ui/command_panel_widget.h"
#include "ui/sim_window_harness.h"

namespace gnss::ui {
namespace {

using testing::SimProcess;
using testing::WaitFor;
using testing::WindowProgram;

bool MonitorHas(const AppCore& core, const std::string& text) {
    for (std::size_t i = 0; i < core.Monitor.LineCount(); ++i) {
        if (core.Monitor.Line(i).find(text) != std::string::npos) return true;
    }
    return false;
}

TEST(WindowReceiverControl, CommandPanelAndColdStartOnASimulatedMtkReceiver) {
    SimProcess sim({"--family", "mtk", "--cold-ms", "4000", "--power-on-ms", "1000"});
    ASSERT_TRUE(sim.started);
    WindowProgram program;
    program.window.resize(1218, 680);
    program.window.show();
    auto* panel = program.window.findChild<CommandPanelWidget*>("Panel7");
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(program.window.ToolButtonOf(ToolButton::ColdStart)->isEnabled());

    program.Connect(sim);
    ASSERT_TRUE(WaitFor([&] { return program.core.Shared().ReceiverIdentified; }, 15000));
    ASSERT_TRUE(WaitFor([&] { return program.core.Receiver().FixValid; }, 10000));
    ASSERT_TRUE(WaitFor(
        [&] { return program.window.ToolButtonOf(ToolButton::ColdStart)->isEnabled(); }, 3000));
    EXPECT_TRUE(program.window.ReceiverRateBox()->isEnabled());

    // Version replies are shown once the first seconds after connecting have passed.
    ASSERT_TRUE(WaitFor([&] { return program.core.Receiver().SecondsCounter > 6; }, 10000));

    // The panel from the panels menu; a typed command, sent with Enter.
    auto* entry = program.window.findChild<QAction*>("actCommandPanel");
    ASSERT_NE(entry, nullptr);
    entry->trigger();
    ASSERT_TRUE(WaitFor([&] { return panel->isVisible(); }, 2000));
    ASSERT_TRUE(panel->CommandBox()->isEnabled());
    QTest::keyClicks(panel->CommandBox()->lineEdit(), "$PMTK605");
    QTest::keyClick(panel->CommandBox()->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(MonitorHas(program.core, "  <$PMTK605*31>"));
    ASSERT_TRUE(WaitFor([&] { return MonitorHas(program.core, "$PMTK705,"); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return panel->CommandBox()->count() == 1; }, 2000));
    EXPECT_EQ(panel->CommandBox()->itemText(0), "$PMTK605");

    // A cold start from the toolbar: echo of the verification, acknowledgement, fix again.
    program.window.ToolButtonOf(ToolButton::ColdStart)->click();
    ASSERT_TRUE(WaitFor([&] { return !program.core.Verification.Running(); }, 20000));
    const RestartReport& report = program.core.Verification.Report();
    EXPECT_TRUE(report.Succeeded()) << report.SummaryLine();
    EXPECT_TRUE(MonitorHas(program.core, report.SummaryLine()));
    // The time to first fix in the status bar, from the acknowledgement.
    ASSERT_TRUE(WaitFor([&] { return !program.core.Ttff.Armed(); }, 5000));
    EXPECT_EQ(program.core.Window.StatusBar().Text(StatusPanel::TestTimer).rfind("Fix (C):+", 0),
              0u);
    WaitFor([] { return false; }, 1500);  // let the window catch up before it is shown

    if (const char* folder = std::getenv("GNSS_SCREENSHOT_DIR")) {
        program.window.grab().save(QString(folder) + "/receiver_control.png");
    }
    program.window.close();
}

}  // namespace
}  // namespace gnss::ui
