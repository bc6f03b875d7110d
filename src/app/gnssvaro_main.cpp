// The window program: builds the main window over its models and shows it.

#include <QApplication>
#include <QCommandLineParser>
#include <QDesktopServices>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <string>
#include <vector>

#include "app/debug_memo.h"
#include "app/main_window_model.h"
#include "app/monitor_view.h"
#include "app/nmea_monitor.h"
#include "nmea/sentence_kind.h"
#include "platform/qt_port_enumerator.h"
#include "ui/main_window.h"

namespace {

std::vector<std::string> PresentPortNames() {
    return gnss::QtPortEnumerator().PresentPorts();
}

// The text lines of a capture (comment lines starting with "#" skipped).
std::vector<std::string> CaptureLines(const QString& path) {
    std::vector<std::string> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return lines;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        while (!line.isEmpty() && (line.endsWith('\n') || line.endsWith('\r'))) line.chop(1);
        if (line.isEmpty() || line.startsWith('#')) continue;
        lines.emplace_back(line.constData(), static_cast<std::size_t>(line.size()));
    }
    return lines;
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
    const QCommandLineOption portOption("port", "Preselect the receiver port.", "name");
    const QCommandLineOption baudOption("baud", "Preselect the receiver baud rate.", "rate");
    const QCommandLineOption sizeOption("size", "Window size instead of the default.", "WxH");
    const QCommandLineOption screenshotOption("screenshot",
                                              "Save the window as a PNG image and exit.", "file");
    const QCommandLineOption afterOption(
        "after", "Seconds to wait before the screenshot (default 2).", "seconds", "2");
    const QCommandLineOption previewOption(
        "preview", "Show the text lines of a capture file in the monitor, coloured.", "file");
    parser.addOptions(
        {portOption, baudOption, sizeOption, screenshotOption, afterOption, previewOption});
    parser.process(app);

    gnss::MainWindowModel model;
    gnss::MonitorLineBuffer monitor;
    gnss::DebugMemo memo;
    model.SetPortNames(PresentPortNames());
    if (parser.isSet(portOption)) model.SetPortText(parser.value(portOption).toStdString());
    if (parser.isSet(baudOption) && !model.SelectBaudRate(parser.value(baudOption).toStdString())) {
        std::fprintf(stderr, "gnssvaro: %s is not one of the baud rates\n",
                     qPrintable(parser.value(baudOption)));
    }
    if (parser.isSet(previewOption)) {
        monitor.SetColorOf([](std::string_view line) {
            return gnss::kMonitorKindColors[gnss::ClassifyText(line)];
        });
        monitor.SetColoured(true);
        monitor.AppendBatch(CaptureLines(parser.value(previewOption)));
    }

    gnss::ui::TFrmGPSVaro window(model, monitor, memo);
    window.ApplyInitialGeometry();
    // The boxes and the unit selector report to the model; the about box's link opens the page.
    QObject::connect(&window, &gnss::ui::TFrmGPSVaro::PortTextChanged, &window,
                     [&model](const QString& text) { model.SetPortText(text.toStdString()); });
    QObject::connect(&window, &gnss::ui::TFrmGPSVaro::PortListAboutToDropDown, &window,
                     [&model] { model.RefreshPortNames(PresentPortNames()); });
    QObject::connect(&window, &gnss::ui::TFrmGPSVaro::BaudRateChosen, &window,
                     [&model](const QString& text) { model.SelectBaudRate(text.toStdString()); });
    QObject::connect(&window, &gnss::ui::TFrmGPSVaro::UnitChosen, &window,
                     [&model](int index) { model.SetUnitIndex(index); });
    QObject::connect(&window, &gnss::ui::TFrmGPSVaro::AboutLinkActivated, &window,
                     [](const QString& address) { QDesktopServices::openUrl(QUrl(address)); });
    if (parser.isSet(sizeOption)) {
        const QRegularExpressionMatch size =
            QRegularExpression("^(\\d+)x(\\d+)$").match(parser.value(sizeOption));
        if (size.hasMatch()) window.resize(size.captured(1).toInt(), size.captured(2).toInt());
    }
    window.show();

    if (parser.isSet(screenshotOption)) {
        bool ok = false;
        const double seconds = parser.value(afterOption).toDouble(&ok);
        const int delayMs = ok && seconds >= 0 ? static_cast<int>(seconds * 1000) : 2000;
        const QString file = parser.value(screenshotOption);
        QTimer::singleShot(delayMs, &window, [&window, file] {
            window.SyncMonitor();
            const bool saved = window.grab().save(file, "PNG");
            if (!saved) std::fprintf(stderr, "gnssvaro: cannot write %s\n", qPrintable(file));
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
