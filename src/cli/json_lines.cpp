#include "cli/json_lines.h"

#include <QDateTime>
#include <QJsonDocument>
#include <cstdio>

namespace gnss::cli {

QCommandLineOption JsonOption() {
    return QCommandLineOption(
        "json", "JSON Lines on standard output: one object per line (described above).");
}

void PrintJsonLine(const QJsonObject& object) {
    QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact);
    line += '\n';
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    std::fflush(stdout);
}

QString JsonBytes(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString JsonTimeNow() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

}  // namespace gnss::cli
