// The window program's parts as the program puts them together, against gnss-sim serving a
// simulated receiver on a real pseudo-terminal.

#include <gtest/gtest.h>

#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ui/monitor_list.h"
#include "ui/sim_window_harness.h"

namespace gnss::ui {
namespace {

using testing::SimProcess;
using testing::WaitFor;
using testing::WindowProgram;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(WindowEndToEnd, ConnectsToASimulatedReceiverShowsItsLinesDisconnectsAndSavesSettings) {
    SimProcess sim({"--family", "mtk", "--variant", "c", "--rate", "5"});
    ASSERT_TRUE(sim.started) << "gnss-sim did not start";

    WindowProgram program;
    AppCore& core = program.core;
    MainWindow& window = program.window;
    window.show();

    program.Connect(sim);
    ASSERT_TRUE(core.Shared().PortOpen)
        << (program.prompts.shown.empty() ? "" : program.prompts.shown[0].text);

    ASSERT_TRUE(WaitFor([&] { return core.Monitor.LineCount() > 20; }, 15000));
    ASSERT_TRUE(WaitFor([&] { return window.MonitorModel()->rowCount() > 20; }, 5000));
    EXPECT_EQ(core.Window.StatusBar().Text(StatusPanel::LinkState), "NMEA");
    // The receiver powers on with the port open: its version reply identifies it, and the
    // monitor then draws each line in the colour of its kind.
    ASSERT_TRUE(WaitFor([&] { return core.Shared().ReceiverIdentified; }, 10000));
    EXPECT_EQ(core.Shared().Family, ReceiverFamily::MTK);
    EXPECT_EQ(core.Window.StatusBar().Text(StatusPanel::Family), "MTK");
    EXPECT_NE(core.Window.Caption().find(" (ZK-48"), std::string::npos) << core.Window.Caption();
    EXPECT_TRUE(core.Monitor.Coloured());
    EXPECT_TRUE(window.ToolButtonOf(ToolButton::Connect)->isChecked());
    const QString firstRow =
        window.MonitorModel()->data(window.MonitorModel()->index(0, 0), Qt::DisplayRole).toString();
    EXPECT_TRUE(firstRow.startsWith('$')) << firstRow.toStdString();

    window.ToolButtonOf(ToolButton::Connect)->click();
    ASSERT_TRUE(WaitFor([&] { return !core.Shared().PortOpen; }, 2000));
    EXPECT_EQ(core.Window.StatusBar().Text(StatusPanel::Port), sim.Device() + " Close");

    window.close();
    const std::string settings = ReadFile(program.Settings());
    EXPECT_NE(settings.find("COMPort=" + sim.Device()), std::string::npos) << settings;
    EXPECT_NE(settings.find("BaudRate=" + sim.Baud()), std::string::npos) << settings;
}

// The window program polls the system's port list on its own: a port plugged in after the start
// is reported in the port-event window.
TEST(WindowEndToEnd, APortPluggedInIsReportedWithoutAnyClick) {
    WindowProgram program;
    program.ports.ports = {"ttyS0", "ttyUSB7"};
    ASSERT_TRUE(WaitFor([&] { return !program.core.Window.PortEvents().Lines().empty(); }, 3000));
    EXPECT_EQ(program.core.Window.PortEvents().Lines().back(), " (ttyUSB7) Plug In !   ");
}

}  // namespace
}  // namespace gnss::ui
