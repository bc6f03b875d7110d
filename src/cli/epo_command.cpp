#include <unistd.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "assist/epo_file.h"
#include "cli/cli_commands.h"
#include "cli/headless_session.h"
#include "cli/port_options.h"
#include "platform/qt_assist_downloader.h"

namespace gnss::cli {

namespace {

constexpr uint32_t kIdentifyWaitMs = 20000;
constexpr uint32_t kStatusWaitMs = 5000;
constexpr uint32_t kStepMs = 200;
constexpr uint32_t kConfirmWaitMs = 3000;
constexpr int kBarWidth = 40;
constexpr int kLineStepPercent = 10;

void PrintJson(const QJsonObject& object) {
    PrintOut(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + "\n");
}

QJsonObject StatusObject(const char* phase, const EpoAssistant& epo) {
    const EpoStatus& status = epo.Status();
    return QJsonObject{
        {"event", "status"},
        {"phase", phase},
        {"known", epo.StatusKnown()},
        {"validDays", status.ValidDays},
        {"validity", QString::fromStdString(epo.View().ValidityText)},
    };
}

// Asks for the receiver's EPO status and prints it.
bool ShowStatus(HeadlessSession& session, const char* phase, bool json) {
    EpoAssistant& epo = session.Core().Epo;
    epo.QueryStatus();
    const bool answered = session.RunUntil([&] { return !epo.ExpectingStatus(); }, kStatusWaitMs);
    if (json) {
        PrintJson(StatusObject(phase, epo));
    } else if (answered && epo.StatusKnown()) {
        PrintOut(QString("EPO status %1: %2\n")
                     .arg(phase, QString::fromStdString(epo.View().ValidityText)));
    } else {
        PrintOut(QString("EPO status %1: no answer from the receiver\n").arg(phase));
    }
    return answered;
}

// Follows the upload: a bar on a terminal, a line per 10 % otherwise.
class ProgressPrinter {
  public:
    explicit ProgressPrinter(bool json) : json_(json), terminal_(::isatty(STDOUT_FILENO) == 1) {}
    void Show(const EpoWindowView& view) {
        if (!view.GaugeVisible || view.GaugeMax == 0 || view.ActivityText.empty()) return;
        const int percent = static_cast<int>(100.0 * view.GaugePosition / view.GaugeMax);
        const QString what = QString::fromStdString(view.ActivityText);
        if (json_) {
            if (percent / kLineStepPercent == lastStep_ && what == lastWhat_) return;
            PrintJson(QJsonObject{{"event", "progress"}, {"activity", what}, {"percent", percent}});
        } else if (terminal_) {
            const int filled = percent * kBarWidth / 100;
            PrintOut(QString("\r%1 [%2%3] %4% %5")
                         .arg(what.leftJustified(28), QString(filled, '#'),
                              QString(kBarWidth - filled, '.'))
                         .arg(percent, 3)
                         .arg(QString::fromStdString(view.ElapsedText)));
            barShown_ = true;
        } else {
            if (percent / kLineStepPercent == lastStep_ && what == lastWhat_) return;
            PrintOut(QString("%1 %2%\n").arg(what).arg(percent));
        }
        lastStep_ = percent / kLineStepPercent;
        lastWhat_ = what;
    }
    void End() {
        if (barShown_) PrintOut("\n");
        barShown_ = false;
    }

  private:
    bool json_;
    bool terminal_;
    bool barShown_ = false;
    int lastStep_ = -1;
    QString lastWhat_;
};

}  // namespace

int RunEpoCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const PortOptions portOptions;
    portOptions.AddTo(parser);
    const QCommandLineOption fileOption("file", "Upload this EPO file.", "FILE");
    const QCommandLineOption urlOption(
        "url", "Download the EPO file for the receiver's EPO period from this address.", "URL");
    const QCommandLineOption jsonOption(
        "json",
        "One JSON object per line: {\"event\":\"status\"} before and after, "
        "{\"event\":\"progress\"} while it runs, {\"event\":\"result\",\"ok\",\"message\"}.");
    parser.addOption(fileOption);
    parser.addOption(urlOption);
    parser.addOption(jsonOption);
    int exitCode = kExitOk;
    if (!ParseCommandArguments(
            parser, arguments,
            "Uploads EPO assistance data into an MTK receiver: connects, waits for the receiver "
            "to be identified, shows its EPO status, uploads the file (or downloads it first), "
            "and shows the status again. Any failure returns the receiver to NMEA at its rate.\n"
            "Exit status: 0 when the upload succeeded; 1 otherwise; 2 usage.",
            &exitCode)) {
        return exitCode;
    }
    if (parser.isSet(fileOption) == parser.isSet(urlOption)) {
        PrintErr("gnssvaro-cli epo: give either --file FILE or --url URL\n");
        return kExitUsage;
    }
    PortChoice port;
    if (!portOptions.Read(parser, "epo", port, &exitCode)) return exitCode;
    std::string bytes;
    if (parser.isSet(fileOption)) {
        QFile file(parser.value(fileOption));
        if (!file.open(QIODevice::ReadOnly) ||
            file.size() > static_cast<qint64>(EpoAssistant::kMaxFileBytes)) {
            PrintErr("gnssvaro-cli epo: cannot read '" + parser.value(fileOption) + "'\n");
            return kExitFailure;
        }
        bytes = file.readAll().toStdString();
        if (RecogniseEpoFile(bytes).Type == EpoType::Unknown) {
            PrintErr("gnssvaro-cli epo: '" + parser.value(fileOption) + "' holds no EPO data\n");
            return kExitFailure;
        }
    }
    const bool json = parser.isSet(jsonOption);

    QtAssistDownloader downloader;
    QtNetworkStatus network;
    HeadlessSession session;
    AppCore& core = session.Core();
    core.SetAssistNetwork(&downloader, &network);
    if (!session.Open(port)) return kExitFailure;
    SharedState& shared = core.Shared();
    if (!session.RunUntil([&] { return shared.ReceiverIdentified || shared.IdentificationGaveUp; },
                          kIdentifyWaitMs) ||
        !shared.ReceiverIdentified) {
        PrintErr("gnssvaro-cli epo: the receiver was not identified\n");
        return kExitFailure;
    }
    if (shared.Family != ReceiverFamily::MTK && shared.Family != ReceiverFamily::CM2) {
        PrintErr(QString("gnssvaro-cli epo: the receiver is %1, not MTK\n")
                     .arg(QString::fromLatin1(FamilyDisplayName(shared.Family).data())));
        return kExitFailure;
    }
    (void)ShowStatus(session, "before", json);

    EpoAssistant& epo = core.Epo;
    if (parser.isSet(urlOption)) {
        epo.DownloadAndUpload(parser.value(urlOption).toStdString());
    } else {
        (void)epo.UploadBytes(std::move(bytes));
    }
    ProgressPrinter progress(json);
    while (epo.Busy() && session.ExitCode() == 0) {
        session.RunUntil([] { return false; }, kStepMs);
        progress.Show(epo.View());
    }
    progress.Show(epo.View());
    progress.End();
    // Success is confirmed a moment after the receiver is back in NMEA.
    session.RunUntil([&] { return !epo.LastOutcome().empty(); }, kConfirmWaitMs);
    const bool ok = epo.LastOutcomeOk() && epo.LastOutcome() == "Update success !";
    if (json) {
        PrintJson(QJsonObject{{"event", "result"},
                              {"ok", ok},
                              {"message", QString::fromStdString(epo.LastOutcome())},
                              {"uploadTime", QString::fromStdString(epo.View().ElapsedText)}});
    } else {
        PrintOut(
            QString::fromStdString(epo.LastOutcome().empty() ? "No result" : epo.LastOutcome()) +
            "\n");
    }
    if (shared.PortOpen) (void)ShowStatus(session, "after", json);
    session.Close();
    return ok ? kExitOk : kExitFailure;
}

}  // namespace gnss::cli
