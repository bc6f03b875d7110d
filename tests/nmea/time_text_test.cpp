#include "nmea/time_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace gnss {
namespace {

class FixedClock final : public Clock {
  public:
    explicit FixedClock(DateTime local) : local_(local) {}
    uint32_t TickMs() const override { return 0; }
    DateTime NowLocal() const override { return local_; }
    DateTime NowUtc() const override { return DateTime{local_.Days - 8.0 / 24.0}; }
    int TimeZoneBiasMinutes() const override { return -480; }

  private:
    DateTime local_;
};

TEST(TimeStamps, FormatTheClocksLocalTime) {
    const auto when = TryEncodeDateTime(2024, 2, 29, 7, 5, 9, 42);
    ASSERT_TRUE(when.has_value());
    const FixedClock clock(*when);
    EXPECT_EQ(TimeStamp(clock), "[07:05:09.042]");
    EXPECT_EQ(DateTimeStamp(clock), "[2024.02.29-07:05:09.042]");
    EXPECT_EQ(DateTimeStampSeconds(clock), "[2024.02.29-07:05:09]");
    EXPECT_EQ(TimeStampOf(*TryEncodeDateTime(1999, 12, 31, 23, 59, 59, 999)), "[23:59:59.999]");
}

struct TenthsCase {
    double seconds;
    const char* expected;
};

TEST(SecondsTenthsText, RoundsTenthsHalfToEvenWithoutCarry) {
    const std::vector<TenthsCase> cases = {
        {0.0, "00:00:00.0"},     {35.2, "00:00:35.2"},      {3723.4, "01:02:03.4"},
        {0.25, "00:00:00.2"},   // 2.5 tenths rounds to even
        {0.75, "00:00:00.8"},   // 7.5 tenths rounds to even
        {5.96, "00:00:05.10"},  // a fraction rounding to 10 prints "10", no carry
        {90000.0, "25:00:00.0"}, {360000.5, "100:00:00.5"}, {-1.5, "-00:00:01.5"},
    };
    for (const auto& c : cases) EXPECT_EQ(SecondsTenthsText(c.seconds), c.expected) << c.seconds;
}

TEST(SecondsTenthsText, NonFiniteAndHugeValuesStayDefined) {
    EXPECT_EQ(SecondsTenthsText(std::numeric_limits<double>::quiet_NaN()), "00:00:00.0");
    EXPECT_EQ(SecondsTenthsText(std::numeric_limits<double>::infinity()), "00:00:00.0");
    EXPECT_FALSE(SecondsTenthsText(1e300).empty());
}

TEST(SecondsText, HoursAreNotLimited) {
    EXPECT_EQ(SecondsText(0), "00:00:00");
    EXPECT_EQ(SecondsText(59), "00:00:59");
    EXPECT_EQ(SecondsText(86399), "23:59:59");
    EXPECT_EQ(SecondsText(360000), "100:00:00");
    EXPECT_EQ(SecondsText(4294967295u), "1193046:28:15");
}

struct EncodeCase {
    int y, mo, d, h, mi, s, ms;
    bool valid;
};

TEST(TryEncodeDateTime, RejectsWhatTheCalendarRejects) {
    const std::vector<EncodeCase> cases = {
        {2024, 2, 29, 0, 0, 0, 0, true},       {2023, 2, 29, 0, 0, 0, 0, false},
        {1900, 2, 29, 0, 0, 0, 0, false},      {2000, 2, 29, 0, 0, 0, 0, true},
        {0, 1, 1, 0, 0, 0, 0, false},          {1, 1, 1, 0, 0, 0, 0, true},
        {9999, 12, 31, 23, 59, 59, 999, true}, {10000, 1, 1, 0, 0, 0, 0, false},
        {2024, 0, 1, 0, 0, 0, 0, false},       {2024, 13, 1, 0, 0, 0, 0, false},
        {2024, 4, 0, 0, 0, 0, 0, false},       {2024, 4, 31, 0, 0, 0, 0, false},
        {2024, 4, 30, 24, 0, 0, 0, false},     {2024, 4, 30, 0, 60, 0, 0, false},
        {2024, 4, 30, 0, 0, 60, 0, false},     {2024, 4, 30, 0, 0, 0, 1000, false},
        {2024, 4, 30, -1, 0, 0, 0, false},     {2024, 4, 30, 0, 0, 0, -1, false},
    };
    for (const auto& c : cases) {
        const auto value = TryEncodeDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms);
        EXPECT_EQ(value.has_value(), c.valid) << c.y << "-" << c.mo << "-" << c.d << " " << c.h
                                              << ":" << c.mi << ":" << c.s << "." << c.ms;
        if (!value) continue;
        const DateTimeParts parts = DecodeDateTime(*value);
        EXPECT_EQ(parts.Year, c.y);
        EXPECT_EQ(parts.Month, c.mo);
        EXPECT_EQ(parts.Day, c.d);
        EXPECT_EQ(parts.Millisecond, c.ms);
    }
}

TEST(TryEncodeDateTime, DayCountsFromTheTimeOrigin) {
    EXPECT_EQ(TryEncodeDateTime(1899, 12, 30, 0, 0, 0, 0), DateTime{0.0});
    EXPECT_EQ(TryEncodeDateTime(1899, 12, 31, 12, 0, 0, 0), DateTime{1.5});
    EXPECT_EQ(TryEncodeDateTime(1980, 1, 6, 0, 0, 0, 0), GpsTimeOrigin());
}

}  // namespace
}  // namespace gnss
