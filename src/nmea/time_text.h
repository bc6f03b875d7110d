#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/clock.h"
#include "base/date_time.h"

namespace gnss {

// Time stamps of the monitor, the debug memo and the logs. "Now" is the clock's local time.

// "[hh:nn:ss.zzz]"
[[nodiscard]] std::string TimeStampOf(DateTime time);
[[nodiscard]] std::string TimeStamp(const Clock& clock);
// "[yyyy.mm.dd-hh:nn:ss.zzz]"
[[nodiscard]] std::string DateTimeStampOf(DateTime time);
[[nodiscard]] std::string DateTimeStamp(const Clock& clock);
// "[yyyy.mm.dd-hh:nn:ss]"
[[nodiscard]] std::string DateTimeStampSecondsOf(DateTime time);
[[nodiscard]] std::string DateTimeStampSeconds(const Clock& clock);

// Elapsed seconds as "hh:mm:ss.t": hours are not limited to 24; the tenth is the fraction × 10
// rounded half to even, and a fraction that rounds up to 10 prints as "10" ("00:00:05.10").
// Negative values print with a leading "-"; values that are not finite print as zero.
[[nodiscard]] std::string SecondsTenthsText(double seconds);
// Whole seconds as "hh:mm:ss", hours not limited (360000 gives "100:00:00").
[[nodiscard]] std::string SecondsText(uint32_t seconds);

// The date-time of the given calendar fields, or nothing when the calendar rejects them: year
// 1..9999, month 1..12, day within the month, hour 0..23, minute and second 0..59, ms 0..999.
[[nodiscard]] std::optional<DateTime> TryEncodeDateTime(int year, int month, int day, int hour,
                                                        int minute, int second, int millisecond);

}  // namespace gnss
