#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
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
int RunSendCommand(const QStringList& arguments);
int RunRestartCommand(const QStringList& arguments);
int RunTtffCommand(const QStringList& arguments);
int RunWatchCommand(const QStringList& arguments);
int RunRecordCommand(const QStringList& arguments);
int RunAssistCommand(const QStringList& arguments);
int RunEpoCommand(const QStringList& arguments);

// Parses a command's arguments with the options already added to parser (adds --help).
// Returns false when the command must end now with *exitCode: help was printed (0) or the
// arguments were wrong (usage error printed to stderr).
bool ParseCommandArguments(QCommandLineParser& parser, const QStringList& arguments,
                           const char* description, int* exitCode);

// The --baud (-b) option of every command that opens a port: a rate in bit/s, any value, or
// "auto" to find the receiver's rate. `defaultValue` is shown in the help and used when the
// option is left out.
[[nodiscard]] QCommandLineOption BaudOption(const QString& defaultValue);
// The value of --baud as the connection takes it: "Auto" or the rate's digits; nothing for a
// value that is neither (the caller reports the usage error).
[[nodiscard]] std::optional<std::string> ParseBaudChoice(const QString& text);

// A received line as safe terminal text: printable ASCII as it is, every other byte (control
// characters, 8-bit bytes) as \xNN.
[[nodiscard]] QString PrintableBytes(std::string_view bytes);

// Runs the program's events until `done` is true (true) or `timeoutMs` passed (false); for the
// commands that wait for the receiver before the event loop proper runs.
bool RunEventsUntil(const std::function<bool()>& done, uint32_t timeoutMs);

// Text output in the local encoding, flushed at once (the output may be a pipe).
void PrintOut(const QString& text);
void PrintErr(const QString& text);

}  // namespace gnss::cli
