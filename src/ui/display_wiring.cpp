#include "ui/display_wiring.h"

#include "app/app_core.h"
#include "ui/chart_title_strip.h"
#include "ui/gauges_panel.h"
#include "ui/main_window.h"
#include "ui/navigation_panel_widget.h"
#include "ui/signal_chart_widget.h"
#include "ui/sky_plot_widget.h"

namespace gnss::ui {

DisplayWiring::DisplayWiring(MainWindow& window, AppCore& core)
    : QObject(&window), window_(window), core_(core) {
    NavigationPanelWidget* panel = window_.NavigationPanel();
    connect(panel, &NavigationPanelWidget::positionDoubleClicked, this, [this] {
        core_.PositionLabelDoubleClicked();
        Refresh();
    });
    connect(panel, &NavigationPanelWidget::positionCaptionDoubleClicked, this,
            [this] { core_.PositionCaptionDoubleClicked(); });
    connect(panel, &NavigationPanelWidget::timeDoubleClicked, this, [this] {
        core_.TimeLabelDoubleClicked();
        Refresh();
    });
    connect(window_.SignalChart(), &SignalChartWidget::doubleClicked, this, [this] {
        core_.SignalChartDoubleClicked();
        Refresh();
    });
    Refresh();
}

void DisplayWiring::Refresh() {
    const NavigationPanelView& navigation = core_.Navigation.View();
    window_.NavigationPanel()->SetView(navigation);
    window_.Gauges()->SetView(core_.Navigation.Gauges(), navigation.SpeedUnitText,
                              navigation.GaugeCourseText);
    RefreshSatellites();
}

void DisplayWiring::RefreshSatellites() {
    const SatelliteViews& views = core_.Satellites;
    if (views.TitleStripVisible() != stripVisible_) {
        stripVisible_ = views.TitleStripVisible();
        window_.ChartStrip()->setVisible(stripVisible_);
    }
    if (satellitesShown_ && views.Revision() == shownSatelliteRevision_) return;
    satellitesShown_ = true;
    shownSatelliteRevision_ = views.Revision();
    window_.SignalChart()->SetView(views.Chart());
    window_.SatGrid()->SetView(views.Grid(), views.Layout());
    window_.SkyPlot()->SetView(views.Sky());
}

}  // namespace gnss::ui
