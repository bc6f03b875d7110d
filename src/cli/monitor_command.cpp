#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
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

// Ctrl-C (SIGINT) and SIGTERM end the event loop: the handler only writes one byte to a socket
// pair, whose other end wakes the loop, which then quits in an orderly way.
class QuitOnSignal {
  public:
    QuitOnSignal() {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds_) != 0) return;
        writeFd_ = fds_[0];
        notifier_ = std::make_unique<QSocketNotifier>(fds_[1], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            char byte = 0;
            [[maybe_unused]] const auto n = ::read(fds_[1], &byte, 1);
            signalled_ = true;
            QCoreApplication::quit();
        });
        struct sigaction action {};
        action.sa_handler = &QuitOnSignal::Handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, &previousInt_);
        ::sigaction(SIGTERM, &action, &previousTerm_);
    }

    ~QuitOnSignal() {
        if (fds_[0] < 0) return;
        ::sigaction(SIGINT, &previousInt_, nullptr);
        ::sigaction(SIGTERM, &previousTerm_, nullptr);
        writeFd_ = -1;
        notifier_.reset();
        ::close(fds_[0]);
        ::close(fds_[1]);
    }

    QuitOnSignal(const QuitOnSignal&) = delete;
    QuitOnSignal& operator=(const QuitOnSignal&) = delete;

    [[nodiscard]] bool Signalled() const { return signalled_; }

  private:
    static void Handler(int) {
        const int fd = writeFd_;
        if (fd < 0) return;
        const char byte = 1;
        [[maybe_unused]] const auto n = ::write(fd, &byte, 1);
    }

    static inline volatile std::sig_atomic_t writeFd_ = -1;
    int fds_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
    bool signalled_ = false;
};

// Everything of one monitoring session: the port, the receive path, the connection control
// and what is printed. It follows the link (its state is printed whenever it changes) and the
// connection (its notes go to stderr; a disconnect it did not ask for ends the session).
class MonitorSession final : private LinkListener, private ConnectionListener {
  public:
    MonitorSession()
        : prompts_(ConsolePrompts::Policy::AlwaysNo),
          dispatcher_(shared_, receiver_, port_, clock_, scheduler_, prompts_),
          control_(shared_, receiver_, port_, dispatcher_, clock_, scheduler_, prompts_),
          watcher_(enumerator_),
          linkCheck_(scheduler_.CreateTimer()) {
        dispatcher_.Chain().Register(ChainSlot::Monitor, [this](SentenceContext& ctx) {
            ReportLinkState();
            PrintOut(PrintableBytes(ctx.Line) + '\n');
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
        PrintOut(QString("-- link state: %1\n")
                     .arg(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))));
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
    const QCommandLineOption portOption(
        QStringList{"p", "port"},
        "Serial port: a name (ttyUSB0) or a path (/dev/pts/3). Default: the first port listed "
        "by 'gnssvaro-cli ports'.",
        "DEVICE");
    const QCommandLineOption baudOption = BaudOption("auto");
    parser.addOption(portOption);
    parser.addOption(baudOption);
    int exitCode = kExitOk;
    if (!ParseCommandArguments(parser, arguments,
                               "Opens the receiver's serial port and prints every line the "
                               "receive path hands to its consumers, and the link state "
                               "whenever it changes. Ctrl-C ends it.",
                               &exitCode)) {
        return exitCode;
    }
    if (!parser.positionalArguments().isEmpty()) {
        PrintErr("gnssvaro-cli monitor: unexpected argument '" +
                 parser.positionalArguments().front() + "'\n");
        return kExitUsage;
    }
    const std::optional<std::string> baud = ParseBaudChoice(parser.value(baudOption));
    if (!baud) {
        PrintErr("gnssvaro-cli monitor: invalid baud rate '" + parser.value(baudOption) + "'\n");
        return kExitUsage;
    }
    std::string portName = parser.value(portOption).toStdString();
    if (portName.empty()) {
        const auto ports = QtPortEnumerator().PresentPorts();
        if (ports.empty()) {
            PrintErr("no serial ports found\n");
            return kExitFailure;
        }
        portName = ports.front();
    }

    QuitOnSignal quitOnSignal;
    MonitorSession session;
    if (!session.Open(portName, *baud)) return kExitFailure;
    QCoreApplication::exec();
    session.Close();
    return session.ExitCode();
}

}  // namespace gnss::cli
