#include <cstdio>

#include "cli/cli_commands.h"
#include "platform/qt_port_enumerator.h"

namespace gnss::cli {

void PrintOut(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

void PrintErr(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

QString PrintableBytes(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f) {
            text += QChar(byte);
        } else {
            text += "\\x";
            text += QChar(kHex[byte >> 4]);
            text += QChar(kHex[byte & 0x0f]);
        }
    }
    return text;
}

bool ParseCommandArguments(QCommandLineParser& parser, const QStringList& arguments,
                           const char* description, int* exitCode) {
    const QString command = arguments.value(0);
    parser.setApplicationDescription(QString::fromUtf8(description));
    const QCommandLineOption helpOption(QStringList{"h", "help"}, "Show this help.");
    parser.addOption(helpOption);
    if (!parser.parse(arguments)) {
        PrintErr(QString("gnssvaro-cli %1: %2\nTry 'gnssvaro-cli %1 --help'.\n")
                     .arg(command, parser.errorText()));
        *exitCode = kExitUsage;
        return false;
    }
    if (parser.isSet(helpOption)) {
        // The parser's own text names the program file; name the command instead.
        QString help = parser.helpText();
        const auto firstLineEnd = help.indexOf('\n');
        help.replace(0, firstLineEnd, QString("Usage: gnssvaro-cli %1 [options]").arg(command));
        PrintOut(help);
        *exitCode = kExitOk;
        return false;
    }
    return true;
}

PortOptions AddPortOptions(QCommandLineParser& parser) {
    PortOptions options{
        QCommandLineOption(QStringList{"p", "port"},
                           "Serial port: a name (ttyUSB0) or a path (/dev/pts/3). Default: the "
                           "first port listed by 'gnssvaro-cli ports'.",
                           "DEVICE"),
        QCommandLineOption(QStringList{"b", "baud"}, "Baud rate in bit/s (default 9600).", "N",
                           "9600")};
    parser.addOption(options.Port);
    parser.addOption(options.Baud);
    return options;
}

std::optional<PortChoice> ReadPortOptions(const QCommandLineParser& parser,
                                          const PortOptions& options, const char* command) {
    PortChoice choice;
    bool baudOk = false;
    choice.Baud = parser.value(options.Baud).toUInt(&baudOk);
    if (!baudOk || choice.Baud == 0) {
        PrintErr(QString("gnssvaro-cli %1: invalid baud rate '%2'\n")
                     .arg(command, parser.value(options.Baud)));
        return std::nullopt;
    }
    choice.Name = parser.value(options.Port).toStdString();
    if (choice.Name.empty()) {
        const auto ports = QtPortEnumerator().PresentPorts();
        if (ports.empty()) {
            PrintErr("no serial ports found\n");
            return std::nullopt;
        }
        choice.Name = ports.front();
    }
    return choice;
}

}  // namespace gnss::cli
