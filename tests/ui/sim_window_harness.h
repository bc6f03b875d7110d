#pragma once

// Helpers of the window tests that run against gnss-sim on a real pseudo-terminal: waiting for
// a condition while Qt events run, starting the simulator, and the window program's parts put
// together as the program does it.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QThread>
#include <QToolButton>
#include <filesystem>
#include <functional>
#include <string>

#include "app/app_core.h"
#include "doubles/listed_ports.h"
#include "doubles/recording_desktop.h"
#include "doubles/scripted_file_dialogs.h"
#include "doubles/scripted_prompts.h"
#include "doubles/temp_folder.h"
#include "platform/qt_clock.h"
#include "platform/qt_port_enumerator.h"
#include "platform/qt_receiver_port.h"
#include "platform/qt_scheduler.h"
#include "ui/main_window.h"
#include "ui/window_wiring.h"
#include "views/nmea_monitor_view.h"

namespace gnss::ui::testing {

// Processes events until `done` holds; false when `timeoutMs` passes first. Waits for an event,
// asserts nothing about how long it took.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

// gnss-sim serving one simulated receiver; its first two output lines are the device path and
// "baud=N".
struct SimProcess {
    explicit SimProcess(const QStringList& arguments) {
        process.start(QString(GNSS_BINARY_DIR) + "/src/gnss-sim", arguments);
        started = process.waitForStarted(5000) &&
                  WaitFor(
                      [this] {
                          return process.canReadLine() && lines.size() < 2 ? ReadLine()
                                                                           : lines.size() >= 2;
                      },
                      10000);
    }
    ~SimProcess() {
        process.terminate();
        if (!process.waitForFinished(3000)) process.kill();
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

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

// The application core on the Qt adapters (prompts, dialogs, desktop and clock setter are test
// doubles), the main window and its wiring, with the settings file in a temporary folder.
struct WindowProgram {
    static constexpr int kPortPollMs = 20;

    WindowProgram()
        : core(AppServices{port, clock, scheduler, prompts, dialogs, ports, desktop, clockSetter,
                           folder.Path(), false}) {
        core.Start();
        core.LoadSettings(Settings());
        QObject::connect(&window, &MainWindow::Closing, [this] { core.Shutdown(Settings()); });
    }
    WindowProgram(const WindowProgram&) = delete;
    WindowProgram& operator=(const WindowProgram&) = delete;

    [[nodiscard]] std::filesystem::path Settings() const { return folder.Path() / "gnssvaro.ini"; }
    // Selects the simulator's port and rate and presses the connect button.
    void Connect(const SimProcess& sim) {
        core.PortTextChanged(sim.Device());
        core.BaudRateChosen(sim.Baud());
        window.ToolButtonOf(ToolButton::Connect)->click();
    }

    gnss::testing::TempFolder folder;
    QtClock clock;
    QtScheduler scheduler;
    QtReceiverPort port;
    gnss::testing::ListedPorts ports{{"ttyS0"}};
    gnss::testing::ScriptedPrompts prompts;
    gnss::testing::ScriptedFileDialogs dialogs;
    gnss::testing::RecordingDesktop desktop;
    gnss::testing::RecordingClockSetter clockSetter;
    AppCore core;
    NmeaMonitorView monitorView{core.Monitor};
    MainWindow window{core.Window, monitorView, core.Memo};
    WindowWiring wiring{window, core, ports, kPortPollMs, WindowWiring::PortListWatch::PollOnly};
};

}  // namespace gnss::ui::testing
