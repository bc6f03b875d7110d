#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <array>
#include <cstdint>

#include "views/campaign_view_model.h"

class QBarCategoryAxis;
class QBarSet;
class QChart;
class QChartView;
class QCheckBox;
class QLabel;
class QPushButton;
class QScatterSeries;
class QSpinBox;
class QStackedBarSeries;
class QTableView;
class QTableWidget;
class QValueAxis;

namespace gnss::ui {

// The run table's rows, read from the campaign view model when a cell is painted. New runs are
// appended (no reset per run); only a new campaign starts the table over.
class CampaignTableModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit CampaignTableModel(const CampaignViewModel& model, QObject* parent = nullptr);

    // Takes the rows the campaign finished since the last call; true when rows were added.
    bool SyncRows();

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

  private:
    const CampaignViewModel& model_;
    int shown_ = 0;
    uint64_t generation_ = 0;
};

// The campaign window: a tool window of its own (non-modal) with the settings, Start / Stop,
// the run table, the summary per kind, the TTFF histogram and the run-by-run chart, and the
// exports. It paints the CampaignViewModel and reports the user's input to it; repaints are
// coalesced, and only the rows and points not yet shown are added.
class CampaignWindow final : public QWidget, private ViewChangeListener {
    Q_OBJECT
  public:
    static constexpr int kRepaintCoalesceMs = 100;

    explicit CampaignWindow(CampaignViewModel& model, QWidget* parent = nullptr);
    ~CampaignWindow() override;

    // Shows the window (placed beside `owner` the first time) and brings it to the front.
    void ShowBeside(const QWidget* owner);
    // Repaints from the model.
    void Refresh();

    [[nodiscard]] QCheckBox* KindBox(RestartKind kind) const;
    [[nodiscard]] QSpinBox* RunsBox() const { return runs_; }
    [[nodiscard]] QSpinBox* TimeoutBox() const { return timeout_; }
    [[nodiscard]] QSpinBox* PauseBox() const { return pause_; }
    [[nodiscard]] QCheckBox* StopOnFailureBox() const { return stopOnFailure_; }
    [[nodiscard]] QPushButton* StartButton() const { return start_; }
    [[nodiscard]] QPushButton* StopButton() const { return stop_; }
    [[nodiscard]] QPushButton* ExportCsvButton() const { return exportCsv_; }
    [[nodiscard]] QPushButton* ExportJsonButton() const { return exportJson_; }
    [[nodiscard]] QTableView* RunTable() const { return table_; }
    [[nodiscard]] QTableWidget* SummaryTable() const { return summary_; }
    [[nodiscard]] QLabel* StatusLabel() const { return status_; }
    [[nodiscard]] QChartView* HistogramView() const { return histogramView_; }
    [[nodiscard]] QChartView* RunChartView() const { return runChartView_; }

  private:
    void OnViewChanged() override;
    QWidget* BuildSettings();
    QWidget* BuildCharts();
    void WireInput();
    void RefreshControls();
    void RefreshSummary();
    void RefreshHistogram();
    void RefreshRunChart(bool restart);

    CampaignViewModel& model_;
    bool refreshPending_ = false;
    bool placed_ = false;
    uint64_t generationShown_ = 0;
    int pointsShown_ = 0;
    int summaryRowsShown_ = -1;

    std::array<QCheckBox*, 4> kinds_{};
    QSpinBox* runs_ = nullptr;
    QSpinBox* timeout_ = nullptr;
    QSpinBox* pause_ = nullptr;
    QCheckBox* stopOnFailure_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* exportCsv_ = nullptr;
    QPushButton* exportJson_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* exportMessage_ = nullptr;
    CampaignTableModel* tableModel_ = nullptr;
    QTableView* table_ = nullptr;
    QTableWidget* summary_ = nullptr;

    QChartView* histogramView_ = nullptr;
    QStackedBarSeries* histogramSeries_ = nullptr;
    std::array<QBarSet*, 4> histogramSets_{};
    QBarCategoryAxis* histogramBins_ = nullptr;
    QValueAxis* histogramCounts_ = nullptr;

    QChartView* runChartView_ = nullptr;
    std::array<QScatterSeries*, 4> runSeries_{};
    QScatterSeries* failureSeries_ = nullptr;
    QValueAxis* runAxis_ = nullptr;
    QValueAxis* ttffAxis_ = nullptr;
    double ttffMaxS_ = 0.0;
};

}  // namespace gnss::ui
