#pragma once

#include "base/scheduler.h"

namespace gnss {

// Timers on the Qt event loop of the program's thread (precise timers: millisecond accuracy,
// as the assistance uploads need for their 5 ms steps).
class QtScheduler final : public Scheduler {
  public:
    [[nodiscard]] std::unique_ptr<Timer> CreateTimer() override;
};

}  // namespace gnss
