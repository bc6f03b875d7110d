// The window program's parts as the program puts them together, against gnss-sim serving a
// simulated receiver on a real pseudo-terminal.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "app/app_core.h"
#include "app/nmea_monitor_view.h"
#include "doubles/scripted_file_dialogs.h"
#include "doubles/recording_desktop.h"
#include "doubles/scripted_prompts.h"
#include "doubles/temp_folder.h"
#include "platform/qt_clock.h"
#include "platform/qt_port_enumerator.h"
#include "platform/qt_receiver_port.h"
#include "platform/qt_scheduler.h"
#include "ui/main_window.h"
#include "ui/monitor_list.h"
#include "ui/window_wiring.h"

namespace gnss::ui {
namespace {

// Processes events until `done` holds; false when `timeoutMs` passes first. Waits for an event,
// asserts nothing about how long it took.
bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

struct SimProcess {
    SimProcess(const QStringList& arguments) {
        process.start(QString(GNSS_BINARY_DIR) + "/src/gnss-sim", arguments);
        started = process.waitForStarted(5000) && WaitFor([this] {
            return process.canReadLine() && lines.size() < 2 ? ReadLine() : lines.size() >= 2;
        }, 10000);
    }
    ~SimProcess() {
        process.terminate();
        if (!process.waitForFinished(3000)) process.kill();
    }
    bool ReadLine() {
        lines << QString::fromUtf8(process.readLine()).trimmed();
        return lines.size() >= 2;
    }
    [[nodiscard]] std::string Device() const { return lines.value(0).toStdString(); }
    [[nodiscard]] std::string Baud() const { return lines.value(1).mid(5).toStdString(); }

    QProcess process;
    QStringList lines;
    bool started = false;
};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(WindowEndToEnd, ConnectsToASimulatedReceiverShowsItsLinesDisconnectsAndSavesSettings) {
    SimProcess sim({"--family", "mtk", "--variant", "c", "--rate", "5"});
    ASSERT_TRUE(sim.started) << "gnss-sim did not start";

    gnss::testing::TempFolder folder;
    QtClock clock;
    QtScheduler scheduler;
    QtReceiverPort port;
    QtPortEnumerator ports;
    gnss::testing::ScriptedPrompts prompts;
    gnss::testing::ScriptedFileDialogs dialogs;
    gnss::testing::RecordingDesktop desktop;
    gnss::testing::RecordingClockSetter clockSetter;
    AppCore core(AppServices{port, clock, scheduler, prompts, dialogs, ports, desktop, clockSetter, folder.Path(),
                             [] { return false; }});
    core.MainWindowCreate();
    NmeaMonitorView monitorView(core.Monitor);
    TFrmGPSVaro window(core.Window, monitorView, core.Memo);
    WindowWiring wiring(window, core);
    const std::filesystem::path ini = folder.Path() / "gnssvaro.ini";
    core.LoadSettings(ini);
    window.SetCloseHandler([&] {
        core.MainWindowClose(ini);
        return true;
    });
    window.show();

    core.PortTextChanged(sim.Device());
    core.BaudRateChosen(sim.Baud());
    window.ToolButtonOf(ToolButton::TBOpen)->click();
    ASSERT_TRUE(core.Shared().PortOpen) << (prompts.shown.empty() ? "" : prompts.shown[0].text);

    ASSERT_TRUE(WaitFor([&] { return core.Monitor.LineCount() > 20; }, 15000));
    ASSERT_TRUE(WaitFor([&] { return window.MonitorModel()->rowCount() > 20; }, 5000));
    EXPECT_EQ(core.Window.StatusBar().PanelText(3), "NMEA");
    // The receiver powers on with the port open: its version reply identifies it, and the
    // monitor then draws each line in the colour of its kind.
    ASSERT_TRUE(WaitFor([&] { return core.Shared().ReceiverIdentified; }, 10000));
    EXPECT_EQ(core.Shared().Family, ReceiverFamily::MTK);
    EXPECT_EQ(core.Window.StatusBar().PanelText(10), "MTK");
    EXPECT_NE(core.Window.Caption().find(" (ZK-48"), std::string::npos) << core.Window.Caption();
    EXPECT_TRUE(core.Monitor.Coloured());
    EXPECT_TRUE(window.ToolButtonOf(ToolButton::TBOpen)->isChecked());
    const QString firstRow =
        window.MonitorModel()->data(window.MonitorModel()->index(0, 0), Qt::DisplayRole).toString();
    EXPECT_TRUE(firstRow.startsWith('$')) << firstRow.toStdString();

    window.ToolButtonOf(ToolButton::TBOpen)->click();
    ASSERT_TRUE(WaitFor([&] { return !core.Shared().PortOpen; }, 2000));
    EXPECT_EQ(core.Window.StatusBar().PanelText(2), sim.Device() + " Close");

    window.close();
    const std::string settings = ReadFile(ini);
    EXPECT_NE(settings.find("COMPort=" + sim.Device()), std::string::npos) << settings;
    EXPECT_NE(settings.find("BaudRate=" + sim.Baud()), std::string::npos) << settings;
}

}  // namespace
}  // namespace gnss::ui
