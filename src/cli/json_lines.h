#pragma once

#include <QCommandLineOption>
#include <QJsonObject>
#include <QString>
#include <string_view>

namespace gnss::cli {

// Machine-readable output of the reporting commands: JSON Lines, one object per line on
// standard output, each with a "type" naming what it reports. Keys come in alphabetical order.

// The --json option every reporting command offers.
[[nodiscard]] QCommandLineOption JsonOption();

// Writes the object as one compact line and flushes (the output is usually a pipe).
void PrintJsonLine(const QJsonObject& object);

// Received bytes as a JSON string: each byte becomes the character of the same code (U+0000 to
// U+00FF), so a reader gets the exact bytes back.
[[nodiscard]] QString JsonBytes(std::string_view bytes);

// The UTC time now as "yyyy-MM-ddThh:mm:ss.zzzZ", the "time" of live reports.
[[nodiscard]] QString JsonTimeNow();

}  // namespace gnss::cli
