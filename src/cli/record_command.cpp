#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>
#include <cstdint>
#include <filesystem>
#include <string>

#include "cli/cli_commands.h"
#include "cli/dashboard_screen.h"
#include "cli/headless_session.h"
#include "cli/json_lines.h"
#include "cli/port_options.h"
#include "cli/quit_on_signal.h"

namespace gnss::cli {

namespace {

constexpr int kStatusIntervalMs = 60'000;
constexpr double kMaxSeconds = 2'000'000;  // the longest single timer, about 23 days

constexpr const char* kRecordHelp =
    "Records what the receiver sends, as the window program's log button does: the text log "
    "goes to FILE (written as FILE with the extension .tmp until the recording ends, then "
    "renamed), and with --raw every received byte to FILE with the extension .bin as well. "
    "Ctrl-C, SIGTERM or the end of --seconds closes the files cleanly. Both files replay with "
    "'gnssvaro-cli decode' and 'gnss-sim --replay'.\n\n"
    "A status line is printed once a minute, and one at the end. With --json:\n"
    "  {\"type\":\"status\", \"time\": UTC time, \"file\", \"textBytes\", \"rawBytes\",\n"
    "   \"link\", \"fix\", \"inView\", \"used\"}\n"
    "  {\"type\":\"saved\", \"time\", \"file\", \"rawFile\" (\"\" without --raw),\n"
    "   \"textBytes\", \"rawBytes\", \"complete\" (false when the receiver went away)}";

std::uintmax_t FileSize(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    return ec ? 0 : size;
}

// The status lines of one recording.
class RecordingReport {
  public:
    RecordingReport(HeadlessSession& session, bool json) : session_(session), json_(json) {}

    void Status() {
        AppCore& core = session_.Core();
        const LogRecorder& recorder = core.Recorder;
        const std::uintmax_t text = FileSize(recorder.LogTempName());
        const std::uintmax_t raw =
            core.Shared().RawCaptureActive ? FileSize(recorder.RawTempName()) : 0;
        const DashboardSnapshot snapshot = TakeDashboardSnapshot(core, 0);
        if (json_) {
            PrintJsonLine({{"type", "status"},
                           {"time", JsonTimeNow()},
                           {"file", QString::fromStdString(recorder.LogFileName())},
                           {"textBytes", static_cast<qint64>(text)},
                           {"rawBytes", static_cast<qint64>(raw)},
                           {"link", QString::fromStdString(snapshot.LinkState)},
                           {"fix", QString::fromStdString(snapshot.Navigation.FixText).trimmed()},
                           {"inView", snapshot.InView},
                           {"used", snapshot.Used}});
            return;
        }
        QString line = QString("%1 recording %2: text %3 bytes")
                           .arg(JsonTimeNow(), QString::fromStdString(recorder.LogFileName()))
                           .arg(text);
        if (core.Shared().RawCaptureActive) line += QString(", raw %1 bytes").arg(raw);
        line += QString::fromStdString(" | " + DashboardSummaryLine(snapshot)) + '\n';
        PrintOut(line);
    }

    void Saved(const std::string& file, const std::string& rawFile, bool complete) {
        const std::uintmax_t text = FileSize(file);
        const std::uintmax_t raw = rawFile.empty() ? 0 : FileSize(rawFile);
        if (json_) {
            PrintJsonLine({{"type", "saved"},
                           {"time", JsonTimeNow()},
                           {"file", QString::fromStdString(file)},
                           {"rawFile", QString::fromStdString(rawFile)},
                           {"textBytes", static_cast<qint64>(text)},
                           {"rawBytes", static_cast<qint64>(raw)},
                           {"complete", complete}});
            return;
        }
        QString line = QString("saved %1 (%2 bytes)").arg(QString::fromStdString(file)).arg(text);
        if (!rawFile.empty()) {
            line += QString(" and %1 (%2 bytes)").arg(QString::fromStdString(rawFile)).arg(raw);
        }
        PrintOut(line + '\n');
    }

  private:
    HeadlessSession& session_;
    bool json_;
};

// The names the recording will use must not collide: the text log's temporary name is FILE
// with ".tmp" as extension and the raw capture is FILE with ".bin".
bool NamesCollide(const QString& file, bool raw) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    return suffix == "tmp" || (raw && suffix == "bin");
}

}  // namespace

int RunRecordCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const PortOptions portOptions;
    portOptions.AddTo(parser);
    const QCommandLineOption rawOption("raw", "Also capture every received byte (FILE.bin).");
    const QCommandLineOption secondsOption(
        "seconds", "Stop after S seconds (default: until Ctrl-C or SIGTERM).", "S");
    const QCommandLineOption forceOption("force", "Replace FILE when it exists.");
    const QCommandLineOption jsonOption = JsonOption();
    parser.addOption(rawOption);
    parser.addOption(secondsOption);
    parser.addOption(forceOption);
    parser.addOption(jsonOption);
    parser.addPositionalArgument("FILE", "The text log to write (.txt, .log or any name).");
    int exitCode = kExitOk;
    if (!ParseCommandArguments(parser, arguments, kRecordHelp, &exitCode)) return exitCode;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        PrintErr(files.isEmpty() ? "gnssvaro-cli record: no FILE given\n"
                                 : "gnssvaro-cli record: one FILE only\n");
        return kExitUsage;
    }
    const bool raw = parser.isSet(rawOption);
    const QString file = files.front();
    if (NamesCollide(file, raw)) {
        PrintErr(
            "gnssvaro-cli record: FILE may not end in .tmp, nor in .bin with --raw: those "
            "names are the recording's own\n");
        return kExitUsage;
    }
    double seconds = 0;
    if (parser.isSet(secondsOption)) {
        bool ok = false;
        seconds = parser.value(secondsOption).toDouble(&ok);
        if (!ok || !(seconds > 0) || seconds > kMaxSeconds) {
            PrintErr("gnssvaro-cli record: --seconds must be a number above 0, at most 2000000\n");
            return kExitUsage;
        }
    }
    PortChoice port;
    if (!portOptions.Read(parser, "record", port, &exitCode)) return exitCode;

    const std::string path = file.toStdString();
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        if (!parser.isSet(forceOption)) {
            PrintErr("gnssvaro-cli record: '" + file + "' exists; --force replaces it\n");
            return kExitFailure;
        }
        if (!std::filesystem::remove(path, ec) || ec) {
            PrintErr("gnssvaro-cli record: cannot replace '" + file + "'\n");
            return kExitFailure;
        }
    }

    QuitOnSignal quitOnSignal;
    HeadlessSession session(path);
    if (!session.Open(port)) return kExitFailure;
    AppCore& core = session.Core();
    if (!core.Recorder.StartLog()) {
        session.Close();
        return kExitFailure;
    }
    if (raw) core.Recorder.StartRawCapture(core.Window.Caption());

    RecordingReport report(session, parser.isSet(jsonOption));
    QTimer status;
    QObject::connect(&status, &QTimer::timeout, [&report] { report.Status(); });
    status.start(kStatusIntervalMs);
    QTimer stop;
    if (seconds > 0) {
        stop.setSingleShot(true);
        QObject::connect(&stop, &QTimer::timeout, [] { QCoreApplication::quit(); });
        stop.start(static_cast<int>(seconds * 1000));
    }
    QCoreApplication::exec();
    status.stop();

    const std::string logFile = core.Recorder.LogFileName();
    const std::string rawFile = core.Shared().RawCaptureActive ? core.Recorder.RawFileName() : "";
    core.Recorder.StopLog();
    session.Close();
    const bool complete = session.ExitCode() == kExitOk;
    report.Saved(logFile, rawFile, complete);
    if (!std::filesystem::exists(logFile, ec)) return kExitFailure;
    return session.ExitCode();
}

}  // namespace gnss::cli
