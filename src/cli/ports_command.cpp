#include <unistd.h>

#include <QJsonObject>

#include "cli/cli_commands.h"
#include "cli/json_lines.h"
#include "platform/qt_port_enumerator.h"

namespace gnss::cli {

namespace {

constexpr const char* kPortsHelp =
    "Lists the serial ports present on this computer, one per line: name, description, "
    "manufacturer, device path and access (\"ok\", or \"no-permission\" when this user may "
    "not open the port for reading and writing; membership of the device's group fixes that, "
    "usually: sudo usermod -aG dialout $USER, then log in again).\n\n"
    "With --json, one object per port:\n"
    "  {\"type\":\"port\", \"name\", \"description\", \"manufacturer\", \"path\",\n"
    "   \"access\": true or false}";

// Whether this user may open the device for reading and writing.
bool MayOpen(const std::string& path) {
    return !path.empty() && ::access(path.c_str(), R_OK | W_OK) == 0;
}

}  // namespace

int RunPortsCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption jsonOption = JsonOption();
    parser.addOption(jsonOption);
    int exitCode = kExitOk;
    if (!ParseCommandArguments(parser, arguments, kPortsHelp, &exitCode)) return exitCode;
    if (!parser.positionalArguments().isEmpty()) {
        PrintErr("gnssvaro-cli ports: unexpected argument '" + parser.positionalArguments()[0] +
                 "'\n");
        return kExitUsage;
    }
    const bool json = parser.isSet(jsonOption);

    const auto ports = QtPortEnumerator::DescribePorts();
    if (ports.empty() && !json) {
        PrintOut("no serial ports found\n");
        return kExitOk;
    }
    const auto orDash = [](const std::string& text) {
        return text.empty() ? QString("-") : QString::fromStdString(text);
    };
    for (const auto& port : ports) {
        const bool access = MayOpen(port.Path);
        if (json) {
            PrintJsonLine({{"type", "port"},
                           {"name", QString::fromStdString(port.Name)},
                           {"description", QString::fromStdString(port.Description)},
                           {"manufacturer", QString::fromStdString(port.Manufacturer)},
                           {"path", QString::fromStdString(port.Path)},
                           {"access", access}});
            continue;
        }
        PrintOut(QString("%1\t%2\t%3\t%4\t%5\n")
                     .arg(QString::fromStdString(port.Name), orDash(port.Description),
                          orDash(port.Manufacturer), orDash(port.Path),
                          access ? QString("ok") : QString("no-permission")));
    }
    return kExitOk;
}

}  // namespace gnss::cli
