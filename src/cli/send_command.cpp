#include <QJsonDocument>
#include <QJsonObject>

#include "cli/cli_commands.h"
#include "cli/headless_session.h"
#include "cli/port_options.h"
#include "control/ubx_hd_messages.h"
#include "frames/binary_frame.h"
#include "link/receive_listeners.h"
#include "nmea/hex_text.h"

namespace gnss::cli {

namespace {

constexpr uint32_t kLinkWaitMs = 5000;

// Prints what went out and what came back: every line, and every UBX or HD frame with its
// message name, as text or as JSON Lines.
class ExchangePrinter final : public StreamListener, public LineListener {
  public:
    explicit ExchangePrinter(bool json) : json_(json) {}

    void Sent(const std::string& echo) {
        if (json_) {
            Print(QJsonObject{{"dir", "out"}, {"text", QString::fromStdString(echo)}});
        } else {
            PrintOut("> " + QString::fromStdString(echo) + "\n");
        }
    }
    void OnLineReceived(std::string_view line) override {
        if (!listening_) return;
        if (json_) {
            Print(QJsonObject{{"dir", "in"}, {"line", PrintableBytes(line)}});
        } else {
            PrintOut("< " + PrintableBytes(line) + "\n");
        }
    }
    void OnBytesReceived(std::string_view chunk) override {
        if (!listening_) return;
        pending_.append(chunk);
        TakeFrames(FrameProtocol::Ubx);
        TakeFrames(FrameProtocol::Hd);
        if (pending_.size() > kKeep) pending_.erase(0, pending_.size() - kKeep);
    }
    void StartListening() { listening_ = true; }

  private:
    static constexpr std::size_t kKeep = 4096;

    void TakeFrames(FrameProtocol protocol) {
        std::size_t from = 1;
        std::size_t consumed = 0;
        for (;;) {
            const FrameCandidate candidate = protocol == FrameProtocol::Ubx
                                                 ? FindUbxFrame(pending_, from)
                                                 : FindHdFrame(pending_, from);
            if (candidate.Position == 0 || candidate.Frame.empty()) break;
            const bool valid = protocol == FrameProtocol::Ubx ? IsUbxFrame(candidate.Frame)
                                                              : IsHdFrame(candidate.Frame);
            if (valid) PrintFrame(protocol, candidate.Frame);
            from = candidate.Position + candidate.Frame.size();
            consumed = from - 1;
        }
        if (consumed > 0) pending_.erase(0, consumed);
    }

    void PrintFrame(FrameProtocol protocol, std::string_view frame) {
        const uint8_t cls = FrameClass(frame);
        const uint8_t id = FrameId(frame);
        const QString name = QString::fromStdString(std::string(MessageName(protocol, cls, id)));
        const QString kind = protocol == FrameProtocol::Ubx ? "UBX" : "HD";
        const QString hex = QString::fromStdString(BinToHex(frame));
        if (json_) {
            Print(QJsonObject{{"dir", "in"},
                              {"protocol", kind},
                              {"class", cls},
                              {"id", id},
                              {"name", name},
                              {"hex", hex}});
        } else {
            PrintOut(QString("< %1 %2 %3 %4 [%5]\n")
                         .arg(kind)
                         .arg(cls, 2, 16, QChar('0'))
                         .arg(id, 2, 16, QChar('0'))
                         .arg(name.isEmpty() ? QString("(no name)") : name)
                         .arg(hex));
        }
    }

    static void Print(const QJsonObject& object) {
        PrintOut(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + "\n");
    }

    bool json_;
    bool listening_ = false;
    std::string pending_;
};

}  // namespace

int RunSendCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const PortOptions portOptions;
    portOptions.AddTo(parser);
    const QCommandLineOption listenOption("listen", "Seconds to print what comes back (default 2).",
                                          "S", "2");
    const QCommandLineOption jsonOption("json",
                                        "JSON Lines: {\"dir\":\"out\",\"text\"} for what was sent; "
                                        "{\"dir\":\"in\",\"line\"} or {\"dir\":\"in\",\"protocol\","
                                        "\"class\",\"id\",\"name\",\"hex\"} for what came back.");
    parser.addOption(listenOption);
    parser.addOption(jsonOption);
    parser.addPositionalArgument("COMMAND",
                                 "A text command ($PMTK605; the checksum is added or checked) "
                                 "or HEXCMD: followed by hex bytes.");
    int exitCode = kExitOk;
    if (!ParseCommandArguments(parser, arguments,
                               "Sends one command to the receiver by the rules of the window's "
                               "command box and prints what went out and every line or frame "
                               "received in the next seconds.\nExit status: 0 sent, 1 not sent "
                               "(port, checksum, invalid text), 2 usage.",
                               &exitCode)) {
        return exitCode;
    }
    if (parser.positionalArguments().size() != 1) {
        PrintErr("gnssvaro-cli send: give exactly one COMMAND (quote it)\n");
        return kExitUsage;
    }
    PortChoice port;
    if (!portOptions.Read(parser, "send", port, &exitCode)) return exitCode;
    bool secondsOk = false;
    const double listenSeconds = parser.value(listenOption).toDouble(&secondsOk);
    if (!secondsOk || listenSeconds < 0 || listenSeconds > 3600) {
        PrintErr("gnssvaro-cli send: invalid --listen '" + parser.value(listenOption) + "'\n");
        return kExitUsage;
    }

    HeadlessSession session;
    AppCore& core = session.Core();
    ExchangePrinter printer(parser.isSet(jsonOption));
    core.Pipeline.Dispatcher.AddListener(static_cast<StreamListener&>(printer));
    core.Pipeline.Dispatcher.AddListener(static_cast<LineListener&>(printer));
    if (!session.Open(port)) return kExitFailure;
    // The command waits for the link so that its family-dependent rules apply.
    session.RunUntil([&] { return core.Pipeline.Dispatcher.State() == LinkState::Nmea; },
                     kLinkWaitMs);

    const std::size_t monitorBefore = core.Monitor.LineCount();
    core.CommandTextEdited(parser.positionalArguments().front().toStdString());
    core.CommandSendPressed();
    bool sent = false;
    for (std::size_t i = monitorBefore; i < core.Monitor.LineCount(); ++i) {
        const std::string& line = core.Monitor.Line(i);
        if (line.starts_with("  <")) {
            printer.Sent(line.substr(3, line.size() - 4));
            sent = sent || line.find("error") == std::string::npos;
        }
    }
    for (const std::string& memo : TakeNewMemoLines(core.Memo))
        PrintErr(QString::fromStdString(memo) + "\n");
    if (!sent) {
        PrintErr("gnssvaro-cli send: nothing was sent\n");
        return kExitFailure;
    }
    printer.StartListening();
    session.RunUntil([] { return false; }, static_cast<uint32_t>(listenSeconds * 1000));
    return kExitOk;
}

}  // namespace gnss::cli
