// The attitude window and the dead-reckoning sensor window against simulated modules.

#include <gtest/gtest.h>

#include "app_core_station.h"
#include "sim_test_bench.h"

namespace gnss {
namespace {

TEST(SensorWindowsEndToEnd, AttitudeModulesTurnTheModelAndFillTheCharts) {
    for (const char* family : {"cms", "cm2"}) {
        SCOPED_TRACE(family);
        testing::AppCoreStation station(sim::testing::Config(family, ""));
        ASSERT_TRUE(station.Identify());
        const SensorAttitudeWindow& window = station.core.Attitude;
        EXPECT_TRUE(window.View().Visible);
        const uint64_t turnedBefore = window.View().OrientationRevision;
        station.time.Advance(30000);
        EXPECT_TRUE(window.View().Accelerations.Full());
        // One turn a minute: 30 s move the model many times over the 3.6 degree threshold.
        EXPECT_GT(window.View().OrientationRevision, turnedBefore + 10);
        EXPECT_NE(window.View().IntensityText, "");
        EXPECT_EQ(window.View().PanelColor, kPanelCalibratedColor);
        EXPECT_NE(station.core.Navigation.View().MagneticNorthText, "");
        // The module is upright within its sway: Y feels most of the 1 G.
        EXPECT_GT(window.View().Accelerations.At(1, 20), 0.9);

        station.Connect();  // disconnect
        EXPECT_FALSE(window.View().Visible);
        EXPECT_EQ(window.View().Accelerations.Count(), 0U);
    }
}

TEST(SensorWindowsEndToEnd, DeadReckoningChartsFillAndHideAfterTheStreamStops) {
    struct Case {
        const char* Family;
        const char* Variant;
    };
    for (const Case& c : {Case{"st", "dr"}, Case{"tdk-dr", ""}, Case{"tdk-dr", "ttt"}}) {
        SCOPED_TRACE(std::string(c.Family) + " " + c.Variant);
        sim::SimConfig config = sim::testing::Config(c.Family, c.Variant);
        config.Faults.SilenceAfterSeconds = 60;
        config.Faults.SilenceSeconds = 30;
        testing::AppCoreStation station(config);
        ASSERT_TRUE(station.Identify());
        const DrSensorWindow& window = station.core.DrSensors;
        EXPECT_TRUE(window.View().Visible);
        while (station.simulated->ElapsedMs() < 59000) station.time.Advance(500);
        EXPECT_TRUE(window.View().Visible);
        EXPECT_TRUE(window.View().Accelerometer.Full());
        EXPECT_TRUE(window.View().Gyro.Full());
        // Gravity on the vertical axis; the two charts are told apart.
        const auto [low, high] = window.View().Accelerometer.Range();
        EXPECT_GT(high, 5.0);
        EXPECT_NE(window.View().Gyro.Range(), std::pair(low, high));
        // The stream stops at 60 s; three seconds later the window hides and empties.
        while (station.simulated->ElapsedMs() < 64000) station.time.Advance(500);
        EXPECT_FALSE(window.View().Visible);
        EXPECT_EQ(window.View().Accelerometer.Count(), 0U);
        EXPECT_EQ(window.View().Gyro.Count(), 0U);
    }
}

TEST(SensorWindowsEndToEnd, PlainReceiversShowNeitherWindow) {
    testing::AppCoreStation station(sim::testing::Config("st", ""));
    ASSERT_TRUE(station.Identify());
    station.time.Advance(5000);
    EXPECT_FALSE(station.core.Attitude.View().Visible);
    EXPECT_FALSE(station.core.DrSensors.View().Visible);
}

}  // namespace
}  // namespace gnss
