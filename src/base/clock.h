#pragma once

#include <cstdint>

#include "base/date_time.h"

namespace gnss {

// Time as the core sees it. The Qt adapter reads the system; VirtualTime drives tests and
// offline replays.
class Clock {
  public:
    virtual ~Clock() = default;

    // Millisecond tick that wraps at 2^32, like a system tick counter.
    [[nodiscard]] virtual uint32_t TickMs() const = 0;
    [[nodiscard]] virtual DateTime NowLocal() const = 0;
    [[nodiscard]] virtual DateTime NowUtc() const = 0;
    // UTC = local time + bias (minutes), the daylight bias included while it is in effect.
    [[nodiscard]] virtual int TimeZoneBiasMinutes() const = 0;
};

}  // namespace gnss
