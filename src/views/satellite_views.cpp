#include "views/satellite_views.h"

namespace gnss {

SatelliteViews::SatelliteViews() {
    ApplyLayout(12);
}

void SatelliteViews::ApplyLayout(int columns) {
    counter_.SetColumns(columns);
    layout_ = ChartColumnLayoutFor(columns);
    grid_ = EmptySatGrid(layout_.Columns, layout_.FontSize);
    chart_.Columns = layout_.Columns;
    chart_.Pitch = kChartPlotWidth / layout_.Columns;
}

void SatelliteViews::RefreshSatelliteViews(const SatelliteViewInputs& in) {
    last_ = in;
    if (in.List != nullptr) lastList_ = *in.List;
    last_.List = &lastList_;
    if (in.ReceiverIdentified) {
        const int columns = counter_.Update(lastList_.InView);
        if (columns != layout_.Columns) ApplyLayout(columns);
    }
    Rebuild();
}

void SatelliteViews::Rebuild() {
    const SatelliteViewInputs& in = last_;
    SignalChartView chart = chart_;
    if (in.ReceiverIdentified) {
        chart = BuildSignalChart(lastList_, layout_.Columns, in.Family);
        chart.Background = chartBackground_;
    }
    SatGridView grid = FillSatGrid(
        {&lastList_, in.BdsGsvSeen, in.GalileoGsvSeen, in.Family, in.ReceiverIdentified},
        layout_.Columns, layout_.FontSize);
    SkyPlotView sky = sky_;
    if (in.ReceiverIdentified) {
        sky = BuildSkyPlot({&lastList_, in.BdsGsvSeen, in.GalileoGsvSeen, in.Family,
                            in.AntennaStatusExpected, in.Antenna, in.LogicalDpi},
                           background_, filter_);
    } else {
        sky.Background = background_;
        sky.Scale = SkyScale(background_);
        sky.Filter = filter_;
    }
    // The displays repaint on a new revision: an epoch that changes nothing drawn (most of
    // them at 5 or 10 Hz) leaves the revision as it was.
    const bool changed = chart != chart_ || grid != grid_ || sky != sky_ || layout_ != shownLayout_;
    chart_ = std::move(chart);
    grid_ = std::move(grid);
    sky_ = std::move(sky);
    shownLayout_ = layout_;
    if (changed || revision_ == 0) ++revision_;
}

void SatelliteViews::ClearSatelliteViews() {
    lastList_ = {};
    const bool identified = last_.ReceiverIdentified;
    last_.ReceiverIdentified = true;  // empty views are drawn whatever the state
    Rebuild();
    last_.ReceiverIdentified = identified;
}

void SatelliteViews::SetChartColumns(int columns) {
    ApplyLayout(ChartColumnLayoutFor(columns).Columns);
    Rebuild();
}

void SatelliteViews::SelectGnssView(GnssSet filter) {
    filter_ = filter;
    Rebuild();
}

void SatelliteViews::SetSkyBackground(SkyBackground background) {
    background_ = background;
    Rebuild();
}

void SatelliteViews::ResetForConnect() {
    chartBackground_ = kSatGridColor;
    filter_ = GnssSet::GpsGlonass;
    last_.Antenna = AntennaState::Unknown;  // cleared with the talker flags
    ClearSatelliteViews();
}

void SatelliteViews::PortOpened() {
    counter_.Reset();
    ApplyLayout(12);
    filter_ = GnssSet::All;
    background_ = SkyBackground::Gps;
    ClearSatelliteViews();
}

}  // namespace gnss
