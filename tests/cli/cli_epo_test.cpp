// gnssvaro-cli epo against gnss-sim on pseudo-terminals, with the EPO file served by a real HTTP
// server on 127.0.0.1: download, upload and the status after; a missing file, a file of the
// wrong size and a rejected packet are failures that leave the receiver in NMEA.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "cli/cli_test_support.h"
#include "doubles/epo_file_maker.h"
#include "platform/http_test_server.h"

namespace gnss {
namespace {

using testing::JsonObjects;
using testing::SimServer;

// Seven days of EPO II starting at the current 6-hour set.
std::string CurrentSevenDayFile() {
    const QDateTime origin(QDate(1980, 1, 6), QTime(0, 0), Qt::UTC);
    const auto hour = static_cast<uint32_t>(origin.secsTo(QDateTime::currentDateTimeUtc()) / 3600);
    return testing::MakeEpoIISevenDays(hour - hour % 6);
}

struct EpoRun {
    QStringList SimArgs;
    QStringList CliArgs;
    std::unique_ptr<SimServer> Sim;
    std::unique_ptr<QProcess> Cli;
    QByteArray Out;
    int ExitCode = -1;
};

void RunAll(std::vector<EpoRun>& runs) {
    for (EpoRun& run : runs) {
        run.Sim = std::make_unique<SimServer>(run.SimArgs);
        ASSERT_TRUE(run.Sim->Ok());
        run.Cli = std::make_unique<QProcess>();
        run.Cli->start(
            testing::kCliProgram,
            QStringList{"epo", "--port", run.Sim->Device(), "--baud", run.Sim->Baud(), "--json"}
                << run.CliArgs);
    }
    testing::WaitUntil(
        [&] {
            for (EpoRun& run : runs) {
                if (run.Cli->state() != QProcess::NotRunning) return false;
            }
            return true;
        },
        120000);
    for (EpoRun& run : runs) {
        if (run.Cli->state() != QProcess::NotRunning) run.Cli->kill();
        run.Cli->waitForFinished(3000);
        run.Out = run.Cli->readAllStandardOutput();
        run.ExitCode = run.Cli->exitStatus() == QProcess::NormalExit ? run.Cli->exitCode() : -1;
    }
}

QJsonObject EventOf(const std::vector<QJsonObject>& objects, const QString& event,
                    const QString& phase = {}) {
    for (const QJsonObject& object : objects) {
        if (object["event"].toString() == event &&
            (phase.isEmpty() || object["phase"].toString() == phase)) {
            return object;
        }
    }
    return {};
}

TEST(CliEpo, DownloadsUploadsAndReportsTheNewStatusOrFailsCleanly) {
    testing::HttpTestServer server;
    ASSERT_TRUE(server.Ready()) << "python3 -m http.server did not start";
    const std::string file = CurrentSevenDayFile();
    ASSERT_TRUE(server.Put("EPO_II_7D.DAT", file));
    ASSERT_TRUE(server.Put("SHORT.DAT", file.substr(0, file.size() - 1)));
    QTemporaryDir folder;
    const QString localFile = folder.filePath("local.dat");
    {
        QFile out(localFile);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(file.data(), static_cast<qint64>(file.size()));
    }
    const QStringList sevenDays = {"--family", "mtk", "--variant", "g"};

    std::vector<EpoRun> runs(4);
    runs[0] = {sevenDays, {"--url", server.Url("EPO_II_7D.DAT")}, {}, {}, {}, -1};
    runs[1] = {sevenDays, {"--url", server.Url("MISSING.DAT")}, {}, {}, {}, -1};
    runs[2] = {sevenDays, {"--url", server.Url("SHORT.DAT")}, {}, {}, {}, -1};
    runs[3] = {QStringList(sevenDays) << "--fault"
                                      << "epo-reject=4",
               {"--file", localFile},
               {},
               {},
               {},
               -1};
    RunAll(runs);

    {
        SCOPED_TRACE("download and upload");
        const auto objects = JsonObjects(runs[0].Out);
        EXPECT_EQ(runs[0].ExitCode, 0) << runs[0].Out.toStdString();
        EXPECT_TRUE(EventOf(objects, "result")["ok"].toBool());
        EXPECT_EQ(EventOf(objects, "result")["message"].toString(), "Update success !");
        EXPECT_TRUE(EventOf(objects, "status", "before")["validity"].toString().contains(
            "AGPS data is empty !"));
        const QJsonObject after = EventOf(objects, "status", "after");
        EXPECT_DOUBLE_EQ(after["validDays"].toDouble(), 6.75);
        EXPECT_TRUE(after["validity"].toString().contains("AGPS data is valid for"));
        EXPECT_FALSE(EventOf(objects, "progress").isEmpty());
    }
    const struct {
        std::size_t Run;
        QString Message;
    } failures[] = {
        {1, "The AGPS data is not available !"},
        {2, "Data error !"},
        {3, "---- [EPO Terminate !] at EPO Pkt :004"},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.Message.toStdString());
        const EpoRun& run = runs[failure.Run];
        const QJsonObject result = EventOf(JsonObjects(run.Out), "result");
        EXPECT_EQ(run.ExitCode, 1) << run.Out.toStdString();
        EXPECT_FALSE(result["ok"].toBool());
        EXPECT_EQ(result["message"].toString(), failure.Message);
    }
}

}  // namespace
}  // namespace gnss
