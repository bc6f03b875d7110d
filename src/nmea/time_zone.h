#pragma once

#include "base/clock.h"
#include "base/date_time.h"

namespace gnss {

// Conversions between the computer's local time and UTC with the time-zone bias of the
// operating system (UTC = local time + bias, in minutes; daylight bias included).
[[nodiscard]] DateTime LocalToUtc(DateTime local, int biasMinutes);
[[nodiscard]] DateTime UtcToLocal(DateTime utc, int biasMinutes);
[[nodiscard]] inline DateTime LocalToUtc(DateTime local, const Clock& clock) {
    return LocalToUtc(local, clock.TimeZoneBiasMinutes());
}
[[nodiscard]] inline DateTime UtcToLocal(DateTime utc, const Clock& clock) {
    return UtcToLocal(utc, clock.TimeZoneBiasMinutes());
}

}  // namespace gnss
