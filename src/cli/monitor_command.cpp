#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <memory>

#include "cli/cli_commands.h"
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

constexpr uint32_t kDefaultBaudRate = 9600;
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

// Everything of one monitoring session: the port, the receive path and what is printed.
class MonitorSession {
  public:
    MonitorSession()
        : prompts_(ConsolePrompts::Policy::AlwaysNo),
          dispatcher_(shared_, receiver_, port_, clock_, scheduler_, prompts_),
          linkCheck_(scheduler_.CreateTimer()) {
        dispatcher_.Chain().Register(ChainSlot::Monitor, [this](SentenceContext& ctx) {
            ReportLinkState();
            PrintOut(PrintableBytes(ctx.Line) + '\n');
            ctx.Shown = true;
            return ChainStep::Continue;
        });
        // The link state is shown in a status panel whenever the dispatcher changes it.
        dispatcher_.Hooks.SetStatusPanel = [this](int, const std::string&) { ReportLinkState(); };
        dispatcher_.Hooks.Disconnect = [this] {
            End("the receiver sends SiRF binary", kExitFailure);
        };
        linkCheck_->SetIntervalMs(kLinkCheckIntervalMs);
        linkCheck_->OnTimeout = [this] { CheckLink(); };
    }

    ~MonitorSession() { Close(); }

    MonitorSession(const MonitorSession&) = delete;
    MonitorSession& operator=(const MonitorSession&) = delete;

    bool Open(const std::string& portName, uint32_t baudRate) {
        port_.SetPortName(portName);
        port_.SetBaudRate(baudRate);
        const PortOpenResult result = port_.Open();
        if (!result.Ok()) {
            prompts_.ShowError(portName + " Connection Error !");
            PrintErr(QString::fromStdString("  " + result.Detail + "\n"));
            return false;
        }
        shared_.PortOpen = true;
        PrintErr(QString("monitoring %1 at %2 bit/s; Ctrl-C ends\n")
                     .arg(QString::fromStdString(portName))
                     .arg(baudRate));
        dispatcher_.ResetLink();
        dispatcher_.SetLinkState(LinkState::Unknow);
        dispatcher_.EnableTimerC();
        ReportLinkState();
        linkCheck_->Start();
        return true;
    }

    void Close() {
        if (!port_.IsOpen()) return;
        linkCheck_->Stop();
        dispatcher_.PauseProcessing();
        port_.Close();
        shared_.PortOpen = false;
        dispatcher_.SetLinkState(LinkState::Null);
        ReportLinkState();
    }

    [[nodiscard]] int ExitCode() const { return exitCode_; }

  private:
    void ReportLinkState() {
        const LinkState state = dispatcher_.State();
        if (state == reported_) return;
        reported_ = state;
        PrintOut(
            QString("-- link state: %1\n")
                .arg(QString::fromLatin1(LinkStateName(state).data(),
                                         static_cast<qsizetype>(LinkStateName(state).size()))));
    }

    void CheckLink() {
        ReportLinkState();
        const LineErrorReport errors = ReadLineErrors(port_);
        if (errors.IoError) {
            End(port_.PortName() + " lost " + errors.Text, kExitFailure);
        }
    }

    void End(const std::string& why, int exitCode) {
        PrintErr(QString::fromStdString(why + "\n"));
        exitCode_ = exitCode;
        Close();
        QCoreApplication::exit(exitCode);
    }

    QtClock clock_;
    QtScheduler scheduler_;
    ConsolePrompts prompts_;
    SharedState shared_;
    ReceiverState receiver_;
    QtReceiverPort port_;
    ReceiveDispatcher dispatcher_;
    std::unique_ptr<Timer> linkCheck_;
    LinkState reported_ = LinkState::Null;
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
    const QCommandLineOption baudOption(QStringList{"b", "baud"},
                                        "Baud rate in bit/s, any value (default 9600).", "N",
                                        QString::number(kDefaultBaudRate));
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
    bool baudOk = false;
    const uint32_t baudRate = parser.value(baudOption).toUInt(&baudOk);
    if (!baudOk || baudRate == 0) {
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
    if (!session.Open(portName, baudRate)) return kExitFailure;
    QCoreApplication::exec();
    session.Close();
    return session.ExitCode();
}

}  // namespace gnss::cli
