#include "views/sensor_attitude_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "doubles/counting_view_listener.h"

namespace gnss {
namespace {

std::string InfoSentence(const std::string& status, const std::string& intensity,
                         const std::string& x, const std::string& y, const std::string& z,
                         const std::string& calibration, const std::string& heading = "123.4") {
    return "$PMDR,245,1," + heading + "," + status + "," + intensity + "," + x + "," + y + "," + z +
           ",0,0," + calibration + "*3A";
}

std::string Info(int status, int intensity, int x, int y, int z, int calibration) {
    return InfoSentence(std::to_string(status), std::to_string(intensity), std::to_string(x),
                        std::to_string(y), std::to_string(z), std::to_string(calibration));
}

std::string MatrixSentence(const std::vector<std::string>& m) {
    std::string text = "$PMDR,245,2";
    for (const std::string& value : m) text += "," + value;
    return text + "*1F";
}

// The sensor matrix whose scene rows are `rows` (scaled by 4096): the inverse of
// rows = ((m21, m23, -m22), (m31, m33, -m32), (m11, m13, -m12)).
std::string SceneRowsSentence(const AttitudeRows& rows) {
    std::array<long, 9> m{};
    const auto put = [&m](int row, const std::array<double, 3>& v) {
        m[static_cast<std::size_t>(row * 3)] = std::lround(v[0] * 4096);
        m[static_cast<std::size_t>(row * 3 + 2)] = std::lround(v[1] * 4096);
        m[static_cast<std::size_t>(row * 3 + 1)] = std::lround(-v[2] * 4096);
    };
    put(1, rows[0]);
    put(2, rows[1]);
    put(0, rows[2]);
    std::vector<std::string> fields;
    for (long value : m) fields.push_back(std::to_string(value));
    return MatrixSentence(fields);
}

// The rest orientation turned by `deg` about the vertical.
AttitudeRows Heading(double deg) {
    const double h = deg * std::numbers::pi / 180.0;
    return {{{std::sin(h), 0, -std::cos(h)}, {0, 1, 0}, {std::cos(h), 0, std::sin(h)}}};
}

const std::string kUnitMatrix =
    MatrixSentence({"4096", "0", "0", "0", "4096", "0", "0", "0", "4096"});

struct AttitudeFixture : ::testing::Test {
    SharedState shared;
    IdentificationResult identification;
    std::vector<std::string> magneticNorth;
    testing::CountingViewListener changes;
    SensorAttitudeWindow window{SensorAttitudeWindow::Deps{
        shared, identification,
        [this](std::string_view sentence) { magneticNorth.emplace_back(sentence); }, &changes}};

    AttitudeFixture() {
        shared.Family = ReceiverFamily::CMS;
        identification.HasAttitudeSensor = true;
        window.OnReceiverIdentified();
    }
    const AttitudeWindowView& View() const { return window.View(); }
};

TEST(SensorAttitude, AccelerationTextsAndColours) {
    struct Case {
        int32_t Raw;
        const char* Text;
        Rgb Color;
    };
    const Case cases[] = {
        {511, " +2.000 G ", kPositiveAccelerationColor},
        {-512, " -2.000 G ", kNegativeAccelerationColor},
        {0, " +0.000 G ", kPositiveAccelerationColor},
        {-1, " -0.004 G ", kNegativeAccelerationColor},
        {100, " +0.391 G ", kPositiveAccelerationColor},
        {-2000, " -7.812 G ", kNegativeAccelerationColor},  // beyond the range: shown as is
    };
    for (const Case& c : cases) {
        SharedState shared;
        IdentificationResult identification;
        SensorAttitudeWindow window{
            SensorAttitudeWindow::Deps{shared, identification, {}, nullptr}};
        window.ShowSensorInfo(Info(0, 0, c.Raw, 0, 0, 0));
        EXPECT_EQ(window.View().AccelerationTexts[0], c.Text) << c.Raw;
        EXPECT_EQ(window.View().AccelerationColors[0], c.Color) << c.Raw;
    }
}

TEST_F(AttitudeFixture, IntensityLabelAndBar) {
    struct Case {
        int Field;
        const char* Text;
        int FillOf360;
    };
    const Case cases[] = {{100, "400 mGs", 100}, {400, "1600 mGs", 360},
                          {-5, "-20 mGs", 0},    {360, "1440 mGs", 360},
                          {0, "0 mGs", 0},       {2147483647, "8589934588 mGs", 360}};
    for (const Case& c : cases) {
        window.ShowSensorInfo(Info(0, c.Field, 0, 0, 0, 0));
        EXPECT_EQ(View().IntensityText, c.Text) << c.Field;
        EXPECT_EQ(IntensityBarFill(360, View().IntensityLevel), c.FillOf360) << c.Field;
    }
    EXPECT_EQ(IntensityBarFill(60, 100), 16);  // 60 / 360 * 100 = 16.67, truncated
}

TEST_F(AttitudeFixture, PanelColourFollowsCalibration) {
    window.ShowSensorInfo(Info(0, 0, 0, 0, 0, 0));
    EXPECT_EQ(View().PanelColor, kPanelUncalibratedColor);
    window.ShowSensorInfo(Info(0, 0, 0, 0, 0, 3));
    EXPECT_EQ(View().PanelColor, kPanelCalibratedColor);
    // CM2 modules report calibration in the low byte of the status field instead.
    shared.Family = ReceiverFamily::CM2;
    window.ShowSensorInfo(Info(0x100, 0, 0, 0, 0, 3));
    EXPECT_EQ(View().PanelColor, kPanelUncalibratedColor);
    window.ShowSensorInfo(Info(2, 0, 0, 0, 0, 0));
    EXPECT_EQ(View().PanelColor, kPanelCalibratedColor);
}

TEST_F(AttitudeFixture, StatusBitsLightTheirLights) {
    using enum IndicatorPicture;
    window.ShowSensorInfo(Info(5, 0, 0, 0, 0, 0));
    EXPECT_EQ(View().Lights, (std::array{On, Off, On}));
    EXPECT_EQ(window.IndicatorState(), 5);
    window.ShowSensorInfo(Info(5, 0, 0, 0, 0, 0));
    EXPECT_EQ(View().Lights, (std::array{On, Off, On}));
    window.ShowSensorInfo(Info(2, 0, 0, 0, 0, 0));
    EXPECT_EQ(View().Lights, (std::array{Off, On, Off}));
    window.ShowSensorInfo(Info(0x107, 0, 0, 0, 0, 0));  // only the low byte counts
    EXPECT_EQ(View().Lights, (std::array{On, On, On}));
}

TEST_F(AttitudeFixture, Cm2StatesShowOnePictureOnAllLights) {
    shared.Family = ReceiverFamily::CM2;
    using enum IndicatorPicture;
    const std::pair<int, IndicatorPicture> cases[] = {{1, Amber}, {2, Green}, {3, Blue},
                                                      {7, On},    {0, Off},   {9, Off}};
    for (const auto& [state, picture] : cases) {
        window.ShowSensorInfo(Info(state, 0, 0, 0, 0, 0));
        EXPECT_EQ(View().Lights, (std::array{picture, picture, picture})) << state;
    }
}

TEST_F(AttitudeFixture, BadInformationSentencesChangeNothing) {
    const std::string good = Info(5, 100, 511, -512, 0, 3);
    window.ShowSensorInfo(good);
    const AttitudeWindowView before = View();
    const std::string bad[] = {
        InfoSentence("5", "100", "1", "2", "3", "3", ""),        // no heading
        InfoSentence("x", "100", "1", "2", "3", "3"),            // status
        InfoSentence("5", "1.5", "1", "2", "3", "3"),            // intensity
        InfoSentence("5", "100", "", "2", "3", "3"),             // missing X
        InfoSentence("5", "100", "1", "99999999999", "3", "3"),  // Y too big
        InfoSentence("5", "100", "1", "2", "3z", "3"),           // Z
        InfoSentence("5", "100", "1", "2", "3", ""),             // calibration
        "$PMDR,245,1,1,5,100,1,2,3,0,3*00",                      // 10 commas
        "$PMDR,245,1,1,5,100,1,2,3,0,0,0,3*00",                  // 12 commas
    };
    for (const std::string& sentence : bad) {
        window.ShowSensorInfo(sentence);
        EXPECT_EQ(View().Accelerations.Count(), 1U) << sentence;
        EXPECT_EQ(View().AccelerationTexts, before.AccelerationTexts) << sentence;
        EXPECT_EQ(View().IntensityText, before.IntensityText) << sentence;
        EXPECT_EQ(View().Lights, before.Lights) << sentence;
        EXPECT_EQ(View().PanelColor, before.PanelColor) << sentence;
    }
}

TEST_F(AttitudeFixture, ChartsKeepTheLast21SamplesOfAllAxes) {
    for (int i = 1; i <= 21; ++i) window.ShowSensorInfo(Info(0, 0, i, -i, 2 * i, 0));
    ASSERT_TRUE(View().Accelerations.Full());
    EXPECT_DOUBLE_EQ(View().Accelerations.At(0, 0), AccelerationG(1));
    window.ShowSensorInfo(Info(0, 0, 22, -22, 44, 0));  // the 22nd drops the first everywhere
    const auto& charts = View().Accelerations;
    EXPECT_EQ(charts.Count(), 21U);
    EXPECT_DOUBLE_EQ(charts.At(0, 0), AccelerationG(2));
    EXPECT_DOUBLE_EQ(charts.At(1, 0), AccelerationG(-2));
    EXPECT_DOUBLE_EQ(charts.At(2, 0), AccelerationG(4));
    EXPECT_DOUBLE_EQ(charts.At(0, 20), AccelerationG(22));
    EXPECT_DOUBLE_EQ(charts.At(2, 20), AccelerationG(44));
}

TEST_F(AttitudeFixture, UnitMatrixPutsTheModelAtRest) {
    window.ShowAttitude(kUnitMatrix);
    const AttitudeRows rest{{{0, 0, -1}, {0, 1, 0}, {1, 0, 0}}};
    EXPECT_EQ(window.LastAppliedAttitude(), rest);
    EXPECT_EQ(View().OrientationRevision, 1U);
    const std::array<float, 16> expected{0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(View().Orientation, expected);
}

TEST_F(AttitudeFixture, SmallTurnsWaitUntilTheyAddUp) {
    window.ShowAttitude(SceneRowsSentence(Heading(0)));
    ASSERT_EQ(View().OrientationRevision, 1U);
    const std::pair<double, uint64_t> steps[] = {
        {1.5, 1}, {3.0, 1}, {4.5, 2},  // 4.5 degrees from the applied 0
        {6.0, 2}, {8.0, 2}, {8.5, 3},  // 4 degrees from the applied 4.5
    };
    for (const auto& [heading, revision] : steps) {
        window.ShowAttitude(SceneRowsSentence(Heading(heading)));
        EXPECT_EQ(View().OrientationRevision, revision) << heading;
    }
    EXPECT_NEAR(View().Orientation[0], std::sin(8.5 * std::numbers::pi / 180), 1e-3);
}

TEST_F(AttitudeFixture, MatricesThatAreNotRotationsChangeNothing) {
    window.ShowAttitude(SceneRowsSentence(Heading(60)));
    ASSERT_EQ(View().OrientationRevision, 1U);
    const AttitudeRows applied = window.LastAppliedAttitude();
    const std::string bad[] = {
        MatrixSentence({"4096", "0", "0", "0", "x", "0", "0", "0", "4096"}),
        MatrixSentence({"4096", "0", "0", "0", "4096", "0", "0", "0", ""}),
        MatrixSentence({"4096", "0", "0", "0", "4096", "0", "0", "0", "4096", "0"}),  // 12 commas
        MatrixSentence({"4096", "0", "0", "0", "4096", "0", "0", "0"}),               // 10 commas
        MatrixSentence({"0", "0", "0", "0", "0", "0", "0", "0", "0"}),
        MatrixSentence({"4096", "0", "0", "0", "0", "0", "0", "0", "4096"}),      // a zero row
        MatrixSentence({"4096", "0", "0", "4096", "0", "0", "0", "0", "4096"}),   // two rows alike
        MatrixSentence({"-4096", "0", "0", "0", "4096", "0", "0", "0", "4096"}),  // mirrored
        MatrixSentence({"4096", "0", "0", "0", "4096", "0", "0", "0", "99999999999"}),
    };
    for (const std::string& sentence : bad) {
        window.ShowAttitude(sentence);
        EXPECT_EQ(View().OrientationRevision, 1U) << sentence;
        EXPECT_EQ(window.LastAppliedAttitude(), applied) << sentence;
    }
    // Any common scale will do, the largest integers included.
    window.ShowAttitude(
        MatrixSentence({"2147483647", "0", "0", "0", "2147483647", "0", "0", "0", "2147483647"}));
    EXPECT_EQ(View().OrientationRevision, 2U);
}

TEST_F(AttitudeFixture, RoutingOfTheSensorSentences) {
    const std::string info = Info(5, 100, 10, 20, 30, 3);
    window.RouteSensorSentence(info);
    EXPECT_EQ(magneticNorth.size(), 1U);
    EXPECT_EQ(View().Accelerations.Count(), 1U);
    window.RouteSensorSentence(kUnitMatrix);
    EXPECT_EQ(View().OrientationRevision, 1U);

    // Status replies and other numbers, short lines and unknown types show nothing.
    const std::string ignored[] = {
        "$PMDR,248,1,1,5,100,1,2,3,0,0,3*00",
        "$PMDR,243,1,1,5,100,1,2,3,0,0,3*00",
        "$PMDR,242,1,0*00",
        "$PMDR,245,1,1,5*00",
        "$PMDR,245,3,1,5,100,1,2,3,0,0,3*00",
        "$PMDR,21,1,1,5,100,1,2,3,0,0,3*00",
        "$PMDR,245,1",
    };
    for (const std::string& line : ignored) window.RouteSensorSentence(line);
    EXPECT_EQ(magneticNorth.size(), 1U);
    EXPECT_EQ(View().Accelerations.Count(), 1U);

    // Hidden, the window takes nothing, but magnetic north is still shown.
    window.OnDisconnected();
    EXPECT_FALSE(View().Visible);
    window.RouteSensorSentence(info);
    window.RouteSensorSentence(SceneRowsSentence(Heading(45)));
    EXPECT_EQ(magneticNorth.size(), 2U);
    EXPECT_EQ(View().Accelerations.Count(), 0U);
    EXPECT_EQ(View().OrientationRevision, 1U);
}

TEST_F(AttitudeFixture, DisconnectClearsChartsAndKeepsLightsAndAttitude) {
    window.ShowSensorInfo(Info(5, 100, 10, 20, 30, 3));
    window.ShowAttitude(SceneRowsSentence(Heading(30)));
    window.OnDisconnected();
    EXPECT_FALSE(View().Visible);
    EXPECT_EQ(View().Accelerations.Count(), 0U);
    EXPECT_EQ(window.IndicatorState(), 5);
    // Shown again for the next attitude module, the same attitude is not applied again.
    window.OnReceiverIdentified();
    EXPECT_TRUE(View().Visible);
    window.ShowAttitude(SceneRowsSentence(Heading(30)));
    EXPECT_EQ(View().OrientationRevision, 1U);
}

TEST(SensorAttitude, OnlyAttitudeModulesShowTheWindow) {
    SharedState shared;
    IdentificationResult identification;
    SensorAttitudeWindow window{SensorAttitudeWindow::Deps{shared, identification, {}, nullptr}};
    window.OnReceiverIdentified();
    EXPECT_FALSE(window.View().Visible);
    identification.HasAttitudeSensor = true;
    window.OnReceiverIdentified();
    EXPECT_TRUE(window.View().Visible);
}

TEST(SensorAttitude, PlacementAndSceneScale) {
    const ScreenRect main{100, 50, 1218, 620};
    EXPECT_EQ(AttitudeWindowRect(main), (ScreenRect{1318, 77, 195, 522}));
    const ScreenRect monitor{110, 300, 600, 200};
    EXPECT_EQ(AttitudeViewDropPlace(monitor, 110, 300), AttitudeViewPlace::MonitorPanel);
    EXPECT_EQ(AttitudeViewDropPlace(monitor, 709, 499), AttitudeViewPlace::MonitorPanel);
    EXPECT_EQ(AttitudeViewDropPlace(monitor, 710, 400), AttitudeViewPlace::AttitudeWindow);
    EXPECT_EQ(AttitudeViewDropPlace(monitor, 300, 299), AttitudeViewPlace::AttitudeWindow);
    const std::pair<std::pair<int, int>, double> scales[] = {
        {{192, 192}, 1.0}, {{100, 300}, 1.0}, {{500, 384}, 2.0}, {{2000, 1500}, 4.53}};
    for (const auto& [size, scale] : scales) {
        EXPECT_DOUBLE_EQ(AttitudeSceneScale(size.first, size.second), scale) << size.first;
    }
}

}  // namespace
}  // namespace gnss
