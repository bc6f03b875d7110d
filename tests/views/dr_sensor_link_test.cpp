// The calibration and the sensor window together: the calibration clears the charts when it
// starts, hides them at the post-detection reset and after a failed speed input, and hides and
// empties them when the receiver first reports dead reckoning calibrated.

#include <gtest/gtest.h>

#include <string>

#include "base/virtual_time.h"
#include "link/memory_receiver_port.h"
#include "views/dr_calibration.h"
#include "views/dr_sensor_window.h"

namespace gnss {
namespace {

struct QuietSounds final : SoundOutput {
    void Beep() override {}
    void PlayCompletionSound() override {}
};

struct DrLinkBench {
    explicit DrLinkBench(DrSpeedInput input = DrSpeedInput::Can) {
        port.SetPortName("ttyUSB0");
        (void)port.Open();
        shared.PortOpen = true;
        shared.Family = ReceiverFamily::ST;
        identification.StDrModule = true;
        identification.StDrSpeedInput = input;
        dr.SetSensorWindow(&window);
        dr.JoinSentenceChain(chain);
        window.JoinSentenceChain(chain);
        dr.OnReceiverIdentified();
    }
    // One second as the link runs it: the counter, the timers, the calibration, the window.
    void Second(int n = 1) {
        for (int i = 0; i < n; ++i) {
            ++receiver.SecondsCounter;
            time.Advance(1000);
            dr.OnNmeaSecond(true);
            window.OnLinkSecond();
        }
    }
    void Samples(int n) {
        for (int i = 0; i < n; ++i) {
            chain.HandleSentence("$PSTMDRSENMSG,30,1000," + std::to_string(i) + ",2,4096*00");
            chain.HandleSentence("$PSTMDRSENMSG,31,1000,1,2," + std::to_string(i) + "*00");
        }
    }
    void StartConfirmed() {
        dr.StartCalibration();
        dr.Info().Close(DrInfoResult::Ok);
        time.Advance(1000);
    }
    [[nodiscard]] const DrSensorWindowView& Charts() const { return window.View(); }

    VirtualTime time;
    SharedState shared;
    ReceiverState receiver;
    MemoryReceiverPort port;
    IdentificationResult identification;
    QuietSounds sounds;
    double gnssKmh = 0.0;
    SentenceChain chain;
    DrSensorWindow window{DrSensorWindow::Deps{receiver, shared, identification, nullptr}};
    DrCalibration dr{{shared, receiver, port, identification, time, sounds,
                      [this] { return gnssKmh; }, [] { return true; }, [] { return 0; }}};
};

TEST(DrSensorLink, TheSensorMessagesReachOnlyTheWindow) {
    DrLinkBench b;
    const DrCalibrationView before = b.dr.View();
    b.Samples(3);
    EXPECT_TRUE(b.Charts().Visible);
    EXPECT_EQ(b.Charts().Accelerometer.Count(), 3U);
    EXPECT_EQ(b.Charts().Gyro.Count(), 3U);
    // The calibration's panel is untouched by them.
    EXPECT_EQ(b.dr.View().CountText, before.CountText);
    EXPECT_EQ(b.dr.View().OdometerText, before.OdometerText);
}

TEST(DrSensorLink, CalibratedWithinFiveSecondsOfDetectionHidesAndEmpties) {
    DrLinkBench b;
    b.Samples(5);
    b.Second(2);
    b.chain.HandleSentence("$PSTMDRCAL,1,0,0,0,ff,0,0*00");
    EXPECT_EQ(b.dr.View().CountText, kDrReady);
    EXPECT_FALSE(b.Charts().Visible);
    EXPECT_EQ(b.Charts().Accelerometer.Count(), 0U);
    EXPECT_EQ(b.Charts().Gyro.Count(), 0U);
    // A later report does not clear a new stream again.
    b.Samples(2);
    b.chain.HandleSentence("$PSTMDRCAL,1,1,0,0,ff,0,0*00");
    EXPECT_TRUE(b.Charts().Visible);
    EXPECT_EQ(b.Charts().Accelerometer.Count(), 2U);
}

TEST(DrSensorLink, PostDetectionResetHidesButKeepsTheCharts) {
    DrLinkBench b;
    for (int second = 0; second < 4; ++second) {
        b.Samples(1);  // a reading a second keeps the window from hiding by itself
        b.Second();
    }
    b.Samples(1);
    EXPECT_TRUE(b.Charts().Visible);
    b.Second();  // the reset's tick
    EXPECT_FALSE(b.Charts().Visible);
    EXPECT_EQ(b.Charts().Accelerometer.Count(), 5U);
    b.Samples(1);  // the next reading shows it again
    EXPECT_TRUE(b.Charts().Visible);
    EXPECT_EQ(b.Charts().Accelerometer.Count(), 6U);
}

TEST(DrSensorLink, StartClearsTheChartsAndLeavesTheWindowShown) {
    DrLinkBench b;
    b.Second(6);
    b.Samples(10);
    b.StartConfirmed();
    EXPECT_TRUE(b.Charts().Visible);
    EXPECT_EQ(b.Charts().Accelerometer.Count(), 0U);
    EXPECT_EQ(b.Charts().Gyro.Count(), 0U);
    b.Samples(1);
    EXPECT_EQ(b.Charts().Accelerometer.Count(), 1U);
}

TEST(DrSensorLink, FailedSpeedInputHidesTheWindowTwoSecondsLater) {
    for (DrSpeedInput input : {DrSpeedInput::Can, DrSpeedInput::Uart}) {
        DrLinkBench b(input);
        b.Second(6);
        b.StartConfirmed();
        // Readings keep coming while the speed input stays silent.
        for (int second = 0; second < 9; ++second) {
            b.Samples(1);
            b.Second();
        }
        ASSERT_EQ(b.dr.Info().Mode(), DrInfoMode::Error);
        EXPECT_TRUE(b.Charts().Visible);
        b.Samples(1);
        b.Second();
        EXPECT_FALSE(b.Charts().Visible) << static_cast<int>(input);
        EXPECT_GT(b.Charts().Accelerometer.Count(), 0U);
    }
}

}  // namespace
}  // namespace gnss
