#pragma once

#include <cstdint>
#include <string_view>

namespace gnss::sim {

// The tool's end of a simulated serial line, as a SimSource sees it: where the source's bytes
// arrive, which baud rate the tool's port runs at, and who hears what happens to the device.
// Implemented by whatever plays the tool's port (MemoryPortAttachment in-process, PtyServer in
// gnss-sim). Contract: the source calls it only while it is set (SimSource::SetOutput); all
// calls come on the thread that drives the source's Scheduler, never after SetOutput(nullptr).
class SimSourceOutput {
  public:
    // Bytes that reached the tool's end of the line, in order (already paced, garbled by a rate
    // mismatch and faulted as the line does). Never empty.
    virtual void Deliver(std::string_view bytes) = 0;
    // The baud rate the tool's port currently runs at; 0 when unknown, which the line takes as
    // "the same as the source's own rate". Asked whenever bytes cross the line.
    [[nodiscard]] virtual uint32_t ToolBaudRate() const = 0;
    // The device disappeared (a fault). Called at most once; nothing is delivered afterwards.
    virtual void DeviceVanished() {}
    // A capture replay has sent its last byte. Called at most once.
    virtual void ReplayFinished() {}
    // A short note on what the receiver did, for logs ("restart cold", "baud 115200", ...).
    virtual void Note(std::string_view) {}

  protected:
    ~SimSourceOutput() = default;
};

// Something that plays the receiver's side of a serial line: a simulated receiver or a capture
// replay. It sends to its output, reads the tool's bytes through Input, and asks the output for
// the baud rate the tool's port runs at.
class SimSource {
  public:
    virtual ~SimSource() = default;
    // Connects the tool's end (nullptr disconnects: the source then talks to nobody). The
    // output is not owned and must stay valid until it is replaced or the source is destroyed.
    virtual void SetOutput(SimSourceOutput* output) = 0;
    virtual void Start() = 0;
    virtual void Input(std::string_view bytesFromTool) = 0;
};

}  // namespace gnss::sim
