#pragma once

#include <cstdint>

namespace gnss {

// A calendar date and time of day as a day count with the time of day as fraction:
// 0.0 is 1899-12-30 00:00, 1.5 is 1899-12-31 12:00. GPS week arithmetic is origin + days.
struct DateTime {
    double Days = 0.0;

    friend bool operator==(DateTime, DateTime) = default;
};

struct DateTimeParts {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

// Calendar helpers (proleptic Gregorian). Decode rounds to the nearest millisecond.
[[nodiscard]] int64_t DaysFromCivil(int year, int month, int day);
[[nodiscard]] DateTimeParts DecodeDateTime(DateTime value);
[[nodiscard]] bool IsLeapYear(int year);
[[nodiscard]] int DaysInMonth(int year, int month);

// GPS time origin, 1980-01-06 00:00 UTC.
[[nodiscard]] DateTime GpsTimeOrigin();

}  // namespace gnss
