#include "ui/main_window.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "control/receiver_baud_change.h"
#include "ui/artwork.h"
#include "ui/chart_title_strip.h"
#include "ui/gauges_panel.h"
#include "ui/monitor_list.h"
#include "ui/navigation_panel_widget.h"
#include "ui/signal_chart_widget.h"
#include "ui/sky_plot_widget.h"
#include "ui/small_windows.h"
#include "ui/status_bar_widget.h"
#include "ui/ui_style.h"

namespace gnss::ui {

namespace {

// Layout of the window's body. The top row (chart and grid, sky plot, gauges) has a fixed
// height that holds the chart at about its natural size above the grid's four rows; the sky
// plot and the gauges are squares of that height. Everything else goes to the bottom row,
// where the monitor takes the width the navigation panel leaves.
constexpr int kTopRowPx = 252;
constexpr int kBodyMarginPx = 4;
constexpr int kSpacingPx = 4;
constexpr int kChartMinWidthPx = 360;
constexpr int kChartMinHeightPx = 100;
constexpr int kMemoMinHeightPx = 60;
constexpr int kSyncIntervalMs = 250;

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* SectionTitle(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(SansFont(9, true));
    return label;
}

}  // namespace

// ---- DropDownComboBox ----

void DropDownComboBox::showPopup() {
    emit AboutToDropDown();
    QComboBox::showPopup();
}

// ---- MainWindow ----

MainWindow::MainWindow(MainWindowModel& model, MonitorView& monitor, DebugMemo& memo,
                       QWidget* parent)
    : QMainWindow(parent), model_(model), debugMemo_(memo) {
    setObjectName("MainWindow");
    setWindowIcon(ProgramIcon());
    setFont(SansFont(9));
    monitorModel_ = new MonitorListModel(monitor, this);

    BuildToolbar();
    BuildCentre();

    aboutBox_ = new AboutBox(this);
    connect(aboutBox_, &AboutBox::Closed, this, &MainWindow::AboutBoxClosed);
    connect(aboutBox_, &AboutBox::LinkActivated, this, &MainWindow::AboutLinkActivated);
    portEvents_ = new PortEventWindow(this);

    model_.SetChangeListener(this);
    syncTimer_ = new QTimer(this);
    syncTimer_->setInterval(kSyncIntervalMs);
    connect(syncTimer_, &QTimer::timeout, this, [this] {
        SyncMonitor();
        SyncDebugMemo();
    });
    syncTimer_->start();

    RefreshFromModel();
    SyncDebugMemo();
    monitorList_->setFocus();
    resize(kDefaultWindowWidth, kDefaultWindowHeight);
}

MainWindow::~MainWindow() {
    model_.SetChangeListener(nullptr);
}

void MainWindow::BuildToolbar() {
    auto* bar = new QToolBar(this);
    bar->setObjectName("ToolBar1");
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(24, 24));
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->setStyleSheet("QToolBar { spacing: 2px; padding: 3px 4px; }");
    addToolBar(Qt::TopToolBarArea, bar);

    portBox_ = new DropDownComboBox(bar);
    portBox_->setObjectName("cbGPSCOM");
    portBox_->setEditable(true);
    portBox_->setInsertPolicy(QComboBox::NoInsert);
    portBox_->setMinimumWidth(150);
    portBox_->setMaximumWidth(190);
    portBox_->setToolTip(tr("Receiver port (a device path may be typed)"));
    connect(portBox_, &DropDownComboBox::AboutToDropDown, this,
            &MainWindow::PortListAboutToDropDown);
    connect(portBox_, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { emit PortTextChanged(text); });
    bar->addWidget(portBox_);

    baudBox_ = new QComboBox(bar);
    baudBox_->setObjectName("cbCOMBR");
    baudBox_->setMinimumWidth(84);
    baudBox_->setToolTip(tr("Receiver baud rate"));
    connect(baudBox_, &QComboBox::textActivated, this, &MainWindow::BaudRateChosen);
    bar->addWidget(baudBox_);

    for (const ToolButtonState& state : model_.Buttons()) {
        if (state.SeparatorBefore || state.Id == ToolButton::Connect) bar->addSeparator();
        auto* button = new QToolButton(bar);
        button->setObjectName(Text(state.Name));
        button->setAutoRaise(true);
        button->setCheckable(state.Checkable);
        button->setIconSize(QSize(24, 24));
        button->setIcon(ToolIcon(state.Id, false));
        const ToolButton id = state.Id;
        connect(button, &QToolButton::clicked, this, [this, id] {
            const Qt::KeyboardModifiers modifiers = QGuiApplication::keyboardModifiers();
            if (id == ToolButton::About) aboutBox_->ShowCentredOn(this);
            emit ToolButtonClicked(id, modifiers);
            // The model, not the click, decides whether a button stays down.
            RefreshFromModel();
        });
        QAction* action = bar->addWidget(button);
        action->setObjectName(Text(state.Name) + "Action");
        buttons_[static_cast<std::size_t>(state.Id)] = button;
        buttonActions_[static_cast<std::size_t>(state.Id)] = action;
        if (state.Id == ToolButton::FactoryReset) BuildReceiverRateBox(bar);
    }

    bar->addSeparator();
    auto* units = new QWidget(bar);
    units->setObjectName("rgUNIT");
    auto* unitLayout = new QHBoxLayout(units);
    unitLayout->setContentsMargins(6, 0, 6, 0);
    unitLayout->setSpacing(8);
    unitButtons_ = new QButtonGroup(units);
    for (std::size_t i = 0; i < kUnitItems.size(); ++i) {
        auto* radio = new QRadioButton(Text(kUnitItems[i]), units);
        unitButtons_->addButton(radio, static_cast<int>(i));
        unitLayout->addWidget(radio);
    }
    connect(unitButtons_, &QButtonGroup::idClicked, this, &MainWindow::UnitChosen);
    bar->addWidget(units);

    auto* menuButton = new QToolButton(bar);
    menuButton->setObjectName("tbPanels");
    menuButton->setText(QString::fromUtf8("\u2630"));
    menuButton->setToolTip(tr("Panels"));
    menuButton->setAutoRaise(true);
    menuButton->setPopupMode(QToolButton::InstantPopup);
    auto* panelsMenu = new QMenu(menuButton);
    QAction* commandEntry = panelsMenu->addAction(tr("Command panel"));
    commandEntry->setObjectName("actCommandPanel");
    connect(commandEntry, &QAction::triggered, this, &MainWindow::CommandPanelMenuToggled);
    campaignEntry_ = panelsMenu->addAction(tr("TTFF campaign..."));
    campaignEntry_->setObjectName("actTtffCampaign");
    campaignEntry_->setEnabled(false);
    connect(campaignEntry_, &QAction::triggered, this, &MainWindow::CampaignMenuChosen);
    QAction* correctionsEntry = panelsMenu->addAction(tr("Corrections panel"));
    correctionsEntry->setObjectName("actCorrectionsPanel");
    connect(correctionsEntry, &QAction::triggered, this, &MainWindow::CorrectionsPanelMenuToggled);
    menuButton->setMenu(panelsMenu);
    bar->addWidget(menuButton);

    ntripButton_ = new QToolButton(bar);
    ntripButton_->setObjectName("btn_NTrip");
    ntripButton_->setText(tr("NTRIP"));
    ntripButton_->setToolTip(tr("Start the NTRIP client program, or show it"));
    ntripButton_->setAutoRaise(true);
    connect(ntripButton_, &QToolButton::clicked, this, &MainWindow::NtripButtonClicked);
    ntripAction_ = bar->addWidget(ntripButton_);
    ntripAction_->setVisible(false);

    auto* spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    logo_ = new LogoStrip(bar);
    connect(logo_, &LogoStrip::Pressed, this, &MainWindow::LogoPressed);
    bar->addWidget(logo_);
}

void MainWindow::BuildReceiverRateBox(QToolBar* bar) {
    receiverRateBox_ = new QComboBox(bar);
    receiverRateBox_->setObjectName("cbGPSBR");
    receiverRateBox_->setToolTip(tr("Set GPS B.R.: the rate the receiver is told to use"));
    for (std::string_view rate : kReceiverRateItems) receiverRateBox_->addItem(Text(rate));
    connect(receiverRateBox_, &QComboBox::textActivated, this, &MainWindow::ReceiverRateChosen);
    bar->addWidget(receiverRateBox_);
    receiverRateApply_ = new QToolButton(bar);
    receiverRateApply_->setObjectName("btnGPSBRApply");
    receiverRateApply_->setText(tr("Go"));
    receiverRateApply_->setToolTip(tr("Tell the receiver to use the chosen rate"));
    connect(receiverRateApply_, &QToolButton::clicked, this, &MainWindow::ReceiverRateApplyClicked);
    bar->addWidget(receiverRateApply_);
}

void MainWindow::ShowReceiverRate(const QString& rate) {
    const QSignalBlocker block(receiverRateBox_);
    receiverRateBox_->setCurrentText(rate);
}

void MainWindow::ShowNtripButton(bool visible, bool enabled) {
    if (ntripAction_->isVisible() != visible) ntripAction_->setVisible(visible);
    ntripButton_->setEnabled(enabled);
}

void MainWindow::AddBelowMonitor(QWidget* panel) {
    monitorLayout_->addWidget(panel);
}

void MainWindow::SetNavigationShown(bool shown) {
    if (navigation_->isVisibleTo(this) != shown) navigation_->setVisible(shown);
}

int MainWindow::MonitorPanelWidth() const {
    return monitorLayout_->geometry().width();
}

void MainWindow::BuildCentre() {
    auto* centre = new QWidget(this);
    centre->setObjectName("plMain");
    auto* outer = new QVBoxLayout(centre);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* body = new QWidget(centre);
    auto* rows = new QVBoxLayout(body);
    rows->setContentsMargins(kBodyMarginPx, kBodyMarginPx, kBodyMarginPx, kBodyMarginPx - 1);
    rows->setSpacing(kSpacingPx);

    // Top row: the signal chart with its title strip and grid, the sky plot, the gauges. Fixed
    // in height; the chart takes the width the square displays leave.
    auto* top = new QHBoxLayout;
    top->setSpacing(kSpacingPx);
    auto* chartBox = new QWidget(body);
    chartBox->setObjectName("plSignal");
    chartBox->setFixedHeight(kTopRowPx);
    auto* chartLayout = new QVBoxLayout(chartBox);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->setSpacing(0);
    chartStrip_ = new ChartTitleStrip(Text(kSignalChartFrame.Title), chartBox);
    chartStrip_->setObjectName("Panel21");
    chartLayout->addWidget(chartStrip_);
    signalChart_ = new SignalChartWidget(chartBox);
    signalChart_->setObjectName(Text(kSignalChartFrame.Name));
    signalChart_->setMinimumSize(kChartMinWidthPx, kChartMinHeightPx);
    signalChart_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    chartLayout->addWidget(signalChart_, 1);
    satGrid_ = new SatGridWidget(chartBox);
    satGrid_->setObjectName("xgGPSSI");
    satGrid_->setFixedHeight(4 * SatGridWidget::kRowHeight + 1);
    satGrid_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    chartLayout->addWidget(satGrid_);
    top->addWidget(chartBox, 1);

    skyPlot_ = new SkyPlotWidget(body);
    skyPlot_->setObjectName(Text(kSkyPlotFrame.Name));
    skyPlot_->setFixedSize(kTopRowPx, kTopRowPx);
    top->addWidget(skyPlot_);
    gauges_ = new GaugesPanel(body);
    gauges_->setFixedSize(kTopRowPx, kTopRowPx);
    top->addWidget(gauges_);
    rows->addLayout(top);

    // Bottom row: the navigation panel over the debug memo, beside the monitor, which takes
    // all the room that is left.
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(kSpacingPx);
    auto* leftBox = new QWidget(body);
    leftBox->setFixedWidth(NavigationPanelWidget::kNaturalWidth);
    auto* leftLayout = new QVBoxLayout(leftBox);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(kSpacingPx);
    navigation_ = new NavigationPanelWidget(leftBox);
    navigation_->setObjectName(Text(kNavigationFrame.Name));
    navigation_->setFixedSize(NavigationPanelWidget::kNaturalWidth,
                              NavigationPanelWidget::kNaturalHeight);
    leftLayout->addWidget(navigation_);

    // The monitor: a title row with the display filter, then the list.
    auto* monitorBox = new QWidget(body);
    auto* monitorLayout = new QVBoxLayout(monitorBox);
    monitorLayout_ = monitorLayout;
    monitorLayout->setContentsMargins(0, 0, 0, 0);
    monitorLayout->setSpacing(3);
    auto* monitorHeader = new QHBoxLayout;
    monitorHeader->setSpacing(6);
    monitorHeader->addWidget(SectionTitle(tr("NMEA monitor"), monitorBox));
    monitorHeader->addStretch(1);
    filterEdit_ = new QLineEdit(monitorBox);
    filterEdit_->setObjectName("edNMEA_UI");
    filterEdit_->setToolTip(Text(MainWindowModel::kFilterHint));
    filterEdit_->setPlaceholderText(tr("filter (empty for all messages)"));
    filterEdit_->setClearButtonEnabled(true);
    filterEdit_->setFixedWidth(260);
    filterEdit_->setFont(FixedFont(9));
    connect(filterEdit_, &QLineEdit::textChanged, this, &MainWindow::FilterTextChanged);
    monitorHeader->addWidget(filterEdit_);
    monitorLayout->addLayout(monitorHeader);
    monitorList_ = new MonitorListView(monitorBox);
    monitorList_->SetMonitorModel(monitorModel_);
    connect(monitorList_, &MonitorListView::ClearRequested, this,
            &MainWindow::MonitorClearRequested);
    monitorLayout->addWidget(monitorList_, 1);

    // The debug memo.
    auto* memoTitle = SectionTitle(tr("Debug"), leftBox);
    leftLayout->addWidget(memoTitle);
    memo_ = new QPlainTextEdit(leftBox);
    memo_->setObjectName("mmDebug");
    memo_->setReadOnly(true);
    memo_->setMaximumBlockCount(static_cast<int>(DebugMemo::kMaxLines));
    memo_->setFont(FixedFont(8));
    memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    memo_->setMinimumHeight(kMemoMinHeightPx);
    QPalette memoColours = memo_->palette();
    memoColours.setColor(QPalette::Base, ToColor(kDebugMemoBackground));
    memoColours.setColor(QPalette::Text, ToColor(kDebugMemoText));
    memo_->setPalette(memoColours);
    leftLayout->addWidget(memo_, 1);

    bottom->addWidget(leftBox);
    bottom->addWidget(monitorBox, 1);
    rows->addLayout(bottom, 1);

    outer->addWidget(body, 1);
    statusBar_ = new StatusBarWidget(model_.StatusBar(), centre);
    connect(statusBar_, &StatusBarWidget::PanelDoubleClicked, this,
            &MainWindow::StatusPanelDoubleClicked);
    connect(statusBar_, &StatusBarWidget::PanelClicked, this, &MainWindow::StatusPanelClicked);
    outer->addWidget(statusBar_);
    setCentralWidget(centre);
}

void MainWindow::ApplyInitialGeometry() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen != nullptr ? screen->geometry() : QRect(0, 0, 1366, 768);
    const WindowGeometry geometry = InitialWindowGeometry(available.height());
    resize(geometry.Width, geometry.Height);
    if (geometry.Top) move(x(), available.top() + *geometry.Top);
}

void MainWindow::ApplyPlacement(const WindowPlacement& saved) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available =
        screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1366, 768);
    const WindowPlacement fitted = FitWindowPlacement(
        saved, ScreenRect{available.x(), available.y(), available.width(), available.height()});
    setGeometry(fitted.Area.Left, fitted.Area.Top, fitted.Area.Width, fitted.Area.Height);
    if (fitted.Maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

WindowPlacement MainWindow::CurrentPlacement() const {
    // A maximised window keeps the place it comes back to.
    const QRect area = isMaximized() ? normalGeometry() : geometry();
    return WindowPlacement{ScreenRect{area.x(), area.y(), area.width(), area.height()},
                           isMaximized()};
}

void MainWindow::ScheduleRefresh() {
    if (refreshScheduled_) return;
    refreshScheduled_ = true;
    QTimer::singleShot(0, this, [this] { RefreshFromModel(); });
}

void MainWindow::RefreshFromModel() {
    refreshScheduled_ = false;
    setWindowTitle(QString::fromStdString(model_.Caption()));

    for (const ToolButtonState& state : model_.Buttons()) {
        const auto slot = static_cast<std::size_t>(state.Id);
        QToolButton* button = buttons_[slot];
        button->setToolTip(QString::fromStdString(state.Hint));
        button->setEnabled(state.Enabled);
        // A widget on a toolbar is shown and hidden through its action.
        buttonActions_[slot]->setVisible(state.Visible);
        if (state.Id == ToolButton::FactoryReset) {
            receiverRateBox_->setEnabled(model_.ReceiverRateEnabled());
            receiverRateApply_->setEnabled(model_.ReceiverRateEnabled());
        }
        if (state.Checkable) button->setChecked(state.Down);
        if (iconDown_[slot] != state.Down) {
            iconDown_[slot] = state.Down;
            button->setIcon(ToolIcon(state.Id, state.Down));
        }
    }

    // The boxes: their items and texts come from the model; signals stay quiet meanwhile.
    {
        const QSignalBlocker portBlock(portBox_);
        const ChoiceList& ports = model_.Ports();
        QStringList items;
        for (const std::string& item : ports.Items()) items << QString::fromStdString(item);
        QStringList shown;
        for (int i = 0; i < portBox_->count(); ++i) shown << portBox_->itemText(i);
        if (shown != items) {
            portBox_->clear();
            portBox_->addItems(items);
        }
        // Setting an unchanged index or text would still repaint the box (and the toolbar).
        if (portBox_->currentIndex() != ports.Selected()) {
            portBox_->setCurrentIndex(ports.Selected());
        }
        const QString text = QString::fromStdString(ports.Text());
        if (portBox_->currentText() != text) portBox_->setEditText(text);
    }
    {
        const QSignalBlocker baudBlock(baudBox_);
        const ChoiceList& rates = model_.BaudRates();
        if (baudBox_->count() != static_cast<int>(rates.Items().size())) {
            baudBox_->clear();
            for (const std::string& item : rates.Items()) {
                baudBox_->addItem(QString::fromStdString(item));
            }
        }
        if (baudBox_->currentIndex() != rates.Selected())
            baudBox_->setCurrentIndex(rates.Selected());
    }
    if (QAbstractButton* unit = unitButtons_->button(model_.UnitIndex())) {
        const QSignalBlocker unitBlock(unitButtons_);
        unit->setChecked(true);
    }

    statusBar_->Refresh();
    portEvents_->Refresh(model_.PortEvents(), this);
}

void MainWindow::SyncMonitor() {
    monitorModel_->Sync();
}

void MainWindow::SyncDebugMemo() {
    const DebugMemo::Changes changes = debugMemo_.TakeChanges();
    const auto& lines = debugMemo_.Lines();
    if (changes.Reset) {
        memo_->clear();
        for (const std::string& line : lines) memo_->appendPlainText(QString::fromStdString(line));
        return;
    }
    for (std::size_t i = lines.size() - changes.Appended; i < lines.size(); ++i) {
        memo_->appendPlainText(QString::fromStdString(lines[i]));
    }
}

QToolButton* MainWindow::ToolButtonOf(ToolButton id) const {
    return buttons_[static_cast<std::size_t>(id)];
}

void MainWindow::closeEvent(QCloseEvent* event) {
    emit Closing();
    syncTimer_->stop();
    aboutBox_->hide();
    portEvents_->hide();
    event->accept();
}

}  // namespace gnss::ui
