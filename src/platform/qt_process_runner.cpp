#include "platform/qt_process_runner.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace gnss {

QtProcessRunner::~QtProcessRunner() {
    Stop();
}

std::string QtProcessRunner::FindProgram(std::string_view program) const {
    const QString name =
        QString::fromUtf8(program.data(), static_cast<qsizetype>(program.size())).trimmed();
    if (name.isEmpty()) return {};
    if (name.contains('/')) {
        const QFileInfo info(name);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath().toStdString()
                                                    : std::string();
    }
    return QStandardPaths::findExecutable(name).toStdString();
}

bool QtProcessRunner::Start(const std::string& program, const std::vector<std::string>& arguments) {
    if (IsRunning()) return false;
    QStringList list;
    for (const std::string& argument : arguments) list << QString::fromStdString(argument);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(QString::fromStdString(program), list);
    return process_.waitForStarted(kStartWaitMs);
}

void QtProcessRunner::Stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(kStopWaitMs)) {
        process_.kill();
        process_.waitForFinished(kStopWaitMs);
    }
}

bool QtProcessRunner::IsRunning() const {
    return process_.state() != QProcess::NotRunning;
}

int QtProcessRunner::ExitCode() const {
    return process_.exitCode();
}

std::string QtProcessRunner::TakeOutput() {
    if (!process_.isOpen()) return {};  // never started
    const QByteArray data = process_.readAll();
    return {data.constData(), static_cast<std::size_t>(data.size())};
}

}  // namespace gnss
