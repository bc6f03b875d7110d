#include <QJsonDocument>
#include <QJsonObject>

#include "cli/cli_commands.h"
#include "cli/headless_session.h"
#include "cli/port_options.h"
#include "control/restart_verification.h"
#include "nmea/hex_text.h"
#include "nmea/text_fields.h"

namespace gnss::cli {

namespace {

constexpr uint32_t kIdentifyWaitMs = 20000;
constexpr uint32_t kLinkWaitMs = 5000;
constexpr uint32_t kAfterTimeoutGraceMs = 3000;
constexpr uint32_t kFixBeforeWaitMs = 15000;

std::optional<ReceiverFamily> FamilyByName(std::string_view name) {
    const std::string wanted = ToUpperAscii(name);
    for (int value = 0; value < kReceiverFamilyCount; ++value) {
        const auto family = static_cast<ReceiverFamily>(value);
        if (ToUpperAscii(FamilyDisplayName(family)) == wanted) return family;
    }
    return std::nullopt;
}

std::optional<RestartKind> KindByName(const QString& name) {
    for (RestartKind kind :
         {RestartKind::Hot, RestartKind::Warm, RestartKind::Cold, RestartKind::Factory}) {
        if (name.compare(QString::fromLatin1(RestartKindName(kind).data()), Qt::CaseInsensitive) ==
            0) {
            return kind;
        }
    }
    return std::nullopt;
}

QJsonObject ReportObject(const RestartReport& report, const std::string& firmware) {
    return QJsonObject{
        {"kind", QString::fromLatin1(RestartKindName(report.Kind).data())},
        {"family", QString::fromLatin1(FamilyDisplayName(report.Family).data())},
        {"firmware", QString::fromStdString(firmware)},
        {"written", report.CommandWritten},
        {"commandHex", QString::fromStdString(BinToHex(report.WireBytes))},
        {"ack", QString::fromLatin1(AckStateName(report.Acknowledgement).data())},
        {"ackMarker", QString::fromStdString(report.AckMarker)},
        {"ackDelayMs", static_cast<qint64>(report.AckDelayMs)},
        {"fixBefore", report.FixBefore},
        {"fixDropped", report.FixDropped},
        {"fixAgainMs", static_cast<qint64>(report.FixAgainMs)},
        {"outcome", QString::fromLatin1(RestartOutcomeName(report.Result).data())},
        {"succeeded", report.Succeeded()},
        {"summary", QString::fromStdString(report.SummaryLine())},
    };
}

}  // namespace

int RunRestartCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const PortOptions portOptions;
    portOptions.AddTo(parser);
    const QCommandLineOption timeoutOption("timeout", "Seconds to wait for the fix (default 300).",
                                           "S", "300");
    const QCommandLineOption familyOption(
        "family", "Skip identification and take the receiver for this family (MTK, ublox, ...).",
        "NAME");
    const QCommandLineOption jsonOption(
        "json",
        "One JSON object per line: {\"memo\"} for each step, then the report {\"kind\", "
        "\"family\", \"firmware\", \"written\", \"commandHex\", \"ack\", \"ackMarker\", "
        "\"ackDelayMs\", \"fixBefore\", \"fixDropped\", \"fixAgainMs\", \"outcome\", "
        "\"succeeded\", \"summary\"}.");
    parser.addOption(timeoutOption);
    parser.addOption(familyOption);
    parser.addOption(jsonOption);
    parser.addPositionalArgument("KIND", "hot, warm, cold or factory.");
    int exitCode = kExitOk;
    if (!ParseCommandArguments(
            parser, arguments,
            "Connects, waits for the receiver to be identified, restarts it with its family's "
            "command and follows it: command written, acknowledgement seen (and its delay) or "
            "not within 5 s, fix dropped, first fix again.\nExit status: 0 when the receiver "
            "acknowledged (where its family does) and reported a fix again in time; 1 "
            "otherwise; 2 usage.",
            &exitCode)) {
        return exitCode;
    }
    if (parser.positionalArguments().size() != 1) {
        PrintErr("gnssvaro-cli restart: give one KIND: hot, warm, cold or factory\n");
        return kExitUsage;
    }
    const auto kind = KindByName(parser.positionalArguments().front());
    if (!kind) {
        PrintErr("gnssvaro-cli restart: unknown KIND '" + parser.positionalArguments().front() +
                 "'\n");
        return kExitUsage;
    }
    PortChoice port;
    if (!portOptions.Read(parser, "restart", port, &exitCode)) return exitCode;
    bool timeoutOk = false;
    const uint32_t timeoutS = parser.value(timeoutOption).toUInt(&timeoutOk);
    if (!timeoutOk || timeoutS == 0 || timeoutS > 86400) {
        PrintErr("gnssvaro-cli restart: invalid --timeout '" + parser.value(timeoutOption) + "'\n");
        return kExitUsage;
    }
    std::optional<ReceiverFamily> forced;
    if (parser.isSet(familyOption)) {
        forced = FamilyByName(parser.value(familyOption).toStdString());
        if (!forced) {
            PrintErr("gnssvaro-cli restart: unknown family '" + parser.value(familyOption) + "'\n");
            return kExitUsage;
        }
    }
    const bool json = parser.isSet(jsonOption);
    auto printMemo = [json](AppCore& core) {
        for (const std::string& line : TakeNewMemoLines(core.Memo)) {
            if (json) {
                PrintOut(QString::fromUtf8(
                             QJsonDocument(QJsonObject{{"memo", QString::fromStdString(line)}})
                                 .toJson(QJsonDocument::Compact)) +
                         "\n");
            } else {
                PrintOut(QString::fromStdString(line) + "\n");
            }
        }
    };

    HeadlessSession session;
    AppCore& core = session.Core();
    if (!session.Open(port)) return kExitFailure;
    SharedState& shared = core.Shared();
    if (forced) {
        session.RunUntil([&] { return core.Pipeline.Dispatcher.State() == LinkState::Nmea; },
                         kLinkWaitMs);
        shared.Family = *forced;
        shared.ReceiverIdentified = true;
        shared.IdentificationPending = false;
    } else if (!session.RunUntil(
                   [&] { return shared.ReceiverIdentified || shared.IdentificationGaveUp; },
                   kIdentifyWaitMs) ||
               !shared.ReceiverIdentified) {
        printMemo(core);
        PrintErr(
            "gnssvaro-cli restart: the receiver was not identified; name its family with "
            "--family\n");
        return kExitFailure;
    }
    // What identification still refines may change the command (the chip under a module).
    session.RunUntil([&] { return !core.Identification.RefinementPending(); }, kIdentifyWaitMs);
    // A fix first, so that its loss and return say something about the restart.
    session.RunUntil([&] { return core.Receiver().FixValid; }, kFixBeforeWaitMs);
    printMemo(core);
    core.Verification.SetFixTimeoutMs(timeoutS * 1000);
    core.Restart.RestartReceiver(*kind);
    session.RunUntil(
        [&] {
            printMemo(core);
            return !core.Verification.Running();
        },
        timeoutS * 1000 + kAfterTimeoutGraceMs);
    printMemo(core);
    const RestartReport& report = core.Verification.Report();
    if (json) {
        PrintOut(QString::fromUtf8(
                     QJsonDocument(ReportObject(report, core.Identification.Result.FirmwareText))
                         .toJson(QJsonDocument::Compact)) +
                 "\n");
    } else {
        PrintOut(QString::fromStdString(report.SummaryLine().substr(2)) + "\n");
    }
    return report.Succeeded() ? kExitOk : kExitFailure;
}

}  // namespace gnss::cli
