#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
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

constexpr const char* kExitStatusHelp =
    "\nExit status:\n"
    "  0  success (also when ended by Ctrl-C or SIGTERM)\n"
    "  1  failure: the port could not be opened or went away, a file could not be read or\n"
    "     written\n"
    "  2  usage error: unknown option, missing or wrong value\n";

constexpr qsizetype kHelpWidth = 79;

// The description as the help shows it: each paragraph line wrapped at kHelpWidth columns at
// blanks; lines that start with a blank (examples, lists) stay as they are.
QString WrapDescription(const QString& text) {
    QStringList out;
    for (const QString& line : text.split('\n')) {
        if (line.startsWith(' ') || line.size() <= kHelpWidth) {
            out << line;
            continue;
        }
        QString current;
        for (const QString& word : line.split(' ', Qt::SkipEmptyParts)) {
            if (!current.isEmpty() && current.size() + 1 + word.size() > kHelpWidth) {
                out << current;
                current.clear();
            }
            current += (current.isEmpty() ? "" : " ") + word;
        }
        out << current;
    }
    return out.join('\n');
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
    parser.setApplicationDescription(WrapDescription(QString::fromUtf8(description)));
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
        help += kExitStatusHelp;
        PrintOut(help);
        *exitCode = kExitOk;
        return false;
    }
    return true;
}

bool RunEventsUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() >= timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

}  // namespace gnss::cli
