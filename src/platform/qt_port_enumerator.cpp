#include "platform/qt_port_enumerator.h"

#include <QDir>
#include <QSerialPortInfo>

namespace gnss {

std::vector<std::string> QtPortEnumerator::PresentPorts() const {
    std::vector<std::string> names;
    const auto ports = QSerialPortInfo::availablePorts();
    names.reserve(static_cast<std::size_t>(ports.size()));
    for (const auto& info : ports) names.push_back(info.portName().toStdString());
    return names;
}

std::vector<SerialPortDescription> QtPortEnumerator::DescribePorts() {
    std::vector<SerialPortDescription> result;
    for (const auto& info : QSerialPortInfo::availablePorts()) {
        result.push_back({info.portName().toStdString(), info.description().toStdString(),
                          info.manufacturer().toStdString(), info.systemLocation().toStdString()});
    }
    return result;
}

namespace {

// The list as one text (names ended by CR LF): what is compared between two polls.
std::string ListText(const std::vector<std::string>& ports) {
    std::string text;
    for (const auto& name : ports) {
        text += name;
        text += "\r\n";
    }
    return text;
}

}  // namespace

PortWatcher::PortWatcher(const PortEnumerator& enumerator, int intervalMs, QObject* parent)
    : QObject(parent), enumerator_(enumerator) {
    timer_.setInterval(intervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] { Poll(); });
    connect(&folderWatch_, &QFileSystemWatcher::directoryChanged, this,
            [this](const QString& folder) {
                // The folder also reports its nodes' time stamps (a terminal that is written
                // to): only a new or a removed name is worth reading the port list for.
                QStringList names = QDir(folder).entryList(QDir::System | QDir::AllEntries);
                if (names == folderNames_) return;
                folderNames_ = std::move(names);
                if (timer_.isActive()) settle_.start();
            });
}

bool PortWatcher::WatchDeviceFolder(const QString& folder, int fallbackIntervalMs) {
    if (!folderWatch_.addPath(folder)) return false;
    folderNames_ = QDir(folder).entryList(QDir::System | QDir::AllEntries);
    timer_.setInterval(fallbackIntervalMs);
    return true;
}

void PortWatcher::Start() {
    ports_ = enumerator_.PresentPorts();
    text_ = ListText(ports_);
    timer_.start();
}

void PortWatcher::Stop() {
    timer_.stop();
    settle_.stop();
}

bool PortWatcher::Poll() {
    auto ports = enumerator_.PresentPorts();
    auto text = ListText(ports);
    if (text == text_) return false;
    ports_ = std::move(ports);
    text_ = std::move(text);
    emit PortsChanged();
    return true;
}

}  // namespace gnss
