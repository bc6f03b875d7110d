#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace gnss {

// Line-error flags of a serial port, in the order they are reported.
enum LineErrorFlag : uint32_t {
    kLineErrorFrame = 1u << 0,
    kLineErrorParity = 1u << 1,
    kLineErrorOverrun = 1u << 2,
    kLineErrorBreak = 1u << 3,
    kLineErrorIO = 1u << 4,  // the device went away or the driver failed
    kLineErrorMode = 1u << 5,
    kLineErrorRxOver = 1u << 6,
    kLineErrorTxFull = 1u << 7,
};

enum class PortOpenError {
    None,
    NotFound,
    PermissionDenied,
    Busy,
    Other,
};

struct PortOpenResult {
    PortOpenError Error = PortOpenError::None;
    std::string Detail;  // the system's own words, for diagnostics
    [[nodiscard]] bool Ok() const { return Error == PortOpenError::None; }
};

// The one serial port through which the program talks to the receiver: 8N1, no flow control,
// DTR and RTS asserted while open, any baud rate (custom rates above 115200 included).
// Received data is announced through OnReadyRead on the program's thread.
class ReceiverPort {
  public:
    virtual ~ReceiverPort() = default;

    virtual void SetPortName(const std::string& name) = 0;  // "ttyUSB0", "/dev/pts/3", "COM3"
    [[nodiscard]] virtual std::string PortName() const = 0;
    // Reprograms an open port at once.
    virtual void SetBaudRate(uint32_t rate) = 0;
    [[nodiscard]] virtual uint32_t BaudRate() const = 0;

    virtual PortOpenResult Open() = 0;
    // Stops delivery, drops what the driver still holds and closes; a closed port is left alone.
    virtual void Close() = 0;
    [[nodiscard]] virtual bool IsOpen() const = 0;

    virtual void SetDtr(bool on) = 0;
    virtual void SetRts(bool on) = 0;
    [[nodiscard]] virtual bool Dtr() const = 0;
    [[nodiscard]] virtual bool Rts() const = 0;

    // Writes every byte, waiting for completion (gives up after 1000 ms + 100 ms per byte).
    // True only when all bytes went out.
    virtual bool Write(std::string_view bytes) = 0;
    [[nodiscard]] virtual std::size_t BytesAvailable() const = 0;
    // Reads what is available, at most maxBytes.
    virtual std::size_t Read(char* buffer, std::size_t maxBytes) = 0;
    // Reads and clears the line-error flags (LineErrorFlag bits).
    virtual uint32_t TakeLineErrors() = 0;

    // Data arrived: called on the program's thread with the number of bytes available.
    std::function<void(std::size_t)> OnReadyRead;
};

}  // namespace gnss
