#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/cli_commands.h"
#include "cli/headless_session.h"
#include "cli/json_lines.h"
#include "cli/port_options.h"
#include "testruns/ttff_campaign.h"

namespace gnss::cli {

namespace {

constexpr uint32_t kIdentifyWaitMs = 20000;

std::optional<std::vector<RestartKind>> KindsByNames(const QString& text) {
    std::vector<RestartKind> kinds;
    for (const QString& name : text.split(',', Qt::SkipEmptyParts)) {
        bool known = false;
        for (RestartKind kind :
             {RestartKind::Hot, RestartKind::Warm, RestartKind::Cold, RestartKind::Factory}) {
            if (name.trimmed().compare(QString::fromLatin1(RestartKindName(kind).data()),
                                       Qt::CaseInsensitive) == 0) {
                kinds.push_back(kind);
                known = true;
            }
        }
        if (!known) return std::nullopt;
    }
    if (kinds.empty()) return std::nullopt;
    return kinds;
}

QString Ms(double ms) {
    return QString::number(ms / 1000.0, 'f', 1) + " s";
}

// Prints a line per finished run, as text or as JSON Lines.
class ProgressPrinter final : public CampaignListener {
  public:
    ProgressPrinter(const TtffCampaign& campaign, bool json) : campaign_(campaign), json_(json) {}

    void OnRunFinished(const CampaignRun& run) override {
        const QString kind = QString::fromLatin1(RestartKindName(run.Kind).data());
        const QString outcome = QString::fromLatin1(RunOutcomeName(run.Outcome).data());
        if (json_) {
            PrintJsonLine(QJsonObject{
                {"type", "run"},
                {"run", run.Number},
                {"kind", kind},
                {"outcome", outcome},
                {"ackSeen", run.AckSeen},
                {"ackDelayMs", static_cast<qint64>(run.AckDelayMs)},
                {"fixDropped", run.FixDropped},
                {"ttffMs",
                 run.HasTtff ? QJsonValue(static_cast<qint64>(run.TtffMs)) : QJsonValue()},
                {"ttffFromAck", run.TtffFromAck},
                {"fromCommandMs",
                 run.HasTtff ? QJsonValue(static_cast<qint64>(run.FromCommandMs)) : QJsonValue()},
                {"satellitesUsed", run.SatellitesUsed},
                {"hdop", run.Hdop}});
            return;
        }
        QString line = QString("run %1/%2 %3: %4")
                           .arg(run.Number)
                           .arg(campaign_.Settings().Runs)
                           .arg(kind, outcome);
        if (run.HasTtff) {
            line += QString(", TTFF %1 (%2), %3 from the command")
                        .arg(Ms(run.TtffMs),
                             run.TtffFromAck ? "from the acknowledgement" : "whole seconds")
                        .arg(Ms(run.FromCommandMs));
        }
        line += run.AckSeen ? QString(", ack after %1 ms").arg(run.AckDelayMs)
                            : QString(run.AckExpected ? ", no ack" : "");
        PrintOut(line + "\n");
    }

  private:
    const TtffCampaign& campaign_;
    bool json_;
};

}  // namespace

int RunTtffCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const PortOptions portOptions;
    portOptions.AddTo(parser);
    const QCommandLineOption kindOption("kind",
                                        "Restart kinds in turn: hot, warm, cold, factory "
                                        "(comma-separated; default cold).",
                                        "LIST", "cold");
    const QCommandLineOption runsOption("runs", "Number of runs, 1-10000 (default 20).", "N", "20");
    const QCommandLineOption timeoutOption("timeout", "Seconds per run (default 300).", "S", "300");
    const QCommandLineOption pauseOption("pause", "Seconds after each fix (default 5).", "S", "5");
    const QCommandLineOption stopOption("stop-on-failure", "End at the first failed run.");
    const QCommandLineOption familyOption(
        "family", "Skip identification and take the receiver for this family.", "NAME");
    const QCommandLineOption csvOption("csv", "Write the runs and the summary as CSV.", "FILE");
    const QCommandLineOption jsonOption = JsonOption();
    for (const auto* option : {&kindOption, &runsOption, &timeoutOption, &pauseOption, &stopOption,
                               &familyOption, &csvOption, &jsonOption}) {
        parser.addOption(*option);
    }
    int exitCode = kExitOk;
    if (!ParseCommandArguments(
            parser, arguments,
            "Time to first fix, repeated: connects, waits for the receiver to be identified, and "
            "restarts it N times (the kinds in turn), each until its fix or the time limit, with "
            "a pause after each fix. A line per run, the summary per kind at the end (runs, "
            "fixes, failures, min, median, mean, p95, max).\n\n"
            "With --json: {\"type\":\"run\", \"run\", \"kind\", \"outcome\", \"ackSeen\", "
            "\"ackDelayMs\", \"fixDropped\", \"ttffMs\", \"ttffFromAck\", \"fromCommandMs\", "
            "\"satellitesUsed\", \"hdop\"} per run, then {\"type\":\"campaign\", ...} with the "
            "settings, the receiver, every run and the summary.\n"
            "Exit status: 0 every run reached its fix; 1 a run failed, the receiver was not "
            "identified or the port failed; 2 usage.",
            &exitCode)) {
        return exitCode;
    }
    PortChoice port;
    if (!portOptions.Read(parser, "ttff", port, &exitCode)) return exitCode;
    CampaignSettings settings;
    const auto kinds = KindsByNames(parser.value(kindOption));
    bool runsOk = false;
    bool timeoutOk = false;
    bool pauseOk = false;
    settings.Runs = parser.value(runsOption).toInt(&runsOk);
    const double timeoutS = parser.value(timeoutOption).toDouble(&timeoutOk);
    const double pauseS = parser.value(pauseOption).toDouble(&pauseOk);
    if (!kinds || !runsOk || settings.Runs < 1 || settings.Runs > CampaignSettings::kMaxRuns ||
        !timeoutOk || timeoutS < 1 || timeoutS > 86400 || !pauseOk || pauseS < 0 || pauseS > 3600) {
        PrintErr("gnssvaro-cli ttff: invalid --kind, --runs, --timeout or --pause\n");
        return kExitUsage;
    }
    settings.Kinds = *kinds;
    settings.TimeoutMs = static_cast<uint32_t>(timeoutS * 1000);
    settings.PauseMs = static_cast<uint32_t>(pauseS * 1000);
    settings.StopOnFirstFailure = parser.isSet(stopOption);
    const bool json = parser.isSet(jsonOption);

    HeadlessSession session;
    AppCore& core = session.Core();
    ProgressPrinter printer(core.Campaign, json);
    core.Campaign.AddListener(printer);
    if (!session.Open(port)) return kExitFailure;
    SharedState& shared = core.Shared();
    if (parser.isSet(familyOption)) {
        const std::string wanted = parser.value(familyOption).toUpper().toStdString();
        bool found = false;
        for (int value = 0; value < kReceiverFamilyCount && !found; ++value) {
            const auto family = static_cast<ReceiverFamily>(value);
            if (QString::fromLatin1(FamilyDisplayName(family).data()).toUpper().toStdString() ==
                wanted) {
                session.RunUntil(
                    [&] { return core.Pipeline.Dispatcher.State() == LinkState::Nmea; }, 5000);
                shared.Family = family;
                shared.ReceiverIdentified = true;
                shared.IdentificationPending = false;
                found = true;
            }
        }
        if (!found) {
            PrintErr("gnssvaro-cli ttff: unknown family '" + parser.value(familyOption) + "'\n");
            return kExitUsage;
        }
    } else if (!session.RunUntil(
                   [&] { return shared.ReceiverIdentified || shared.IdentificationGaveUp; },
                   kIdentifyWaitMs) ||
               !shared.ReceiverIdentified) {
        PrintErr(
            "gnssvaro-cli ttff: the receiver was not identified; name its family with "
            "--family\n");
        return kExitFailure;
    }
    session.RunUntil([&] { return !core.Identification.RefinementPending(); }, kIdentifyWaitMs);
    session.RunUntil([&] { return core.Receiver().FixValid; }, 15000);
    if (!core.Campaign.Start(settings)) {
        PrintErr("gnssvaro-cli ttff: this receiver cannot be restarted\n");
        return kExitFailure;
    }
    if (!json) {
        PrintErr(QString("ttff: %1 run(s) of %2 on %3 (%4)\n")
                     .arg(settings.Runs)
                     .arg(parser.value(kindOption), QString::fromStdString(core.Campaign.Family()),
                          QString::fromStdString(core.Campaign.Firmware())));
    }
    const uint64_t limitMs =
        static_cast<uint64_t>(settings.Runs) * (settings.TimeoutMs + settings.PauseMs + 30000) +
        60000;
    session.RunUntil([&] { return !core.Campaign.Running(); },
                     static_cast<uint32_t>(std::min<uint64_t>(limitMs, 0xFFFFFFF0u)));
    core.Campaign.Stop();

    if (parser.isSet(csvOption)) {
        QFile file(parser.value(csvOption));
        const std::string csv = CampaignCsv(core.Campaign);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(csv.data(), static_cast<qint64>(csv.size())) !=
                static_cast<qint64>(csv.size())) {
            PrintErr("gnssvaro-cli ttff: cannot write " + parser.value(csvOption) + "\n");
            return kExitFailure;
        }
    }
    bool failed = core.Campaign.Runs().size() < static_cast<std::size_t>(settings.Runs) &&
                  !settings.StopOnFirstFailure;
    for (const CampaignRun& run : core.Campaign.Runs()) {
        failed = failed || run.Outcome != RunOutcome::Fix;
    }
    if (json) {
        QJsonObject object =
            QJsonDocument::fromJson(QByteArray::fromStdString(CampaignJson(core.Campaign)))
                .object();
        object.insert("type", "campaign");
        PrintJsonLine(object);
    } else {
        PrintOut("kind     runs fixes fails     min  median    mean     p95     max\n");
        for (const KindSummary& s : core.Campaign.Summary()) {
            PrintOut(QString("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
                         .arg(QString::fromLatin1(RestartKindName(s.Kind).data()), -8)
                         .arg(s.Runs, 4)
                         .arg(s.Fixes, 5)
                         .arg(s.Failures, 5)
                         .arg(Ms(s.MinMs), 7)
                         .arg(Ms(s.MedianMs), 7)
                         .arg(Ms(s.MeanMs), 7)
                         .arg(Ms(s.P95Ms), 7)
                         .arg(Ms(s.MaxMs), 7));
        }
    }
    return failed ? kExitFailure : kExitOk;
}

}  // namespace gnss::cli
