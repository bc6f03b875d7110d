#pragma once

#include "base/clock.h"

namespace gnss {

// The computer's clock: a monotonic millisecond tick that wraps at 2^32 (like the system tick
// counter), and the local and UTC wall-clock time with the current time-zone bias.
class QtClock final : public Clock {
  public:
    [[nodiscard]] uint32_t TickMs() const override;
    [[nodiscard]] DateTime NowLocal() const override;
    [[nodiscard]] DateTime NowUtc() const override;
    [[nodiscard]] int TimeZoneBiasMinutes() const override;
};

}  // namespace gnss
