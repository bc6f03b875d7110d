#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolButton>
#include <string>
#include <utility>
#include <vector>

#include "ui/chart_title_strip.h"
#include "ui/gauges_panel.h"
#include "ui/monitor_list.h"
#include "ui/navigation_panel_widget.h"
#include "ui/signal_chart_widget.h"
#include "ui/sky_plot_widget.h"
#include "ui/small_windows.h"
#include "ui/status_bar_widget.h"

namespace gnss::ui {
namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() : window(model, monitor, memo) {}

    void ProcessEvents() { QApplication::processEvents(); }

    MainWindowModel model;
    MonitorLineBuffer monitor;
    DebugMemo memo;
    MainWindow window;
};

TEST_F(MainWindowTest, ShowsTheCaptionAndFollowsTheFirmware) {
    EXPECT_EQ(window.windowTitle(), "MERIDAN GPSVaro V:0.99v8_HD only");
    model.SetFirmwareText("AXN_5.1.7");
    ProcessEvents();
    EXPECT_EQ(window.windowTitle(), "MERIDAN GPSVaro V:0.99v8_HD only (AXN_5.1.7)");
    EXPECT_EQ(window.size(), QSize(1218, 620));
}

// The placement kept in the settings comes back as it was saved when it fits the screen, and
// pulled onto the screen when it does not.
TEST_F(MainWindowTest, PlacementComesBackAndIsKeptOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const WindowPlacement fitting{
        {screen.x() + 10, screen.y() + 20, screen.width() / 2, screen.height() / 2}, false};
    window.ApplyPlacement(fitting);
    EXPECT_EQ(window.CurrentPlacement(), fitting);

    window.ApplyPlacement({{screen.right() + 500, screen.y(), 300, 250}, false});
    const ScreenRect moved = window.CurrentPlacement().Area;
    EXPECT_EQ(moved.Left + moved.Width, screen.x() + screen.width());
    EXPECT_EQ(moved.Width, 300);
}

TEST_F(MainWindowTest, StatusBarHasEighteenPanelsOfTheirWidths) {
    window.resize(1366, 768);
    window.show();
    ProcessEvents();
    const StatusBarWidget* bar = window.StatusBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_GE(bar->width(), StatusBarModel::TotalWidthPx());
    int left = 0;
    for (int i = 0; i < StatusBarModel::kPanelCount; ++i) {
        const int width = StatusBarModel::kPanelWidthsPx[static_cast<std::size_t>(i)];
        const QRect panel = bar->PanelRect(i);
        // Each panel starts where the ones before it end and keeps its own width (less the
        // 2-pixel gap between panels).
        EXPECT_EQ(panel.left(), left + 1) << "panel " << i;
        EXPECT_EQ(panel.width(), width - 2) << "panel " << i;
        left += width;
    }
    EXPECT_FALSE(bar->PanelRect(18).isValid());
    window.hide();
}

TEST_F(MainWindowTest, BaudBoxListsTheRatesWith9600SelectedAndReportsAChoice) {
    const QComboBox* baud = window.BaudBox();
    ASSERT_EQ(baud->count(), 11);
    const QStringList expected = {"2400",   "4800",   "9600",   "19200",  "38400", "57600",
                                  "115200", "230400", "460800", "921600", "Auto"};
    for (int i = 0; i < baud->count(); ++i) EXPECT_EQ(baud->itemText(i), expected[i]);
    EXPECT_EQ(baud->currentText(), "9600");

    model.SelectBaudRate("115200");
    ProcessEvents();
    EXPECT_EQ(baud->currentText(), "115200");
}

TEST_F(MainWindowTest, PortBoxTakesATypedDevicePath) {
    model.SetPortNames({"/dev/ttyUSB0", "/dev/ttyUSB1"});
    ProcessEvents();
    EXPECT_EQ(window.PortBox()->currentText(), "/dev/ttyUSB0");
    EXPECT_TRUE(window.PortBox()->isEditable());
    QSignalSpy typed(&window, &MainWindow::PortTextChanged);
    window.PortBox()->setEditText("/dev/pts/4");
    ASSERT_GE(typed.count(), 1);
    EXPECT_EQ(typed.last().at(0).toString(), "/dev/pts/4");
}

TEST_F(MainWindowTest, ToolButtonsShowTheModelsHintsAndReportClicks) {
    QToolButton* open = window.ToolButtonOf(ToolButton::Connect);
    EXPECT_EQ(open->toolTip(), "Connect to GNSS Receiver");
    EXPECT_FALSE(window.ToolButtonOf(ToolButton::ColdStart)->isEnabled());
    EXPECT_EQ(window.ToolButtonOf(ToolButton::About)->toolTip(), "About the GPS Utility .....  ");

    QSignalSpy clicks(&window, &MainWindow::ToolButtonClicked);
    open->click();
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).value<ToolButton>(), ToolButton::Connect);
    // Nothing connected: the button does not stay down by itself.
    EXPECT_FALSE(open->isChecked());

    model.ConnectionOpened();
    ProcessEvents();
    EXPECT_TRUE(open->isChecked());
    EXPECT_EQ(open->toolTip(), "Disconnect");
    EXPECT_TRUE(window.ToolButtonOf(ToolButton::Pause)->isEnabled());
    EXPECT_EQ(window.FilterEdit()->toolTip(),
              "filter: allow for display certain messages (empty for all message)");
}

TEST_F(MainWindowTest, AboutButtonShowsTheAboutBoxWithTheProductTexts) {
    window.show();
    window.ToolButtonOf(ToolButton::About)->click();
    ProcessEvents();
    const AboutBox* about = window.AboutBoxWindow();
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    EXPECT_TRUE(about->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(about->windowTitle(), "About GPSVaro .......");
    EXPECT_EQ(about->TitleText(), "GPSVaro Utility ");
    EXPECT_EQ(about->VersionText(), "  Version : V:0.99v8_HD only");
    window.AboutBoxWindow()->hide();
    window.hide();
}

TEST_F(MainWindowTest, MonitorTakesABatchOfTwoThousandLinesAndKeepsTheCap) {
    std::vector<std::string> lines;
    for (int i = 0; i < 2000; ++i) lines.push_back("$GPGGA,line " + std::to_string(i));
    monitor.AppendBatch(lines);
    window.SyncMonitor();
    ProcessEvents();
    const MonitorListModel* list = window.MonitorModel();
    EXPECT_EQ(list->rowCount(), 2000);
    EXPECT_EQ(list->index(1999).data().toString(), "$GPGGA,line 1999");

    // A second batch goes over the cap: the newest 1919 lines remain, in order.
    for (std::string& line : lines) line.replace(0, 6, "$GNRMC");
    monitor.AppendBatch(lines);
    window.SyncMonitor();
    ProcessEvents();
    ASSERT_EQ(list->rowCount(), 1919);
    EXPECT_EQ(list->index(0).data().toString(), "$GNRMC,line 81");
    EXPECT_EQ(list->index(1918).data().toString(), "$GNRMC,line 1999");
    // The newest line is the selected one.
    EXPECT_EQ(window.MonitorList()->currentIndex().row(), 1918);

    // Plain white until the lines are coloured.
    const QColor plain = list->index(5).data(MonitorListModel::kLineColorRole).value<QColor>();
    EXPECT_EQ(plain, QColor(Qt::white));
    monitor.SetColorOf([](std::string_view) -> Rgb { return 0x7BF700; });
    monitor.SetColoured(true);
    window.SyncMonitor();
    EXPECT_EQ(list->index(5).data(MonitorListModel::kLineColorRole).value<QColor>(),
              QColor(0x7B, 0xF7, 0x00));
}

TEST_F(MainWindowTest, CopyTakesTheSelectedLinesInListOrder) {
    monitor.AppendBatch(std::vector<std::string>{"$GPRMC,a", "$GPGGA,b", "$GPGSA,c", "$GPGSV,d"});
    window.SyncMonitor();
    MonitorListView* view = window.MonitorList();
    view->clearSelection();
    view->selectionModel()->select(view->model()->index(2, 0), QItemSelectionModel::Select);
    view->selectionModel()->select(view->model()->index(0, 0), QItemSelectionModel::Select);
    EXPECT_EQ(view->SelectedText(), "$GPRMC,a\n$GPGSA,c");
}

TEST_F(MainWindowTest, DebugMemoShowsStampedLines) {
    memo.Add(DateTime{45000.25}, "<Ok>");
    window.SyncDebugMemo();
    EXPECT_EQ(window.DebugMemoEdit()->toPlainText(), "[06:00:00.000]<Ok>");
}

// The displays fit side by side without overlapping or leaving the window, at the window's
// default size and at a common laptop screen; the monitor keeps room for a full NMEA sentence
// and takes what the fixed displays leave.
TEST_F(MainWindowTest, DisplaysFitWithoutOverlapAndTheMonitorTakesTheExtraRoom) {
    window.show();
    struct Shown {
        QRect navigation, sky, gauges, monitor;
    };
    std::vector<Shown> shown;
    for (const QSize size : {QSize(1218, 620), QSize(1366, 768)}) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        window.resize(size);
        ProcessEvents();
        ASSERT_EQ(window.size(), size);

        const std::vector<std::pair<const char*, QWidget*>> parts = {
            {"navigation", window.NavigationPanel()},
            {"strip", window.ChartStrip()},
            {"chart", window.SignalChart()},
            {"grid", window.SatGrid()},
            {"sky", window.SkyPlot()},
            {"gauges", window.Gauges()},
            {"monitor", window.MonitorList()},
            {"filter", window.FilterEdit()},
            {"memo", window.DebugMemoEdit()},
            {"status", window.StatusBar()}};
        const QRect inside = window.rect();
        std::vector<QRect> rects;
        for (const auto& [name, widget] : parts) {
            const QRect r(widget->mapTo(&window, QPoint(0, 0)), widget->size());
            EXPECT_TRUE(widget->isVisible()) << name;
            EXPECT_FALSE(r.isEmpty()) << name;
            EXPECT_TRUE(inside.contains(r)) << name;
            EXPECT_GE(r.width(), widget->minimumWidth()) << name;
            EXPECT_GE(r.height(), widget->minimumHeight()) << name;
            rects.push_back(r);
        }
        for (std::size_t i = 0; i < rects.size(); ++i) {
            for (std::size_t j = i + 1; j < rects.size(); ++j) {
                EXPECT_FALSE(rects[i].intersects(rects[j]))
                    << parts[i].first << " overlaps " << parts[j].first;
            }
        }

        EXPECT_EQ(window.NavigationPanel()->size(), QSize(NavigationPanelWidget::kNaturalWidth,
                                                          NavigationPanelWidget::kNaturalHeight));
        EXPECT_EQ(window.SkyPlot()->width(), window.SkyPlot()->height());
        EXPECT_EQ(window.Gauges()->width(), window.Gauges()->height());
        const QFontMetrics metrics(window.MonitorList()->font());
        EXPECT_GE(window.MonitorList()->viewport()->width(), 80 * metrics.horizontalAdvance('0'));
        shown.push_back({window.NavigationPanel()->geometry(), window.SkyPlot()->geometry(),
                         window.Gauges()->geometry(), window.MonitorList()->geometry()});
    }
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].navigation.size(), shown[0].navigation.size());
    EXPECT_EQ(shown[1].sky.size(), shown[0].sky.size());
    EXPECT_EQ(shown[1].gauges.size(), shown[0].gauges.size());
    EXPECT_EQ(shown[1].monitor.width() - shown[0].monitor.width(), 1366 - 1218);
    EXPECT_EQ(shown[1].monitor.height() - shown[0].monitor.height(), 768 - 620);
}

}  // namespace
}  // namespace gnss::ui
