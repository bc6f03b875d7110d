#pragma once

#include <QComboBox>
#include <QMainWindow>
#include <QPointer>
#include <array>

#include "views/debug_memo.h"
#include "views/main_window_model.h"
#include "views/monitor_view.h"

class QButtonGroup;
class QLineEdit;
class QPlainTextEdit;
class QTimer;
class QToolBar;
class QToolButton;
class QVBoxLayout;

namespace gnss::ui {

class ChartTitleStrip;
class GaugesPanel;
class LogoStrip;
class MonitorListModel;
class MonitorListView;
class NavigationPanelWidget;
class SatGridWidget;
class SignalChartWidget;
class SkyPlotWidget;
class PortEventWindow;
class StatusBarWidget;
class AboutBox;

// A combo box that announces its drop-down before it opens, so that the list can be refreshed.
class DropDownComboBox : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;
    void showPopup() override;
  signals:
    void AboutToDropDown();
};

// `MainWindow`, the main window: toolbar with the port and baud boxes and the logo strip; a top
// row with the signal chart over its grid, the sky plot and the gauges; below, the navigation
// panel over the debug memo beside the NMEA monitor with its display filter; the status bar.
// It paints the models it is given and reports what the user does; it decides nothing. The
// displays are fed by DisplayWiring.
class MainWindow : public QMainWindow, private ViewChangeListener {
    Q_OBJECT
  public:
    MainWindow(MainWindowModel& model, MonitorView& monitor, DebugMemo& memo,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // Size and place as the product opens: 1218 x 620, shrunk to the screen when needed.
    void ApplyInitialGeometry();
    // The placement kept in the settings: applied (fitted to the screen) and read back.
    void ApplyPlacement(const WindowPlacement& saved);
    [[nodiscard]] WindowPlacement CurrentPlacement() const;

    // Repaints caption, toolbar, boxes, unit selector, status bar and port-event window.
    // Runs by itself (coalesced) after every model change.
    void RefreshFromModel();
    // Takes the new monitor lines and debug lines; runs by itself on a short timer.
    void SyncMonitor();
    void SyncDebugMemo();

    [[nodiscard]] QToolButton* ToolButtonOf(ToolButton id) const;
    [[nodiscard]] QComboBox* PortBox() const { return portBox_; }
    [[nodiscard]] QComboBox* BaudBox() const { return baudBox_; }
    [[nodiscard]] QComboBox* ReceiverRateBox() const { return receiverRateBox_; }
    [[nodiscard]] QToolButton* ReceiverRateApplyButton() const { return receiverRateApply_; }
    // Puts a panel under the monitor list (the command panel).
    void AddBelowMonitor(QWidget* panel);
    // Shows or hides the navigation panel (a radio without a GNSS part has none), and the
    // monitor panel's width (auxiliary windows are placed by it).
    void SetNavigationShown(bool shown);
    [[nodiscard]] int MonitorPanelWidth() const;
    // The panels menu's entry that opens the campaign window.
    [[nodiscard]] QAction* CampaignEntry() const { return campaignEntry_; }
    // The toolbar button of the NTRIP client program (hidden until an RTK receiver is known).
    [[nodiscard]] QToolButton* NtripButton() const { return ntripButton_; }
    void ShowNtripButton(bool visible, bool enabled);
    // Selects a rate in the receiver's rate box without reporting it as chosen.
    void ShowReceiverRate(const QString& rate);
    [[nodiscard]] QLineEdit* FilterEdit() const { return filterEdit_; }
    [[nodiscard]] MonitorListView* MonitorList() const { return monitorList_; }
    [[nodiscard]] MonitorListModel* MonitorModel() const { return monitorModel_; }
    [[nodiscard]] QPlainTextEdit* DebugMemoEdit() const { return memo_; }
    [[nodiscard]] StatusBarWidget* StatusBar() const { return statusBar_; }
    [[nodiscard]] LogoStrip* Logo() const { return logo_; }
    [[nodiscard]] AboutBox* AboutBoxWindow() const { return aboutBox_; }
    [[nodiscard]] PortEventWindow* PortEventsWindow() const { return portEvents_; }
    [[nodiscard]] NavigationPanelWidget* NavigationPanel() const { return navigation_; }
    [[nodiscard]] ChartTitleStrip* ChartStrip() const { return chartStrip_; }
    [[nodiscard]] SignalChartWidget* SignalChart() const { return signalChart_; }
    [[nodiscard]] SatGridWidget* SatGrid() const { return satGrid_; }
    [[nodiscard]] SkyPlotWidget* SkyPlot() const { return skyPlot_; }
    [[nodiscard]] GaugesPanel* Gauges() const { return gauges_; }

  signals:
    void ToolButtonClicked(gnss::ToolButton id, Qt::KeyboardModifiers modifiers);
    void PortListAboutToDropDown();
    void PortTextChanged(const QString& text);
    void BaudRateChosen(const QString& text);
    void FilterTextChanged(const QString& text);
    void UnitChosen(int index);
    void LogoPressed(Qt::KeyboardModifiers modifiers);
    void ReceiverRateChosen(const QString& rate);
    void ReceiverRateApplyClicked();
    void CommandPanelMenuToggled();
    void CampaignMenuChosen();
    void CorrectionsPanelMenuToggled();
    void NtripButtonClicked();
    void StatusPanelDoubleClicked(int index);
    void StatusPanelClicked(int index, Qt::KeyboardModifiers modifiers);
    void AboutLinkActivated(const QString& address);
    void AboutBoxClosed();
    void MonitorClearRequested();
    // The window is closing; connected slots run the program's close sequence first.
    void Closing();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildToolbar();
    void BuildReceiverRateBox(QToolBar* bar);
    void BuildCentre();
    void ScheduleRefresh();
    void OnViewChanged() override { ScheduleRefresh(); }

    MainWindowModel& model_;
    DebugMemo& debugMemo_;
    bool refreshScheduled_ = false;

    std::array<QToolButton*, kToolButtonCount> buttons_{};
    std::array<QAction*, kToolButtonCount> buttonActions_{};
    std::array<bool, kToolButtonCount> iconDown_{};
    DropDownComboBox* portBox_ = nullptr;
    QComboBox* baudBox_ = nullptr;
    QComboBox* receiverRateBox_ = nullptr;
    QToolButton* receiverRateApply_ = nullptr;
    QAction* campaignEntry_ = nullptr;
    QToolButton* ntripButton_ = nullptr;
    QAction* ntripAction_ = nullptr;  // the button's place in the toolbar
    QVBoxLayout* monitorLayout_ = nullptr;
    QButtonGroup* unitButtons_ = nullptr;
    LogoStrip* logo_ = nullptr;
    QLineEdit* filterEdit_ = nullptr;
    MonitorListView* monitorList_ = nullptr;
    MonitorListModel* monitorModel_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    StatusBarWidget* statusBar_ = nullptr;
    NavigationPanelWidget* navigation_ = nullptr;
    ChartTitleStrip* chartStrip_ = nullptr;
    SignalChartWidget* signalChart_ = nullptr;
    SatGridWidget* satGrid_ = nullptr;
    SkyPlotWidget* skyPlot_ = nullptr;
    GaugesPanel* gauges_ = nullptr;
    AboutBox* aboutBox_ = nullptr;
    PortEventWindow* portEvents_ = nullptr;
    QTimer* syncTimer_ = nullptr;
};

}  // namespace gnss::ui
