// The window program: the application core on the Qt adapters, painted by the main window.

#include <QApplication>
#include <QCommandLineParser>
#include <QRegularExpression>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/app_core.h"
#include "app/settings.h"
#include "platform/linux_clock_setter.h"
#include "platform/optical_media.h"
#include "platform/qt_assist_downloader.h"
#include "platform/qt_clock.h"
#include "platform/qt_port_enumerator.h"
#include "platform/qt_receiver_port.h"
#include "platform/qt_scheduler.h"
#include "ui/main_window.h"
#include "ui/qt_desktop.h"
#include "ui/qt_dialogs.h"
#include "ui/small_windows.h"
#include "ui/window_wiring.h"
#include "views/nmea_monitor_view.h"

namespace {

void ScheduleScreenshot(gnss::ui::MainWindow& window, const QString& file, double seconds) {
    const int delayMs = seconds >= 0 ? static_cast<int>(seconds * 1000) : 2000;
    QTimer::singleShot(delayMs, &window, [&window, file] {
        window.RefreshFromModel();
        window.SyncMonitor();
        window.SyncDebugMemo();
        const bool saved = window.grab().save(file, "PNG");
        if (!saved) std::fprintf(stderr, "gnssvaro: cannot write %s\n", qPrintable(file));
        window.close();
        QApplication::exit(saved ? 0 : 1);
    });
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("gnssvaro");
    QApplication::setApplicationVersion(
        QString::fromUtf8(gnss::kProductVersion.data(), gnss::kProductVersion.size()));

    QCommandLineParser parser;
    parser.setApplicationDescription("GNSS receiver test and monitoring tool");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption("port", "Select the receiver port (name or path).", "name");
    const QCommandLineOption baudOption(
        "baud", "Select the receiver baud rate, or \"auto\" to find it at each connect.", "rate");
    const QCommandLineOption connectOption("connect", "Connect at start.");
    const QCommandLineOption settingsOption("settings",
                                            "Settings file to use instead of the "
                                            "one beside the program.",
                                            "file");
    const QCommandLineOption sizeOption("size", "Window size instead of the default.", "WxH");
    const QCommandLineOption screenshotOption("screenshot",
                                              "Save the window as a PNG image and exit.", "file");
    const QCommandLineOption afterOption(
        "after", "Seconds to wait before the screenshot (default 2).", "seconds", "2");
    parser.addOptions({portOption, baudOption, connectOption, settingsOption, sizeOption,
                       screenshotOption, afterOption});
    parser.process(app);

    gnss::QtClock clock;
    gnss::QtScheduler scheduler;
    gnss::QtReceiverPort port;
    gnss::QtPortEnumerator ports;
    gnss::ui::QtPrompts prompts;
    gnss::ui::QtFileDialogs dialogs;
    gnss::ui::QtDesktop desktop;
    gnss::LinuxClockSetter clockSetter;
    const std::filesystem::path programFolder =
        QCoreApplication::applicationDirPath().toStdString();

    gnss::AppServices services{
        port,  clock,   scheduler,   prompts,       dialogs,
        ports, desktop, clockSetter, programFolder, gnss::IsOnOpticalMedia(programFolder)};
    gnss::QtAssistDownloader downloader;  // outlives the core, which may cancel a download
    gnss::QtNetworkStatus network;
    gnss::AppCore core(services);
    core.SetAssistNetwork(&downloader, &network);
    core.Start();

    gnss::NmeaMonitorView monitorView(core.Monitor);
    gnss::ui::MainWindow window(core.Window, monitorView, core.Memo);
    prompts.SetParent(&window);
    dialogs.SetParent(&window);
    window.ApplyInitialGeometry();

    // Settings are read when the window is first shown and written when it closes.
    const std::filesystem::path settingsPath =
        parser.isSet(settingsOption)
            ? std::filesystem::path(parser.value(settingsOption).toStdString())
            : gnss::SettingsPath(QCoreApplication::applicationFilePath().toStdString(),
                                 gnss::IsFolderWritable, gnss::ProcessEnvironment);
    core.LoadSettings(settingsPath);
    if (parser.isSet(portOption)) core.PortTextChanged(parser.value(portOption).toStdString());
    if (parser.isSet(baudOption)) core.BaudRateChosen(parser.value(baudOption).toStdString());

    gnss::ui::WindowWiring wiring(window, core, ports);
    QObject::connect(&window, &gnss::ui::MainWindow::Closing, &window,
                     [&core, &window, &settingsPath] {
                         core.SetWindowPlacement(window.CurrentPlacement());
                         core.Shutdown(settingsPath);
                     });

    // The window opens where it was closed, unless a size is asked for.
    if (core.SavedWindowPlacement() && !parser.isSet(sizeOption)) {
        window.ApplyPlacement(*core.SavedWindowPlacement());
    }
    if (parser.isSet(sizeOption)) {
        const QRegularExpressionMatch size =
            QRegularExpression("^(\\d+)x(\\d+)$").match(parser.value(sizeOption));
        if (size.hasMatch()) window.resize(size.captured(1).toInt(), size.captured(2).toInt());
    }
    // A log-off or shut-down asks the session first: the window closes with its questions.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.close(); });
    window.show();
    window.RefreshFromModel();
    if (parser.isSet(connectOption)) {
        QTimer::singleShot(0, &window,
                           [&core] { core.ToolButtonClicked(gnss::ToolButton::Connect, false); });
    }
    if (parser.isSet(screenshotOption)) {
        bool ok = false;
        const double seconds = parser.value(afterOption).toDouble(&ok);
        ScheduleScreenshot(window, parser.value(screenshotOption), ok ? seconds : 2.0);
    }
    return QApplication::exec();
}
