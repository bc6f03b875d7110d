#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <string>
#include <vector>

#include "link/port_enumerator.h"

namespace gnss {

// One serial port as the system describes it.
struct SerialPortDescription {
    std::string Name;          // "ttyUSB0"
    std::string Description;   // "CP2102 USB to UART Bridge Controller"
    std::string Manufacturer;  // "Silicon Labs"
    std::string Path;          // "/dev/ttyUSB0"
};

// The serial ports the system reports, in the order it reports them.
class QtPortEnumerator final : public PortEnumerator {
  public:
    [[nodiscard]] std::vector<std::string> PresentPorts() const override;
    [[nodiscard]] static std::vector<SerialPortDescription> DescribePorts();
};

// Device-change notification: the port list is read again every intervalMs, and PortsChanged is
// emitted whenever its text differs from the previous one (Ports() holds the new list). Reading
// the list walks the system's device tree, which costs far more than the rest of an idle window,
// so a program can instead watch the folder where device nodes appear: the list is then read
// shortly after that folder changes, and the timer only backs the watch up at a slow pace.
class PortWatcher final : public QObject {
    Q_OBJECT

  public:
    static constexpr int kSettleMs = 150;
    static constexpr const char* kDeviceFolder = "/dev";
    static constexpr int kWatchedPollMs = 60000;

    explicit PortWatcher(const PortEnumerator& enumerator, int intervalMs = 1000,
                         QObject* parent = nullptr);

    // Reads the current list as the previous one and starts polling.
    void Start();
    void Stop();
    // Reads the list again shortly after `folder` (for example "/dev") gains or loses an entry,
    // and polls every fallbackIntervalMs besides. False (and polling as before) when the
    // folder cannot be watched.
    bool WatchDeviceFolder(const QString& folder, int fallbackIntervalMs);
    [[nodiscard]] int IntervalMs() const { return timer_.interval(); }
    [[nodiscard]] bool IsActive() const { return timer_.isActive(); }
    // One poll now; true when the list changed.
    bool Poll();
    [[nodiscard]] const std::vector<std::string>& Ports() const { return ports_; }

  signals:
    void PortsChanged();

  private:
    const PortEnumerator& enumerator_;
    QTimer timer_;
    QTimer settle_;  // a device appears as a burst of folder changes: one read after it
    QFileSystemWatcher folderWatch_;
    QStringList folderNames_;  // the watched folder's entries when last looked at
    std::vector<std::string> ports_;
    std::string text_;
};

}  // namespace gnss
