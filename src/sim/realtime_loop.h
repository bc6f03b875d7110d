#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/clock.h"
#include "base/scheduler.h"

namespace gnss::sim {

// Clock and Scheduler on the machine's steady clock, for gnss-sim's own event loop: the loop
// asks how long it may sleep (MsUntilNextDue), waits for input that long at most, then runs
// the timers that fell due (RunDue). UTC and local time come from the system clock.
class RealtimeLoop final : public Clock, public Scheduler {
  public:
    RealtimeLoop();
    ~RealtimeLoop() override;
    RealtimeLoop(const RealtimeLoop&) = delete;
    RealtimeLoop& operator=(const RealtimeLoop&) = delete;

    [[nodiscard]] uint32_t TickMs() const override;
    [[nodiscard]] DateTime NowLocal() const override;
    [[nodiscard]] DateTime NowUtc() const override;
    [[nodiscard]] int TimeZoneBiasMinutes() const override { return 0; }
    [[nodiscard]] std::unique_ptr<Timer> CreateTimer() override;

    // Milliseconds until the next timer is due (0 when one is overdue), or `cap` when none.
    [[nodiscard]] int MsUntilNextDue(int cap) const;
    // Fires every timer that is due, in order of due time.
    void RunDue();

  private:
    class LoopTimer;
    [[nodiscard]] uint64_t NowMs() const;

    std::chrono::steady_clock::time_point origin_;
    std::vector<LoopTimer*> timers_;
    uint64_t sequence_ = 0;
};

}  // namespace gnss::sim
