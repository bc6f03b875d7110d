#pragma once

#include <QObject>

namespace gnss {
class AppCore;
}

namespace gnss::ui {

class DisplayWiring;
class MainWindow;

// Connects the main window's user events to the application core and the core's change
// notifications to the window's repaint (coalesced to one repaint per 50 ms), which also feeds
// the displays.
class WindowWiring final : public QObject {
  public:
    WindowWiring(MainWindow& window, AppCore& core);

  private:
    void RequestRepaint();

    MainWindow& window_;
    AppCore& core_;
    DisplayWiring* displays_ = nullptr;
    bool repaintPending_ = false;
};

}  // namespace gnss::ui
