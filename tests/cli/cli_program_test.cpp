#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <csignal>

#include "platform/qt_test_support.h"

namespace gnss {
namespace {

const QString kProgram = QString(GNSS_BINARY_DIR) + "/src/gnssvaro-cli";

struct RunResult {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

RunResult RunCli(const QStringList& arguments) {
    QProcess process;
    process.start(kProgram, arguments);
    RunResult result;
    if (!process.waitForStarted(10000) || !process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        result.Err = "did not run: " + process.errorString();
        return result;
    }
    result.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.Out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.Err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

TEST(CliProgram, HelpListsEveryCommandAndEachCommandHasItsOwnHelp) {
    const RunResult help = RunCli({"--help"});
    ASSERT_EQ(help.ExitCode, 0) << help.Err.toStdString();
    EXPECT_TRUE(help.Out.startsWith("Usage: gnssvaro-cli <command>"));
    QStringList commands;
    // The commands are listed from "Commands:" to the next empty line.
    const QString listed = help.Out.section("Commands:\n", 1).section("\n\n", 0, 0);
    for (const QString& line : listed.split('\n', Qt::SkipEmptyParts)) {
        commands << line.trimmed().section(' ', 0, 0);
    }
    ASSERT_TRUE(commands.contains("ports")) << help.Out.toStdString();
    for (const QString& command : commands) {
        SCOPED_TRACE(command.toStdString());
        const RunResult commandHelp = RunCli({command, "--help"});
        EXPECT_EQ(commandHelp.ExitCode, 0);
        EXPECT_TRUE(commandHelp.Out.startsWith("Usage: gnssvaro-cli " + command + " [options]"))
            << commandHelp.Out.toStdString();
        EXPECT_TRUE(commandHelp.Out.contains("--help"));
    }
}

TEST(CliProgram, WrongUsageEndsWithCode2AndAMessage) {
    const QStringList cases[] = {
        {},
        {"no-such-command"},
        {"ports", "--no-such-option"},
        {"ports", "extra"},
        {"monitor", "--baud", "0"},
        {"monitor", "--baud", "fast"},
        {"monitor", "--baud", "autom"},
        {"monitor", "--port"},  // value missing
    };
    for (const auto& arguments : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const RunResult result = RunCli(arguments);
        EXPECT_EQ(result.ExitCode, 2);
        EXPECT_FALSE(result.Err.isEmpty());
        EXPECT_TRUE(result.Out.isEmpty());
    }
}

TEST(CliProgram, PortsListsOneLinePerPortOrSaysThereIsNone) {
    const RunResult result = RunCli({"ports"});
    ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    const QStringList lines = result.Out.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    if (lines.front() == "no serial ports found") {
        EXPECT_EQ(lines.size(), 1);
        return;
    }
    for (const QString& line : lines) {
        const QStringList fields = line.split('\t');
        ASSERT_EQ(fields.size(), 5) << line.toStdString();
        EXPECT_TRUE(fields[3].startsWith('/')) << line.toStdString();  // device path
        EXPECT_TRUE(fields[3].endsWith(fields[0])) << line.toStdString();
        EXPECT_TRUE(fields[4] == "ok" || fields[4] == "no-permission") << line.toStdString();
    }
}

TEST(CliProgram, PortsJsonGivesEveryPortItsAccess) {
    const RunResult text = RunCli({"ports"});
    const RunResult json = RunCli({"ports", "--json"});
    ASSERT_EQ(json.ExitCode, 0) << json.Err.toStdString();
    const QStringList lines = json.Out.split('\n', Qt::SkipEmptyParts);
    if (text.Out.startsWith("no serial ports found")) {
        EXPECT_TRUE(lines.isEmpty());
        return;
    }
    EXPECT_EQ(lines.size(), text.Out.split('\n', Qt::SkipEmptyParts).size());
    for (const QString& line : lines) {
        const QJsonObject port = QJsonDocument::fromJson(line.toUtf8()).object();
        EXPECT_EQ(port["type"].toString(), "port") << line.toStdString();
        EXPECT_TRUE(port["path"].toString().startsWith('/')) << line.toStdString();
        EXPECT_TRUE(port["access"].isBool()) << line.toStdString();
    }
}

TEST(CliMonitor, AMissingPortIsAConnectionError) {
    const RunResult result = RunCli({"monitor", "--port", "/dev/ttyGNSSVARO_NO_SUCH_DEVICE"});
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_TRUE(result.Err.contains("/dev/ttyGNSSVARO_NO_SUCH_DEVICE Connection Error !"))
        << result.Err.toStdString();
    EXPECT_TRUE(result.Out.isEmpty());
}

// The device going away (the terminal hung up, as a pulled USB adapter does) ends the monitor
// with a failure, after closing the port.
TEST(CliMonitor, EndsWithAFailureWhenTheDeviceGoesAway) {
    testing::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    QProcess process;
    QString out;
    process.start(kProgram,
                  {"monitor", "--port", QString::fromStdString(pty.SlavePath()), "--baud", "9600"});
    ASSERT_TRUE(process.waitForStarted(10000));
    ASSERT_TRUE(testing::WaitUntil(
        [&] {
            out += QString::fromLatin1(process.readAllStandardOutput());
            return out.contains("-- link state: UNKNOW\n");
        },
        10000));
    pty.CloseSlave();
    pty.CloseMaster();
    ASSERT_TRUE(process.waitForFinished(10000));
    out += QString::fromLatin1(process.readAllStandardOutput());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(QString::fromLatin1(process.readAllStandardError()).contains("<ComError:IO>"));
    EXPECT_EQ(out.toStdString(), "-- link state: UNKNOW\n-- link state: NULL\n");
}

// A receiver on a pseudo-terminal: the monitor prints its lines and the link states, and Ctrl-C
// (SIGINT) ends it cleanly.
TEST(CliMonitor, PrintsTheReceivedLinesAndEndsOnSigint) {
    testing::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    QProcess process;
    QString out;
    const auto outContains = [&](const QString& text) {
        return [&process, &out, text] {
            out += QString::fromLatin1(process.readAllStandardOutput());
            return out.contains(text);
        };
    };
    process.start(kProgram, {"monitor", "--port", QString::fromStdString(pty.SlavePath()), "--baud",
                             "115200"});
    ASSERT_TRUE(process.waitForStarted(10000));
    ASSERT_TRUE(testing::WaitUntil(outContains("-- link state: UNKNOW\n"), 10000))
        << process.readAllStandardError().toStdString();
    pty.CloseSlave();

    const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
    const std::string rmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
    // The first line makes the link NMEA; it is printed with the data that follows.
    ASSERT_TRUE(pty.WriteMaster(gga + "\r\n"));
    ASSERT_TRUE(testing::WaitUntil(outContains("-- link state: NMEA\n"), 10000));
    ASSERT_TRUE(pty.WriteMaster(rmc.substr(0, 30)));
    ASSERT_TRUE(pty.WriteMaster(rmc.substr(30) + "\r\n"));
    // Bytes that would steer a terminal are shown, not sent to it.
    ASSERT_TRUE(pty.WriteMaster("$PXYZ,\x1b[2J,\xb0,\x7f*00\r\n"));
    const std::string shownControl = "$PXYZ,\\x1b[2J,\\xb0,\\x7f*00";
    ASSERT_TRUE(testing::WaitUntil(outContains(QString::fromStdString(shownControl)), 10000));

    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10000));
    out += QString::fromLatin1(process.readAllStandardOutput());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(out.toStdString(), "-- link state: UNKNOW\n-- link state: NMEA\n" + gga + "\n" + rmc +
                                     "\n" + shownControl + "\n-- link state: NULL\n");
}

// With --json every line and link state is one object; the line keeps its bytes, also those
// that are not printable.
TEST(CliMonitor, JsonGivesOneObjectPerLineAndState) {
    testing::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    QProcess process;
    QByteArray out;
    process.start(kProgram, {"monitor", "--json", "--port", QString::fromStdString(pty.SlavePath()),
                             "--baud", "115200"});
    ASSERT_TRUE(process.waitForStarted(10000));
    ASSERT_TRUE(testing::WaitUntil(
        [&] {
            out += process.readAllStandardOutput();
            return out.contains("UNKNOW");
        },
        10000));
    pty.CloseSlave();
    const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
    // The first line makes the link NMEA; it is reported with the data that follows.
    ASSERT_TRUE(pty.WriteMaster(gga + "\r\n"));
    ASSERT_TRUE(testing::WaitUntil(
        [&] {
            out += process.readAllStandardOutput();
            return out.contains("NMEA");
        },
        10000));
    ASSERT_TRUE(pty.WriteMaster("$PXYZ,\xb0*00\r\n"));
    ASSERT_TRUE(testing::WaitUntil(
        [&] {
            out += process.readAllStandardOutput();
            return out.contains("PXYZ");
        },
        10000));
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10000));
    out += process.readAllStandardOutput();
    EXPECT_EQ(process.exitCode(), 0);
    QStringList seen;
    for (const QByteArray& line : out.split('\n')) {
        if (line.isEmpty()) continue;
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        ASSERT_FALSE(object["time"].toString().isEmpty()) << line.toStdString();
        seen << object["type"].toString() + " " + object["state"].toString() +
                    object["line"].toString();
    }
    EXPECT_EQ(seen, (QStringList{"linkState UNKNOW", "linkState NMEA",
                                 "line " + QString::fromStdString(gga),
                                 "line $PXYZ," + QString(QChar(0xb0)) + "*00", "linkState NULL"}));
}

}  // namespace
}  // namespace gnss
