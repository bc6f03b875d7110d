#pragma once

#include <QObject>

#include <cstdint>

namespace gnss {
class AppCore;
}

namespace gnss::ui {

class MainWindow;

// Feeds the main window's displays (navigation panel, gauges, signal chart and grid, sky plot)
// from the application core's view models, and hands their double clicks back to the core.
// Refresh runs with every repaint of the window; it passes on only what changed (the satellite
// views carry a revision, the panel and the gauges compare their last view), so that an idle
// repaint costs next to nothing.
class DisplayWiring final : public QObject {
  public:
    DisplayWiring(MainWindow& window, AppCore& core);

    void Refresh();

  private:
    void RefreshSatellites();

    MainWindow& window_;
    AppCore& core_;
    uint64_t shownSatelliteRevision_ = 0;
    bool satellitesShown_ = false;
    bool stripVisible_ = true;
};

}  // namespace gnss::ui
