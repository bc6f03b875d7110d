// The attitude window and the dead-reckoning sensor window against gnss-sim: shown beside the
// main window when the module's sentences arrive, following their models, hidden when the
// receiver goes. With GNSS_SCREENSHOT_DIR set, the windows are saved there.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPixmap>
#include <QTest>
#include <cstdlib>
#include <functional>

#include "ui/attitude_scene_widget.h"
#include "ui/main_window.h"
#include "ui/monitor_list.h"
#include "ui/sensor_windows.h"
#include "ui/sim_window_harness.h"

namespace gnss::ui {
namespace {

using testing::SimProcess;
using testing::WaitFor;
using testing::WindowProgram;

const char* ScreenshotFolder() {
    return std::getenv("GNSS_SCREENSHOT_DIR");
}

// Saved only when a screenshot folder is given; `ready` (waited for first) fills the picture.
void SaveScreenshot(QWidget& window, const char* name, const std::function<bool()>& ready,
                    int timeoutMs = 40000) {
    if (const char* folder = ScreenshotFolder()) {
        WaitFor(ready, timeoutMs);
        window.grab().save(QString(folder) + "/" + name);
    }
}

TEST(SensorWindows, AttitudeWindowFollowsACmsModule) {
    SimProcess sim({"--family", "cms"});
    ASSERT_TRUE(sim.started) << "gnss-sim did not start";
    WindowProgram program;
    program.window.show();
    program.Connect(sim);
    AttitudeWindow* attitude = program.wiring.SensorWindows()->Attitude();

    ASSERT_TRUE(WaitFor([&] { return attitude->isVisible(); }, 15000));
    ASSERT_TRUE(WaitFor([&] { return attitude->Chart(1).PointCount(0) >= 3; }, 15000));
    // Beside the main window, 27 pixels below its top.
    const QRect main = program.window.frameGeometry();
    EXPECT_EQ(attitude->geometry().left(), main.left() + main.width());
    EXPECT_EQ(attitude->geometry().top(), main.top() + 27);
    // Without OpenGL the view says so; the rest of the window works all the same.
    EXPECT_EQ(attitude->HasSceneView(), AttitudeSceneWidget::OpenGlAvailable());
    if (!attitude->HasSceneView()) {
        ASSERT_NE(attitude->NoOpenGlNote(), nullptr);
        EXPECT_FALSE(attitude->NoOpenGlNote()->text().isEmpty());
    }
    EXPECT_TRUE(attitude->AccelerationLabel(1)->text().endsWith(" G "));
    if (AttitudeSceneWidget* scene = attitude->Scene()) {
        // Dragged onto the NMEA monitor, the view covers it; let go elsewhere, it goes home.
        QWidget* monitor = program.window.MonitorList();
        const QPoint overMonitor = monitor->mapToGlobal(monitor->rect().center());
        QTest::mousePress(scene, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(scene, Qt::LeftButton, {}, scene->mapFromGlobal(overMonitor));
        EXPECT_TRUE(attitude->SceneAway());
        EXPECT_EQ(scene->geometry(), monitor->geometry());
        SaveScreenshot(
            program.window, "attitude_view_on_monitor.png", [] { return false; }, 1500);
        const QPoint outside = program.window.mapToGlobal(QPoint(2, 2));
        QTest::mousePress(scene, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(scene, Qt::LeftButton, {}, scene->mapFromGlobal(outside));
        EXPECT_FALSE(attitude->SceneAway());
        EXPECT_EQ(scene->parentWidget(), attitude);
        EXPECT_EQ(scene->size(), QSize(kAttitudeViewSide, kAttitudeViewSide));
    }
    const auto chartsFull = [&] { return attitude->Chart(0).PointCount(0) >= 21; };
    SaveScreenshot(*attitude, "attitude_window_1.png", chartsFull);
    // Five seconds later the module has turned by 30 degrees.
    SaveScreenshot(
        *attitude, "attitude_window_2.png", [] { return false; }, 5000);

    program.window.ToolButtonOf(ToolButton::Connect)->click();
    ASSERT_TRUE(WaitFor([&] { return !attitude->isVisible(); }, 3000));
    program.window.close();
}

TEST(SensorWindows, DeadReckoningChartsFillAndHide) {
    SimProcess sim({"--family", "tdk-dr"});
    ASSERT_TRUE(sim.started) << "gnss-sim did not start";
    WindowProgram program;
    program.window.show();
    program.Connect(sim);
    DrSensorChartsWindow* charts = program.wiring.SensorWindows()->DrSensors();

    ASSERT_TRUE(WaitFor([&] { return charts->isVisible(); }, 15000));
    ASSERT_TRUE(WaitFor([&] { return charts->Gyro().PointCount(2) >= 20; }, 20000));
    EXPECT_GE(charts->Accelerometer().PointCount(0), 20);
    const QRect main = program.window.frameGeometry();
    EXPECT_EQ(charts->geometry().left(), main.left() + main.width());
    SaveScreenshot(*charts, "dr_sensor_window.png",
                   [&] { return charts->Gyro().PointCount(2) >= 150; });

    program.window.ToolButtonOf(ToolButton::Connect)->click();
    ASSERT_TRUE(WaitFor([&] { return !charts->isVisible(); }, 3000));
    EXPECT_EQ(charts->Gyro().PointCount(2), 0);
    program.window.close();
}

}  // namespace
}  // namespace gnss::ui
