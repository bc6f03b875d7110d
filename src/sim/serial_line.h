#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/scheduler.h"
#include "sim/sim_bytes.h"
#include "sim/sim_source.h"

namespace gnss::sim {

// A step of a sequence that runs later (after a delay or once the line has drained).
using Continuation = std::function<void()>;

// What a UART running at `rxBaud` reads from a line driven at `txBaud` (8N1 both ways): the
// sender's bit stream is rebuilt, then sampled in the middle of each receive bit after every
// falling edge, as a UART does. Equal rates give the bytes back unchanged; other rates give
// the plausible garbage a real port shows. Deterministic.
[[nodiscard]] std::string UartResample(std::string_view bytes, uint32_t txBaud, uint32_t rxBaud);

// Byte-level faults of the line from the receiver to the tool.
struct LineFaults {
    double BitErrorRate = 0.0;  // probability of each bit being flipped
    double DropRate = 0.0;      // probability of each byte being lost
};

// The serial line between a simulated receiver and the tool: paces the receiver's output at
// its baud rate, garbles it when the tool listens at another rate, injects line faults, and
// garbles what the tool sends the same way before the receiver reads it.
class SerialLine {
  public:
    SerialLine(Scheduler& scheduler, uint64_t seed);

    // The tool's end: receives what leaves the line and tells the rate the tool's port runs at
    // (0, or no output, means "same as the receiver"). Not owned; nullptr disconnects.
    void SetOutput(SimSourceOutput* output) { output_ = output; }
    void SetReceiverBaud(uint32_t baud) { receiverBaud_ = baud; }
    [[nodiscard]] uint32_t ReceiverBaud() const { return receiverBaud_; }
    [[nodiscard]] uint32_t ToolBaud() const;
    [[nodiscard]] bool RatesMatch() const;
    // Pacing on: bytes leave at the receiver's baud rate in 10 ms steps. Off: at once.
    void SetPacing(bool on) { pacing_ = on; }
    void SetFaults(const LineFaults& faults) { faults_ = faults; }

    // One burst from the receiver (faulted now, then paced; garbled as it leaves the line when
    // the tool listens at another rate). A `droppable` burst
    // (navigation output) is skipped when more than a second of output is still queued, as a
    // receiver skips sentences its baud rate has no room for; replies are never dropped.
    void Send(std::string_view bytes, bool droppable = false);
    // A short reply whose own time on the line the caller has already waited: leaves at once
    // when nothing else is queued (no wait for the next 10 ms step), else queues behind the rest.
    void SendNow(std::string_view bytes);
    // What the receiver's UART reads of bytes the tool wrote.
    [[nodiscard]] std::string FromTool(std::string_view bytes) const;
    // Runs `step` once everything queued so far has left the line.
    void AfterDrain(Continuation step);
    [[nodiscard]] std::size_t Queued() const { return queue_.size(); }
    // Drops everything queued (the device went away).
    void Clear();

  private:
    void Tick();
    void Release(std::size_t count);

    std::unique_ptr<Timer> timer_;
    SplitMix rng_;
    SimSourceOutput* output_ = nullptr;
    uint32_t receiverBaud_ = 9600;
    bool pacing_ = true;
    LineFaults faults_;
    std::string queue_;
    // The receiver's rate for each run of queued bytes, in queue order.
    struct QueuedRun {
        uint32_t Baud;
        std::size_t Size;
    };
    std::deque<QueuedRun> queueRates_;
    uint64_t bitBudget_ = 0;
    // Steps waiting for the queue to drain, with the queue position they wait for.
    std::vector<std::pair<std::size_t, Continuation>> afterDrain_;
};

}  // namespace gnss::sim
