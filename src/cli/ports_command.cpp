#include "cli/cli_commands.h"
#include "platform/qt_port_enumerator.h"

namespace gnss::cli {

int RunPortsCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    int exitCode = kExitOk;
    if (!ParseCommandArguments(parser, arguments,
                               "Lists the serial ports present on this computer: name, "
                               "description, manufacturer and device path.",
                               &exitCode)) {
        return exitCode;
    }
    if (!parser.positionalArguments().isEmpty()) {
        PrintErr("gnssvaro-cli ports: unexpected argument '" + parser.positionalArguments()[0] +
                 "'\n");
        return kExitUsage;
    }

    const auto ports = QtPortEnumerator::DescribePorts();
    if (ports.empty()) {
        PrintOut("no serial ports found\n");
        return kExitOk;
    }
    const auto orDash = [](const std::string& text) {
        return text.empty() ? QString("-") : QString::fromStdString(text);
    };
    for (const auto& port : ports) {
        PrintOut(QString("%1\t%2\t%3\t%4\n")
                     .arg(QString::fromStdString(port.Name), orDash(port.Description),
                          orDash(port.Manufacturer), orDash(port.Path)));
    }
    return kExitOk;
}

}  // namespace gnss::cli
