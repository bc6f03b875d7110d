#pragma once

#include <QWidget>

#include <string>

#include "views/gauges_model.h"

namespace gnss::ui {

class CompassMeterWidget;
class HeadingMeterWidget;
class OdometerWidget;
class SpeedometerWidget;

// The gauges beside the navigation panel, two by two: speedometer and heading meter above, the
// odometer counter and the compass meter below. A meter the model hides leaves an empty socket
// in its place, so that nothing moves when it comes back. The dual-antenna labels (heading,
// course, antenna distance) are written beside the meters they belong to while the model shows
// them.
class GaugesPanel : public QWidget {
    Q_OBJECT
  public:
    explicit GaugesPanel(QWidget* parent = nullptr);

    // `speedUnit` is the unit label of the navigation panel, `courseUp` its `GaugeCourseText`.
    // Repaints only what changed.
    void SetView(const GaugesView& view, const std::string& speedUnit, const std::string& courseUp);

    [[nodiscard]] SpeedometerWidget* Speedometer() const { return speedometer_; }
    [[nodiscard]] HeadingMeterWidget* HeadingMeter() const { return heading_; }
    [[nodiscard]] CompassMeterWidget* CompassMeter() const { return compass_; }
    [[nodiscard]] OdometerWidget* Odometer() const { return odometer_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    SpeedometerWidget* speedometer_ = nullptr;
    HeadingMeterWidget* heading_ = nullptr;
    CompassMeterWidget* compass_ = nullptr;
    OdometerWidget* odometer_ = nullptr;
    GaugesView view_;
    std::string speedUnit_;
    std::string courseUp_;
    bool hasView_ = false;
};

}  // namespace gnss::ui
