#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/dashboard_json.h"
#include "cli/dashboard_screen.h"
#include "cli/headless_session.h"
#include "cli/json_lines.h"
#include "cli/port_options.h"
#include "cli/quit_on_signal.h"
#include "cli/terminal_screen.h"
#include "views/speed_units.h"

namespace gnss::cli {

namespace {

constexpr int kRefreshIntervalMs = 1000;
constexpr int kSimulatorStartMs = 10000;
constexpr std::size_t kMonitorLinesKept = 200;
constexpr std::size_t kNotesKept = 50;

constexpr const char* kWatchHelp =
    "A full-screen view of the receiver, refreshed once a second: link state and receive rate, "
    "receiver family and firmware, fix, position, altitude, speed, course, DOPs, UTC time, "
    "satellites in view and used per constellation, a C/No bar per satellite, and the newest "
    "lines of the monitor. Keys: q quit, p pause or resume the monitor, u next speed unit, "
    "f position as decimal degrees or degrees-minutes-seconds. Ctrl-C ends it too.\n\n"
    "With --replay FILE the capture is served by gnss-sim (beside this program) in real time "
    "instead of a port.\n\n"
    "When the output is not a terminal, one summary line is printed per second instead; with "
    "--json one object per second:\n"
    "  {\"type\":\"status\", \"time\": UTC time, \"port\", \"link\", \"rxRate\", \"family\",\n"
    "   \"firmware\", \"paused\", \"fix\", \"latitude\", \"longitude\", \"altitude\",\n"
    "   \"speed\", \"course\", \"utc\", \"pdop\", \"hdop\", \"vdop\" (texts as the window\n"
    "   shows them), \"inView\", \"used\", \"constellations\": [{\"name\", \"inView\",\n"
    "   \"used\"}], \"satellites\": [{\"sv\", \"cno\", \"elevation\", \"azimuth\",\n"
    "   \"use\": \"view\" | \"tracked\" | \"used\"}]}";

// A capture served by gnss-sim on a pseudo-terminal, for as long as this object lives.
class SimulatedReplay {
  public:
    ~SimulatedReplay() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(3000)) process_.kill();
    }

    // Starts the simulator and reads the device it serves; false (with a message) on failure.
    bool Start(const QString& file, PortChoice& port) {
        const QString program = QCoreApplication::applicationDirPath() + "/gnss-sim";
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(program, {"--replay", file, "--realtime"});
        if (!process_.waitForStarted(kSimulatorStartMs)) {
            PrintErr("gnssvaro-cli watch: cannot start " + program + "\n");
            return false;
        }
        QString device;
        QString baud;
        while (baud.isEmpty() && process_.waitForReadyRead(kSimulatorStartMs)) {
            while (process_.canReadLine()) {
                const QString line = QString::fromLocal8Bit(process_.readLine()).trimmed();
                if (device.isEmpty()) {
                    device = line;
                } else if (line.startsWith("baud=")) {
                    baud = line.mid(5);
                }
            }
        }
        bool baudOk = false;
        (void)baud.toUInt(&baudOk);
        port.Baud = baud.toStdString();
        port.Name = device.toStdString();
        if (device.isEmpty() || !baudOk) {
            PrintErr("gnssvaro-cli watch: gnss-sim did not serve '" + file + "'\n");
            return false;
        }
        return true;
    }

    [[nodiscard]] bool Finished() const { return process_.state() == QProcess::NotRunning; }

  private:
    QProcess process_;
};

// The refresh of the view once a second, and the keys while on a terminal.
class Watcher {
  public:
    enum class Output { Screen, Text, Json };

    Watcher(HeadlessSession& session, Output output) : session_(session), output_(output) {
        if (output_ == Output::Screen) {
            screen_.emplace();
            // Notes would scroll the screen: the newest is shown in the key line, and all of
            // them are printed once the screen is gone.
            session_.SetNoteSink([this](std::string_view line) {
                lastNote_ = line;
                if (notes_.size() < kNotesKept) notes_.emplace_back(line);
            });
            keys_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
            QObject::connect(keys_.get(), &QSocketNotifier::activated, [this] { ReadKeys(); });
        }
        QObject::connect(&timer_, &QTimer::timeout, [this] { Refresh(); });
        timer_.start(kRefreshIntervalMs);
    }

    ~Watcher() {
        if (!screen_) return;
        screen_.reset();
        session_.SetNoteSink([](std::string_view line) {
            PrintErr(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())) + '\n');
        });
        for (const std::string& note : notes_) PrintErr(QString::fromStdString(note) + '\n');
    }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    void Refresh() {
        DashboardSnapshot snapshot = TakeDashboardSnapshot(session_.Core(), kMonitorLinesKept);
        snapshot.LastNote = lastNote_;
        switch (output_) {
            case Output::Screen:
                screen_->Draw(RenderDashboard(snapshot, screen_->Columns(), screen_->Rows(), true));
                break;
            case Output::Text:
                PrintOut(QString::fromStdString(DashboardSummaryLine(snapshot)) + '\n');
                break;
            case Output::Json:
                PrintJsonLine(DashboardJson(snapshot));
                break;
        }
    }

  private:
    void ReadKeys() {
        char keys[16];
        const ssize_t count = ::read(STDIN_FILENO, keys, sizeof keys);
        if (count <= 0) {
            // The keyboard is gone (end of input): keep showing, stop listening.
            keys_->setEnabled(false);
            return;
        }
        AppCore& core = session_.Core();
        for (ssize_t i = 0; i < count; ++i) {
            switch (keys[i]) {
                case 'q':
                case 'Q':
                    QCoreApplication::quit();
                    return;
                case 'p':
                case 'P':
                case ' ':
                    core.ToolButtonClicked(ToolButton::Pause, false);
                    break;
                case 'u':
                case 'U':
                    core.UnitChosen((core.Navigation.SpeedUnitIndex() + 1) %
                                    static_cast<int>(kSpeedUnits.size()));
                    break;
                case 'f':
                case 'F':
                    core.PositionLabelDoubleClicked();
                    break;
                default:
                    break;
            }
        }
        Refresh();
    }

    HeadlessSession& session_;
    Output output_;
    std::optional<TerminalScreen> screen_;
    std::unique_ptr<QSocketNotifier> keys_;
    QTimer timer_;
    std::string lastNote_;
    std::vector<std::string> notes_;
};

}  // namespace

int RunWatchCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const PortOptions portOptions;
    portOptions.AddTo(parser);
    const QCommandLineOption replayOption(
        "replay", "Watch a capture replayed in real time instead of a port.", "FILE");
    const QCommandLineOption jsonOption = JsonOption();
    parser.addOption(replayOption);
    parser.addOption(jsonOption);
    int exitCode = kExitOk;
    if (!ParseCommandArguments(parser, arguments, kWatchHelp, &exitCode)) return exitCode;
    if (!parser.positionalArguments().isEmpty()) {
        PrintErr("gnssvaro-cli watch: unexpected argument '" +
                 parser.positionalArguments().front() + "'\n");
        return kExitUsage;
    }

    PortChoice port;
    SimulatedReplay replay;
    const bool replaying = parser.isSet(replayOption);
    if (replaying) {
        const QString file = parser.value(replayOption);
        if (!QFileInfo(file).isFile()) {
            PrintErr("gnssvaro-cli watch: cannot read '" + file + "'\n");
            return kExitFailure;
        }
        if (!replay.Start(file, port)) return kExitFailure;
    } else if (!portOptions.Read(parser, "watch", port, &exitCode)) {
        return exitCode;
    }

    QuitOnSignal quitOnSignal;
    HeadlessSession session;
    if (!session.Open(port)) return kExitFailure;
    Watcher::Output output = Watcher::Output::Text;
    if (parser.isSet(jsonOption)) {
        output = Watcher::Output::Json;
    } else if (TerminalScreen::Available()) {
        output = Watcher::Output::Screen;
    }
    {
        Watcher watcher(session, output);
        QCoreApplication::exec();
        // The last state is shown once more when the output is a log.
        if (output != Watcher::Output::Screen) watcher.Refresh();
    }
    session.Close();
    // The end of a replayed capture is the normal end of watching it.
    if (replaying && replay.Finished()) return kExitOk;
    return session.ExitCode();
}

}  // namespace gnss::cli
