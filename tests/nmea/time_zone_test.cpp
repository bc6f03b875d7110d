#include "nmea/time_zone.h"

#include <gtest/gtest.h>

#include "base/virtual_time.h"

namespace gnss {
namespace {

DateTime At(int y, int mo, int d, int h, int mi) {
    return DateTime{static_cast<double>(DaysFromCivil(y, mo, d)) + (h * 60 + mi) / 1440.0};
}

TEST(TimeZone, ConvertsWithTheBiasInMinutes) {
    struct Case {
        int Bias;
        DateTime Local;
        DateTime Utc;
    };
    const Case cases[] = {
        {-480, At(2024, 1, 1, 8, 0), At(2024, 1, 1, 0, 0)},     // UTC+8
        {-480, At(2024, 1, 1, 3, 0), At(2023, 12, 31, 19, 0)},  // across the year
        {300, At(2024, 3, 1, 22, 30), At(2024, 3, 2, 3, 30)},   // UTC-5
        {0, At(2024, 2, 29, 12, 0), At(2024, 2, 29, 12, 0)},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(LocalToUtc(c.Local, c.Bias).Days, c.Utc.Days, 1e-9) << c.Bias;
        EXPECT_NEAR(UtcToLocal(c.Utc, c.Bias).Days, c.Local.Days, 1e-9) << c.Bias;
    }
}

TEST(TimeZone, TakesTheBiasFromTheClock) {
    VirtualTime time;
    time.SetTimeZoneBiasMinutes(-480);
    const DateTimeParts utc = DecodeDateTime(LocalToUtc(At(2024, 1, 1, 8, 0), time));
    EXPECT_EQ(utc.Year, 2024);
    EXPECT_EQ(utc.Day, 1);
    EXPECT_EQ(utc.Hour, 0);
    EXPECT_EQ(DecodeDateTime(UtcToLocal(At(2024, 1, 1, 0, 0), time)).Hour, 8);
}

}  // namespace
}  // namespace gnss
