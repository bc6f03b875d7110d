#pragma once

// Helpers of the tests that run gnssvaro-cli against gnss-sim on a pseudo-terminal.

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <vector>

#include "platform/qt_test_support.h"

namespace gnss::testing {

inline const QString kCliProgram = QString(GNSS_BINARY_DIR) + "/src/gnssvaro-cli";
inline const QString kSimProgram = QString(GNSS_BINARY_DIR) + "/src/gnss-sim";

// gnss-sim serving one receiver (or a replay); its first two output lines are the device path
// and "baud=N".
class SimServer {
  public:
    explicit SimServer(const QStringList& arguments) {
        process_.start(kSimProgram, arguments);
        if (!process_.waitForStarted(10000)) return;
        WaitUntil(
            [this] {
                while (process_.canReadLine()) {
                    lines_ << QString::fromUtf8(process_.readLine()).trimmed();
                }
                return lines_.size() >= 2;
            },
            10000);
    }
    ~SimServer() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) process_.kill();
    }
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    [[nodiscard]] bool Ok() const { return lines_.size() >= 2 && lines_[0].startsWith('/'); }
    [[nodiscard]] QString Device() const { return lines_.value(0); }
    [[nodiscard]] QString Baud() const { return lines_.value(1).mid(5); }
    // Stops the simulator and returns what it wrote to its error output: its notes and, from a
    // receiver that took assistance data, the line that sums that data up.
    QByteArray StopAndReadErrors() {
        process_.terminate();
        if (!process_.waitForFinished(5000)) process_.kill();
        process_.waitForFinished(3000);
        return process_.readAllStandardError();
    }

  private:
    QProcess process_;
    QStringList lines_;
};

// The JSON objects of JSON Lines output; a line that is not an object fails the test.
inline std::vector<QJsonObject> JsonObjects(const QByteArray& output) {
    std::vector<QJsonObject> objects;
    for (const QByteArray& line : output.split('\n')) {
        if (line.isEmpty()) continue;
        const QJsonDocument document = QJsonDocument::fromJson(line);
        EXPECT_TRUE(document.isObject()) << line.toStdString();
        objects.push_back(document.object());
    }
    return objects;
}

}  // namespace gnss::testing
