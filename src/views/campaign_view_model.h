#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_dialogs.h"
#include "control/receiver_restart.h"
#include "testruns/ttff_campaign.h"
#include "views/view_change_listener.h"

namespace gnss {

using Rgb = uint32_t;

// The columns of the run table, in the order shown.
enum class CampaignColumn : uint8_t {
    Number,
    Kind,
    Start,
    Ack,
    AckDelay,
    FixDropped,
    TtffFromAck,
    TtffFromCommand,
    Quality,
    Satellites,
    Hdop,
    Position,
    Distance,
    Outcome,
};
inline constexpr std::size_t kCampaignColumnCount = 14;

struct CampaignColumnInfo {
    std::string_view Title;
    std::string_view ToolTip;
    bool RightAligned = false;
    int WidthChars = 8;  // a starting width for the column, in average characters
};
[[nodiscard]] const CampaignColumnInfo& CampaignColumnOf(CampaignColumn column);

// The restart kinds a campaign can take, in the order the window lists (and runs) them.
inline constexpr std::array<RestartKind, 4> kCampaignKinds = {
    RestartKind::Hot, RestartKind::Warm, RestartKind::Cold, RestartKind::Factory};

// One cell of the run table.
[[nodiscard]] std::string CampaignCellText(const CampaignRun& run, CampaignColumn column);
// The row's background: pale green for a fix, pale red for a failure, grey when not sent.
[[nodiscard]] Rgb CampaignRowColor(RunOutcome outcome);
// The colour of a restart kind in the charts.
[[nodiscard]] Rgb CampaignKindColor(RestartKind kind);
inline constexpr Rgb kCampaignFailureColor = 0xC62828;

// The summary table: a title row and one row of texts per kind (seconds with one decimal).
inline constexpr std::array<std::string_view, 9> kSummaryTitles = {
    "Kind", "Runs", "Fixes", "Failures", "Min (s)", "Median (s)", "Mean (s)", "P95 (s)", "Max (s)"};
[[nodiscard]] std::vector<std::string> SummaryRowTexts(const KindSummary& summary);

// The TTFF histogram: bins of a round width (1, 2 or 5 times a power of ten seconds) chosen so
// that the fixes fill at most `maxBins` bins, counted per restart kind (index as kCampaignKinds).
struct HistogramBin {
    double FromS = 0.0;
    double ToS = 0.0;
    std::string Label;  // the lower edge: "34" (bins of 0.5 s and less: "34.5")
    std::array<int, 4> Counts{};
};
struct TtffHistogram {
    double BinWidthS = 0.0;
    std::vector<HistogramBin> Bins;
    int MaxCount = 0;  // the tallest stack
};
[[nodiscard]] TtffHistogram BuildTtffHistogram(const std::vector<CampaignRun>& runs,
                                               int maxBins = 20);

// A point of the run-by-run chart: the run's TTFF in seconds, or a failure drawn on the axis.
struct RunPoint {
    int Number = 0;
    RestartKind Kind = RestartKind::Cold;
    bool Fix = false;
    double TtffS = 0.0;
};
[[nodiscard]] RunPoint RunPointOf(const CampaignRun& run);

// Which controls of the window take input.
struct CampaignControls {
    std::array<bool, 4> KindEnabled{};  // index as kCampaignKinds
    bool SettingsEnabled = false;       // runs, timeout, pause, stop on failure
    bool StartEnabled = false;
    bool StopEnabled = false;
    bool ExportEnabled = false;
};

// The campaign window's model: the settings form, the controls' states, the run table (rows
// read straight from the campaign, so that a window appends only the rows it has not shown),
// the summary per kind, the histogram, the run chart's points, the status line and the exports.
class CampaignViewModel final : public CampaignListener {
  public:
    static constexpr int kMaxTimeoutS = 3600;
    static constexpr int kMaxPauseS = 600;
    static constexpr int kHistogramBins = 12;
    static constexpr std::string_view kWindowTitle = "TTFF campaign";

    struct Deps {
        TtffCampaign& Campaign;
        const ReceiverRestart& Restart;
        FileDialogs& Dialogs;
    };
    explicit CampaignViewModel(const Deps& deps);

    void SetChangeListener(ViewChangeListener* listener) { listener_ = listener; }

    // --- the settings form ---
    [[nodiscard]] bool KindChosen(RestartKind kind) const;
    void SetKindChosen(RestartKind kind, bool chosen);
    [[nodiscard]] int RunCount() const { return runs_; }
    void SetRunCount(int runs);  // clamped to 1 .. 10,000
    [[nodiscard]] int TimeoutS() const { return timeoutS_; }
    void SetTimeoutS(int seconds);  // clamped to 1 .. kMaxTimeoutS
    [[nodiscard]] int PauseS() const { return pauseS_; }
    void SetPauseS(int seconds);  // clamped to 0 .. kMaxPauseS
    [[nodiscard]] bool StopOnFirstFailure() const { return stopOnFailure_; }
    void SetStopOnFirstFailure(bool on);
    // The form as the campaign takes it.
    [[nodiscard]] CampaignSettings ChosenSettings() const;

    // --- what the window shows ---
    [[nodiscard]] CampaignControls Controls() const;
    // The toolbar's menu entry that opens the window: once the receiver can take a campaign,
    // and while one runs.
    [[nodiscard]] bool MenuEntryEnabled() const;
    // The runs of the campaign shown (or of the form before the first one).
    [[nodiscard]] int PlannedRuns() const;
    [[nodiscard]] std::string StatusText() const;
    // Changes whenever the table starts over (a new campaign): the window drops its rows.
    [[nodiscard]] uint64_t TableGeneration() const { return generation_; }
    [[nodiscard]] int RowCount() const;
    [[nodiscard]] std::string CellText(int row, CampaignColumn column) const;
    [[nodiscard]] Rgb RowColor(int row) const;
    [[nodiscard]] RunPoint PointOf(int row) const;
    [[nodiscard]] const std::vector<std::vector<std::string>>& SummaryRows() const {
        return summaryRows_;
    }
    [[nodiscard]] const TtffHistogram& Histogram() const { return histogram_; }
    // The last export's result ("Saved 20 runs to ..." or why it failed); empty before.
    [[nodiscard]] const std::string& ExportMessage() const { return exportMessage_; }

    // --- what the user does ---
    void StartPressed();
    void StopPressed();
    void ExportCsvPressed() { Export(false); }
    void ExportJsonPressed() { Export(true); }

    // CampaignListener
    void OnRunStarted(int number, RestartKind kind) override;
    void OnRunFinished(const CampaignRun& run) override;
    void OnCampaignFinished() override;

  private:
    void Export(bool json);
    void Recompute();
    void Changed();

    Deps deps_;
    std::array<bool, 4> kinds_{false, false, true, false};
    int runs_ = 20;
    int timeoutS_ = 300;
    int pauseS_ = 5;
    bool stopOnFailure_ = false;
    uint64_t generation_ = 0;
    bool stoppedByUser_ = false;
    bool finished_ = false;
    RestartKind currentKind_ = RestartKind::Cold;
    std::vector<std::vector<std::string>> summaryRows_;
    TtffHistogram histogram_;
    std::string exportMessage_;
    ViewChangeListener* listener_ = nullptr;
};

}  // namespace gnss
