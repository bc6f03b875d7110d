#pragma once

#include <QSerialPort>
#include <string>

#include "link/receiver_port.h"

namespace gnss {

// The receiver port on a real serial device (QSerialPort): "ttyUSB0" or a path such as
// "/dev/pts/3". 8N1, no flow control, DTR and RTS asserted while open, any baud rate.
// readyRead is delivered on the thread that owns the port (the program's thread).
class QtReceiverPort final : public ReceiverPort {
  public:
    QtReceiverPort();
    ~QtReceiverPort() override;
    QtReceiverPort(const QtReceiverPort&) = delete;
    QtReceiverPort& operator=(const QtReceiverPort&) = delete;

    void SetPortName(const std::string& name) override;
    [[nodiscard]] std::string PortName() const override { return name_; }
    // On an open port a rate the driver refuses raises kLineErrorMode and leaves its reason in
    // LastError(); the port keeps its previous rate.
    void SetBaudRate(uint32_t rate) override;
    [[nodiscard]] uint32_t BaudRate() const override { return baudRate_; }

    PortOpenResult Open() override;
    void Close() override;
    [[nodiscard]] bool IsOpen() const override { return port_.isOpen(); }

    void SetDtr(bool on) override;
    void SetRts(bool on) override;
    [[nodiscard]] bool Dtr() const override { return dtr_; }
    [[nodiscard]] bool Rts() const override { return rts_; }

    bool Write(std::string_view bytes) override;
    [[nodiscard]] std::size_t BytesAvailable() const override;
    std::size_t Read(char* buffer, std::size_t maxBytes) override;
    uint32_t TakeLineErrors() override;

    // The system's words for the last failure (open, rate change, write, line error).
    [[nodiscard]] const std::string& LastError() const { return lastError_; }

    // Write time limit: 1000 ms plus 100 ms per byte.
    [[nodiscard]] static int WriteTimeoutMs(std::size_t byteCount);

  private:
    void OnPortError(QSerialPort::SerialPortError error);
    void ApplyModemLines();
    void SnapshotLineCounters();
    uint32_t CollectLineCounters();

    QSerialPort port_;
    std::string name_;
    uint32_t baudRate_ = 9600;
    bool dtr_ = true;
    bool rts_ = true;
    bool configuring_ = false;  // errors while setting up the lines are not line errors
    uint32_t lineErrors_ = 0;
    std::string lastError_;
    // Driver error counters at the last look (frame, parity, overrun, break, buffer overrun);
    // valid only when the driver keeps them.
    bool haveCounters_ = false;
    int counters_[5] = {};
};

}  // namespace gnss
