#pragma once

#include "base/desktop.h"

namespace gnss {

// Sets the computer's clock with clock_settime. That needs the CAP_SYS_TIME privilege; without
// it the result says so and nothing changes.
class LinuxClockSetter final : public SystemClockSetter {
  public:
    Result SetLocalTime(DateTime local) override;
};

}  // namespace gnss
