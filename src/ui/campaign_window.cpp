#include "ui/campaign_window.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScatterSeries>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedBarSeries>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "ui/ui_style.h"

namespace gnss::ui {

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::size_t KindIndex(RestartKind kind) {
    const auto found = std::find(kCampaignKinds.begin(), kCampaignKinds.end(), kind);
    return static_cast<std::size_t>(found - kCampaignKinds.begin());
}

constexpr int kChartMinimumHeight = 260;

QChart* NewChart(const QString& title) {
    auto* chart = new QChart();
    chart->setTitle(title);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setBackgroundRoundness(0);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setAnimationOptions(QChart::NoAnimation);
    return chart;
}

}  // namespace

// --- the run table ---

CampaignTableModel::CampaignTableModel(const CampaignViewModel& model, QObject* parent)
    : QAbstractTableModel(parent), model_(model) {}

bool CampaignTableModel::SyncRows() {
    if (generation_ != model_.TableGeneration() || model_.RowCount() < shown_) {
        beginResetModel();
        generation_ = model_.TableGeneration();
        shown_ = 0;
        endResetModel();
    }
    const int available = model_.RowCount();
    if (available == shown_) return false;
    beginInsertRows(QModelIndex(), shown_, available - 1);
    shown_ = available;
    endInsertRows();
    // Every new fix moves the campaign's median position, so the distances of earlier rows
    // change; the view repaints only the cells it shows.
    const int distance = static_cast<int>(CampaignColumn::Distance);
    emit dataChanged(index(0, distance), index(shown_ - 1, distance), {Qt::DisplayRole});
    return true;
}

int CampaignTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int CampaignTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kCampaignColumnCount);
}

QVariant CampaignTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shown_) return {};
    const auto column = static_cast<CampaignColumn>(index.column());
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(model_.CellText(index.row(), column));
        case Qt::BackgroundRole:
            return ToColor(model_.RowColor(index.row()));
        case Qt::TextAlignmentRole:
            return CampaignColumnOf(column).RightAligned
                       ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                       : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant CampaignTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(kCampaignColumnCount)) {
        return {};
    }
    const CampaignColumnInfo& info = CampaignColumnOf(static_cast<CampaignColumn>(section));
    if (role == Qt::DisplayRole) return Text(info.Title);
    if (role == Qt::ToolTipRole) return Text(info.ToolTip);
    return {};
}

// --- the window ---

CampaignWindow::CampaignWindow(CampaignViewModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(model) {
    setObjectName("CampaignWindow");
    setWindowTitle(Text(CampaignViewModel::kWindowTitle));
    resize(1240, 800);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(BuildSettings());

    auto* statusRow = new QHBoxLayout();
    status_ = new QLabel(this);
    status_->setObjectName("lblCampaignStatus");
    status_->setFont(SansFont(10, true));
    statusRow->addWidget(status_, 1);
    exportMessage_ = new QLabel(this);
    exportMessage_->setObjectName("lblCampaignExport");
    exportMessage_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    exportMessage_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    exportMessage_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusRow->addWidget(exportMessage_, 1);
    layout->addLayout(statusRow);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    tableModel_ = new CampaignTableModel(model_, this);
    table_ = new QTableView(splitter);
    table_->setObjectName("tblCampaignRuns");
    table_->setModel(tableModel_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setVisible(false);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    table_->horizontalHeader()->setStretchLastSection(true);
    const int charWidth = fontMetrics().averageCharWidth();
    for (std::size_t i = 0; i < kCampaignColumnCount; ++i) {
        const CampaignColumnInfo& info = CampaignColumnOf(static_cast<CampaignColumn>(i));
        const int titleWidth = fontMetrics().horizontalAdvance(Text(info.Title)) + 16;
        table_->setColumnWidth(static_cast<int>(i),
                               std::max(info.WidthChars * charWidth + 12, titleWidth));
    }
    splitter->addWidget(table_);

    auto* lower = new QWidget(splitter);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    summary_ = new QTableWidget(0, static_cast<int>(kSummaryTitles.size()), lower);
    summary_->setObjectName("tblCampaignSummary");
    QStringList titles;
    for (std::string_view title : kSummaryTitles) titles << Text(title);
    summary_->setHorizontalHeaderLabels(titles);
    summary_->verticalHeader()->setVisible(false);
    summary_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    summary_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    summary_->setSelectionMode(QAbstractItemView::NoSelection);
    summary_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    summary_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    summary_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // Room for the title and one row per restart kind.
    summary_->setFixedHeight(
        summary_->horizontalHeader()->sizeHint().height() +
        static_cast<int>(kCampaignKinds.size()) * (fontMetrics().height() + 4) + 4);
    lowerLayout->addWidget(summary_);
    lowerLayout->addWidget(BuildCharts(), 1);
    splitter->addWidget(lower);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({280, 420});
    layout->addWidget(splitter, 1);

    WireInput();
    model_.SetChangeListener(this);
    Refresh();
}

CampaignWindow::~CampaignWindow() {
    model_.SetChangeListener(nullptr);
}

QWidget* CampaignWindow::BuildSettings() {
    auto* box = new QGroupBox(tr("Campaign"), this);
    auto* row = new QHBoxLayout(box);

    auto* kindsColumn = new QVBoxLayout();
    kindsColumn->addWidget(new QLabel(tr("Restart kinds (in turn):"), box));
    auto* kindsRow = new QHBoxLayout();
    for (std::size_t i = 0; i < kCampaignKinds.size(); ++i) {
        auto* check = new QCheckBox(Text(RestartKindName(kCampaignKinds[i])), box);
        check->setObjectName("cbKind" + Text(RestartKindName(kCampaignKinds[i])));
        kinds_[i] = check;
        kindsRow->addWidget(check);
    }
    kindsColumn->addLayout(kindsRow);
    stopOnFailure_ = new QCheckBox(tr("Stop on first failure"), box);
    stopOnFailure_->setObjectName("cbStopOnFailure");
    kindsColumn->addWidget(stopOnFailure_);
    row->addLayout(kindsColumn);
    row->addSpacing(16);

    auto* form = new QFormLayout();
    runs_ = new QSpinBox(box);
    runs_->setObjectName("spRuns");
    runs_->setRange(1, CampaignSettings::kMaxRuns);
    form->addRow(tr("Runs:"), runs_);
    timeout_ = new QSpinBox(box);
    timeout_->setObjectName("spTimeout");
    timeout_->setRange(1, CampaignViewModel::kMaxTimeoutS);
    timeout_->setSuffix(tr(" s"));
    form->addRow(tr("Timeout per run:"), timeout_);
    pause_ = new QSpinBox(box);
    pause_->setObjectName("spPause");
    pause_->setRange(0, CampaignViewModel::kMaxPauseS);
    pause_->setSuffix(tr(" s"));
    form->addRow(tr("Pause after each fix:"), pause_);
    row->addLayout(form);
    row->addStretch(1);

    auto* buttons = new QVBoxLayout();
    auto* runButtons = new QHBoxLayout();
    start_ = new QPushButton(tr("Start"), box);
    start_->setObjectName("btnCampaignStart");
    start_->setMinimumWidth(90);
    stop_ = new QPushButton(tr("Stop"), box);
    stop_->setObjectName("btnCampaignStop");
    stop_->setMinimumWidth(90);
    runButtons->addWidget(start_);
    runButtons->addWidget(stop_);
    buttons->addLayout(runButtons);
    auto* exportButtons = new QHBoxLayout();
    exportCsv_ = new QPushButton(tr("Export CSV..."), box);
    exportCsv_->setObjectName("btnCampaignCsv");
    exportJson_ = new QPushButton(tr("Export JSON..."), box);
    exportJson_->setObjectName("btnCampaignJson");
    exportButtons->addWidget(exportCsv_);
    exportButtons->addWidget(exportJson_);
    buttons->addLayout(exportButtons);
    buttons->addStretch(1);
    row->addLayout(buttons);
    return box;
}

QWidget* CampaignWindow::BuildCharts() {
    auto* charts = new QWidget(this);
    auto* layout = new QHBoxLayout(charts);
    layout->setContentsMargins(0, 0, 0, 0);

    QChart* histogram = NewChart(tr("TTFF histogram"));
    histogramSeries_ = new QStackedBarSeries(histogram);
    histogramSeries_->setBarWidth(0.9);
    for (std::size_t i = 0; i < kCampaignKinds.size(); ++i) {
        histogramSets_[i] = new QBarSet(Text(RestartKindName(kCampaignKinds[i])));
        histogramSets_[i]->setColor(ToColor(CampaignKindColor(kCampaignKinds[i])));
        histogramSeries_->append(histogramSets_[i]);
    }
    histogram->addSeries(histogramSeries_);
    histogramBins_ = new QBarCategoryAxis(histogram);
    histogramBins_->setTitleText(tr("TTFF (s), lower edge of each bin"));
    histogramCounts_ = new QValueAxis(histogram);
    histogramCounts_->setLabelFormat("%d");
    histogramCounts_->setTitleText(tr("Runs"));
    histogram->addAxis(histogramBins_, Qt::AlignBottom);
    histogram->addAxis(histogramCounts_, Qt::AlignLeft);
    histogramSeries_->attachAxis(histogramBins_);
    histogramSeries_->attachAxis(histogramCounts_);
    histogramView_ = new QChartView(histogram, charts);
    histogramView_->setObjectName("chartCampaignHistogram");
    histogramView_->setRenderHint(QPainter::Antialiasing);
    histogramView_->setMinimumHeight(kChartMinimumHeight);
    layout->addWidget(histogramView_);

    QChart* runChart = NewChart(tr("TTFF per run"));
    runAxis_ = new QValueAxis(runChart);
    runAxis_->setLabelFormat("%d");
    runAxis_->setTitleText(tr("Run"));
    ttffAxis_ = new QValueAxis(runChart);
    ttffAxis_->setTitleText(tr("TTFF (s)"));
    runChart->addAxis(runAxis_, Qt::AlignBottom);
    runChart->addAxis(ttffAxis_, Qt::AlignLeft);
    auto addSeries = [&](const QString& name, QColor color, QScatterSeries::MarkerShape shape) {
        auto* series = new QScatterSeries(runChart);
        series->setName(name);
        series->setColor(color);
        series->setBorderColor(color);
        series->setMarkerShape(shape);
        series->setMarkerSize(8);
        runChart->addSeries(series);
        series->attachAxis(runAxis_);
        series->attachAxis(ttffAxis_);
        return series;
    };
    for (std::size_t i = 0; i < kCampaignKinds.size(); ++i) {
        runSeries_[i] = addSeries(Text(RestartKindName(kCampaignKinds[i])),
                                  ToColor(CampaignKindColor(kCampaignKinds[i])),
                                  QScatterSeries::MarkerShapeCircle);
    }
    failureSeries_ = addSeries(tr("failure"), ToColor(kCampaignFailureColor),
                               QScatterSeries::MarkerShapeRectangle);
    runChartView_ = new QChartView(runChart, charts);
    runChartView_->setObjectName("chartCampaignRuns");
    runChartView_->setRenderHint(QPainter::Antialiasing);
    runChartView_->setMinimumHeight(kChartMinimumHeight);
    layout->addWidget(runChartView_);
    return charts;
}

void CampaignWindow::WireInput() {
    for (std::size_t i = 0; i < kCampaignKinds.size(); ++i) {
        const RestartKind kind = kCampaignKinds[i];
        connect(kinds_[i], &QCheckBox::toggled, this,
                [this, kind](bool on) { model_.SetKindChosen(kind, on); });
    }
    connect(runs_, &QSpinBox::valueChanged, this, [this](int n) { model_.SetRunCount(n); });
    connect(timeout_, &QSpinBox::valueChanged, this, [this](int s) { model_.SetTimeoutS(s); });
    connect(pause_, &QSpinBox::valueChanged, this, [this](int s) { model_.SetPauseS(s); });
    connect(stopOnFailure_, &QCheckBox::toggled, this,
            [this](bool on) { model_.SetStopOnFirstFailure(on); });
    connect(start_, &QPushButton::clicked, this, [this] { model_.StartPressed(); });
    connect(stop_, &QPushButton::clicked, this, [this] { model_.StopPressed(); });
    connect(exportCsv_, &QPushButton::clicked, this, [this] { model_.ExportCsvPressed(); });
    connect(exportJson_, &QPushButton::clicked, this, [this] { model_.ExportJsonPressed(); });
}

QCheckBox* CampaignWindow::KindBox(RestartKind kind) const {
    return kinds_[KindIndex(kind)];
}

void CampaignWindow::ShowBeside(const QWidget* owner) {
    if (!placed_ && owner != nullptr) {
        const QRect frame = owner->frameGeometry();
        move(frame.left() + 40, frame.top() + 40);
        placed_ = true;
    }
    Refresh();
    show();
    raise();
    activateWindow();
}

void CampaignWindow::OnViewChanged() {
    if (refreshPending_) return;
    refreshPending_ = true;
    QTimer::singleShot(kRepaintCoalesceMs, this, [this] {
        refreshPending_ = false;
        Refresh();
    });
}

void CampaignWindow::Refresh() {
    RefreshControls();
    const bool newCampaign = generationShown_ != model_.TableGeneration();
    generationShown_ = model_.TableGeneration();
    QScrollBar* scroll = table_->verticalScrollBar();
    const bool atBottom = scroll->value() >= scroll->maximum() - 2;
    const bool rowsAdded = tableModel_->SyncRows();
    if (rowsAdded && atBottom) table_->scrollToBottom();
    if (rowsAdded || newCampaign || summaryRowsShown_ < 0) {
        RefreshSummary();
        RefreshHistogram();
        RefreshRunChart(newCampaign);
    }
}

void CampaignWindow::RefreshControls() {
    const CampaignControls controls = model_.Controls();
    for (std::size_t i = 0; i < kCampaignKinds.size(); ++i) {
        const QSignalBlocker block(kinds_[i]);
        kinds_[i]->setChecked(model_.KindChosen(kCampaignKinds[i]));
        kinds_[i]->setEnabled(controls.KindEnabled[i]);
    }
    const auto showValue = [](QSpinBox* box, int value, bool enabled) {
        const QSignalBlocker block(box);
        if (box->value() != value) box->setValue(value);
        box->setEnabled(enabled);
    };
    showValue(runs_, model_.RunCount(), controls.SettingsEnabled);
    showValue(timeout_, model_.TimeoutS(), controls.SettingsEnabled);
    showValue(pause_, model_.PauseS(), controls.SettingsEnabled);
    {
        const QSignalBlocker block(stopOnFailure_);
        stopOnFailure_->setChecked(model_.StopOnFirstFailure());
        stopOnFailure_->setEnabled(controls.SettingsEnabled);
    }
    start_->setEnabled(controls.StartEnabled);
    stop_->setEnabled(controls.StopEnabled);
    exportCsv_->setEnabled(controls.ExportEnabled);
    exportJson_->setEnabled(controls.ExportEnabled);
    status_->setText(QString::fromStdString(model_.StatusText()));
    exportMessage_->setText(QString::fromStdString(model_.ExportMessage()));
}

void CampaignWindow::RefreshSummary() {
    const auto& rows = model_.SummaryRows();
    summary_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(rows[r][c]));
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
            summary_->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    summaryRowsShown_ = static_cast<int>(rows.size());
}

void CampaignWindow::RefreshHistogram() {
    const TtffHistogram& histogram = model_.Histogram();
    QStringList labels;
    for (const HistogramBin& bin : histogram.Bins) labels << QString::fromStdString(bin.Label);
    for (std::size_t k = 0; k < histogramSets_.size(); ++k) {
        QList<qreal> counts;
        for (const HistogramBin& bin : histogram.Bins) counts << bin.Counts[k];
        histogramSets_[k]->remove(0, histogramSets_[k]->count());
        histogramSets_[k]->append(counts);
    }
    histogramBins_->setCategories(labels);
    const int top = std::max(histogram.MaxCount, 1);
    histogramCounts_->setRange(0, top);
    histogramCounts_->setTickCount(std::min(top, 5) + 1);
}

void CampaignWindow::RefreshRunChart(bool restart) {
    if (restart) {
        for (QScatterSeries* series : runSeries_) series->clear();
        failureSeries_->clear();
        pointsShown_ = 0;
        ttffMaxS_ = 0.0;
    }
    const int rows = model_.RowCount();
    for (; pointsShown_ < rows; ++pointsShown_) {
        const RunPoint point = model_.PointOf(pointsShown_);
        if (point.Fix) {
            runSeries_[KindIndex(point.Kind)]->append(point.Number, point.TtffS);
            ttffMaxS_ = std::max(ttffMaxS_, point.TtffS);
        } else {
            failureSeries_->append(point.Number, 0.0);
        }
    }
    // Whole runs: ticks every 1, 2 or 5 times a power of ten, at most about ten of them.
    const int planned = std::max(model_.PlannedRuns(), 1);
    int step = 1;
    for (int decade = 1; step * 10 < planned; decade *= 10) {
        for (int factor : {1, 2, 5}) {
            step = factor * decade;
            if (step * 10 >= planned) break;
        }
    }
    runAxis_->setTickType(QValueAxis::TicksDynamic);
    runAxis_->setTickAnchor(0);
    runAxis_->setTickInterval(step);
    runAxis_->setRange(0, ((planned + step) / step) * step);
    ttffAxis_->setRange(0.0, ttffMaxS_ > 0.0 ? ttffMaxS_ * 1.15 : 10.0);
    ttffAxis_->applyNiceNumbers();
}

}  // namespace gnss::ui
