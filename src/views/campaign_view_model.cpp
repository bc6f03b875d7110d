#include "views/campaign_view_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace gnss {

namespace {

constexpr std::array<CampaignColumnInfo, kCampaignColumnCount> kColumns = {{
    {"#", "Run number", true, 5},
    {"Kind", "Restart kind", false, 7},
    {"Start", "Wall-clock time the restart command went out", false, 9},
    {"Ack", "Acknowledgement seen (- when the family sends none)", false, 4},
    {"Ack delay (ms)", "From the command written to its acknowledgement", true, 9},
    {"Fix dropped", "The old fix went away after the restart", false, 6},
    {"TTFF (ms)",
     "From the acknowledgement to the first valid fix; * counted in whole seconds "
     "(no acknowledgement)",
     true, 9},
    {"From command (ms)", "From the command written to the first valid fix", true, 10},
    {"Quality", "Fix quality of the first fix", true, 5},
    {"Sats", "Satellites used in the first fix", true, 5},
    {"HDOP", "HDOP of the first fix", true, 5},
    {"Position", "Latitude, longitude of the first fix (degrees)", false, 25},
    {"From median (m)", "Distance from the median position of the campaign's fixes", true, 9},
    {"Outcome", "fix, timeout, no acknowledgement, link lost or not sent", false, 14},
}};

constexpr std::array<Rgb, 5> kOutcomeColors = {
    0xE8F5E9,  // fix
    0xFFEBEE,  // timeout
    0xFFEBEE,  // no acknowledgement
    0xFFF3E0,  // link lost
    0xEEEEEE,  // not sent
};

constexpr std::array<Rgb, 4> kKindColors = {0xE65100, 0x2E7D32, 0x1565C0, 0x6A1B9A};

std::size_t KindIndex(RestartKind kind) {
    for (std::size_t i = 0; i < kCampaignKinds.size(); ++i) {
        if (kCampaignKinds[i] == kind) return i;
    }
    return 2;
}

std::string Printed(const char* format, double value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Number(long long value) {
    return std::to_string(value);
}

// "1 run", "3 runs".
std::string Counted(int count, std::string_view one, std::string_view many) {
    return Number(count) + " " + std::string(count == 1 ? one : many);
}

std::string Seconds(double ms) {
    return Printed("%.1f", ms / 1000.0);
}

std::string ClockText(DateTime when) {
    const DateTimeParts parts = DecodeDateTime(when);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", parts.Hour, parts.Minute, parts.Second);
    return text;
}

std::string FileStamp(DateTime when) {
    const DateTimeParts parts = DecodeDateTime(when);
    char text[24];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", parts.Year, parts.Month,
                  parts.Day, parts.Hour, parts.Minute, parts.Second);
    return text;
}

// The smallest of 1, 2, 5 times a power of ten (seconds, at least 0.1) not below `atLeast`.
double RoundBinWidth(double atLeast) {
    double decade = 0.1;
    while (true) {
        for (double step : {1.0, 2.0, 5.0}) {
            if (step * decade >= atLeast - 1e-9) return step * decade;
        }
        decade *= 10.0;
    }
}

std::string BinLabel(double from, double width) {
    return Printed(width >= 1.0 ? "%.0f" : "%.1f", from);
}

}  // namespace

const CampaignColumnInfo& CampaignColumnOf(CampaignColumn column) {
    return kColumns[static_cast<std::size_t>(column)];
}

std::string CampaignCellText(const CampaignRun& run, CampaignColumn column) {
    const bool fix = run.Outcome == RunOutcome::Fix;
    switch (column) {
        case CampaignColumn::Number:
            return Number(run.Number);
        case CampaignColumn::Kind:
            return std::string(RestartKindName(run.Kind));
        case CampaignColumn::Start:
            return ClockText(run.Start);
        case CampaignColumn::Ack:
            if (!run.AckExpected) return "-";
            return run.AckSeen ? "yes" : "no";
        case CampaignColumn::AckDelay:
            return run.AckSeen ? Number(run.AckDelayMs) : "";
        case CampaignColumn::FixDropped:
            if (run.Outcome == RunOutcome::NotSent) return "";
            return run.FixDropped ? "yes" : "no";
        case CampaignColumn::TtffFromAck:
            if (!run.HasTtff) return "";
            return Number(run.TtffMs) + (run.TtffFromAck ? "" : "*");
        case CampaignColumn::TtffFromCommand:
            return run.HasTtff ? Number(run.FromCommandMs) : "";
        case CampaignColumn::Quality:
            return fix ? Number(run.FixQuality) : "";
        case CampaignColumn::Satellites:
            return fix ? Number(run.SatellitesUsed) : "";
        case CampaignColumn::Hdop:
            return fix ? Printed("%.1f", run.Hdop) : "";
        case CampaignColumn::Position:
            if (!run.HasPosition) return "";
            return Printed("%.6f", run.LatitudeDeg) + ", " + Printed("%.6f", run.LongitudeDeg);
        case CampaignColumn::Distance:
            return run.HasPosition ? Printed("%.1f", run.DistanceFromMedianM) : "";
        case CampaignColumn::Outcome:
            return std::string(RunOutcomeName(run.Outcome));
    }
    return "";
}

Rgb CampaignRowColor(RunOutcome outcome) {
    return kOutcomeColors[static_cast<std::size_t>(outcome)];
}

Rgb CampaignKindColor(RestartKind kind) {
    return kKindColors[KindIndex(kind)];
}

std::vector<std::string> SummaryRowTexts(const KindSummary& summary) {
    std::vector<std::string> row{std::string(RestartKindName(summary.Kind)), Number(summary.Runs),
                                 Number(summary.Fixes), Number(summary.Failures)};
    for (double ms :
         {summary.MinMs, summary.MedianMs, summary.MeanMs, summary.P95Ms, summary.MaxMs}) {
        row.push_back(summary.Fixes > 0 ? Seconds(ms) : "-");
    }
    return row;
}

TtffHistogram BuildTtffHistogram(const std::vector<CampaignRun>& runs, int maxBins) {
    TtffHistogram histogram;
    double lowS = 0.0;
    double highS = 0.0;
    bool any = false;
    for (const CampaignRun& run : runs) {
        if (run.Outcome != RunOutcome::Fix || !run.HasTtff) continue;
        const double s = run.TtffMs / 1000.0;
        lowS = any ? std::min(lowS, s) : s;
        highS = any ? std::max(highS, s) : s;
        any = true;
    }
    if (!any) return histogram;
    maxBins = std::max(maxBins, 1);
    double width = RoundBinWidth((highS - lowS) / maxBins);
    // The bins are aligned to multiples of the width; one more bin may be needed after that.
    while (std::floor(highS / width) - std::floor(lowS / width) + 1 > maxBins) {
        width = RoundBinWidth(width * 1.01);
    }
    const double first = std::floor(lowS / width);
    const int count = static_cast<int>(std::floor(highS / width) - first) + 1;
    histogram.BinWidthS = width;
    for (int i = 0; i < count; ++i) {
        HistogramBin bin;
        bin.FromS = (first + i) * width;
        bin.ToS = bin.FromS + width;
        bin.Label = BinLabel(bin.FromS, width);
        histogram.Bins.push_back(std::move(bin));
    }
    for (const CampaignRun& run : runs) {
        if (run.Outcome != RunOutcome::Fix || !run.HasTtff) continue;
        const int index = std::clamp(
            static_cast<int>(std::floor(run.TtffMs / 1000.0 / width) - first), 0, count - 1);
        ++histogram.Bins[static_cast<std::size_t>(index)].Counts[KindIndex(run.Kind)];
    }
    for (const HistogramBin& bin : histogram.Bins) {
        int stack = 0;
        for (int n : bin.Counts) stack += n;
        histogram.MaxCount = std::max(histogram.MaxCount, stack);
    }
    return histogram;
}

RunPoint RunPointOf(const CampaignRun& run) {
    RunPoint point;
    point.Number = run.Number;
    point.Kind = run.Kind;
    point.Fix = run.Outcome == RunOutcome::Fix && run.HasTtff;
    point.TtffS = point.Fix ? run.TtffMs / 1000.0 : 0.0;
    return point;
}

CampaignViewModel::CampaignViewModel(const Deps& deps) : deps_(deps) {
    deps_.Campaign.AddListener(*this);
}

bool CampaignViewModel::KindChosen(RestartKind kind) const {
    return kinds_[KindIndex(kind)];
}

void CampaignViewModel::SetKindChosen(RestartKind kind, bool chosen) {
    kinds_[KindIndex(kind)] = chosen;
    Changed();
}

void CampaignViewModel::SetRunCount(int runs) {
    runs_ = std::clamp(runs, 1, CampaignSettings::kMaxRuns);
    Changed();
}

void CampaignViewModel::SetTimeoutS(int seconds) {
    timeoutS_ = std::clamp(seconds, 1, kMaxTimeoutS);
    Changed();
}

void CampaignViewModel::SetPauseS(int seconds) {
    pauseS_ = std::clamp(seconds, 0, kMaxPauseS);
    Changed();
}

void CampaignViewModel::SetStopOnFirstFailure(bool on) {
    stopOnFailure_ = on;
    Changed();
}

CampaignSettings CampaignViewModel::ChosenSettings() const {
    CampaignSettings settings;
    settings.Kinds.clear();
    const CampaignControls controls = Controls();
    for (std::size_t i = 0; i < kCampaignKinds.size(); ++i) {
        if (kinds_[i] && controls.KindEnabled[i]) settings.Kinds.push_back(kCampaignKinds[i]);
    }
    settings.Runs = runs_;
    settings.TimeoutMs = static_cast<uint32_t>(timeoutS_) * 1000U;
    settings.PauseMs = static_cast<uint32_t>(pauseS_) * 1000U;
    settings.StopOnFirstFailure = stopOnFailure_;
    return settings;
}

CampaignControls CampaignViewModel::Controls() const {
    CampaignControls controls;
    const bool running = deps_.Campaign.Running();
    const ReceiverRestart::ButtonStates possible = deps_.Restart.Buttons();
    const std::array<bool, 4> kindPossible = {possible.Hot, possible.Warm, possible.Cold,
                                              possible.Factory};
    bool anyKind = false;
    for (std::size_t i = 0; i < kCampaignKinds.size(); ++i) {
        controls.KindEnabled[i] = !running && kindPossible[i];
        anyKind = anyKind || (kinds_[i] && kindPossible[i]);
    }
    controls.SettingsEnabled = !running;
    controls.StartEnabled = !running && anyKind && deps_.Campaign.CanStart();
    controls.StopEnabled = running;
    controls.ExportEnabled = !deps_.Campaign.Runs().empty();
    return controls;
}

bool CampaignViewModel::MenuEntryEnabled() const {
    return deps_.Campaign.Running() || deps_.Campaign.CanStart();
}

int CampaignViewModel::PlannedRuns() const {
    return generation_ > 0 ? deps_.Campaign.Settings().Runs : runs_;
}

std::string CampaignViewModel::StatusText() const {
    const TtffCampaign& campaign = deps_.Campaign;
    int fixes = 0;
    for (const CampaignRun& run : campaign.Runs()) fixes += run.Outcome == RunOutcome::Fix;
    const int done = static_cast<int>(campaign.Runs().size());
    const std::string tally =
        Counted(fixes, "fix", "fixes") + ", " + Counted(done - fixes, "failure", "failures");
    const std::string total = Number(campaign.Settings().Runs);
    if (campaign.Running()) {
        if (campaign.CurrentRun() > 0) {
            return "Run " + Number(campaign.CurrentRun()) + " of " + total + " (" +
                   std::string(RestartKindName(currentKind_)) + "): waiting for the fix - " + tally;
        }
        const std::string progress = " (" + Number(done) + " of " + total + " done) - " + tally;
        if (!campaign.CanStart()) return "Waiting for the receiver to come back" + progress;
        if (done >= campaign.Settings().Runs) return "Finishing" + progress;
        return "Waiting before the next run" + progress;
    }
    if (stoppedByUser_) return "Stopped after " + Counted(done, "run", "runs") + " - " + tally;
    if (finished_) return "Finished: " + Counted(done, "run", "runs") + " - " + tally;
    if (!campaign.CanStart()) {
        return "Connect a receiver and wait until it is identified to start a campaign.";
    }
    return "Ready: choose the restart kinds and press Start.";
}

int CampaignViewModel::RowCount() const {
    return static_cast<int>(deps_.Campaign.Runs().size());
}

std::string CampaignViewModel::CellText(int row, CampaignColumn column) const {
    if (row < 0 || row >= RowCount()) return "";
    return CampaignCellText(deps_.Campaign.Runs()[static_cast<std::size_t>(row)], column);
}

Rgb CampaignViewModel::RowColor(int row) const {
    if (row < 0 || row >= RowCount()) return CampaignRowColor(RunOutcome::NotSent);
    return CampaignRowColor(deps_.Campaign.Runs()[static_cast<std::size_t>(row)].Outcome);
}

RunPoint CampaignViewModel::PointOf(int row) const {
    if (row < 0 || row >= RowCount()) return {};
    return RunPointOf(deps_.Campaign.Runs()[static_cast<std::size_t>(row)]);
}

void CampaignViewModel::StartPressed() {
    if (!Controls().StartEnabled) return;
    if (!deps_.Campaign.Start(ChosenSettings())) return;
    ++generation_;
    stoppedByUser_ = false;
    finished_ = false;
    exportMessage_.clear();
    Recompute();
    Changed();
}

void CampaignViewModel::StopPressed() {
    if (!deps_.Campaign.Running()) return;
    stoppedByUser_ = true;
    deps_.Campaign.Stop();
    Recompute();
    Changed();
}

void CampaignViewModel::OnRunStarted(int /*number*/, RestartKind kind) {
    currentKind_ = kind;
    Changed();
}

void CampaignViewModel::OnRunFinished(const CampaignRun& /*run*/) {
    Recompute();
    Changed();
}

void CampaignViewModel::OnCampaignFinished() {
    finished_ = true;
    Recompute();
    Changed();
}

void CampaignViewModel::Recompute() {
    summaryRows_.clear();
    for (const KindSummary& summary : deps_.Campaign.Summary()) {
        summaryRows_.push_back(SummaryRowTexts(summary));
    }
    histogram_ = BuildTtffHistogram(deps_.Campaign.Runs(), kHistogramBins);
}

void CampaignViewModel::Export(bool json) {
    if (!Controls().ExportEnabled) return;
    const std::string extension = json ? "json" : "csv";
    const std::string filter = json ? "JSON file (*.json)|*.json|All files (*.*)|*.*"
                                    : "CSV file (*.csv)|*.csv|All files (*.*)|*.*";
    const std::string proposed =
        "ttff-campaign-" + FileStamp(deps_.Campaign.Started()) + "." + extension;
    const std::optional<std::string> path =
        deps_.Dialogs.ChooseSaveFile(proposed, filter, extension, "");
    if (!path) return;
    const std::string text = json ? CampaignJson(deps_.Campaign) : CampaignCsv(deps_.Campaign);
    std::ofstream out(*path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    exportMessage_ = out ? "Saved " + Counted(RowCount(), "run", "runs") + " to " + *path
                         : "Could not write " + *path;
    Changed();
}

void CampaignViewModel::Changed() {
    if (listener_ != nullptr) listener_->OnViewChanged();
}

}  // namespace gnss
