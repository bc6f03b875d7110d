#pragma once

#include "link/memory_receiver_port.h"
#include "sim/sim_source.h"

namespace gnss::sim {

// Plugs a simulated receiver (or a replay) into a MemoryReceiverPort, so that the tool's whole
// receive path runs against it in-process: what the source sends arrives at the port while it
// is open, what the tool writes reaches the source, and the source sees the port's baud rate.
// A vanishing device raises an I/O line error on the port and goes quiet. Both the source and
// the port must outlive the attachment; destroying it disconnects them.
class MemoryPortAttachment final : private SimSourceOutput, private PortWriteListener {
  public:
    MemoryPortAttachment(SimSource& source, MemoryReceiverPort& port);
    ~MemoryPortAttachment();
    MemoryPortAttachment(const MemoryPortAttachment&) = delete;
    MemoryPortAttachment& operator=(const MemoryPortAttachment&) = delete;

    // True once the source has said that its replay has sent everything.
    [[nodiscard]] bool ReplayDone() const { return replayDone_; }

  private:
    void Deliver(std::string_view bytes) override;
    [[nodiscard]] uint32_t ToolBaudRate() const override { return port_.BaudRate(); }
    void DeviceVanished() override;
    void ReplayFinished() override { replayDone_ = true; }
    void BytesWritten(std::string_view bytes) override;

    SimSource& source_;
    MemoryReceiverPort& port_;
    bool gone_ = false;
    bool replayDone_ = false;
};

}  // namespace gnss::sim
