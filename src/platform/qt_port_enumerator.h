#pragma once

#include <QObject>
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

// Device-change notification by polling: every intervalMs the port list is read again, and
// PortsChanged is emitted whenever its text differs from the previous one (Ports() holds the new
// list).
class PortWatcher final : public QObject {
    Q_OBJECT

  public:
    explicit PortWatcher(const PortEnumerator& enumerator, int intervalMs = 1000,
                         QObject* parent = nullptr);

    // Reads the current list as the previous one and starts polling.
    void Start();
    void Stop();
    [[nodiscard]] bool IsActive() const { return timer_.isActive(); }
    // One poll now; true when the list changed.
    bool Poll();
    [[nodiscard]] const std::vector<std::string>& Ports() const { return ports_; }

  signals:
    void PortsChanged();

  private:
    const PortEnumerator& enumerator_;
    QTimer timer_;
    std::vector<std::string> ports_;
    std::string text_;
};

}  // namespace gnss
