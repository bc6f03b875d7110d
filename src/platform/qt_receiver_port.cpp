#include "platform/qt_receiver_port.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSerialPortInfo>
#include <algorithm>
#include <array>
#include <climits>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace gnss {

namespace {

struct OpenErrorMapping {
    QSerialPort::SerialPortError QtError;
    PortOpenError Error;
};

constexpr std::array kOpenErrors{
    OpenErrorMapping{QSerialPort::DeviceNotFoundError, PortOpenError::NotFound},
    OpenErrorMapping{QSerialPort::PermissionError, PortOpenError::PermissionDenied},
};

// Run-time failures of an open port and the line-error flag each one raises. Errors missing
// here (time-outs of a write, operations on a closed port) are reported by the call that met
// them, not as line errors.
struct LineErrorMapping {
    QSerialPort::SerialPortError QtError;
    uint32_t Flag;
};

constexpr std::array kLineErrors{
    LineErrorMapping{QSerialPort::ResourceError, kLineErrorIO},  // device removed, driver gone
    LineErrorMapping{QSerialPort::ReadError, kLineErrorIO},
    LineErrorMapping{QSerialPort::WriteError, kLineErrorIO},
    LineErrorMapping{QSerialPort::UnsupportedOperationError, kLineErrorMode},
    LineErrorMapping{QSerialPort::UnknownError, kLineErrorIO},
};

// The driver's error counters (Linux TIOCGICOUNT), in the order of kCounterFlags.
constexpr std::array<uint32_t, 5> kCounterFlags{
    kLineErrorFrame, kLineErrorParity, kLineErrorOverrun, kLineErrorBreak, kLineErrorRxOver};

std::string SystemLocation(const std::string& name) {
    return QSerialPortInfo(QString::fromStdString(name)).systemLocation().toStdString();
}

// True when the file system would let us open the device: a refused open of such a device
// means another program holds it.
bool DeviceAccessible(const std::string& name) {
#ifdef Q_OS_UNIX
    const std::string path = SystemLocation(name);
    return !path.empty() && ::access(path.c_str(), R_OK | W_OK) == 0;
#else
    (void)name;
    return false;
#endif
}

}  // namespace

QtReceiverPort::QtReceiverPort() {
    QObject::connect(&port_, &QSerialPort::readyRead, [this] {
        if (OnReadyRead) OnReadyRead(static_cast<std::size_t>(port_.bytesAvailable()));
    });
    QObject::connect(&port_, &QSerialPort::errorOccurred,
                     [this](QSerialPort::SerialPortError error) { OnPortError(error); });
}

QtReceiverPort::~QtReceiverPort() {
    OnReadyRead = nullptr;
    Close();
    QObject::disconnect(&port_, nullptr, nullptr, nullptr);
}

void QtReceiverPort::SetPortName(const std::string& name) {
    name_ = name;
}

void QtReceiverPort::SetBaudRate(uint32_t rate) {
    if (!port_.isOpen()) {
        baudRate_ = rate;
        return;
    }
    if (rate > static_cast<uint32_t>(INT_MAX)) {
        lineErrors_ |= kLineErrorMode;
        lastError_ = "baud rate " + std::to_string(rate) + " is out of range";
        return;
    }
    configuring_ = true;
    const bool ok = port_.setBaudRate(static_cast<qint32>(rate));
    configuring_ = false;
    if (ok) {
        baudRate_ = rate;
        return;
    }
    lineErrors_ |= kLineErrorMode;
    lastError_ =
        "baud rate " + std::to_string(rate) + " refused: " + port_.errorString().toStdString();
    port_.clearError();
    // Put the previous rate back so the port is in a known state.
    configuring_ = true;
    port_.setBaudRate(static_cast<qint32>(baudRate_));
    configuring_ = false;
    port_.clearError();
}

PortOpenResult QtReceiverPort::Open() {
    if (port_.isOpen()) Close();
    lineErrors_ = 0;
    lastError_.clear();
    PortOpenResult result;
    if (name_.empty()) {
        result.Error = PortOpenError::NotFound;
        result.Detail = "no port name given";
        lastError_ = result.Detail;
        return result;
    }
    if (baudRate_ == 0 || baudRate_ > static_cast<uint32_t>(INT_MAX)) {
        result.Error = PortOpenError::Other;
        result.Detail = "baud rate " + std::to_string(baudRate_) + " is out of range";
        lastError_ = result.Detail;
        return result;
    }

    port_.setPortName(QString::fromStdString(name_));
    port_.setBaudRate(static_cast<qint32>(baudRate_));
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.setReadBufferSize(0);  // unlimited: nothing received is dropped by Qt

    configuring_ = true;
    const bool opened = port_.open(QIODevice::ReadWrite);
    configuring_ = false;
    if (!opened) {
        const auto error = port_.error();
        result.Error = PortOpenError::Other;
        for (const auto& mapping : kOpenErrors) {
            if (mapping.QtError == error) result.Error = mapping.Error;
        }
        if (result.Error == PortOpenError::PermissionDenied && DeviceAccessible(name_)) {
            result.Error = PortOpenError::Busy;  // held (locked or exclusive) by another program
        }
        result.Detail = port_.errorString().toStdString();
        lastError_ = result.Detail;
        port_.clearError();
        return result;
    }

    // Program the rate once more on the open device: a custom rate that the driver refuses is
    // an open failure, not a port silently running at another speed.
    configuring_ = true;
    const bool rateOk = port_.setBaudRate(static_cast<qint32>(baudRate_));
    configuring_ = false;
    if (!rateOk) {
        result.Error = PortOpenError::Other;
        result.Detail = "baud rate " + std::to_string(baudRate_) +
                        " refused: " + port_.errorString().toStdString();
        lastError_ = result.Detail;
        port_.clearError();
        port_.close();
        return result;
    }

    ApplyModemLines();
    port_.clearError();
    SnapshotLineCounters();
    return result;
}

void QtReceiverPort::Close() {
    if (!port_.isOpen()) return;
    configuring_ = true;
    port_.clear(QSerialPort::AllDirections);
    port_.close();
    configuring_ = false;
    port_.clearError();
    haveCounters_ = false;
}

void QtReceiverPort::SetDtr(bool on) {
    dtr_ = on;
    if (port_.isOpen()) ApplyModemLines();
}

void QtReceiverPort::SetRts(bool on) {
    rts_ = on;
    if (port_.isOpen()) ApplyModemLines();
}

void QtReceiverPort::ApplyModemLines() {
    // Devices without modem lines (pseudo-terminals) refuse this; that is no line error.
    configuring_ = true;
    port_.setDataTerminalReady(dtr_);
    port_.setRequestToSend(rts_);
    configuring_ = false;
    port_.clearError();
}

int QtReceiverPort::WriteTimeoutMs(std::size_t byteCount) {
    const std::size_t limit = 1000 + 100 * std::min<std::size_t>(byteCount, 20000000);
    return static_cast<int>(limit);
}

bool QtReceiverPort::Write(std::string_view bytes) {
    if (!port_.isOpen()) return false;
    if (bytes.empty()) return true;
    const QDeadlineTimer deadline(WriteTimeoutMs(bytes.size()));
    const qint64 queued = port_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    bool ok = queued == static_cast<qint64>(bytes.size());
    while (ok && port_.isOpen() && port_.bytesToWrite() > 0) {
        const qint64 remainingMs = deadline.remainingTime();
        if (remainingMs == 0) {
            ok = false;
            break;
        }
        if (!port_.waitForBytesWritten(static_cast<int>(std::min<qint64>(remainingMs, INT_MAX))) &&
            port_.bytesToWrite() > 0) {
            ok = false;
        }
    }
    ok = ok && port_.isOpen();
    if (!ok) {
        lastError_ =
            port_.error() == QSerialPort::NoError || port_.error() == QSerialPort::TimeoutError
                ? "write timed out"
                : "write failed: " + port_.errorString().toStdString();
        // Drop what did not go out, so that it cannot leak into a later command.
        if (port_.isOpen()) port_.clear(QSerialPort::Output);
        if (port_.error() == QSerialPort::TimeoutError) port_.clearError();
    }
    return ok;
}

std::size_t QtReceiverPort::BytesAvailable() const {
    const qint64 available = port_.bytesAvailable();
    return available > 0 ? static_cast<std::size_t>(available) : 0;
}

std::size_t QtReceiverPort::Read(char* buffer, std::size_t maxBytes) {
    if (!port_.isOpen() || maxBytes == 0) return 0;
    const qint64 count =
        port_.read(buffer, static_cast<qint64>(std::min<std::size_t>(maxBytes, INT_MAX)));
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

uint32_t QtReceiverPort::TakeLineErrors() {
    const uint32_t flags = lineErrors_ | CollectLineCounters();
    lineErrors_ = 0;
    return flags;
}

void QtReceiverPort::OnPortError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || configuring_ || !port_.isOpen()) return;
    for (const auto& mapping : kLineErrors) {
        if (mapping.QtError == error) {
            lineErrors_ |= mapping.Flag;
            lastError_ = port_.errorString().toStdString();
        }
    }
}

void QtReceiverPort::SnapshotLineCounters() {
    haveCounters_ = false;
#ifdef Q_OS_LINUX
    serial_icounter_struct counts{};
    if (::ioctl(port_.handle(), TIOCGICOUNT, &counts) == 0) {
        counters_[0] = counts.frame;
        counters_[1] = counts.parity;
        counters_[2] = counts.overrun;
        counters_[3] = counts.brk;
        counters_[4] = counts.buf_overrun;
        haveCounters_ = true;
    }
#endif
}

uint32_t QtReceiverPort::CollectLineCounters() {
    if (!haveCounters_ || !port_.isOpen()) return 0;
    uint32_t flags = 0;
#ifdef Q_OS_LINUX
    const int previous[5] = {counters_[0], counters_[1], counters_[2], counters_[3], counters_[4]};
    SnapshotLineCounters();
    if (!haveCounters_) return 0;
    for (std::size_t i = 0; i < kCounterFlags.size(); ++i) {
        if (counters_[i] != previous[i]) flags |= kCounterFlags[i];
    }
#endif
    return flags;
}

}  // namespace gnss
