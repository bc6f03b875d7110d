#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "corrections/rtcm3_frames.h"
#include "sim/nmea_epoch_writer.h"

namespace gnss::sim {

// How a simulated RTK receiver reacts to correction data from the tool: it finds the RTCM 3
// frames among the bytes it receives (the tool's own commands pass in between), hands the bytes
// of every good frame to the record sink, and reports a float solution without corrections and
// a fixed one once corrections have flowed for a while; when they stop, it falls back to float.
class RtkCorrectionInput {
  public:
    // Corrections count as flowing while the last good frame is at most this old.
    static constexpr uint32_t kCorrectionTimeoutMs = 3000;
    // Corrections must flow this long before the ambiguities count as fixed.
    static constexpr uint32_t kTimeToFixMs = 2000;

    // Bytes received from the tool at `nowMs`.
    void Take(std::string_view bytes, uint64_t nowMs);
    // The fix kind of an epoch at `nowMs`.
    [[nodiscard]] FixKind KindAt(uint64_t nowMs) const;

    // Receives the bytes of each good frame, as they arrived.
    std::function<void(std::string_view frame)> RecordSink;

    [[nodiscard]] uint64_t Frames() const { return frames_; }

  private:
    std::string pending_;
    uint64_t frames_ = 0;
    bool flowing_ = false;
    uint64_t flowStartMs_ = 0;
    uint64_t lastFrameMs_ = 0;
};

}  // namespace gnss::sim
