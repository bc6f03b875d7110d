// The traffic radio and the dead-reckoning modules of the simulator, alone and against the
// application core on virtual time: the panel follows a seek across the band, a calibration
// drive ends with "DR Ready !", and broken speed sensors end it with the error.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app_core_station.h"
#include "sim/dr_drive.h"
#include "sim/traffic_band.h"

namespace gnss::sim {
namespace {

using ::gnss::testing::AppCoreStation;

TEST(TrafficBand, SeeksToTheNextStationAndObeysTuning) {
    TrafficBand band;
    std::vector<std::string> lines;
    std::vector<std::string> replies;
    // From the band's bottom it seeks up to the first station and stays.
    for (int i = 0; i < 5; ++i) band.OnSecond(0, lines);
    EXPECT_EQ(band.TunedFrequency(), 8810);
    EXPECT_FALSE(band.Seeking());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().substr(0, 21), "$PQTTQ,8810,38,T,1,2*");

    EXPECT_TRUE(band.OnCommand("$PQTCM,+", 0, replies));
    EXPECT_TRUE(band.Seeking());
    for (int i = 0; i < 20 && band.Seeking(); ++i) band.OnSecond(0, lines);
    EXPECT_EQ(band.TunedFrequency(), 9230);
    (void)band.OnCommand("$PQTCM,-", 0, replies);
    for (int i = 0; i < 20 && band.Seeking(); ++i) band.OnSecond(0, lines);
    EXPECT_EQ(band.TunedFrequency(), 8810);
    // Down from the bottom wraps to the top of the band.
    (void)band.OnCommand("$PQTCM,-", 0, replies);
    for (int i = 0; i < 80 && band.Seeking(); ++i) band.OnSecond(0, lines);
    EXPECT_EQ(band.TunedFrequency(), 10777);

    struct Case {
        std::string_view Command;
        int Frequency;
    };
    const Case tunes[] = {{"$PQTCM,H2,9810", 9810},
                          {"$PQTCM,H2,12000", 10800},
                          {"$PQTCM,H2,100", 8750},
                          {"$PQTCM,H2,abc", 8750},
                          {"$PQTCM,H2,9810*33", 9810}};
    for (const Case& c : tunes) {
        EXPECT_TRUE(band.OnCommand(c.Command, 0, replies));
        EXPECT_EQ(band.TunedFrequency(), c.Frequency) << c.Command;
    }
    // After a tune the radio stays, even off a station, until automatic tuning returns.
    (void)band.OnCommand("$PQTCM,H2,9000", 0, replies);
    band.OnSecond(0, lines);
    EXPECT_EQ(band.TunedFrequency(), 9000);
    (void)band.OnCommand("$PQTCM,A2", 0, replies);
    band.OnSecond(0, lines);
    EXPECT_TRUE(band.Seeking());
    EXPECT_FALSE(band.OnCommand("$PMTK605*31", 0, replies));
    EXPECT_TRUE(replies.empty());
}

TEST(DrDrive, LearnsFromTheDriveOnlyAfterTheCalibrationWasCleared) {
    DrDrive drive(ReceiverFamily::ST, 'O', *FindDriveScript("calibration"));
    std::vector<std::string> lines;
    std::vector<std::string> replies;
    for (uint64_t s = 0; s < 100; ++s) drive.OnSecond(s * 1000, lines);
    EXPECT_FALSE(drive.Learnt().GyroOffset);  // standing, but nobody asked
    VehicleMotion motion;
    ASSERT_TRUE(drive.Motion(100000, motion));
    EXPECT_EQ(motion.SpeedKmh, 0.0);

    EXPECT_TRUE(drive.OnCommand("$PSTMNVMITEMINV,80,1", 100000, replies));
    EXPECT_EQ(replies.size(), 1u);
    uint64_t s = 100;
    for (; s < 100 + 60; ++s) drive.OnSecond(s * 1000, lines);
    EXPECT_TRUE(drive.Learnt().GyroOffset);
    EXPECT_STREQ(drive.PhaseAt(s * 1000).Name.data(), "standing");
    for (; s < 100 + 150 + 200; ++s) drive.OnSecond(s * 1000, lines);
    EXPECT_TRUE(drive.Learnt().SpeedScale);
    EXPECT_FALSE(drive.Learnt().GyroGain);
    for (; s < 100 + 150 + 320 + 150; ++s) drive.OnSecond(s * 1000, lines);
    EXPECT_TRUE(drive.Learnt().Complete());
    EXPECT_EQ(lines.back().substr(0, 26), "$PSTMDRCAL,1,1,1,1,ff,1,1*");
    // The odometer counted the whole way: 4 pulses a metre.
    const std::string odometer = lines[lines.size() - 2];
    EXPECT_EQ(odometer.substr(0, 16), "$PSTMDRSENMSG,3,");

    // The parameter reset forgets what was learnt.
    (void)drive.OnCommand("$PSTMSETPAR,1228,0x00000000", s * 1000, replies);
    drive.OnSecond(s * 1000, lines);
    EXPECT_EQ(lines.back().substr(0, 26), "$PSTMDRCAL,0,0,0,0,ff,0,0*");
}

TEST(DrDrive, SensorFaultsAndTheTdkState) {
    std::vector<std::string> lines;
    std::vector<std::string> replies;
    DrDrive silent(ReceiverFamily::ST, 'C', *FindDriveScript("no-sensor"));
    silent.OnSecond(0, lines);
    ASSERT_EQ(lines.size(), 1u);  // the status only
    EXPECT_EQ(lines[0].substr(0, 11), "$PSTMDRCAL,");

    lines.clear();
    DrDrive stops(ReceiverFamily::ST, 'C', *FindDriveScript("sensor-stops"));
    (void)stops.OnCommand("$PSTMNVMITEMINV,80,1", 0, replies);
    stops.OnSecond(1000, lines);
    EXPECT_EQ(lines.size(), 2u);  // standing: the CAN speed and the status
    lines.clear();
    stops.OnSecond(200000, lines);  // driving: the sensor is silent
    EXPECT_EQ(lines.size(), 1u);

    lines.clear();
    DrDrive tdk(ReceiverFamily::TDK_DR, 0, *FindDriveScript(""));
    tdk.OnSecond(0, lines);
    EXPECT_EQ(lines[0].substr(0, 16), "$PINVMINR,3,0,0*");  // calibrated from its last drive
    EXPECT_TRUE(tdk.OnCommand("$PINVCRES,0*1A", 1000, replies));
    tdk.OnSecond(2000, lines);
    EXPECT_EQ(lines[2].substr(0, 16), "$PINVMINR,0,0,0*");
    EXPECT_EQ(FindDriveScript("nonsense"), nullptr);
}

// --- against the application core ---

struct CountingSounds final : SoundOutput {
    void Beep() override { ++Beeps; }
    void PlayCompletionSound() override { ++Completions; }
    int Beeps = 0;
    int Completions = 0;
};

SimConfig Family(std::string family, std::string variant = "", std::string drive = "") {
    SimConfig config;
    config.Family = std::move(family);
    config.Variant = std::move(variant);
    config.Drive = std::move(drive);
    return config;
}

void RunSeconds(AppCoreStation& s, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) s.time.Advance(100);
}

TEST(SpecialReceiversEndToEnd, TrafficPanelFollowsASeekAcrossTheBand) {
    AppCoreStation s(Family("tmc"));
    ASSERT_TRUE(s.Identify());
    const TrafficPanelView& v = s.core.Traffic.View();
    EXPECT_TRUE(v.Visible);
    EXPECT_TRUE(v.NavigationHidden);
    EXPECT_TRUE(v.TuningControlsShown);
    RunSeconds(s, 5);
    EXPECT_EQ(v.FrequencyText, "FM: 88.10 MHz");
    EXPECT_EQ(v.StationText, "RADIO 1");
    EXPECT_EQ(v.CountryText, "CC:E");
    EXPECT_EQ(v.RateText, " 2");

    s.core.Traffic.ButtonClicked(TrafficButton::SearchUp);
    RunSeconds(s, 2);
    EXPECT_EQ(v.SeekBackground, kTrafficSeekingBackground);
    EXPECT_TRUE(v.StationGreyed);
    RunSeconds(s, 10);
    EXPECT_EQ(v.FrequencyText, "FM: 92.30 MHz");
    EXPECT_EQ(v.StationText, "CLASSIC");
    EXPECT_EQ(v.SeekBackground, kTrafficLabelBackground);
    // Every frequency heard on the way has its line, in the order heard.
    ASSERT_GE(v.Lines.size(), 5u);
    for (std::size_t i = 1; i < v.Lines.size(); ++i)
        EXPECT_GT(v.Lines[i].FrequencyMhz, v.Lines[i - 1].FrequencyMhz);

    s.core.Traffic.SetTuneValue(10777);
    s.core.Traffic.TuneToClicked();
    RunSeconds(s, 3);
    EXPECT_EQ(v.FrequencyText, "FM:107.77 MHz");
    EXPECT_EQ(v.StationText, "TRAFFIC");
    EXPECT_EQ(v.RateText, " 4");
    EXPECT_DOUBLE_EQ(v.Marker.FrequencyMhz, 107.77);

    // The combined receiver keeps its navigation panels.
    AppCoreStation combined(Family("tmc", "sirf"));
    ASSERT_TRUE(combined.Identify());
    EXPECT_TRUE(combined.core.Traffic.View().Visible);
    EXPECT_FALSE(combined.core.Traffic.View().NavigationHidden);
}

// Connects, waits for the detection's reset, then starts a calibration.
void StartCalibration(AppCoreStation& s) {
    ASSERT_TRUE(s.Identify());
    RunSeconds(s, 8);
    s.core.DrCal.StartCalibration();
    ASSERT_TRUE(s.core.DrCal.Info().Visible());
    s.core.DrCal.Info().Close(DrInfoResult::Ok);
}

TEST(SpecialReceiversEndToEnd, CalibrationDriveEndsWithDrReady) {
    AppCoreStation s(Family("st", "dr"));
    CountingSounds sounds;
    s.core.Sounds.SetTarget(&sounds);
    StartCalibration(s);
    EXPECT_TRUE(s.core.DrCal.Running());
    RunSeconds(s, 5);
    EXPECT_EQ(s.core.DrCal.View().OdometerText, " CAN_Bus Ready !");
    EXPECT_EQ(s.core.DrCal.View().StepColours[0], kDrStepActive);
    int seconds = 0;
    // The gyro chart follows the drive: about +-11 degrees a second (720 counts) of yaw in the
    // two directions of circles, next to nothing before (standing and driving straight).
    double leastYaw = 0.0;
    double mostYaw = 0.0;
    while (s.core.DrCal.View().CountText != kDrReady && seconds < 900) {
        RunSeconds(s, 10);
        seconds += 10;
        const SampleWindow<kDrSensorSamples>& gyro = s.core.DrSensors.View().Gyro;
        ASSERT_GT(gyro.Count(), 0U) << "after " << seconds << " s";
        const double yaw = gyro.At(2, gyro.Count() - 1);
        if (s.core.DrCal.View().StepColours[2] == kDrStepIdle) {
            EXPECT_LT(std::fabs(yaw), 60.0) << "after " << seconds << " s";
        }
        leastYaw = std::min(leastYaw, yaw);
        mostYaw = std::max(mostYaw, yaw);
    }
    EXPECT_NEAR(mostYaw, 720.0, 70.0);
    EXPECT_NEAR(leastYaw, -720.0, 70.0);
    EXPECT_EQ(s.core.DrCal.View().CountText, kDrReady) << "after " << seconds << " s";
    EXPECT_EQ(s.core.DrCal.View().StepColours,
              (std::array<Rgb, 3>{kDrStepDone, kDrStepDone, kDrStepDone}));
    EXPECT_FALSE(s.core.DrCal.Running());
    EXPECT_EQ(sounds.Completions, 1);
    EXPECT_EQ(sounds.Beeps, 6);
    EXPECT_TRUE(s.MonitorShows("$PSTMDRCAL,1,1,1,1"));
}

TEST(SpecialReceiversEndToEnd, BrokenSpeedSensorsAbortTheCalibration) {
    struct Case {
        std::string Variant;
        std::string Drive;
        int Seconds;
        std::string_view Error;
    };
    const Case cases[] = {
        {"dr", "no-sensor", 12, "Can not receive CAN-bus data !"},
        {"dr-uart", "no-sensor", 12, "Can not receive valid data from UART !"},
        // The odometer falls silent when the vehicle starts driving in step 2.
        {"dr-odo", "sensor-stops", 200, "Can not receive valid ODOmeter data !"},
    };
    for (const Case& c : cases) {
        AppCoreStation s(Family("st", c.Variant, c.Drive));
        StartCalibration(s);
        RunSeconds(s, c.Seconds);
        const DrInfoWindow& info = s.core.DrCal.Info();
        ASSERT_TRUE(info.Visible()) << c.Variant;
        EXPECT_EQ(info.Mode(), DrInfoMode::Error) << c.Variant;
        EXPECT_EQ(info.Lines()[0].substr(0, c.Error.size()), c.Error) << c.Variant;
        EXPECT_FALSE(s.core.DrCal.Running()) << c.Variant;
    }
}

TEST(SpecialReceiversEndToEnd, TdkResetAndItsDrStatus) {
    AppCoreStation s(Family("tdk-dr"));
    ASSERT_TRUE(s.Identify());
    RunSeconds(s, 2);
    EXPECT_EQ(s.core.DrCal.View().TdkStateText, "DR-OK");
    s.core.DrCal.StartCalibration();
    s.core.DrCal.Info().Close(DrInfoResult::Ok);
    RunSeconds(s, 3);
    EXPECT_EQ(s.core.DrCal.View().TdkStateText, "Stop and wait for 1 minute");
    EXPECT_TRUE(s.core.DrCal.View().StartEnabled);
    RunSeconds(s, 70);
    EXPECT_EQ(s.core.DrCal.View().TdkStateText,
              "Speed\xEF\xBC\x9E"
              "30 Km/H");
    EXPECT_EQ(s.core.DrCal.View().TdkSpeedText, "  0.00 Km/H");
    RunSeconds(s, 90);
    EXPECT_EQ(s.core.DrCal.View().TdkSpeedText, " 50.00 Km/H");
}

}  // namespace
}  // namespace gnss::sim
