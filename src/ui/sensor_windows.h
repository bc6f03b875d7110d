#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

#include "views/dr_sensor_window.h"
#include "views/sensor_attitude_window.h"

class QChartView;
class QLabel;
class QLineSeries;
class QValueAxis;
class QVBoxLayout;

namespace gnss {
class AppCore;
}

namespace gnss::ui {

class AttitudeSceneWidget;
class MainWindow;

// One chart with the X, Y and Z lines of a sample window.
class StripChart final {
  public:
    // A compact chart (the attitude window's) has a fixed grid of one unit and no labels; the
    // others name their lines and label their scale.
    StripChart(QWidget* parent, const QString& title, int xMax, bool compact);
    [[nodiscard]] QChartView* View() const { return view_; }
    // The values of `axis` 0..2 (count of them) redraw the lines; a fixed vertical range, or one
    // that follows the data when `low` equals `high`.
    void SetSamples(const std::array<QList<QPointF>, 3>& lines, double low, double high);
    [[nodiscard]] int PointCount(int axis) const;

  private:
    QChartView* view_ = nullptr;
    std::array<QLineSeries*, 3> series_{};
    QValueAxis* yAxis_ = nullptr;
};

// The borderless attitude window of CMS and CM2 modules: the 3-D view (or, without OpenGL, a
// note in its place), the information panel and the three acceleration charts.
class AttitudeWindow final : public QWidget {
  public:
    explicit AttitudeWindow(QWidget* parent = nullptr);
    void Refresh(const AttitudeWindowView& view);

    [[nodiscard]] bool HasSceneView() const { return scene_ != nullptr; }
    [[nodiscard]] AttitudeSceneWidget* Scene() const { return scene_; }
    // The 3-D view laid over `target` (filling it), or back in its place in this window.
    void PutSceneOver(QWidget* target);
    void ReturnScene();
    [[nodiscard]] bool SceneAway() const { return sceneAway_; }
    [[nodiscard]] QLabel* NoOpenGlNote() const { return noOpenGl_; }
    [[nodiscard]] const StripChart& Chart(int axis) const { return *charts_[axis]; }
    [[nodiscard]] QLabel* AccelerationLabel(int axis) const { return accelerations_[axis]; }

  private:
    AttitudeSceneWidget* scene_ = nullptr;
    QLabel* noOpenGl_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
    bool sceneAway_ = false;
    QWidget* panel_ = nullptr;
    std::array<QLabel*, 3> accelerations_{};
    QLabel* intensity_ = nullptr;
    class IntensityBar* bar_ = nullptr;
    std::array<class IndicatorLight*, 3> lights_{};
    std::array<StripChart*, 3> charts_{};
    uint64_t chartRevision_ = UINT64_MAX;
    uint64_t orientationRevision_ = UINT64_MAX;
    Rgb panelColor_ = 0xFFFFFFFF;
};

// The dead-reckoning sensor window: the accelerometer chart above the gyro chart.
class DrSensorChartsWindow final : public QWidget {
  public:
    explicit DrSensorChartsWindow(QWidget* parent = nullptr);
    void Refresh(const DrSensorWindowView& view);

    [[nodiscard]] const StripChart& Accelerometer() const { return *accelerometer_; }
    [[nodiscard]] const StripChart& Gyro() const { return *gyro_; }

  private:
    StripChart* accelerometer_ = nullptr;
    StripChart* gyro_ = nullptr;
    uint64_t accelerometerRevision_ = UINT64_MAX;
    uint64_t gyroRevision_ = UINT64_MAX;
};

// Shows, hides and places the two sensor windows as their models say, beside the main window,
// and keeps them there when the main window moves; the 3-D view dragged onto the NMEA monitor
// is laid over it there, and returns to its window when let go anywhere else.
class SensorWindowsWiring final : public QObject {
  public:
    SensorWindowsWiring(MainWindow& mainWindow, AppCore& core);
    ~SensorWindowsWiring() override;
    void Refresh();

    [[nodiscard]] AttitudeWindow* Attitude() const { return attitude_; }
    [[nodiscard]] DrSensorChartsWindow* DrSensors() const { return drSensors_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Place();
    void SceneDropped(QPoint at);
    void FitSceneToMonitor();

    MainWindow& mainWindow_;
    QPointer<QWidget> monitor_;  // the NMEA monitor, where the 3-D view may be laid
    AppCore& core_;
    AttitudeWindow* attitude_ = nullptr;
    DrSensorChartsWindow* drSensors_ = nullptr;
};

}  // namespace gnss::ui
