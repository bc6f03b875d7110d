#pragma once

#include <QObject>

#include "app/app_core.h"
#include "ui/dr_calibration_widgets.h"

namespace gnss::ui {

class MainWindow;
class TrafficPanelWidget;

// The panels of special receivers under the monitor (the traffic-message panel and the
// dead-reckoning calibration panel) and the calibration's info window: made, connected to the
// application core, and repainted with the rest of the window.
class SpecialPanelsWiring final : public QObject {
  public:
    SpecialPanelsWiring(MainWindow& window, AppCore& core);
    ~SpecialPanelsWiring() override;
    void Refresh();

  private:
    MainWindow& window_;
    AppCore& core_;
    QtSounds sounds_;
    TrafficPanelWidget* traffic_ = nullptr;
    DrPanelWidget* drPanel_ = nullptr;
    DrInfoWidget* info_ = nullptr;
};

}  // namespace gnss::ui
