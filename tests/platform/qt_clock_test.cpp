#include "platform/qt_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "base/date_time.h"

namespace gnss {
namespace {

// Sets TZ for the life of the object (POSIX rules, so no time-zone database is needed).
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* tz) {
        if (const char* old = std::getenv("TZ")) previous_ = old;
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (previous_) {
            ::setenv("TZ", previous_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  private:
    std::optional<std::string> previous_;
};

// The C library's own view of the offset in effect now (local - UTC, seconds).
long SystemUtcOffsetSeconds() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local.tm_gmtoff;
}

struct ZoneCase {
    const char* Tz;
    int ExpectedBias;  // minutes; INT32_MIN: whatever the C library says (daylight rules)
};

TEST(QtClock, TimeZoneBiasIsUtcMinusLocalAndMatchesLocalAndUtcTimes) {
    const ZoneCase cases[] = {
        {"UTC0", 0},
        {"XST-5:30", -330},  // UTC+5:30
        {"YST+3", 180},      // UTC-3
        {"ZST-5:45", -345},  // UTC+5:45
        {"CET-1CEST,M3.5.0,M10.5.0/3", INT32_MIN},
        {"EST5EDT,M3.2.0,M11.1.0", INT32_MIN},
    };
    for (const auto& zone : cases) {
        SCOPED_TRACE(zone.Tz);
        ScopedTimeZone scoped(zone.Tz);
        QtClock clock;
        const int bias = clock.TimeZoneBiasMinutes();
        const int expected = zone.ExpectedBias == INT32_MIN
                                 ? static_cast<int>(-SystemUtcOffsetSeconds() / 60)
                                 : zone.ExpectedBias;
        EXPECT_EQ(bias, expected);
        // UTC = local + bias (two readings a moment apart: allow a second).
        const double difference = clock.NowUtc().Days - (clock.NowLocal().Days + bias / 1440.0);
        EXPECT_NEAR(difference, 0.0, 1.0 / 86400.0);
    }
}

TEST(QtClock, UtcDayCountAgreesWithTheCLibrary) {
    QtClock clock;
    const std::time_t before = std::time(nullptr);
    const DateTimeParts now = DecodeDateTime(clock.NowUtc());
    std::tm utc{};
    ::gmtime_r(&before, &utc);
    EXPECT_EQ(now.Year, utc.tm_year + 1900);
    EXPECT_EQ(now.Month, utc.tm_mon + 1);
    EXPECT_EQ(now.Day, utc.tm_mday);
    const int secondOfDay = now.Hour * 3600 + now.Minute * 60 + now.Second;
    const int expected = utc.tm_hour * 3600 + utc.tm_min * 60 + utc.tm_sec;
    // Same second, or the next one when the reading straddled a second boundary.
    EXPECT_TRUE(secondOfDay == expected || secondOfDay == (expected + 1) % 86400)
        << secondOfDay << " vs " << expected;
}

}  // namespace
}  // namespace gnss
