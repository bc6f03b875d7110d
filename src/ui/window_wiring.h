#pragma once

#include <QObject>

#include "app/app_core.h"

namespace gnss::ui {

class DisplayWiring;
class MainWindow;

// Connects the main window's user events to the application core and the core's change
// notifications to the window's repaint (coalesced to one repaint per 50 ms), which also feeds
// the displays.
class WindowWiring final : public QObject, private AppCoreListener {
  public:
    WindowWiring(MainWindow& window, AppCore& core);
    ~WindowWiring() override;

  private:
    // AppCoreListener
    void OnViewChanged() override { RequestRepaint(); }
    void OnBringToFront() override;
    void OnShowPortEvents() override;

    void RequestRepaint();

    MainWindow& window_;
    AppCore& core_;
    DisplayWiring* displays_ = nullptr;
    bool repaintPending_ = false;
};

}  // namespace gnss::ui
