#include "base/date_time.h"

#include <cmath>

namespace gnss {

namespace {
// Day number of 1899-12-30 counted from 1970-01-01.
constexpr int64_t kEpochOffsetDays = -25569;
}  // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1899-12-30 (H. Hinnant's days_from_civil shifted to that origin).
int64_t DaysFromCivil(int year, int month, int day) {
    const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 - kEpochOffsetDays;
}

DateTimeParts DecodeDateTime(DateTime value) {
    const double totalMs = std::round(value.Days * 86400000.0);
    int64_t ms = static_cast<int64_t>(totalMs);
    int64_t days = ms / 86400000;
    int64_t msOfDay = ms % 86400000;
    if (msOfDay < 0) {
        msOfDay += 86400000;
        --days;
    }
    // civil_from_days, origin 1970-01-01.
    const int64_t z = days + kEpochOffsetDays + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    DateTimeParts parts;
    parts.Day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    parts.Month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    parts.Year = static_cast<int>(yoe + era * 400 + (parts.Month <= 2 ? 1 : 0));
    parts.Hour = static_cast<int>(msOfDay / 3600000);
    parts.Minute = static_cast<int>(msOfDay / 60000 % 60);
    parts.Second = static_cast<int>(msOfDay / 1000 % 60);
    parts.Millisecond = static_cast<int>(msOfDay % 1000);
    return parts;
}

DateTime GpsTimeOrigin() {
    return DateTime{static_cast<double>(DaysFromCivil(1980, 1, 6))};
}

}  // namespace gnss
