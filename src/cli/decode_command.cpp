#include <QFileInfo>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "cli/cli_commands.h"
#include "replay/capture_replay.h"
#include "replay/decode_report.h"

namespace gnss::cli {

namespace {

constexpr uint32_t kMaxBaudRate = 100'000'000;

bool ReadWholeFile(const QString& path, std::string& bytes) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    if (in.bad()) return false;
    bytes = std::move(all).str();
    return true;
}

}  // namespace

int RunDecodeCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption baudOption(
        "baud", "Baud rate the capture was received at (sets the bytes per 70 ms tick).", "N",
        QString::number(ReplayOptions::kDefaultBaudRate));
    const QCommandLineOption familyOption(
        "family", "Receiver family (\"unknow\", \"ublox\", \"MTK\", \"Uni\", ...).", "NAME",
        "unknow");
    const QCommandLineOption textOption("text", "Readable text instead of JSON Lines.");
    const QCommandLineOption lfOption(
        "lf", "The file is a text log with LF line ends: put a CR before every LF that lacks one.");
    parser.addOption(baudOption);
    parser.addOption(familyOption);
    parser.addOption(textOption);
    parser.addOption(lfOption);
    parser.addPositionalArgument("FILE", "Raw capture or text log to decode.");
    int exitCode = kExitOk;
    if (!ParseCommandArguments(
            parser, arguments,
            "Decodes a capture offline: its bytes go through the receive path as a receiver at "
            "the given baud rate would deliver them, on simulated time. Prints one JSON object "
            "per decoded sentence, per completed satellite block and per message of the "
            "receive path, then a summary (or the same as text with --text).",
            &exitCode)) {
        return exitCode;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        PrintErr(files.isEmpty() ? "gnssvaro-cli decode: no FILE given\n"
                                 : "gnssvaro-cli decode: one FILE only\n");
        return kExitUsage;
    }

    ReplayOptions options;
    bool numberOk = false;
    const qulonglong baud = parser.value(baudOption).toULongLong(&numberOk);
    if (!numberOk || baud < ReplayOptions::kMinBaudRate || baud > kMaxBaudRate) {
        PrintErr(QString("gnssvaro-cli decode: --baud must be a number from %1 to %2\n")
                     .arg(ReplayOptions::kMinBaudRate)
                     .arg(kMaxBaudRate));
        return kExitUsage;
    }
    options.BaudRate = static_cast<uint32_t>(baud);
    const auto family = FamilyFromName(parser.value(familyOption).toStdString());
    if (!family) {
        PrintErr("gnssvaro-cli decode: unknown family '" + parser.value(familyOption) + "'\n");
        return kExitUsage;
    }
    options.Family = *family;
    options.LfLineEnds = parser.isSet(lfOption);

    std::string bytes;
    if (QFileInfo(files.front()).isDir() || !ReadWholeFile(files.front(), bytes)) {
        PrintErr("gnssvaro-cli decode: cannot read '" + files.front() + "'\n");
        return kExitFailure;
    }

    // A file without a single CR LF is a text log stored with LF line ends (as the stored
    // receiver logs often are): read as it is, it would have no line at all.
    if (!options.LfLineEnds && bytes.find("\r\n") == std::string::npos &&
        bytes.find('\n') != std::string::npos) {
        options.LfLineEnds = true;
        PrintErr("gnssvaro-cli decode: no CR LF in '" + files.front() +
                 "': its LF line ends are read as CR LF (as with --lf)\n");
    }

    const std::string name = QFileInfo(files.front()).fileName().toStdString();
    std::ostream& out = std::cout;
    if (parser.isSet(textOption)) {
        TextReport report(out);
        report.Begin(name, options);
        ReplayCapture(bytes, options, report);
    } else {
        JsonLinesReport report(out);
        report.Begin(name, options);
        ReplayCapture(bytes, options, report);
    }
    out.flush();
    return out ? kExitOk : kExitFailure;
}

}  // namespace gnss::cli
