#include "views/nmea_monitor.h"

#include <utility>

#include "nmea/text_fields.h"
#include "nmea/time_text.h"

namespace gnss {

namespace {

// Identification replies hidden from the monitor during the first seconds after connecting.
constexpr std::array<std::string_view, 16> kQuietWindowTexts = {
    "inv format*",  "$PMDTVER,",    "$PSTM",        "$PMDC,",     "PMDC,201", "PMTK869",
    "PMTK705",      "PMTK001,353,", "PMDTGETSWVER", "PQTCM,V",    "PSRF125",  "$PSTMGETSWVER",
    "$PSRF101,0,0", "$PSTMVER,",    "$PUNV,START",  "$Fail,0*3E",
};

// Lines of the RTK_DF heading test that carry the tick count.
constexpr std::array<std::string_view, 2> kHeadingTestTexts = {"$DFX V0.", "$GPHDT"};

constexpr std::size_t kShortestShownLine = 10;
constexpr std::string_view kHeadingTickSeparator = "          @";

bool ContainsAny(std::string_view line, const auto& texts) {
    for (std::string_view text : texts) {
        if (Contains(line, text)) return true;
    }
    return false;
}

}  // namespace

uint8_t TmcSentenceKind(std::string_view line) {
    if (Trim(line).empty()) return 0;
    for (std::size_t kind = 1; kind < kMonitorTmcKinds.size(); ++kind) {
        if (Contains(line, kMonitorTmcKinds[kind].Text)) return static_cast<uint8_t>(kind);
    }
    return 0;
}

NmeaMonitor::NmeaMonitor(const Clock& clock, SharedState& shared, const ReceiverState& receiver,
                         LogLineSink& log, const ReceiverPort& port)
    : clock_(clock), shared_(shared), receiver_(receiver), log_(log), port_(port) {}

void NmeaMonitor::JoinSentenceChain(SentenceChain& chain) {
    chain.Register(ChainSlot::Monitor, [this](SentenceContext& ctx) {
        ctx.Shown = MonitorReceived(ctx.Line);
        return ChainStep::Continue;
    });
}

void NmeaMonitor::OnSentenceDecoded(SentenceKind kind, std::string_view) {
    if (kind != SentenceKind::None) MarkNewSentence();
}

void NmeaMonitor::SetFilterText(std::string_view text) {
    filter_ = ToUpperAscii(Trim(text));
    filterActive_ = !filter_.empty() && filter_ != "ALL";
}

void NmeaMonitor::MonitorAddLine(std::string_view text) {
    if (shared_.MonitorPaused) return;
    if (filterActive_) {
        const std::string_view trimmed = Trim(text);
        if (trimmed.empty() || trimmed.front() != '$' || !Contains(text, filter_)) return;
    }
    Append(text);
}

void NmeaMonitor::MonitorAddLogged(std::string_view text) {
    MonitorAddLine(text);
    if (log_.LogActive()) log_.LogAppend(text);
}

void NmeaMonitor::MonitorAddStamped(std::string_view text) {
    std::string line;
    line.reserve(text.size() + 30);
    line += "....[";
    line += text;
    line += "]....";
    line += TimeStamp(clock_);
    line += "....";
    MonitorAddLine(line);
}

void NmeaMonitor::MonitorAddDirect(std::string_view text) {
    Append(text);
}

void NmeaMonitor::MonitorAddEcho(std::string_view text) {
    Append(text);
    if (log_.LogActive()) log_.LogAppend(text);
}

bool NmeaMonitor::MonitorReceived(std::string_view line) {
    if (shared_.MonitorPaused) return false;
    if (line.size() < kShortestShownLine || line.front() != '$') return false;
    if (line.starts_with("$PUN")) return false;

    const bool quietWindow = receiver_.SecondsCounter <= kQuietWindowSeconds;
    if (quietWindow && ContainsAny(line, kQuietWindowTexts)) return false;

    if (!quietWindow && headingTest_ && shared_.Family == ReceiverFamily::RTK_DF &&
        ContainsAny(line, kHeadingTestTexts)) {
        std::string marked;
        marked.reserve(line.size() + 22);
        marked += line;
        marked += kHeadingTickSeparator;
        marked += std::to_string(clock_.TickMs());
        if (log_.LogActive()) log_.LogAppend(marked);
        MonitorAddLine(marked);
        return true;
    }
    if (log_.LogActive()) log_.LogAppend(line);
    MonitorAddLine(line);
    return true;
}

MonitorStepResult NmeaMonitor::MonitorStep() {
    if (shared_.MonitorPaused) return MonitorStepResult::Paused;
    if (!newSentenceFlag_) return MonitorStepResult::Quiet;
    if (!lines_.empty() && selected_ != static_cast<std::ptrdiff_t>(lines_.size()) - 1) {
        selected_ = static_cast<std::ptrdiff_t>(lines_.size()) - 1;
        ++revision_;
    }
    if (lines_.size() > kCapAbove) Cap(kCapKeep);
    if (log_.LogActive() && log_.PendingLineCount() > kPendingLogLines) log_.LogHandover();
    newSentenceFlag_ = false;
    return MonitorStepResult::NewSentences;
}

void NmeaMonitor::MonitorClear() {
    ClearLines();
}

void NmeaMonitor::MonitorConnectReset() {
    ClearLines();
    newSentenceFlag_ = false;
    if (shared_.MonitorPaused) SetPause(false);
}

void NmeaMonitor::SetPause(bool down) {
    shared_.MonitorPaused = down;
    const std::string port = port_.PortName();
    const uint32_t baud = port_.BaudRate();
    pauseView_.Paused = down;
    pauseView_.Hint = down ? "Click to Continue" : "Click to Pause";
    pauseView_.CommandControlsEnabled = !down;
    pauseView_.PortStatusText =
        (down ? "Pause (" : "Open (") + port + "," + std::to_string(baud) + " bps)";
    pauseView_.PortStatusLowered = down;
    ++revision_;
}

Rgb NmeaMonitor::LineColor(std::size_t index) const {
    if (!shared_.ReceiverIdentified || index >= lines_.size()) return kPlainText;
    const std::string& line = lines_[index];
    if (shared_.Family == ReceiverFamily::TMC) {
        return kMonitorTmcKinds[TmcSentenceKind(line)].Color;
    }
    return kMonitorKindColors[ClassifyText(line)];
}

MonitorViewChanges NmeaMonitor::TakeChanges() {
    const MonitorViewChanges changes = changes_;
    changes_ = MonitorViewChanges{};
    viewCount_ = lines_.size();
    return changes;
}

void NmeaMonitor::Append(std::string_view text) {
    lines_.emplace_back(text);
    selected_ = static_cast<std::ptrdiff_t>(lines_.size()) - 1;
    ++changes_.Appended;
    ++revision_;
    if (lines_.size() > kHardLimit) Cap(kCapKeep);
}

void NmeaMonitor::Cap(std::size_t keep) {
    if (lines_.size() <= keep) return;
    const std::size_t remove = lines_.size() - keep;
    lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(remove));
    selected_ = selected_ < static_cast<std::ptrdiff_t>(remove)
                    ? -1
                    : selected_ - static_cast<std::ptrdiff_t>(remove);
    if (!changes_.Reset) {
        // Lines the view knows go first; the rest of the cut falls on lines it has not seen.
        const std::size_t known = viewCount_ - changes_.RemovedFromTop;
        if (remove <= known) {
            changes_.RemovedFromTop += remove;
        } else {
            changes_.RemovedFromTop += known;
            changes_.Appended -= remove - known;
        }
    }
    ++revision_;
}

void NmeaMonitor::ClearLines() {
    lines_.clear();
    selected_ = -1;
    changes_ = MonitorViewChanges{};
    changes_.Reset = true;
    ++revision_;
}

}  // namespace gnss
