#pragma once

#include "nmea/sat_display_list.h"
#include "views/sat_chart_model.h"
#include "views/sat_grid_model.h"
#include "views/sky_plot_model.h"

namespace gnss {

// What a refresh of the satellite views reads besides the display list.
struct SatelliteViewInputs {
    const SatDisplayList* List = nullptr;
    bool BdsGsvSeen = false;
    bool GalileoGsvSeen = false;
    ReceiverFamily Family = ReceiverFamily::Unknown;
    bool ReceiverIdentified = false;
    bool AntennaStatusExpected = false;
    AntennaState Antenna = AntennaState::Unknown;
    int LogicalDpi = 96;
};

// The signal chart with its grid, and the sky plot, as data: column count and layout, grid
// texts and colours, bar rectangles, icon positions. The widgets paint Chart(), Grid() and
// Sky(); the dispatcher decides when to refresh (rate limit and pause).
class SatelliteViews {
  public:
    SatelliteViews();

    // RefreshSatelliteViews: grid, chart and sky from the display list. The column count, the
    // bars, the cell colours and the sky plot follow only while the receiver is identified.
    void RefreshSatelliteViews(const SatelliteViewInputs& in);
    // ClearSatelliteViews: both views without satellites (grid header kept).
    void ClearSatelliteViews();
    void SetChartColumns(int columns);
    void SelectGnssView(GnssSet filter);
    void SetSkyBackground(SkyBackground background);

    // Each connect attempt, before the port opens: views cleared, chart on the grid colour,
    // filter "GPS+GLONASS"; and once the port has opened: 12 columns, filter "ALL", the GPS sky.
    void ResetForConnect();
    void PortOpened();

    // Double click on the chart shows or hides its title strip (`Panel21`).
    void ToggleTitleStrip() { titleStripVisible_ = !titleStripVisible_; }
    [[nodiscard]] bool TitleStripVisible() const { return titleStripVisible_; }

    [[nodiscard]] const SignalChartView& Chart() const { return chart_; }
    [[nodiscard]] const SatGridView& Grid() const { return grid_; }
    [[nodiscard]] const SkyPlotView& Sky() const { return sky_; }
    [[nodiscard]] const ChartColumnLayout& Layout() const { return layout_; }
    [[nodiscard]] int ChartColumns() const { return counter_.Columns(); }
    [[nodiscard]] GnssSet GnssViewFilter() const { return filter_; }
    [[nodiscard]] SkyBackground Background() const { return background_; }
    // Bumped by every change, so that a widget repaints only when needed.
    [[nodiscard]] uint64_t Revision() const { return revision_; }

  private:
    void ApplyLayout(int columns);
    void Rebuild();

    ChartColumnCounter counter_;
    ChartColumnLayout layout_;
    SignalChartView chart_;
    SatGridView grid_;
    SkyPlotView sky_;
    SatelliteViewInputs last_;
    SatDisplayList lastList_;
    GnssSet filter_ = GnssSet::All;
    SkyBackground background_ = SkyBackground::Gps;
    Rgb chartBackground_ = kChartBackgroundUnused;
    bool titleStripVisible_ = true;
    uint64_t revision_ = 0;
    ChartColumnLayout shownLayout_;  // the layout of the last revision
};

}  // namespace gnss
