#include "cli/port_options.h"

#include "cli/cli_commands.h"
#include "platform/qt_port_enumerator.h"

namespace gnss::cli {

PortOptions::PortOptions(const QString& defaultBaud)
    : port_(QStringList{"p", "port"},
            "Serial port: a name (ttyUSB0) or a path (/dev/pts/3). Default: the first port "
            "listed by 'gnssvaro-cli ports'.",
            "DEVICE"),
      baud_(BaudOption(defaultBaud)) {}

void PortOptions::AddTo(QCommandLineParser& parser) const {
    parser.addOption(port_);
    parser.addOption(baud_);
}

bool PortOptions::Read(const QCommandLineParser& parser, const char* command, PortChoice& choice,
                       int* exitCode) const {
    const std::optional<std::string> baud = ParseBaudChoice(parser.value(baud_));
    if (!baud) {
        PrintErr(
            QString("gnssvaro-cli %1: invalid baud rate '%2'\n").arg(command, parser.value(baud_)));
        *exitCode = kExitUsage;
        return false;
    }
    choice.Baud = *baud;
    choice.Name = parser.value(port_).toStdString();
    if (choice.Name.empty()) {
        const auto ports = QtPortEnumerator().PresentPorts();
        if (ports.empty()) {
            PrintErr("no serial ports found\n");
            *exitCode = kExitFailure;
            return false;
        }
        choice.Name = ports.front();
    }
    return true;
}

}  // namespace gnss::cli
