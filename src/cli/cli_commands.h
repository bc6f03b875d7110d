#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <string_view>

namespace gnss::cli {

// One sub-command of gnssvaro-cli. Its entry receives the arguments after the program name,
// the command name first, and returns the process exit code.
struct Command {
    const char* Name;
    const char* Summary;
    int (*Run)(const QStringList& arguments);
};

// Exit codes shared by every command (listed in every command's --help).
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// The commands (one file each).
int RunPortsCommand(const QStringList& arguments);
int RunMonitorCommand(const QStringList& arguments);
int RunDecodeCommand(const QStringList& arguments);
int RunWatchCommand(const QStringList& arguments);
int RunRecordCommand(const QStringList& arguments);

// Parses a command's arguments with the options already added to parser (adds --help).
// Returns false when the command must end now with *exitCode: help was printed (0) or the
// arguments were wrong (usage error printed to stderr).
bool ParseCommandArguments(QCommandLineParser& parser, const QStringList& arguments,
                           const char* description, int* exitCode);

// A received line as safe terminal text: printable ASCII as it is, every other byte (control
// characters, 8-bit bytes) as \xNN.
[[nodiscard]] QString PrintableBytes(std::string_view bytes);

// Text output in the local encoding, flushed at once (the output may be a pipe).
void PrintOut(const QString& text);
void PrintErr(const QString& text);

}  // namespace gnss::cli
