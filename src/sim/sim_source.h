#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace gnss::sim {

// Something that plays the receiver's side of a serial line: a simulated receiver or a capture
// replay. It writes through the sink, reads the tool's bytes through Input, and asks the tool
// side for the baud rate the tool's port runs at.
class SimSource {
  public:
    virtual ~SimSource() = default;
    virtual void SetSink(std::function<void(std::string_view)> sink) = 0;
    virtual void SetToolBaudSource(std::function<uint32_t()> source) = 0;
    virtual void Start() = 0;
    virtual void Input(std::string_view bytesFromTool) = 0;
    // Called once when the device disappears (a fault); the attachment cuts the line.
    std::function<void()> OnVanish;
    // Called once when a replay has sent everything.
    std::function<void()> OnFinished;
};

}  // namespace gnss::sim
