#include "nmea/time_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace gnss {

namespace {

constexpr double kMsPerDay = 86400000.0;

}  // namespace

std::string TimeStampOf(DateTime time) {
    const DateTimeParts p = DecodeDateTime(time);
    char text[32];
    std::snprintf(text, sizeof text, "[%02d:%02d:%02d.%03d]", p.Hour, p.Minute, p.Second,
                  p.Millisecond);
    return text;
}

std::string TimeStamp(const Clock& clock) {
    return TimeStampOf(clock.NowLocal());
}

std::string DateTimeStampOf(DateTime time) {
    const DateTimeParts p = DecodeDateTime(time);
    char text[48];
    std::snprintf(text, sizeof text, "[%04d.%02d.%02d-%02d:%02d:%02d.%03d]", p.Year, p.Month, p.Day,
                  p.Hour, p.Minute, p.Second, p.Millisecond);
    return text;
}

std::string DateTimeStamp(const Clock& clock) {
    return DateTimeStampOf(clock.NowLocal());
}

std::string DateTimeStampSecondsOf(DateTime time) {
    const DateTimeParts p = DecodeDateTime(time);
    char text[48];
    std::snprintf(text, sizeof text, "[%04d.%02d.%02d-%02d:%02d:%02d]", p.Year, p.Month, p.Day,
                  p.Hour, p.Minute, p.Second);
    return text;
}

std::string DateTimeStampSeconds(const Clock& clock) {
    return DateTimeStampSecondsOf(clock.NowLocal());
}

std::string SecondsTenthsText(double seconds) {
    if (!std::isfinite(seconds)) seconds = 0.0;
    const bool negative = seconds < 0.0;
    const double magnitude = std::fabs(seconds);
    // Anything beyond ~ 10^15 s is no elapsed time this tool measures; keep the cast defined.
    const double whole = std::min(std::trunc(magnitude), 1e15);
    const auto total = static_cast<long long>(whole);
    // nearbyint rounds half to even in the default rounding mode.
    const auto tenths = static_cast<int>(std::nearbyint((magnitude - std::trunc(magnitude)) * 10));
    char text[64];
    std::snprintf(text, sizeof text, "%s%.2lld:%.2lld:%.2lld.%.1d", negative ? "-" : "",
                  total / 3600, total / 60 % 60, total % 60, tenths);
    return text;
}

std::string SecondsText(uint32_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2u:%.2u:%.2u", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

std::optional<DateTime> TryEncodeDateTime(int year, int month, int day, int hour, int minute,
                                          int second, int millisecond) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return std::nullopt;
    if (day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999) {
        return std::nullopt;
    }
    const double msOfDay = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond;
    return DateTime{static_cast<double>(DaysFromCivil(year, month, day)) + msOfDay / kMsPerDay};
}

}  // namespace gnss
