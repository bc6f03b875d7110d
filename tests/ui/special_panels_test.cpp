// The panels of special receivers in the real window against gnss-sim on a pseudo-terminal: the
// traffic panel follows a seek across the FM band, and (disabled by default, it takes eleven
// minutes) a whole calibration drive with the info window at each step. With
// GNSS_SCREENSHOT_DIR set, the window and the info window are saved there:
//   GNSS_SCREENSHOT_DIR=... ui_tests --gtest_filter='WindowSpecialPanels.*'
//       --gtest_also_run_disabled_tests

#include <gtest/gtest.h>

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "ui/dr_calibration_widgets.h"
#include "ui/sim_window_harness.h"
#include "ui/traffic_panel_widget.h"

namespace gnss::ui {
namespace {

using testing::SimProcess;
using testing::WaitFor;
using testing::WindowProgram;

void Save(QWidget& widget, const char* name) {
    if (const char* folder = std::getenv("GNSS_SCREENSHOT_DIR")) {
        WaitFor([] { return false; }, 400);  // the coalesced repaint
        widget.grab().save(QString(folder) + "/" + name);
    }
}

// The main window with the info window drawn into it where it stands.
void SaveWithInfo(WindowProgram& program, const char* name) {
    if (const char* folder = std::getenv("GNSS_SCREENSHOT_DIR")) {
        WaitFor([] { return false; }, 400);
        QPixmap shot = program.window.grab();
        auto* info = program.window.findChild<DrInfoWidget*>("TInfoSTDR");
        if (info != nullptr && info->isVisible()) {
            QPainter p(&shot);
            const QPoint at = info->pos() - program.window.pos();
            p.drawPixmap(at, info->grab());
            p.setPen(Qt::darkGray);
            p.drawRect(QRect(at, info->size()).adjusted(0, 0, -1, -1));
        }
        shot.save(QString(folder) + "/" + name);
    }
}

TEST(WindowSpecialPanels, TrafficPanelFollowsASeek) {
    SimProcess sim({"--family", "tmc"});
    ASSERT_TRUE(sim.started);
    WindowProgram program;
    program.window.resize(1218, 680);
    program.window.show();
    auto* panel = program.window.findChild<TrafficPanelWidget*>("Panel13");
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->isVisible());

    program.Connect(sim);
    ASSERT_TRUE(WaitFor([&] { return program.core.Shared().ReceiverIdentified; }, 15000));
    ASSERT_TRUE(WaitFor([&] { return panel->isVisible(); }, 3000));
    auto* navigation = program.window.findChild<QWidget*>("plNaviInfo");
    ASSERT_NE(navigation, nullptr);
    EXPECT_FALSE(navigation->isVisible());
    const TrafficPanelView& v = program.core.Traffic.View();
    ASSERT_TRUE(WaitFor([&] { return v.StationText == "RADIO 1"; }, 10000));

    program.core.Traffic.SetTuneValue(9300);
    program.core.Traffic.TuneToClicked();  // off the stations: auto tuning then seeks on
    program.core.Traffic.AutoClicked();
    ASSERT_TRUE(WaitFor([&] { return v.FrequencyText == "FM: 93.50 MHz"; }, 10000));
    ASSERT_TRUE(WaitFor([&] { return v.SeekBackground == kTrafficSeekingBackground; }, 3000));
    Save(program.window, "traffic_panel_seeking.png");
    ASSERT_TRUE(WaitFor([&] { return v.StationText == "NEWS 98"; }, 20000));
    ASSERT_TRUE(WaitFor([&] { return v.RateText == " 3"; }, 5000));
    EXPECT_GE(v.Lines.size(), 5u);
    Save(program.window, "traffic_panel_tuned.png");
    program.window.close();
}

TEST(WindowSpecialPanels, DISABLED_CalibrationDriveScreens) {
    SimProcess sim({"--family", "st", "--variant", "dr"});
    ASSERT_TRUE(sim.started);
    WindowProgram program;
    program.window.resize(1218, 760);
    program.window.move(0, 0);
    program.window.show();
    program.Connect(sim);
    ASSERT_TRUE(WaitFor([&] { return program.core.Shared().ReceiverIdentified; }, 15000));
    ASSERT_TRUE(WaitFor([&] { return program.core.Receiver().SecondsCounter > 9; }, 15000));
    DrCalibration& dr = program.core.DrCal;
    dr.StartCalibration();
    SaveWithInfo(program, "dr_confirmation.png");
    dr.Info().Close(DrInfoResult::Ok);
    ASSERT_TRUE(WaitFor([&] { return dr.View().StepColours[0] == kDrStepActive; }, 15000));
    SaveWithInfo(program, "dr_step1_still.png");
    ASSERT_TRUE(WaitFor([&] { return dr.View().StepColours[0] == kDrStepDone; }, 200000));
    SaveWithInfo(program, "dr_step2_straight.png");
    ASSERT_TRUE(WaitFor([&] { return dr.View().StepColours[1] == kDrStepDone; }, 400000));
    SaveWithInfo(program, "dr_step3_circles.png");
    ASSERT_TRUE(WaitFor([&] { return dr.View().CountText == kDrReady; }, 300000));
    SaveWithInfo(program, "dr_ready.png");
    program.window.close();
}

TEST(WindowSpecialPanels, CalibrationAbortsWithoutSpeedSensor) {
    SimProcess sim({"--family", "st", "--variant", "dr", "--drive", "no-sensor"});
    ASSERT_TRUE(sim.started);
    WindowProgram program;
    program.window.resize(1218, 760);
    program.window.move(0, 0);
    program.window.show();
    program.Connect(sim);
    ASSERT_TRUE(WaitFor([&] { return program.core.Shared().ReceiverIdentified; }, 15000));
    ASSERT_TRUE(WaitFor([&] { return program.core.Receiver().SecondsCounter > 7; }, 15000));
    auto* start = program.window.findChild<QPushButton*>("btnStartCalibration");
    ASSERT_NE(start, nullptr);
    ASSERT_TRUE(WaitFor([&] { return start->isVisible(); }, 3000));
    start->click();
    auto* info = program.window.findChild<DrInfoWidget*>("TInfoSTDR");
    ASSERT_NE(info, nullptr);
    ASSERT_TRUE(WaitFor([&] { return info->isVisible(); }, 3000));
    program.core.DrCal.Info().Close(DrInfoResult::Ok);
    ASSERT_TRUE(WaitFor(
        [&] { return program.core.DrCal.Info().Mode() == DrInfoMode::Error && info->isVisible(); },
        15000));
    SaveWithInfo(program, "dr_can_error.png");
    EXPECT_FALSE(program.core.DrCal.Running());
    program.window.close();
}

}  // namespace
}  // namespace gnss::ui
