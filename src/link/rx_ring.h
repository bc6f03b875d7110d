#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "link/receiver_port.h"

namespace gnss {

// The receive ring between the port's data notifications and the receive buffer. Positions are
// numbered 1..kSize; the ring is empty exactly when the write and read positions are equal. A
// writer that catches up with the reader loses the unread contents (counted in RxOverruns): the
// ring then reads as empty and is written over.
class RxRing {
  public:
    static constexpr std::size_t kSize = 10240;

    // A data notification announcing `n` bytes: reads up to n bytes from the port into the ring.
    // A notification arriving while another one is still being copied is only counted; its
    // bytes stay in the port for the next one.
    void Deliver(ReceiverPort& port, std::size_t n);

    // Everything between the read and the write position, in arrival order, into `out`
    // (replacing its contents, keeping its capacity); the read position moves to the write
    // position. An empty ring leaves `out` empty and the positions alone.
    void RxTakeAll(std::string& out);
    [[nodiscard]] std::string RxTakeAll();

    [[nodiscard]] bool Empty() const { return writePos_ == readPos_; }
    [[nodiscard]] std::size_t Size() const;

    // Positions back to 1 and the busy flag cleared (on every connect). Counters are kept.
    void Reset();

    [[nodiscard]] std::size_t RxWritePos() const { return writePos_; }
    [[nodiscard]] std::size_t RxReadPos() const { return readPos_; }
    [[nodiscard]] bool RxBusy() const { return busy_; }
    [[nodiscard]] uint64_t RxMissedEvents() const { return missedEvents_; }
    [[nodiscard]] uint64_t RxOverruns() const { return overruns_; }

  private:
    std::array<char, kSize> storage_{};
    std::size_t writePos_ = 1;
    std::size_t readPos_ = 1;
    bool busy_ = false;
    uint64_t missedEvents_ = 0;
    uint64_t overruns_ = 0;
};

}  // namespace gnss
