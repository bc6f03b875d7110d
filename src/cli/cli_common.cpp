#include <cstdio>

#include "cli/cli_commands.h"
#include "link/baud_rates.h"
#include "platform/qt_port_enumerator.h"

namespace gnss::cli {

namespace {

QString AutoRateList() {
    QStringList rates;
    for (const uint32_t rate : kAutoBaudRates) rates << QString::number(rate);
    return rates.join(", ");
}

}  // namespace

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

QCommandLineOption BaudOption(const QString& defaultValue) {
    return QCommandLineOption(
        QStringList{"b", "baud"},
        "Baud rate in bit/s, any value, or 'auto' to find the receiver's rate (tries " +
            AutoRateList() + "). Default: " + defaultValue + ".",
        "N|auto", defaultValue);
}

std::optional<std::string> ParseBaudChoice(const QString& text) {
    const std::string value = text.trimmed().toStdString();
    if (IsAutoBaudText(value)) return std::string(kAutoBaudText);
    bool ok = false;
    const uint rate = text.trimmed().toUInt(&ok);
    if (!ok || rate == 0) return std::nullopt;
    return std::to_string(rate);
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
        BaudOption("9600")};
    parser.addOption(options.Port);
    parser.addOption(options.Baud);
    return options;
}

std::optional<PortChoice> ReadPortOptions(const QCommandLineParser& parser,
                                          const PortOptions& options, const char* command) {
    PortChoice choice;
    const std::optional<std::string> baud = ParseBaudChoice(parser.value(options.Baud));
    if (baud) choice.Baud = *baud;
    if (!baud) {
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
