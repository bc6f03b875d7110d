#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "assist/hd_assist_messages.h"
#include "cli/cli_commands.h"
#include "cli/headless_session.h"
#include "cli/port_options.h"

namespace gnss::cli {

namespace {

constexpr uint32_t kIdentifyWaitMs = 20000;
constexpr uint32_t kStatusWaitMs = 5000;
constexpr uint32_t kDownloadWaitMs = 60000;
constexpr uint32_t kTransferWaitMs = 600000;
constexpr uint32_t kHdQuietMs = 4000;

enum class Route { None, Sgee, Hd };

// The families whose receivers take SGEE data, and the HD family.
Route RouteFor(ReceiverFamily family) {
    switch (family) {
        case ReceiverFamily::SiRF:
        case ReceiverFamily::CMS:
        case ReceiverFamily::SiRF4:
        case ReceiverFamily::SiRF5:
            return Route::Sgee;
        case ReceiverFamily::HED:
            return Route::Hd;
        default:
            return Route::None;
    }
}

class Reporter {
  public:
    explicit Reporter(bool json) : json_(json) {}
    void Say(const char* key, const QString& text) const {
        if (json_) {
            PrintOut(QString::fromUtf8(
                         QJsonDocument(QJsonObject{{key, text}}).toJson(QJsonDocument::Compact)) +
                     "\n");
        } else {
            PrintOut(QString(key) + ": " + text + "\n");
        }
    }
    // Progress in tenths, printed when it moves.
    void Progress(uint32_t position, uint32_t max) {
        if (max == 0) return;
        const uint32_t tenth = position * 10 / max;
        if (tenth == lastTenth_) return;
        lastTenth_ = tenth;
        Say("progress", QString("%1/%2").arg(position).arg(max));
    }
    void ResetProgress() { lastTenth_ = 99; }

  private:
    bool json_;
    uint32_t lastTenth_ = 99;
};

bool ReadWholeFile(const QString& path, std::string& out) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    out.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

int RunSgee(HeadlessSession& session, Reporter& out, const std::string& file, bool download) {
    AppCore& core = session.Core();
    SgeeUpload& sgee = core.Sgee;
    sgee.OpenWindow();
    session.RunUntil([&] { return !sgee.Status().Expected; }, kStatusWaitMs);
    out.Say("before", QString::fromStdString(sgee.View().ValidityText));
    if (download) {
        core.Fetch->UpdateSgee();
        session.RunUntil([&] { return !core.Fetch->Busy(); }, kDownloadWaitMs);
        if (!sgee.Running()) return kExitFailure;
    } else if (!sgee.UploadFile(file)) {
        return kExitFailure;
    }
    out.Say("sentences", QString::number(sgee.Sentences().Sentences.size()));
    out.ResetProgress();
    session.RunUntil(
        [&] {
            if (sgee.View().GaugeMax == sgee.Sentences().Sentences.size()) {
                out.Progress(sgee.View().GaugePosition, sgee.View().GaugeMax);
            }
            return !sgee.Running();
        },
        kTransferWaitMs);
    out.Say("result", QString::fromStdString(sgee.View().ValidityText));
    out.Say("seconds", QString::number(sgee.ElapsedMs() / 1000.0, 'f', 2));
    if (sgee.Outcome() != SgeeOutcome::Complete) return kExitFailure;
    session.RunUntil([&] { return !sgee.Status().Expected; }, kStatusWaitMs);
    out.Say("after", QString::fromStdString(sgee.View().ValidityText));
    return kExitOk;
}

int RunHd(HeadlessSession& session, Reporter& out, const QString& path, bool download) {
    AppCore& core = session.Core();
    HdAssist& hd = core.Hd;
    if (download) {
        bool ended = false;
        bool ok = false;
        core.Fetch->DownloadHd([&](bool result) {
            ended = true;
            ok = result;
        });
        session.RunUntil([&] { return ended; }, kDownloadWaitMs);
        for (HdbKind kind : {HdbKind::Gnss, HdbKind::Beidou}) {
            if (!hd.View().TimeTexts[static_cast<std::size_t>(kind)].empty()) {
                out.Say("download", QString::fromStdString(
                                        hd.View().TimeTexts[static_cast<std::size_t>(kind)]));
            }
        }
        if (!ok || !hd.UploadDownloaded()) return kExitFailure;
    } else if (path.endsWith(".hex", Qt::CaseInsensitive)) {
        const std::size_t sent = hd.InjectHexFile(path.toStdString());
        out.Say("injected", QString::number(sent));
        session.RunUntil([] { return false; }, 1000);  // the receiver's replies
        return sent > 0 ? kExitOk : kExitFailure;
    } else {
        std::string file;
        if (!ReadWholeFile(path, file) || !hd.Upload(file)) {
            PrintErr("gnssvaro-cli assist: '" + path +
                     "' is no HD assistance file (frames of 73 or 100 bytes)\n");
            return kExitFailure;
        }
    }
    out.ResetProgress();
    // A BeiDou upload may follow the GNSS one: wait until nothing is active for a while.
    uint32_t quiet = 0;
    session.RunUntil(
        [&] {
            for (const HdGaugeView& gauge : hd.View().Gauges) {
                if (gauge.Max > 0 && gauge.Position < gauge.Max)
                    out.Progress(gauge.Position, gauge.Max);
            }
            quiet = hd.UploadActive() ? 0 : quiet + 1;
            return quiet > kHdQuietMs / 10;
        },
        kTransferWaitMs);
    out.Say("messages", QString::number(hd.MessagesSent()));
    out.Say("seconds", QString::number(hd.UploadElapsedMs() / 1000.0, 'f', 2));
    const bool complete = hd.Outcome() == HdUploadOutcome::Complete;
    out.Say("result",
            complete ? "Inject AGPS Data completely !" : "stopped without acknowledgement");
    return complete ? kExitOk : kExitFailure;
}

}  // namespace

int RunAssistCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const PortOptions portOptions;
    portOptions.AddTo(parser);
    const QCommandLineOption fileOption(
        "file", "Upload this file: SGEE data, an HD file (.hdb) or HD frames as hex text (.hex).",
        "FILE");
    const QCommandLineOption serverOption(
        "server",
        "Download from this base address instead (http://host/path/): SGEE as sgee.bin, HD as "
        "HDAgps/file_gnss_aid_eph.hdb and HDAgps/file_local_bd_aid_eph.hdb.",
        "URL");
    const QCommandLineOption jsonOption("json", "One JSON object per line for each report.");
    parser.addOption(fileOption);
    parser.addOption(serverOption);
    parser.addOption(jsonOption);
    int exitCode = kExitOk;
    if (!ParseCommandArguments(
            parser, arguments,
            "Connects, identifies the receiver and uploads assistance data the way its family "
            "takes it: SGEE for SiRF receivers (status before and after), HD assistance for HD "
            "receivers. The receiver is back at its rate with its output on afterwards, "
            "whatever happened.\nExit status: 0 when the receiver took all the data; 1 "
            "otherwise; 2 usage.",
            &exitCode)) {
        return exitCode;
    }
    if (parser.isSet(fileOption) == parser.isSet(serverOption)) {
        PrintErr("gnssvaro-cli assist: give either --file or --server\n");
        return kExitUsage;
    }
    std::string file;
    if (parser.isSet(fileOption) && !ReadWholeFile(parser.value(fileOption), file)) {
        PrintErr("gnssvaro-cli assist: cannot read '" + parser.value(fileOption) + "'\n");
        return kExitFailure;
    }
    const std::string server = parser.value(serverOption).toStdString();
    if (parser.isSet(serverOption)) {
        if (const auto problem = AddressProblem(server)) {
            PrintErr("gnssvaro-cli assist: " + QString::fromStdString(*problem) + "\n");
            return kExitUsage;
        }
    }
    PortChoice port;
    if (!portOptions.Read(parser, "assist", port, &exitCode)) return exitCode;

    Reporter out(parser.isSet(jsonOption));
    HeadlessSession session;
    AppCore& core = session.Core();
    if (!server.empty()) core.AssistServers.SetAddress(AssistServer::Base, server);
    if (!session.Open(port)) return kExitFailure;
    SharedState& shared = core.Shared();
    if (!session.RunUntil([&] { return shared.ReceiverIdentified || shared.IdentificationGaveUp; },
                          kIdentifyWaitMs) ||
        !shared.ReceiverIdentified) {
        PrintErr("gnssvaro-cli assist: the receiver was not identified\n");
        return kExitFailure;
    }
    out.Say("receiver", QString::fromStdString(core.Identification.Result.FirmwareText));
    int result = kExitFailure;
    switch (RouteFor(shared.Family)) {
        case Route::Sgee:
            result = RunSgee(session, out, file, !server.empty());
            break;
        case Route::Hd:
            result = RunHd(session, out, parser.value(fileOption), !server.empty());
            break;
        case Route::None:
            PrintErr("gnssvaro-cli assist: this receiver takes no SGEE or HD assistance data\n");
            break;
    }
    session.Close();
    return result;
}

}  // namespace gnss::cli
