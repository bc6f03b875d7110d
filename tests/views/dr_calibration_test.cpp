// The dead-reckoning calibration on virtual time: the steps, their conditions and timers, the
// sensor checks, the receiver's status sentence, and the TDK modules' reset and status.

#include "views/dr_calibration.h"

#include <gtest/gtest.h>

#include "base/virtual_time.h"
#include "link/memory_receiver_port.h"

namespace gnss {
namespace {

struct CountingSounds final : SoundOutput {
    void Beep() override { ++Beeps; }
    void PlayCompletionSound() override { ++Completions; }
    int Beeps = 0;
    int Completions = 0;
};

struct DrBench {
    explicit DrBench(DrSpeedInput input = DrSpeedInput::Can,
                     ReceiverFamily family = ReceiverFamily::ST) {
        port.SetPortName("ttyUSB0");
        (void)port.Open();
        shared.PortOpen = true;
        shared.Family = family;
        identification.StDrModule = family == ReceiverFamily::ST;
        identification.StDrSpeedInput = input;
        dr.OnReceiverIdentified();
    }
    // One second: the counter, the timers, then the calibration's tick.
    void Second(int n = 1) {
        for (int i = 0; i < n; ++i) {
            ++receiver.SecondsCounter;
            time.Advance(1000);
            dr.DrCalibrationSecond();
        }
    }
    void StartConfirmed() {
        dr.StartCalibration();
        dr.Info().Close(DrInfoResult::Ok);
        time.Advance(1000);  // the reset commands go out
    }
    std::string Sent() {
        std::string all = port.WrittenBytes();
        std::string fresh = all.substr(seen);
        seen = all.size();
        return fresh;
    }
    // Everything a calibration needs up to the start of step 1 for a CAN module.
    void ToStepOne() {
        StartConfirmed();
        dr.DrStatusSentence("$PSTMDRSENMSG,14,1,0.0*00");
        Second();  // the instructions
        Second();  // armed
    }

    VirtualTime time;
    SharedState shared;
    ReceiverState receiver;
    MemoryReceiverPort port;
    IdentificationResult identification;
    CountingSounds sounds;
    double gnssKmh = 0.0;
    bool timeValid = true;
    int language = 0;
    std::size_t seen = 0;
    DrCalibration dr{{shared, receiver, port, identification, time, sounds,
                      [this] { return gnssKmh; }, [this] { return timeValid; },
                      [this] { return language; }}};
};

TEST(DrCalibration, DetectionSendsHotStartAndTheParameterResetUnlessCalibrated) {
    DrBench b;
    b.time.Advance(200);
    EXPECT_EQ(b.Sent(), "$PSTMHOT\r\n");
    EXPECT_EQ(b.dr.View().InputName, "CAN");
    b.Second(4);
    EXPECT_EQ(b.Sent(), "");
    b.Second();
    b.time.Advance(500);
    EXPECT_EQ(b.Sent(), "$PSTMSETPAR,1228,0x00000000\r\n$PSTMHOT\r\n");

    // A calibrated receiver within five seconds is never reset.
    DrBench calibrated;
    calibrated.Second(2);
    calibrated.dr.DrStatusSentence("$PSTMDRCAL,1,0,0,0,ff,0,0*00");
    EXPECT_EQ(calibrated.dr.View().CountText, kDrReady);
    EXPECT_EQ(calibrated.dr.View().CountSize, kDrReadySize);
    calibrated.Second(10);
    calibrated.time.Advance(500);
    EXPECT_EQ(calibrated.Sent(), "$PSTMHOT\r\n");
}

TEST(DrCalibration, ConfirmationGuardsTheResetCommands) {
    DrBench b;
    b.Second(6);
    (void)b.Sent();
    b.dr.StartCalibration();
    EXPECT_TRUE(b.dr.Info().Visible());
    EXPECT_EQ(b.dr.Info().Mode(), DrInfoMode::Confirmation);
    EXPECT_TRUE(b.dr.Info().CancelShown());
    EXPECT_FALSE(b.dr.View().StartEnabled);
    EXPECT_EQ(b.dr.Info().Lines()[0], "Start Calibration will clear       ");
    b.dr.Info().Close(DrInfoResult::Cancel);
    b.time.Advance(1000);
    EXPECT_EQ(b.Sent(), "");  // cancelled: nothing is sent
    EXPECT_TRUE(b.dr.View().StartEnabled);

    b.StartConfirmed();
    EXPECT_EQ(b.Sent(),
              "$PSTMGPSSUSPEND\r\n$PSTMNVMITEMINV,80,1\r\n$PSTMNVMITEMINV,81,1\r\n"
              "$PSTMSETPAR,1228,10800000\r\n$PSTMSAVEPAR\r\n$PSTMSRR\r\n");
    EXPECT_TRUE(b.dr.Running());
}

TEST(DrCalibration, ResetRepliesAreHiddenForFiveSeconds) {
    DrBench b;
    SentenceChain chain;
    b.dr.JoinSentenceChain(chain);
    b.StartConfirmed();
    EXPECT_FALSE(chain.HandleSentence("$PSTMSETPAR,1228,OK*00"));
    EXPECT_TRUE(chain.HandleSentence("$GPGGA,1,2,3*00"));
    b.Second(6);
    EXPECT_TRUE(chain.HandleSentence("$PSTMSETPAR,1228,OK*00"));
}

TEST(DrCalibration, StepOneCountsOnlyWhileStandingAndWaitsForTheGyroOffset) {
    DrBench b;
    b.ToStepOne();
    EXPECT_EQ(b.dr.View().StepColours[0], kDrStepActive);
    b.Second(10);
    EXPECT_EQ(b.dr.View().CountText, "110");
    // Exactly 1.5 km/h still counts as standing; more restarts the count.
    b.gnssKmh = 1.5;
    b.Second();
    EXPECT_EQ(b.dr.View().CountText, "109");
    b.gnssKmh = 1.6;
    b.Second();
    EXPECT_EQ(b.dr.View().CountText, "120");
    EXPECT_EQ(b.dr.View().CountColour, kDrCountMoving);
    b.gnssKmh = 0.0;
    b.timeValid = false;  // no time, no counting
    b.Second();
    EXPECT_EQ(b.dr.View().CountText, "120");
    b.timeValid = true;
    b.dr.DrStatusSentence("$PSTMDRSENMSG,14,1,5.0*00");  // the wheels turn
    b.Second();
    EXPECT_EQ(b.dr.View().CountText, "120");
    b.dr.DrStatusSentence("$PSTMDRSENMSG,14,1,0.0*00");
    b.Second(120);
    EXPECT_EQ(b.dr.View().CountText, "0");  // the gyro offset is not calibrated yet
    EXPECT_EQ(b.sounds.Beeps, 0);
    b.Second(5);
    EXPECT_EQ(b.dr.View().StepColours[0], kDrStepActive);
    b.dr.DrStatusSentence("$PSTMDRCAL,0,0,0,1,ff,0,0*00");
    b.Second();
    EXPECT_EQ(b.dr.View().StepColours[0], kDrStepDone);
    EXPECT_EQ(b.dr.View().CountText, "OK");
    b.time.Advance(200);
    EXPECT_EQ(b.sounds.Beeps, 1);
    EXPECT_EQ(b.dr.Info().Lines()[0].substr(0, 27), "1. Vehicle speed >= 30 Km/h");
}

TEST(DrCalibration, WholeDriveEndsWithDrReadyAndBeeps) {
    DrBench b;
    b.ToStepOne();
    b.dr.DrStatusSentence("$PSTMDRCAL,0,0,0,1,ff,0,0*00");
    b.Second(120);
    EXPECT_EQ(b.dr.View().CountText, "OK");
    b.Second(2);
    EXPECT_EQ(b.dr.View().StepColours[1], kDrStepActive);
    EXPECT_EQ(b.dr.View().CountText, "300");
    // Below 30 km/h the count pauses; exactly 30 counts.
    b.gnssKmh = 29.9;
    b.dr.DrStatusSentence("$PSTMDRSENMSG,14,1,50.0*00");
    b.Second(5);
    EXPECT_EQ(b.dr.View().CountText, "300");
    b.gnssKmh = 30.0;
    b.Second(300);
    EXPECT_EQ(b.dr.View().CountText, "0");
    b.dr.DrStatusSentence("$PSTMDRCAL,0,1,0,1,ff,0,0*00");
    b.Second();
    EXPECT_EQ(b.dr.View().StepColours[1], kDrStepDone);
    b.Second(2);
    EXPECT_EQ(b.dr.View().StepColours[2], kDrStepActive);
    b.dr.DrStatusSentence("$PSTMDRCAL,0,1,1,1,ff,1,1*00");
    b.Second();
    EXPECT_EQ(b.dr.View().StepColours[2], kDrStepDone);
    EXPECT_EQ(b.dr.View().Lights[4], kDrLightOn);
    EXPECT_NE(b.dr.View().CountText, kDrReady);  // the DR flag is still missing
    b.dr.DrStatusSentence("$PSTMDRCAL,1,1,1,1,ff,1,1*00");
    b.Second();
    EXPECT_EQ(b.dr.View().CountText, kDrReady);
    EXPECT_FALSE(b.dr.Running());
    EXPECT_EQ(b.sounds.Completions, 1);
    b.time.Advance(1000);
    EXPECT_EQ(b.sounds.Beeps, 1 + 2 + 3);
    (void)b.Sent();
    b.Second(2);
    b.time.Advance(100);
    EXPECT_EQ(b.Sent(), "$PSTMHOT\r\n");
    b.Second(5);
    EXPECT_EQ(b.sounds.Completions, 1);  // once
}

TEST(DrCalibration, MissingSpeedMessagesAbortByInputType) {
    struct Case {
        DrSpeedInput Input;
        std::string_view FirstLine;
    };
    const Case cases[] = {{DrSpeedInput::Can, "Can not receive CAN-bus data !"},
                          {DrSpeedInput::Uart, "Can not receive valid data from UART !"}};
    for (const Case& c : cases) {
        DrBench b(c.Input);
        b.Second(6);
        b.StartConfirmed();
        (void)b.Sent();
        b.Second(7);
        EXPECT_FALSE(b.dr.Info().Visible() && b.dr.Info().Mode() == DrInfoMode::Error);
        b.Second();
        ASSERT_TRUE(b.dr.Info().Visible());
        EXPECT_EQ(b.dr.Info().Mode(), DrInfoMode::Error);
        EXPECT_EQ(b.dr.Info().TextColour(), kDrInfoErrorText);
        EXPECT_EQ(b.dr.Info().Lines()[0].substr(0, c.FirstLine.size()), c.FirstLine);
        b.time.Advance(500);
        EXPECT_EQ(b.Sent(), "$PSTMSETPAR,1228,0x00000000\r\n$PSTMHOT\r\n");
        EXPECT_FALSE(b.dr.Running());
    }
    // A UART message in time: ready.
    DrBench uart(DrSpeedInput::Uart);
    uart.StartConfirmed();
    uart.dr.DrStatusSentence("$PSTMDRSENMSG,1,26641380,8784*1F");
    EXPECT_EQ(uart.dr.View().OdometerText, " UART Ready !");
    uart.Second(10);
    EXPECT_NE(uart.dr.Info().Mode(), DrInfoMode::Error);
}

TEST(DrCalibration, StuckOdometerDuringStepTwoAborts) {
    DrBench b(DrSpeedInput::Odometer);
    b.Second(6);
    b.StartConfirmed();
    b.dr.DrStatusSentence("$PSTMDRSENMSG,3,1000, 5000*00");
    EXPECT_EQ(b.dr.View().OdometerText, "5000/5000 (0)");
    b.dr.DrStatusSentence("$PSTMDRCAL,0,0,0,1,ff,0,0*00");
    b.Second(2);
    b.Second(120);
    b.Second(2);
    ASSERT_EQ(b.dr.View().StepColours[1], kDrStepActive);
    (void)b.Sent();
    b.gnssKmh = 40.0;
    b.dr.DrStatusSentence("$PSTMDRSENMSG,3,1000,5040*00");
    b.Second();
    EXPECT_FALSE(b.dr.Info().Visible() && b.dr.Info().Mode() == DrInfoMode::Error);
    b.Second();  // no new pulses for a second
    EXPECT_EQ(b.dr.View().MessageText, "5000/5040 (40)");
    b.Second();
    ASSERT_TRUE(b.dr.Info().Visible());
    EXPECT_EQ(b.dr.Info().Lines()[0].substr(0, 37), "Can not receive valid ODOmeter data !");
    b.time.Advance(500);
    EXPECT_EQ(b.Sent(), "$PSTMSETPAR,1228,0x00000000\r\n$PSTMHOT\r\n");
    EXPECT_FALSE(b.dr.Running());
    EXPECT_EQ(b.dr.View().StepColours[1], kDrStepIdle);

    // Once moved over 100 pulses, the check stops.
    DrBench moved(DrSpeedInput::Odometer);
    moved.StartConfirmed();
    moved.dr.DrStatusSentence("$PSTMDRSENMSG,3,1,0*00");
    moved.dr.DrStatusSentence("$PSTMDRCAL,0,0,0,1,ff,0,0*00");
    moved.Second(124);
    moved.gnssKmh = 40.0;
    moved.dr.DrStatusSentence("$PSTMDRSENMSG,3,1,500*00");
    moved.Second(5);
    EXPECT_FALSE(moved.dr.Info().Visible() && moved.dr.Info().Mode() == DrInfoMode::Error);
    EXPECT_EQ(moved.dr.View().CountText, "295");
}

TEST(DrCalibration, BadSensorFieldsKeepTheLastGoodValues) {
    DrBench b(DrSpeedInput::Odometer);
    b.StartConfirmed();
    b.dr.DrStatusSentence("$PSTMDRSENMSG,3,1,250*00");
    const std::string_view bad[] = {"$PSTMDRSENMSG,3,1,abc*00", "$PSTMDRSENMSG,3,1,*00",
                                    "$PSTMDRSENMSG,3,1,99999999999999999999*00",
                                    "$PSTMDRSENMSG,3*00"};
    for (std::string_view line : bad) {
        b.dr.DrStatusSentence(line);
        EXPECT_EQ(b.dr.View().OdometerText, "250/250 (0)") << line;
    }
    DrBench can;
    can.dr.DrStatusSentence("$PSTMDRSENMSG,14,1,12.5*00");
    can.dr.DrStatusSentence("$PSTMDRSENMSG,14,1,nan*00");
    can.dr.DrStatusSentence("$PSTMDRSENMSG,14,1,fast*00");
    EXPECT_EQ(can.dr.View().SpeedText, "12.5 KmH");
    EXPECT_TRUE(can.dr.View().SpeedHighlighted);
}

TEST(DrCalibration, TdkResetAndStatusTexts) {
    DrBench b(DrSpeedInput::Unknown, ReceiverFamily::TDK_DR);
    EXPECT_TRUE(b.dr.View().PanelShown);
    b.StartConfirmed();
    EXPECT_EQ(b.Sent(), "$PINVCRES,0*1A\r\n");
    EXPECT_FALSE(b.dr.View().StartEnabled);
    b.Second();
    EXPECT_EQ(b.Sent(), "");
    b.Second();
    EXPECT_EQ(b.Sent(), "$PINVCSTR,14*3E\r\n");
    EXPECT_TRUE(b.dr.View().StartEnabled);

    struct Case {
        int Language;
        std::string_view Line;
        std::string_view Text;
        int Size;
    };
    const Case cases[] = {
        {0, "$PINVMINR,3,0*00", "DR-OK", 11},
        {0, "$PINVMINR,2,0*00", "DR-Ready", 11},
        {0, "$PINVMINR,1,0*00",
         "Speed\xEF\xBC\x9E"
         "30 Km/H",
         11},
        {0, "$PINVMINR,0,0*00", "Stop and wait for 1 minute", 11},
        {2052, "$PINVMINR,0,0*00", "\xE9\x9D\x99\xE6\xAD\xA2 1 \xE5\x88\x86\xE9\x92\x9F", 11},
        {1028, "$PINVMINR,0,0*00", "\xE9\x9D\x9C\xE6\xAD\xA2 1 \xE5\x88\x86\xE9\x90\x98", 11},
        {0, "$PINVMINR,7,0*00", "7", 28},
    };
    for (const Case& c : cases) {
        b.language = c.Language;
        b.dr.DrStatusSentence(c.Line);
        EXPECT_EQ(b.dr.View().TdkStateText, c.Text) << c.Line;
        EXPECT_EQ(b.dr.View().TdkStateSize, c.Size) << c.Line;
    }
    b.dr.DrStatusSentence("$PINVMVGS,1,42.5,0*00");
    EXPECT_EQ(b.dr.View().TdkSpeedText, " 42.50 Km/H");
    EXPECT_TRUE(b.dr.View().TdkStatusShown);
    b.Second(2);
    EXPECT_TRUE(b.dr.View().TdkStatusShown);
    b.Second();
    EXPECT_FALSE(b.dr.View().TdkStatusShown);
}

TEST(DrCalibration, InstructionWindowCountsDownAndDisconnectResets) {
    DrBench b;
    b.dr.StepLabelHovered(DrStep::Circles);
    EXPECT_EQ(b.dr.Info().Lines().size(), 4u);
    EXPECT_EQ(b.dr.Info().SecondsLeft(), kDrInfoCountdownSeconds);
    b.time.Advance(9000);
    EXPECT_TRUE(b.dr.Info().Visible());
    EXPECT_EQ(b.dr.Info().SecondsLeft(), 1);
    b.time.Advance(1000);
    EXPECT_FALSE(b.dr.Info().Visible());
    b.dr.StepLabelHovered(DrStep::Still);
    b.dr.StepLabelLeft();
    EXPECT_FALSE(b.dr.Info().Visible());

    b.ToStepOne();
    b.Second(10);
    b.dr.OnDisconnected();
    EXPECT_FALSE(b.dr.Running());
    EXPECT_EQ(b.dr.View().StepColours[0], kDrStepIdle);
    EXPECT_EQ(b.dr.View().CountText, "");
    EXPECT_EQ(DrInfoWindow::Placement(100, 50, 800, 300).X, 598);
    EXPECT_EQ(DrInfoWindow::Placement(100, 50, 800, 300).Y, 350);
}

}  // namespace
}  // namespace gnss
