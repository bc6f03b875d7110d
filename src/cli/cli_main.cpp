// gnssvaro-cli: the receiver tool without windows.
#include <QCoreApplication>
#include <array>

#include "cli/cli_commands.h"

namespace {

using gnss::cli::Command;

// Adding a command: one entry here and its own file with the entry function.
constexpr std::array kCommands{
    Command{"ports", "List the serial ports.", gnss::cli::RunPortsCommand},
    Command{"monitor", "Print the lines a receiver sends, until Ctrl-C.",
            gnss::cli::RunMonitorCommand},
    Command{"watch", "A full-screen view of the receiver, refreshed once a second.",
            gnss::cli::RunWatchCommand},
    Command{"record", "Record a text log (and raw capture) without windows.",
            gnss::cli::RunRecordCommand},
    Command{"decode", "Decode a capture file offline (JSON Lines or text).",
            gnss::cli::RunDecodeCommand},
    Command{"send", "Send one command and print what comes back.", gnss::cli::RunSendCommand},
    Command{"restart", "Restart the receiver and verify it (acknowledgement, fix).",
            gnss::cli::RunRestartCommand},
    Command{"ttff", "Time to first fix over repeated restarts, with statistics.",
            gnss::cli::RunTtffCommand},
    Command{"assist", "Upload SGEE or HD assistance data, as the receiver's family takes it.",
            gnss::cli::RunAssistCommand},
    Command{"epo", "Upload EPO assistance data into an MTK receiver (file or download).",
            gnss::cli::RunEpoCommand},
};

void PrintUsage(std::FILE* stream) {
    QString text =
        "Usage: gnssvaro-cli <command> [options]\n"
        "       gnssvaro-cli <command> --help\n\n"
        "Test and monitoring tool for GNSS receivers.\n\n"
        "Commands:\n";
    for (const auto& command : kCommands) {
        text += QString("  %1%2\n").arg(QString(command.Name).leftJustified(12), command.Summary);
    }
    text +=
        "\nThe reporting commands take --json for JSON Lines output (one object per line).\n"
        "Exit status: 0 success, 1 failure, 2 usage error.\n";
    if (stream == stdout) {
        gnss::cli::PrintOut(text);
    } else {
        gnss::cli::PrintErr(text);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("gnssvaro-cli");

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        PrintUsage(stderr);
        return gnss::cli::kExitUsage;
    }
    const QString& name = arguments.front();
    if (name == "-h" || name == "--help" || name == "help") {
        PrintUsage(stdout);
        return gnss::cli::kExitOk;
    }
    for (const auto& command : kCommands) {
        if (name == command.Name) return command.Run(arguments);
    }
    gnss::cli::PrintErr("gnssvaro-cli: unknown command '" + name + "'\n\n");
    PrintUsage(stderr);
    return gnss::cli::kExitUsage;
}
