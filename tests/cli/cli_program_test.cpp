#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>

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
    const QString listed = help.Out.section("Commands:\n", 1);
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
    const QStringList cases[] = {{}, {"no-such-command"}, {"ports", "--no-such-option"}};
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
        ASSERT_EQ(fields.size(), 4) << line.toStdString();
        EXPECT_TRUE(fields[3].startsWith('/')) << line.toStdString();  // device path
        EXPECT_TRUE(fields[3].endsWith(fields[0])) << line.toStdString();
    }
}

}  // namespace
}  // namespace gnss
