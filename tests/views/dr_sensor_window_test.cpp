#include "views/dr_sensor_window.h"

#include <gtest/gtest.h>

#include <string>

#include "doubles/counting_view_listener.h"

namespace gnss {
namespace {

std::string StAccel(int x, int y, int z) {
    return "$PSTMDRSENMSG,30,1000," + std::to_string(x) + "," + std::to_string(y) + "," +
           std::to_string(z) + "*4B";
}
std::string StGyro(int x, int y, int z) {
    return "$PSTMDRSENMSG,31,1000," + std::to_string(x) + "," + std::to_string(y) + "," +
           std::to_string(z) + "*4B";
}
const std::string kTdk = "$PINVMIMU,12.5,0.10,-0.20,9.81,1.5,-2.5,3.5*2C";

struct DrFixture : ::testing::Test {
    ReceiverState state;
    SharedState shared;
    IdentificationResult identification;
    testing::CountingViewListener changes;
    DrSensorWindow window{DrSensorWindow::Deps{state, shared, identification, &changes}};
    SentenceChain chain;

    DrFixture() {
        shared.Family = ReceiverFamily::ST;
        identification.StDrModule = true;
        state.SecondsCounter = 10;
        window.JoinSentenceChain(chain);
    }
    void Second() {
        ++state.SecondsCounter;
        window.OnLinkSecond();
    }
    const DrSensorWindowView& View() const { return window.View(); }
};

TEST_F(DrFixture, AccelerometerStreamShowsAndHidesThreeSecondsAfterTheLast) {
    for (int i = 0; i < 5; ++i) chain.HandleSentence(StAccel(i, 2 * i, 4096));
    EXPECT_TRUE(View().Visible);
    EXPECT_EQ(View().Accelerometer.Count(), 5U);
    EXPECT_EQ(View().Gyro.Count(), 0U);
    Second();                                // 11
    chain.HandleSentence(StAccel(9, 9, 9));  // postpones to 14
    Second();
    Second();
    EXPECT_TRUE(View().Visible);
    Second();  // 14
    EXPECT_FALSE(View().Visible);
    EXPECT_EQ(View().Accelerometer.Count(), 0U);
    EXPECT_EQ(window.HideSecond(), 0);
}

TEST_F(DrFixture, TheWindowKeepsTheLast200Samples) {
    for (int i = 1; i <= 200; ++i) window.ShowDrSensorSample(StGyro(i, -i, 0));
    EXPECT_TRUE(View().Gyro.Full());
    window.ShowDrSensorSample(StGyro(201, -201, 0));
    EXPECT_EQ(View().Gyro.Count(), 200U);
    EXPECT_DOUBLE_EQ(View().Gyro.At(0, 0), 2);
    EXPECT_DOUBLE_EQ(View().Gyro.At(1, 0), -2);
    EXPECT_DOUBLE_EQ(View().Gyro.At(0, 199), 201);
    EXPECT_EQ(View().Gyro.Range(), (std::pair{-201.0, 201.0}));
}

TEST_F(DrFixture, TheSixteenthCharacterChoosesTheChart) {
    struct Case {
        std::string Line;
        std::size_t Accelerometer, Gyro;
        bool Postpones;
    };
    const Case cases[] = {
        {StAccel(1, 2, 3), 1, 0, true},
        {StGyro(1, 2, 3), 0, 1, true},
        {"$PSTDRSENMSG,30,1000,1,2,3*00", 0, 0, false},    // 16th is ","
        {"$PSTMDRRSENMSG,30,1000,1,2,3*00", 0, 0, false},  // 16th is "3"
        {"$PSTMDRSENMSG,30,1000,x,2,3*00", 0, 0, true},    // not plotted, still alive
        {"$PSTMDRSENMSG,31,1000,1,2*00", 0, 0, true},      // missing Z
    };
    for (const Case& c : cases) {
        DrSensorWindow fresh{DrSensorWindow::Deps{state, shared, identification, nullptr}};
        fresh.ShowDrSensorSample(c.Line);
        EXPECT_TRUE(fresh.View().Visible) << c.Line;  // shown all the same
        EXPECT_EQ(fresh.View().Accelerometer.Count(), c.Accelerometer) << c.Line;
        EXPECT_EQ(fresh.View().Gyro.Count(), c.Gyro) << c.Line;
        EXPECT_EQ(fresh.HideSecond(), c.Postpones ? 13 : 0) << c.Line;
    }
}

TEST_F(DrFixture, TdkSentencesFillBothCharts) {
    shared.Family = ReceiverFamily::TDK_DR;
    chain.HandleSentence(kTdk);
    EXPECT_EQ(View().Accelerometer.Count(), 1U);
    EXPECT_EQ(View().Gyro.Count(), 1U);
    EXPECT_DOUBLE_EQ(View().Accelerometer.At(2, 0), 9.81);
    EXPECT_DOUBLE_EQ(View().Gyro.At(0, 0), 1.5);
    EXPECT_DOUBLE_EQ(View().Gyro.At(2, 0), 3.5);
    EXPECT_EQ(window.HideSecond(), 13);
}

TEST_F(DrFixture, BadTdkSentencesAddNothingAndDoNotPostpone) {
    shared.Family = ReceiverFamily::TDK_DR;
    chain.HandleSentence(kTdk);
    Second();
    const std::string bad[] = {
        "$PINVMIMU,12.5,0.10,-0.20,9.81,1.5,-2.5,*2C",      // empty field 8
        "$PINVMIMU,,0.10,-0.20,9.81,1.5,-2.5,3.5*2C",       // empty time
        "$PINVMIMU,12.5,0.10,abc,9.81,1.5,-2.5,3.5*2C",     // not a number
        "$PINVMIMU,12.5,0.10,-0.20,1e999,1.5,-2.5,3.5*2C",  // overflows
        "$PINVMIMU,12.5,0.10,-0.20,9.81,1.5*2C",            // fields missing
        "$PINVMIMU,12.5,0.10,-0.20,9.81,1.5,-2.5*00",       // the checksum is no reading
    };
    for (const std::string& line : bad) chain.HandleSentence(line);
    EXPECT_EQ(View().Accelerometer.Count(), 1U);
    EXPECT_EQ(View().Gyro.Count(), 1U);
    EXPECT_EQ(window.HideSecond(), 13);
    Second();
    Second();
    EXPECT_FALSE(View().Visible);
}

TEST_F(DrFixture, EachSensorSentenceOnlyFromItsOwnKindOfReceiver) {
    struct Case {
        ReceiverFamily Family;
        bool StDrModule;
        std::string Line;
        bool Shown;
    };
    const Case cases[] = {
        {ReceiverFamily::ST, true, StAccel(1, 2, 3), true},
        {ReceiverFamily::ST, true, StGyro(1, 2, 3), true},
        {ReceiverFamily::ST, true, kTdk, false},  // TDK's sentence from an ST module
        {ReceiverFamily::ST, false, StAccel(1, 2, 3), false},
        {ReceiverFamily::TDK_DR, false, kTdk, true},
        {ReceiverFamily::TDK_DR, false, StAccel(1, 2, 3), false},
        {ReceiverFamily::TDK_DR, true, StGyro(1, 2, 3), false},
        {ReceiverFamily::MTK, true, StAccel(1, 2, 3), false},
        {ReceiverFamily::Unknown, true, kTdk, false},
    };
    for (const Case& c : cases) {
        DrSensorWindow fresh{DrSensorWindow::Deps{state, shared, identification, nullptr}};
        SentenceChain own;
        fresh.JoinSentenceChain(own);
        shared.Family = c.Family;
        identification.StDrModule = c.StDrModule;
        own.HandleSentence(c.Line);
        EXPECT_EQ(fresh.View().Visible, c.Shown)
            << c.Line << " family " << static_cast<int>(c.Family);
    }
    shared.Family = ReceiverFamily::ST;
    identification.StDrModule = true;
    chain.HandleSentence("$PSTMDRSENMSG,30,1");  // lines under 20 characters are ignored
    EXPECT_FALSE(View().Visible);
}

TEST_F(DrFixture, ConnectAndDisconnectHideAndClear) {
    window.ShowDrSensorSample(StAccel(1, 2, 3));
    window.OnConnectionChanging();
    EXPECT_FALSE(View().Visible);
    EXPECT_EQ(View().Accelerometer.Count(), 0U);
    EXPECT_EQ(window.HideSecond(), 0);
}

TEST(DrSensorWindowPlacement, BesideTheAttitudeWindowOrTheMainWindow) {
    const ScreenRect main{100, 50, 1218, 620};
    EXPECT_EQ(DrSensorWindowRect(main, std::nullopt), (ScreenRect{1318, 77, 420, 522}));
    const ScreenRect attitude{1318, 77, 195, 522};
    EXPECT_EQ(DrSensorWindowRect(main, attitude), (ScreenRect{1514, 77, 420, 522}));
}

}  // namespace
}  // namespace gnss
