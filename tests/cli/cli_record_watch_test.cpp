// record and watch against gnss-sim on a pseudo-terminal: the recording closes its files on
// every way of ending and decodes again; watch reports once a second with and without a
// terminal, and its keys work (in tmux).

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QJsonArray>
#include <csignal>
#include <filesystem>

#include "cli/cli_test_support.h"
#include "doubles/temp_folder.h"

namespace gnss {
namespace {

using testing::JsonObjects;
using testing::kCliProgram;
using testing::SimServer;
using testing::TempFolder;
using testing::WaitUntil;

const QStringList kUbloxSim = {
    "--family", "ublox", "--rate", "5", "--gnss", "gps,glonass,galileo,beidou", "--baud", "115200"};
const QStringList kMtkSim = {"--family", "mtk",         "--rate", "5",
                             "--gnss",   "gps,glonass", "--baud", "115200"};

struct Finished {
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;
};

Finished RunToEnd(const QStringList& arguments, int deadlineMs = 30000) {
    QProcess process;
    process.start(kCliProgram, arguments);
    Finished result;
    if (!process.waitForStarted(10000) || !process.waitForFinished(deadlineMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.Out = process.readAllStandardOutput();
    result.Err = process.readAllStandardError();
    return result;
}

QJsonObject LastOfType(const std::vector<QJsonObject>& objects, const QString& type) {
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        if ((*it)["type"].toString() == type) return *it;
    }
    return {};
}

TEST(CliRecord, RecordsTextAndRawThatDecodeAndReplayAgain) {
    SimServer sim(kUbloxSim);
    ASSERT_TRUE(sim.Ok());
    TempFolder folder;
    const std::string log = folder / "session.log";
    const Finished record =
        RunToEnd({"record", "--port", sim.Device(), "--baud", sim.Baud(), "--raw", "--seconds", "3",
                  "--json", QString::fromStdString(log)});
    ASSERT_EQ(record.ExitCode, 0) << record.Err.toStdString();
    const QJsonObject saved = LastOfType(JsonObjects(record.Out), "saved");
    const std::string raw = folder / "session.bin";
    EXPECT_EQ(saved["file"].toString().toStdString(), log);
    EXPECT_EQ(saved["rawFile"].toString().toStdString(), raw);
    EXPECT_TRUE(saved["complete"].toBool());
    ASSERT_TRUE(std::filesystem::exists(log));
    ASSERT_TRUE(std::filesystem::exists(raw));
    EXPECT_EQ(saved["textBytes"].toInteger(), std::filesystem::file_size(log));
    EXPECT_EQ(saved["rawBytes"].toInteger(), std::filesystem::file_size(raw));
    EXPECT_GT(std::filesystem::file_size(log), 2000U);
    // The temporary names are gone.
    EXPECT_FALSE(std::filesystem::exists(folder / "session.tmp"));
    EXPECT_FALSE(std::filesystem::exists(folder / "session.bin.tmp"));

    for (const std::string& file : {log, raw}) {
        SCOPED_TRACE(file);
        const Finished decode = RunToEnd({"decode", QString::fromStdString(file)});
        ASSERT_EQ(decode.ExitCode, 0) << decode.Err.toStdString();
        const QJsonObject summary = LastOfType(JsonObjects(decode.Out), "summary");
        EXPECT_EQ(summary["linkState"].toString(), "NMEA");
        EXPECT_GT(summary["decodedLines"].toInt(), 50);
        EXPECT_LT(summary["invalidLines"].toInt() * 20, summary["lines"].toInt());
        EXPECT_GT(summary["kinds"].toObject()["GGA"].toInt(), 5);
        EXPECT_GT(summary["satelliteBlocks"].toInt(), 0);
    }

    // The raw capture plays again through gnss-sim into watch.
    QProcess watch;
    QByteArray out;
    watch.start(kCliProgram, {"watch", "--json", "--replay", QString::fromStdString(raw)});
    ASSERT_TRUE(watch.waitForStarted(10000));
    ASSERT_TRUE(WaitUntil(
        [&] {
            out += watch.readAllStandardOutput();
            const QJsonObject status = LastOfType(JsonObjects(out), "status");
            return status["link"].toString() == "NMEA" && status["inView"].toInt() > 20;
        },
        20000))
        << out.toStdString() << watch.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(watch.processId()), SIGTERM);
    ASSERT_TRUE(watch.waitForFinished(10000));
    EXPECT_EQ(watch.exitCode(), 0);
}

TEST(CliRecord, CtrlCClosesTheLogUnderItsName) {
    SimServer sim(kMtkSim);
    ASSERT_TRUE(sim.Ok());
    TempFolder folder;
    const std::string log = folder / "ctrl-c.txt";
    QProcess record;
    record.start(kCliProgram, {"record", "--port", sim.Device(), "--baud", sim.Baud(),
                               QString::fromStdString(log)});
    ASSERT_TRUE(record.waitForStarted(10000));
    // The recording has begun once its temporary file exists; let a few epochs arrive.
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(folder / "ctrl-c.tmp"); }, 15000));
    WaitUntil([] { return false; }, 3000);
    ::kill(static_cast<pid_t>(record.processId()), SIGINT);
    ASSERT_TRUE(record.waitForFinished(10000));
    EXPECT_EQ(record.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(record.exitCode(), 0) << record.readAllStandardError().toStdString();
    EXPECT_FALSE(std::filesystem::exists(folder / "ctrl-c.tmp"));
    ASSERT_TRUE(std::filesystem::exists(log));
    const std::string text = testing::ReadWholeFile(log);
    EXPECT_NE(text.find("GGA,"), std::string::npos) << text.substr(0, 400);
    EXPECT_TRUE(QString::fromLocal8Bit(record.readAllStandardOutput())
                    .startsWith("saved " + QString::fromStdString(log)));
}

// The receiver going away (the terminal hung up, as a pulled USB adapter does) ends the
// recording with a failure, and what was received is saved under the chosen name.
TEST(CliRecord, KeepsWhatCameWhenTheDeviceGoesAway) {
    testing::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TempFolder folder;
    const std::string log = folder / "pulled.txt";
    QProcess record;
    record.start(kCliProgram,
                 {"record", "--json", "--port", QString::fromStdString(pty.SlavePath()), "--baud",
                  "115200", QString::fromStdString(log)});
    ASSERT_TRUE(record.waitForStarted(10000));
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(folder / "pulled.tmp"); }, 10000));
    pty.CloseSlave();
    const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
    // A line every quarter second for a few seconds, as a receiver sends them.
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(pty.WriteMaster(gga + "\r\n"));
        WaitUntil([] { return false; }, 250);
    }
    pty.CloseMaster();
    ASSERT_TRUE(record.waitForFinished(10000));
    EXPECT_EQ(record.exitCode(), 1);
    const QJsonObject saved = LastOfType(JsonObjects(record.readAllStandardOutput()), "saved");
    EXPECT_FALSE(saved["complete"].toBool());
    ASSERT_TRUE(std::filesystem::exists(log));
    EXPECT_FALSE(std::filesystem::exists(folder / "pulled.tmp"));
    EXPECT_NE(testing::ReadWholeFile(log).find(gga), std::string::npos)
        << testing::ReadWholeFile(log) << record.readAllStandardError().toStdString();
}

TEST(CliRecord, RefusesNamesThatWouldOverwriteOrCollide) {
    TempFolder folder;
    testing::WriteWholeFile(folder / "old.txt", "keep me");
    struct Case {
        QStringList Arguments;
        int ExitCode;
    };
    const QString existing = QString::fromStdString(folder / "old.txt");
    const QString fresh = QString::fromStdString(folder / "new.txt");
    const Case cases[] = {
        {{"record"}, 2},
        {{"record", fresh, fresh}, 2},
        {{"record", "--raw", QString::fromStdString(folder / "capture.bin")}, 2},
        {{"record", QString::fromStdString(folder / "capture.tmp")}, 2},
        {{"record", "--seconds", "0", fresh}, 2},
        {{"record", "--seconds", "soon", fresh}, 2},
        {{"record", "--baud", "0", fresh}, 2},
        {{"record", "--port", "/dev/ttyGNSSVARO_NO_SUCH_DEVICE", existing}, 1},
        {{"record", "--port", "/dev/ttyGNSSVARO_NO_SUCH_DEVICE", fresh}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Arguments.join(' ').toStdString());
        const Finished result = RunToEnd(c.Arguments);
        EXPECT_EQ(result.ExitCode, c.ExitCode);
        EXPECT_FALSE(result.Err.isEmpty());
    }
    EXPECT_EQ(testing::ReadWholeFile(folder / "old.txt"), "keep me");
    EXPECT_FALSE(std::filesystem::exists(folder / "new.txt"));
    EXPECT_FALSE(std::filesystem::exists(folder / "new.tmp"));
}

// Without a terminal watch prints one summary per second, as text or JSON, from the same
// view models as the window: once the receiver is identified the position is there.
TEST(CliWatch, ReportsOncePerSecondWithoutATerminal) {
    SimServer sim(kMtkSim);
    ASSERT_TRUE(sim.Ok());
    QProcess watch;
    QByteArray out;
    watch.start(kCliProgram, {"watch", "--json", "--port", sim.Device(), "--baud", sim.Baud()});
    ASSERT_TRUE(watch.waitForStarted(10000));
    QJsonObject status;
    ASSERT_TRUE(WaitUntil(
        [&] {
            out += watch.readAllStandardOutput();
            status = LastOfType(JsonObjects(out), "status");
            return status["fix"].toString().contains("3D");
        },
        20000))
        << out.toStdString();
    EXPECT_EQ(status["link"].toString(), "NMEA");
    EXPECT_EQ(status["family"].toString(), "MTK");
    EXPECT_TRUE(status["latitude"].toString().contains("25.03"))
        << status["latitude"].toString().toStdString();
    const QJsonArray constellations = status["constellations"].toArray();
    ASSERT_EQ(constellations.size(), 2);
    EXPECT_EQ(constellations[0].toObject()["name"].toString(), "GPS");
    EXPECT_EQ(constellations[1].toObject()["name"].toString(), "GLONASS");
    int used = 0;
    for (const auto& sat : status["satellites"].toArray()) {
        used += sat.toObject()["use"].toString() == "used" ? 1 : 0;
    }
    EXPECT_EQ(used, constellations[0].toObject()["used"].toInt() +
                        constellations[1].toObject()["used"].toInt());
    EXPECT_EQ(status["satellites"].toArray().size(), status["inView"].toInt());
    ::kill(static_cast<pid_t>(watch.processId()), SIGINT);
    ASSERT_TRUE(watch.waitForFinished(10000));
    EXPECT_EQ(watch.exitCode(), 0);
}

// The full-screen view in a real terminal (tmux): drawn, and the keys change units, position
// notation and pause; q ends it with the terminal restored.
TEST(CliWatch, FullScreenViewAnswersItsKeysInATerminal) {
    SimServer sim(kMtkSim);
    ASSERT_TRUE(sim.Ok());
    const QString socket = QString("gnssvaro-test-%1").arg(QCoreApplication::applicationPid());
    const auto tmux = [&socket](QStringList arguments) {
        QProcess process;
        process.start("tmux", QStringList{"-L", socket} + arguments);
        if (!process.waitForFinished(10000)) return QString("tmux did not answer");
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    const QString command = QString("%1 watch --port %2 --baud %3; echo EXIT=$?; sleep 30")
                                .arg(kCliProgram, sim.Device(), sim.Baud());
    tmux({"new-session", "-d", "-s", "watch", "-x", "120", "-y", "40", command});
    QString screen;
    const auto shows = [&](const QString& text) {
        return WaitUntil(
            [&] {
                screen = tmux({"capture-pane", "-p", "-t", "watch"});
                return screen.contains(text);
            },
            20000);
    };
    EXPECT_TRUE(shows("Fix(3D)")) << screen.toStdString();
    EXPECT_TRUE(screen.contains("── Navigation")) << screen.toStdString();
    EXPECT_TRUE(screen.contains("GPS ")) << screen.toStdString();
    EXPECT_TRUE(screen.contains("█")) << screen.toStdString();
    EXPECT_TRUE(screen.contains("GGA,")) << screen.toStdString();
    EXPECT_EQ(screen.split('\n').size(), 41);  // 40 rows and the capture's last line end

    tmux({"send-keys", "-t", "watch", "u"});
    EXPECT_TRUE(shows("unit (Ml/H)")) << screen.toStdString();
    tmux({"send-keys", "-t", "watch", "f"});
    EXPECT_TRUE(shows("25°02'")) << screen.toStdString();
    tmux({"send-keys", "-t", "watch", "p"});
    EXPECT_TRUE(shows("PAUSED")) << screen.toStdString();
    tmux({"send-keys", "-t", "watch", "q"});
    EXPECT_TRUE(shows("EXIT=0")) << screen.toStdString();
    tmux({"kill-server"});
}

}  // namespace
}  // namespace gnss
