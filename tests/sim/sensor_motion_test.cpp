// The inertial samples of the simulated dead-reckoning modules follow the scripted calibration
// drive: still while standing, a push forward when driving off, yaw and side acceleration of
// the right sign in the circles.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "nmea/text_fields.h"
#include "sim/dr_drive.h"
#include "sim/sensor_sentences.h"

namespace gnss::sim {
namespace {

// The first sentence of `out` that starts with `head`, field `n` as a number.
double FieldOf(const std::vector<std::string>& out, std::string_view head, int n) {
    for (const std::string& line : out) {
        if (line.rfind(head, 0) == 0)
            return std::stod(std::string(ExtractField(n, line, kCommaStar)));
    }
    ADD_FAILURE() << "no " << head;
    return NAN;
}

struct Reading {
    double AlongG;
    double SideG;
    double YawDps;
};

// One sample of the module `elapsedMs` after power-on, in G and degrees a second.
Reading ReadingAt(const SensorSentences& sensors, ReceiverFamily family, uint64_t elapsedMs) {
    std::vector<std::string> out;
    sensors.AppendEpoch(elapsedMs, 200, out);
    if (family == ReceiverFamily::ST) {
        return {FieldOf(out, "$PSTMDRSENMSG,30,", 4) / 4096.0,
                FieldOf(out, "$PSTMDRSENMSG,30,", 5) / 4096.0,
                FieldOf(out, "$PSTMDRSENMSG,31,", 6) / 65.5};
    }
    return {FieldOf(out, "$PINVMIMU,", 3) / 9.80665, FieldOf(out, "$PINVMIMU,", 4) / 9.80665,
            FieldOf(out, "$PINVMIMU,", 8)};
}

TEST(SensorMotion, SamplesFollowTheCalibrationDrive) {
    struct Module {
        const char* Key;
        const char* Variant;
        ReceiverFamily Family;
        const char* ClearCommand;
    };
    const Module modules[] = {{"st", "dr", ReceiverFamily::ST, "$PSTMNVMITEMINV,80,1"},
                              {"tdk-dr", "", ReceiverFamily::TDK_DR, "$PINVCRES,0*1A"}};
    // Seconds after the drive's start: standing 150 s, straight 320 s at 50 km/h, 100 s of
    // left circles and 100 s of right circles at 35 km/h and 11 degrees a second.
    const double circleSideG = 35.0 / 3.6 * 11.0 * std::numbers::pi / 180.0 / 9.80665;
    struct Moment {
        uint64_t Second;
        double AlongG;
        double SideG;
        double YawDps;
        double AlongTolerance;
    };
    const Moment moments[] = {
        {100, 0.0, 0.0, 0.0, 0.05},           // standing
        {151, 0.47, 0.0, 0.0, 0.08},          // driving off: 50 km/h within three seconds
        {300, 0.0, 0.0, 0.0, 0.05},           // straight
        {520, 0.0, circleSideG, 11.0, 0.05},  // left circles
        {620, 0.0, -circleSideG, -11.0, 0.05},
    };
    for (const Module& m : modules) {
        SCOPED_TRACE(m.Key);
        const FamilyProfile* profile = FindProfile(m.Key, m.Variant);
        ASSERT_NE(profile, nullptr);
        DrDrive drive(m.Family, 'C', *FindDriveScript("calibration"));
        SensorSentences sensors(*profile);
        sensors.FollowMotion(&drive);
        std::vector<std::string> replies;
        constexpr uint64_t kStartMs = 20000;
        (void)drive.OnCommand(m.ClearCommand, kStartMs, replies);
        for (const Moment& at : moments) {
            const Reading r = ReadingAt(sensors, m.Family, kStartMs + at.Second * 1000);
            EXPECT_NEAR(r.AlongG, at.AlongG, at.AlongTolerance) << at.Second;
            EXPECT_NEAR(r.SideG, at.SideG, 0.05) << at.Second;
            EXPECT_NEAR(r.YawDps, at.YawDps, 1.0) << at.Second;
        }
    }
}

TEST(SensorMotion, WithoutADriveTheCarWeavesOnItsOwn) {
    const FamilyProfile* profile = FindProfile("st", "dr");
    ASSERT_NE(profile, nullptr);
    SensorSentences sensors(*profile);
    double largestYaw = 0.0;
    for (uint64_t ms = 200; ms <= 20000; ms += 200) {
        largestYaw =
            std::max(largestYaw, std::fabs(ReadingAt(sensors, ReceiverFamily::ST, ms).YawDps));
    }
    EXPECT_GT(largestYaw, 8.0);
}

}  // namespace
}  // namespace gnss::sim
