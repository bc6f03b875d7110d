// gnssvaro-cli send and restart against gnss-sim through real pseudo-terminals: every simulated
// family restarted and verified, and refusals, silence and bad commands reported as failures.

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "platform/qt_test_support.h"

namespace gnss {
namespace {

const QString kCli = QString(GNSS_BINARY_DIR) + "/src/gnssvaro-cli";
const QString kSim = QString(GNSS_BINARY_DIR) + "/src/gnss-sim";

// gnss-sim in its own process; its first line is the device path, the second "baud=N".
struct Sim {
    explicit Sim(QStringList args) {
        process.start(kSim, args << "--power-on-ms"
                                 << "1000"
                                 << "--hot-ms"
                                 << "2000"
                                 << "--warm-ms"
                                 << "2500"
                                 << "--cold-ms"
                                 << "3000"
                                 << "--factory-ms"
                                 << "3500");
        QString out;
        testing::WaitUntil(
            [&] {
                out += QString::fromLatin1(process.readAllStandardOutput());
                return out.contains("baud=") && out.endsWith('\n');
            },
            10000);
        const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
        for (const QString& line : lines) {
            if (line.startsWith("/dev/")) Device = line.trimmed();
            if (line.startsWith("baud=")) Baud = line.mid(5).trimmed();
        }
    }
    ~Sim() {
        process.terminate();
        if (!process.waitForFinished(3000)) process.kill();
        process.waitForFinished(3000);
    }
    QProcess process;
    QString Device;
    QString Baud;
};

struct CliRun {
    CliRun(QStringList simArgs, QStringList cliArgs)
        : SimArgs(std::move(simArgs)), CliArgs(std::move(cliArgs)) {}
    QStringList SimArgs;
    QStringList CliArgs;
    std::unique_ptr<Sim> Receiver;
    std::unique_ptr<QProcess> Cli;
    QString Out;
    QString Err;
    int ExitCode = -1;
};

void Add(std::vector<CliRun>& runs, QStringList simArgs, QStringList cliArgs) {
    runs.emplace_back(std::move(simArgs), std::move(cliArgs));
}

// Runs every case at once (the receivers pace their output, so they mostly wait).
void RunAll(std::vector<CliRun>& runs, int timeoutMs) {
    for (CliRun& run : runs) {
        run.Receiver = std::make_unique<Sim>(run.SimArgs);
        run.Cli = std::make_unique<QProcess>();
        run.Cli->start(kCli, run.CliArgs << "--port" << run.Receiver->Device << "--baud"
                                         << run.Receiver->Baud);
    }
    testing::WaitUntil(
        [&] {
            for (CliRun& run : runs) {
                if (run.Cli->state() != QProcess::NotRunning) return false;
            }
            return true;
        },
        timeoutMs);
    for (CliRun& run : runs) {
        if (run.Cli->state() != QProcess::NotRunning) {
            run.Cli->kill();
            run.Cli->waitForFinished(3000);
        }
        run.Out = QString::fromUtf8(run.Cli->readAllStandardOutput());
        run.Err = QString::fromUtf8(run.Cli->readAllStandardError());
        run.ExitCode = run.Cli->exitStatus() == QProcess::NormalExit ? run.Cli->exitCode() : -1;
    }
}

QJsonObject LastObject(const QString& out) {
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    return lines.isEmpty() ? QJsonObject{}
                           : QJsonDocument::fromJson(lines.last().toUtf8()).object();
}

TEST(CliRestart, EverySimulatedFamilyIsRestartedAndVerified) {
    const std::vector<QStringList> families = {
        {"--family", "mtk"},    {"--family", "cm2"},
        {"--family", "sirf"},   {"--family", "cms"},
        {"--family", "sirf4"},  {"--family", "sirf5"},
        {"--family", "ublox"},  {"--family", "ttt"},
        {"--family", "unav"},   {"--family", "ah"},
        {"--family", "st"},     {"--family", "furuno"},
        {"--family", "hd"},     {"--family", "hd", "--variant", "bin"},
        {"--family", "rtk-df"}, {"--family", "tdk-dr"},
        {"--family", "mxt"},    {"--family", "tdk-dr", "--variant", "rtk"}};
    std::vector<CliRun> runs;
    for (const QStringList& family : families) {
        Add(runs, family, {"restart", "cold", "--timeout", "30", "--json"});
    }
    RunAll(runs, 90000);
    for (const CliRun& run : runs) {
        SCOPED_TRACE(run.SimArgs.join(' ').toStdString());
        const QJsonObject report = LastObject(run.Out);
        EXPECT_EQ(run.ExitCode, 0) << run.Out.toStdString() << run.Err.toStdString();
        EXPECT_TRUE(report["succeeded"].toBool());
        EXPECT_TRUE(report["written"].toBool());
        EXPECT_EQ(report["outcome"].toString(), "fix again");
        EXPECT_NE(report["ack"].toString(), "missing");
    }
}

TEST(CliRestart, RefusalsSilenceAndUnknownReceiversAreFailures) {
    std::vector<CliRun> runs;
    Add(runs, {"--family", "ublox", "--fault", "reject"},
        {"restart", "cold", "--timeout", "20", "--json"});
    runs.push_back(
        {{"--family", "hd", "--fault", "reject"}, {"restart", "hot", "--timeout", "20", "--json"}});
    Add(runs, {"--family", "mtk", "--fault", "no-ack"},
        {"restart", "cold", "--timeout", "20", "--json"});
    Add(runs, {"--family", "plain"}, {"restart", "cold", "--timeout", "20"});
    Add(runs, {"--family", "plain"},
        {"restart", "cold", "--timeout", "8", "--family", "bcm", "--json"});
    RunAll(runs, 90000);
    EXPECT_EQ(runs[0].ExitCode, 1);
    EXPECT_EQ(LastObject(runs[0].Out)["ack"].toString(), "refused") << runs[0].Out.toStdString();
    EXPECT_EQ(runs[1].ExitCode, 1);
    EXPECT_EQ(LastObject(runs[1].Out)["ack"].toString(), "refused") << runs[1].Out.toStdString();
    EXPECT_EQ(runs[2].ExitCode, 1);
    EXPECT_EQ(LastObject(runs[2].Out)["ack"].toString(), "missing") << runs[2].Out.toStdString();
    EXPECT_EQ(runs[3].ExitCode, 1);
    EXPECT_TRUE(runs[3].Err.contains("not identified")) << runs[3].Err.toStdString();
    // A family with nothing to send says so and does not claim a restart.
    EXPECT_TRUE(LastObject(runs[4].Out)["summary"].toString().contains("nothing to send"))
        << runs[4].Out.toStdString();
}

TEST(CliSend, SendsByTheCommandBoxRulesAndPrintsTheReplies) {
    std::vector<CliRun> runs;
    Add(runs, {"--family", "mtk"}, {"send", "--listen", "2", "$PMTK605"});
    Add(runs, {"--family", "ublox"}, {"send", "--json", "HEXCMD:B5 62 0A 04 00 00 0E 34"});
    Add(runs, {"--family", "mtk"}, {"send", "HEXCMD:B56"});
    Add(runs, {"--family", "mtk"}, {"send", "$PMTK605*00"});
    RunAll(runs, 60000);
    EXPECT_EQ(runs[0].ExitCode, 0) << runs[0].Err.toStdString();
    EXPECT_TRUE(runs[0].Out.startsWith("> $PMTK605*31\n")) << runs[0].Out.toStdString();
    EXPECT_TRUE(runs[0].Out.contains("< $PMTK705,")) << runs[0].Out.toStdString();
    EXPECT_EQ(runs[1].ExitCode, 0) << runs[1].Err.toStdString();
    EXPECT_TRUE(runs[1].Out.contains("\"name\":\"Poll Software/Hardware version(MON-VER)\""))
        << runs[1].Out.toStdString();
    EXPECT_EQ(runs[2].ExitCode, 1);
    EXPECT_EQ(runs[3].ExitCode, 1);
    EXPECT_TRUE(runs[3].Err.contains("Checksum error")) << runs[3].Err.toStdString();
}

}  // namespace
}  // namespace gnss
