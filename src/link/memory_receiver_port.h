#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "link/receiver_port.h"

namespace gnss {

// Hears what the program writes to a MemoryReceiverPort: the far end of the port (an in-process
// simulated receiver) reading the commands it is sent. Contract: told about every accepted
// write, in order and synchronously inside Write(), with exactly the bytes written; writes the
// port refuses (closed, FailWrites) are not reported.
class PortWriteListener {
  public:
    virtual void BytesWritten(std::string_view bytes) = 0;

  protected:
    ~PortWriteListener() = default;
};

// A receiver port in memory: the receiver side is played by a test, an in-process simulated
// receiver or a capture replay. Feed() makes bytes arrive, Writes() shows what the program sent.
class MemoryReceiverPort final : public ReceiverPort {
  public:
    void SetPortName(const std::string& name) override { name_ = name; }
    [[nodiscard]] std::string PortName() const override { return name_; }
    void SetBaudRate(uint32_t rate) override;
    [[nodiscard]] uint32_t BaudRate() const override { return baud_; }

    PortOpenResult Open() override;
    void Close() override;
    [[nodiscard]] bool IsOpen() const override { return open_; }

    void SetDtr(bool on) override { dtr_ = on; }
    void SetRts(bool on) override { rts_ = on; }
    [[nodiscard]] bool Dtr() const override { return dtr_; }
    [[nodiscard]] bool Rts() const override { return rts_; }

    bool Write(std::string_view bytes) override;
    [[nodiscard]] std::size_t BytesAvailable() const override { return inbound_.size(); }
    std::size_t Read(char* buffer, std::size_t maxBytes) override;
    uint32_t TakeLineErrors() override;

    // --- receiver side ---
    // Bytes arrive from the receiver; OnReadyRead is called when `notify` (and the port is open).
    void Feed(std::string_view bytes, bool notify = true);
    // Announces data again without adding any (a second event while the first is handled).
    void Notify();
    void RaiseLineErrors(uint32_t flags) { lineErrors_ |= flags; }
    // Who hears every accepted write (not owned; nullptr for nobody).
    void SetWriteListener(PortWriteListener* listener) { writeListener_ = listener; }

    [[nodiscard]] const std::vector<std::string>& Writes() const { return writes_; }
    [[nodiscard]] std::string WrittenBytes() const;
    void ClearWrites() { writes_.clear(); }

    // Failure injection.
    PortOpenResult NextOpenResult;  // returned by the next Open() calls while not Ok
    bool FailWrites = false;

    int OpenCount = 0;
    int CloseCount = 0;
    std::vector<uint32_t> BaudHistory;

  private:
    std::string name_;
    uint32_t baud_ = 9600;
    bool open_ = false;
    bool dtr_ = false;
    bool rts_ = false;
    uint32_t lineErrors_ = 0;
    std::deque<char> inbound_;
    std::vector<std::string> writes_;
    PortWriteListener* writeListener_ = nullptr;
};

}  // namespace gnss
