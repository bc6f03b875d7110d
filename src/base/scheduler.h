#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace gnss {

// A timer on the program's one thread. Interval timers repeat until stopped; single-shot
// timers stop after firing. start() (re)arms from now; SetEnabled(true) on a running timer
// leaves its phase alone, as enabling an enabled timer does in the window toolkit.
class Timer {
  public:
    virtual ~Timer() = default;

    virtual void SetIntervalMs(uint32_t intervalMs) = 0;
    [[nodiscard]] virtual uint32_t IntervalMs() const = 0;
    virtual void SetSingleShot(bool singleShot) = 0;
    virtual void Start() = 0;
    virtual void Stop() = 0;
    [[nodiscard]] virtual bool IsActive() const = 0;

    void SetEnabled(bool enabled) {
        if (!enabled) {
            Stop();
        } else if (!IsActive()) {
            Start();
        }
    }

    // Called on each expiry. May stop, restart or re-arm this timer, or others.
    std::function<void()> OnTimeout;
};

class Scheduler {
  public:
    virtual ~Scheduler() = default;
    [[nodiscard]] virtual std::unique_ptr<Timer> CreateTimer() = 0;
};

// A scheduled continuation: the rest of a sequence that must wait a while without blocking the
// thread ("wait 150 ms, then ..."). Owned by whoever owns the sequence, so destroying the owner
// cancels the pending step. Calling After again replaces the pending step.
class DelayedCall {
  public:
    explicit DelayedCall(Scheduler& scheduler);
    void After(uint32_t ms, std::function<void()> step);
    void Cancel();
    [[nodiscard]] bool Pending() const;

  private:
    std::unique_ptr<Timer> timer_;
    std::function<void()> step_;
};

}  // namespace gnss
