// The main window's displays fed by the application core from a simulated four-constellation
// receiver at 10 Hz on a real pseudo-terminal: the navigation panel shows the receiver's
// position, the chart, grid and sky plot show its satellites, and double clicks reach the core.

#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>
#include <algorithm>
#include <string>

#include "ui/chart_title_strip.h"
#include "ui/navigation_panel_widget.h"
#include "ui/signal_chart_widget.h"
#include "ui/sim_window_harness.h"
#include "ui/sky_plot_widget.h"

namespace gnss::ui {
namespace {

using testing::SimProcess;
using testing::WaitFor;
using testing::WindowProgram;

// Where the simulator puts its receiver unless told otherwise.
constexpr double kSimLatitude = 25.0336;
constexpr double kSimLongitude = 121.5646;

// "N 25.0336000°" -> 25.0336; NaN when the text holds no number after the letter.
double PositionDegrees(const std::string& text) {
    if (text.size() < 3) return std::nan("");
    try {
        return std::stod(text.substr(2));
    } catch (const std::exception&) {
        return std::nan("");
    }
}

int SatelliteColumns(const SatGridView& grid) {
    return static_cast<int>(std::count_if(grid.Rows[1].begin(), grid.Rows[1].end(),
                                          [](const GridCell& cell) { return !cell.Text.empty(); }));
}

// The widget as shown, against the same widget painted without satellites.
QImage SkyWithout(const SkyPlotWidget& shown) {
    SkyPlotView bare = shown.View();
    bare.Icons.clear();
    SkyPlotWidget empty;
    empty.resize(shown.size());
    empty.SetView(bare);
    return empty.grab().toImage();
}
QImage ChartWithout(const SignalChartWidget& shown) {
    SignalChartView bare = shown.View();
    bare.Bars.clear();
    bare.SecondSignals.clear();
    SignalChartWidget empty;
    empty.resize(shown.size());
    empty.SetView(bare);
    return empty.grab().toImage();
}

TEST(WindowDisplays, ShowTheSimulatedReceiversPositionAndSatellitesAndPassOnDoubleClicks) {
    SimProcess sim({"--family", "mtk", "--variant", "c", "--rate", "10", "--gnss",
                    "gps,glonass,galileo,beidou"});
    ASSERT_TRUE(sim.started) << "gnss-sim did not start";
    WindowProgram program;
    AppCore& core = program.core;
    MainWindow& window = program.window;
    window.show();
    program.Connect(sim);
    ASSERT_TRUE(core.Shared().PortOpen)
        << (program.prompts.shown.empty() ? "" : program.prompts.shown[0].text);

    // The receiver identifies itself from its start-up texts (or its reply to the release
    // query); until then the displays stay empty.
    ASSERT_TRUE(WaitFor([&] { return core.Shared().ReceiverIdentified; }, 30000))
        << "the simulated receiver was not identified; monitor lines: " << core.Monitor.LineCount();

    // The first fix and a complete satellite block, as the widgets show them.
    NavigationPanelWidget& panel = *window.NavigationPanel();
    SignalChartWidget& chart = *window.SignalChart();
    SkyPlotWidget& sky = *window.SkyPlot();
    const bool shown = WaitFor(
        [&] {
            return !std::isnan(PositionDegrees(panel.View().LatitudeText)) &&
                   !chart.View().Bars.empty() && !sky.View().Icons.empty() &&
                   SatelliteColumns(window.SatGrid()->Grid()) > 0;
        },
        30000);
    ASSERT_TRUE(shown) << "identified " << core.Shared().ReceiverIdentified << ", latitude \""
                       << panel.View().LatitudeText << "\", bars " << chart.View().Bars.size()
                       << ", icons " << sky.View().Icons.size();

    const NavigationPanelView& navigation = panel.View();
    EXPECT_EQ(navigation.LatitudeText.substr(0, 2), "N ");
    EXPECT_NEAR(PositionDegrees(navigation.LatitudeText), kSimLatitude, 0.001)
        << navigation.LatitudeText;
    EXPECT_EQ(navigation.LongitudeText.substr(0, 2), "E ");
    EXPECT_NEAR(PositionDegrees(navigation.LongitudeText), kSimLongitude, 0.001)
        << navigation.LongitudeText;
    EXPECT_EQ(navigation.ValueColor, kNaviLiveColor);
    EXPECT_FALSE(navigation.UtcTimeText.empty());

    // The views the widgets paint are the core's, and satellites are really drawn.
    EXPECT_GE(SatelliteColumns(window.SatGrid()->Grid()), 4);
    EXPECT_NE(sky.grab().toImage(), SkyWithout(sky));
    EXPECT_NE(chart.grab().toImage(), ChartWithout(chart));

    // A position label switches the notation; a caption copies the position; a time label asks
    // for the clock, which the next valid RMC sets.
    QTest::mouseDClick(&panel, Qt::LeftButton, {}, QPoint(200, 20));
    EXPECT_TRUE(core.Navigation.DmsMode());
    EXPECT_TRUE(
        WaitFor([&] { return panel.View().LatitudeText.find('\'') != std::string::npos; }, 5000))
        << panel.View().LatitudeText;
    QTest::mouseDClick(&panel, Qt::LeftButton, {}, QPoint(40, 20));
    EXPECT_EQ(program.desktop.clipboard.rfind("Lon:121.56", 0), 0u) << program.desktop.clipboard;
    QTest::mouseDClick(&panel, Qt::LeftButton, {}, QPoint(470, 20));
    EXPECT_TRUE(WaitFor([&] { return !program.clockSetter.requested.empty(); }, 5000));

    // The chart hides and shows its title strip.
    ASSERT_TRUE(window.ChartStrip()->isVisible());
    QTest::mouseDClick(&chart, Qt::LeftButton, {}, QPoint(100, 50));
    EXPECT_FALSE(core.Satellites.TitleStripVisible());
    EXPECT_FALSE(window.ChartStrip()->isVisible());
    QTest::mouseDClick(&chart, Qt::LeftButton, {}, QPoint(100, 50));
    EXPECT_TRUE(window.ChartStrip()->isVisible());

    window.close();
}

}  // namespace
}  // namespace gnss::ui
