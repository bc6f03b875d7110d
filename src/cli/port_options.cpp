#include "cli/port_options.h"

#include "cli/cli_commands.h"
#include "platform/qt_port_enumerator.h"

namespace gnss::cli {

PortOptions::PortOptions()
    : port_(QStringList{"p", "port"},
            "Serial port: a name (ttyUSB0) or a path (/dev/pts/3). Default: the first port "
            "listed by 'gnssvaro-cli ports'.",
            "DEVICE"),
      baud_(QStringList{"b", "baud"},
            QString("Baud rate in bit/s, any value (default %1).").arg(kDefaultBaudRate), "N",
            QString::number(kDefaultBaudRate)) {}

void PortOptions::AddTo(QCommandLineParser& parser) const {
    parser.addOption(port_);
    parser.addOption(baud_);
}

bool PortOptions::Read(const QCommandLineParser& parser, const char* command, PortChoice& choice,
                       int* exitCode) const {
    bool baudOk = false;
    const uint32_t baudRate = parser.value(baud_).toUInt(&baudOk);
    if (!baudOk || baudRate == 0) {
        PrintErr(
            QString("gnssvaro-cli %1: invalid baud rate '%2'\n").arg(command, parser.value(baud_)));
        *exitCode = kExitUsage;
        return false;
    }
    choice.BaudRate = baudRate;
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
