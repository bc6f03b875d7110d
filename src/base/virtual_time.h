#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/clock.h"
#include "base/scheduler.h"

namespace gnss {

// Deterministic clock and scheduler: time moves only when Advance is called, and due timers fire
// in order of their due time (ties in the order they were armed). Used by tests, by the offline
// replay of captures and by in-process simulated receivers.
class VirtualTime final : public Clock, public Scheduler {
  public:
    struct Options {
        uint32_t StartTickMs = 0;
        DateTime StartUtc{45658.0};  // 2025-01-01 00:00 UTC
        int TimeZoneBiasMinutes = 0;
    };

    VirtualTime();
    explicit VirtualTime(const Options& options);
    ~VirtualTime() override;
    VirtualTime(const VirtualTime&) = delete;
    VirtualTime& operator=(const VirtualTime&) = delete;

    // Clock
    [[nodiscard]] uint32_t TickMs() const override;
    [[nodiscard]] DateTime NowLocal() const override;
    [[nodiscard]] DateTime NowUtc() const override;
    [[nodiscard]] int TimeZoneBiasMinutes() const override { return biasMinutes_; }

    // Scheduler
    [[nodiscard]] std::unique_ptr<Timer> CreateTimer() override;

    // Moves time forward by ms, firing every timer that falls due on the way, in order.
    void Advance(uint64_t ms);
    // Fires the next due timer (moving time to it); false when no timer is armed.
    bool RunNext();
    [[nodiscard]] uint64_t ElapsedMs() const { return elapsedMs_; }
    void SetTimeZoneBiasMinutes(int minutes) { biasMinutes_ = minutes; }
    [[nodiscard]] std::size_t ActiveTimerCount() const;

  private:
    class VirtualTimer;
    friend class VirtualTimer;

    void Arm(VirtualTimer* timer);
    VirtualTimer* NextDue(uint64_t limit) const;

    Options options_;
    uint64_t elapsedMs_ = 0;
    uint64_t armSequence_ = 0;
    int biasMinutes_ = 0;
    std::vector<VirtualTimer*> timers_;
};

}  // namespace gnss
