#include <QCoreApplication>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/json_lines.h"
#include "cli/port_options.h"
#include "cli/quit_on_signal.h"
#include "link/connection_control.h"
#include "link/link_state.h"
#include "link/receive_dispatch.h"
#include "link/receiver_link.h"
#include "link/sentence_chain.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"
#include "platform/console_prompts.h"
#include "platform/qt_clock.h"
#include "platform/qt_port_enumerator.h"
#include "platform/qt_receiver_port.h"
#include "platform/qt_scheduler.h"

namespace gnss::cli {

namespace {

constexpr uint32_t kLinkCheckIntervalMs = 1000;

// Everything of one monitoring session: the port, the receive path, the connection control
// and what is printed. It follows the link (its state is printed whenever it changes) and the
// connection (its notes go to stderr; a disconnect it did not ask for ends the session).
class MonitorSession final : private LinkListener, private ConnectionListener {
  public:
    explicit MonitorSession(bool json)
        : json_(json),
          prompts_(ConsolePrompts::Policy::AlwaysNo),
          dispatcher_(shared_, receiver_, port_, clock_, scheduler_, prompts_),
          control_(shared_, receiver_, port_, dispatcher_, clock_, scheduler_, prompts_),
          watcher_(enumerator_),
          linkCheck_(scheduler_.CreateTimer()) {
        dispatcher_.Chain().Register(ChainSlot::Monitor, [this](SentenceContext& ctx) {
            ReportLinkState();
            if (json_) {
                PrintJsonLine(
                    {{"type", "line"}, {"time", JsonTimeNow()}, {"line", JsonBytes(ctx.Line)}});
            } else {
                PrintOut(PrintableBytes(ctx.Line) + '\n');
            }
            ctx.Shown = true;
            return ChainStep::Continue;
        });
        dispatcher_.AddListener(static_cast<LinkListener&>(*this));
        control_.AddListener(static_cast<ConnectionListener&>(*this));
        QObject::connect(&watcher_, &PortWatcher::PortsChanged, [this] {
            if (!watchedPort_) return;
            const std::vector<std::string>& ports = watcher_.Ports();
            if (std::find(ports.begin(), ports.end(), port_.PortName()) == ports.end()) {
                PrintErr(QString::fromStdString(" (" + port_.PortName() + ") Remove !\n"));
                control_.PortRemoved();
            }
        });
        linkCheck_->SetIntervalMs(kLinkCheckIntervalMs);
        linkCheck_->OnTimeout = [this] { CheckLink(); };
    }

    ~MonitorSession() { Close(); }

    MonitorSession(const MonitorSession&) = delete;
    MonitorSession& operator=(const MonitorSession&) = delete;

    // `baud` as ParseBaudChoice gives it: a rate, or "Auto" to find it.
    bool Open(const std::string& portName, const std::string& baud) {
        control_.SetShownPort(portName);
        control_.SetShownBaud(baud);
        control_.ToggleConnection();
        if (!shared_.PortOpen) return false;
        if (shared_.AutoBaudSearch) {
            PrintErr(QString("monitoring %1, finding its baud rate; Ctrl-C ends\n")
                         .arg(QString::fromStdString(portName)));
        } else {
            PrintErr(QString("monitoring %1 at %2 bit/s; Ctrl-C ends\n")
                         .arg(QString::fromStdString(portName))
                         .arg(port_.BaudRate()));
        }
        ReportLinkState();
        // Removal is seen in the port list for listed ports, and as an I/O line error for all.
        const auto listed = enumerator_.PresentPorts();
        watchedPort_ = std::find(listed.begin(), listed.end(), portName) != listed.end();
        watcher_.Start();
        linkCheck_->Start();
        return true;
    }

    void Close() {
        linkCheck_->Stop();
        watcher_.Stop();
        if (shared_.PortOpen) {
            closing_ = true;
            control_.ToggleConnection();
            closing_ = false;
        }
        ReportLinkState();
    }

    [[nodiscard]] int ExitCode() const { return exitCode_; }

  private:
    // The link state is printed whenever the receive path recognises the link or the
    // connection reports a change.
    void OnLinkRecognised(LinkState) override { ReportLinkState(); }
    void OnConnectionStatusChanged(ConnectionStatusItem) override { ReportLinkState(); }
    void OnConnectionNote(std::string_view line) override {
        PrintErr(QString::fromStdString(std::string(line) + "\n"));
    }
    // A disconnect that the user did not ask for (the receiver's SiRF binary declined, a silent
    // receiver given up, the device removed) ends the session.
    void OnDisconnected() override {
        if (!closing_) End("disconnected from " + port_.PortName(), kExitFailure);
    }

    // The state as this program shows it: "NULL" while the port is closed.
    [[nodiscard]] LinkState ShownState() const {
        return shared_.PortOpen ? dispatcher_.State() : LinkState::Closed;
    }

    void ReportLinkState() {
        const LinkState state = ShownState();
        if (state == reported_) return;
        reported_ = state;
        const std::string_view name = LinkStateName(state);
        const QString text = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
        if (json_) {
            PrintJsonLine({{"type", "linkState"}, {"time", JsonTimeNow()}, {"state", text}});
        } else {
            PrintOut(QString("-- link state: %1\n").arg(text));
        }
    }

    void CheckLink() {
        ReportLinkState();
        if (!shared_.PortOpen) return;
        const LineErrorReport errors = ReadLineErrors(port_);
        if (errors.IoError) {
            PrintErr(QString::fromStdString(port_.PortName() + " " + errors.Text + "\n"));
            control_.PortRemoved();
        }
    }

    void End(const std::string& why, int exitCode) {
        PrintErr(QString::fromStdString(why + "\n"));
        exitCode_ = exitCode;
        linkCheck_->Stop();
        watcher_.Stop();
        ReportLinkState();
        QCoreApplication::exit(exitCode);
    }

    bool json_ = false;
    QtClock clock_;
    QtScheduler scheduler_;
    ConsolePrompts prompts_;
    SharedState shared_;
    ReceiverState receiver_;
    QtReceiverPort port_;
    QtPortEnumerator enumerator_;
    ReceiveDispatcher dispatcher_;
    ConnectionControl control_;
    PortWatcher watcher_;
    std::unique_ptr<Timer> linkCheck_;
    LinkState reported_ = LinkState::Closed;
    bool watchedPort_ = false;
    bool closing_ = false;
    int exitCode_ = kExitOk;
};

}  // namespace

int RunMonitorCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const PortOptions portOptions("auto");
    portOptions.AddTo(parser);
    const QCommandLineOption jsonOption = JsonOption();
    parser.addOption(jsonOption);
    int exitCode = kExitOk;
    if (!ParseCommandArguments(parser, arguments,
                               "Opens the receiver's serial port and prints every line the "
                               "receive path hands to its consumers, and the link state "
                               "whenever it changes. Ctrl-C ends it.\n\n"
                               "With --json:\n"
                               "  {\"type\":\"line\", \"time\": UTC time, \"line\": BYTES}\n"
                               "  {\"type\":\"linkState\", \"time\", \"state\": \"NMEA\"}\n"
                               "  (BYTES: each received byte as the character of its code)",
                               &exitCode)) {
        return exitCode;
    }
    if (!parser.positionalArguments().isEmpty()) {
        PrintErr("gnssvaro-cli monitor: unexpected argument '" +
                 parser.positionalArguments().front() + "'\n");
        return kExitUsage;
    }
    PortChoice port;
    if (!portOptions.Read(parser, "monitor", port, &exitCode)) return exitCode;

    QuitOnSignal quitOnSignal;
    MonitorSession session(parser.isSet(jsonOption));
    if (!session.Open(port.Name, port.Baud)) return kExitFailure;
    QCoreApplication::exec();
    session.Close();
    return session.ExitCode();
}

}  // namespace gnss::cli
