#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/scheduler.h"
#include "sim/serial_line.h"
#include "sim/sim_source.h"

namespace gnss::sim {

// Streams a capture byte for byte: at the pace the baud rate allows, or one epoch per second
// (an epoch begins at each sentence whose time stamp differs from the epoch's). What reaches a
// tool listening at the same rate is exactly the file's bytes. The output hears once that the
// replay has finished.
class CaptureReplayer final : public SimSource {
  public:
    struct Options {
        uint32_t Baud = 115200;
        bool Realtime = false;
    };

    CaptureReplayer(Scheduler& scheduler, std::string capture, const Options& options);
    ~CaptureReplayer() override;

    void SetOutput(SimSourceOutput* output) override;
    void Start() override;
    void Input(std::string_view) override {}  // a recording does not listen

    [[nodiscard]] std::size_t BytesSent() const { return position_; }
    [[nodiscard]] bool Finished() const { return finished_; }
    // Start offsets of the epochs the realtime pacing found (empty without realtime).
    [[nodiscard]] const std::vector<std::size_t>& EpochStarts() const { return epochStarts_; }

  private:
    void Tick();
    void Emit(std::size_t count);

    std::string capture_;
    Options options_;
    SerialLine line_;
    std::unique_ptr<Timer> timer_;
    SimSourceOutput* output_ = nullptr;
    std::vector<std::size_t> epochStarts_;
    std::size_t nextEpoch_ = 0;
    std::size_t position_ = 0;
    uint64_t bitBudget_ = 0;
    bool finished_ = false;
};

// Offsets at which the epochs of an NMEA capture begin: a line with a time field (GGA, RMC,
// GLL, GNS, ZDA) whose time differs from the current epoch's. Empty when there is none.
[[nodiscard]] std::vector<std::size_t> FindEpochStarts(std::string_view capture);

}  // namespace gnss::sim
