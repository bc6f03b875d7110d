#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "link/connection_listener.h"
#include "link/receive_listeners.h"
#include "link/receiver_port.h"
#include "link/sentence_chain.h"
#include "link/shared_state.h"
#include "logging/log_line_sink.h"
#include "nmea/receiver_state.h"
#include "nmea/sentence_kind.h"
#include "views/monitor_view.h"

namespace gnss {

// Text colour of each standard kind, in the order of SentenceKind (None first).
inline constexpr PerSentenceKind<Rgb> kMonitorKindColors = {{
    0xFFFFFF, 0xFF3C3C, 0x7BF700, 0xF200F2, 0xFFFF3C, 0xFFFF8E, 0xFFFF8E,
    0xFFFF8E, 0xBFDFFF, 0xBFDFFF, 0x9EFEC0, 0xFF9797, 0xAD5C5C, 0xFF9797,
    0x95DDFF, 0xFF5B5B, 0xFF5B5B, 0xFF97FF, 0x009148, 0xBCFF79, 0xBCFF79,
    0x80BFFF, 0xE0AAEC, 0xB5ECF0, 0x00B500, 0xFFFF00, 0xEAEA00, 0xCB83FC,
}};

// Traffic-message receivers have their own kinds: the first text found in the line, in table
// order, gives the kind (the row's index; none gives 0).
struct MonitorTmcKind {
    std::string_view Text;
    Rgb Color;
};
inline constexpr std::array<MonitorTmcKind, 13> kMonitorTmcKinds = {{
    {"", 0xFFFFFF},
    {"  <", 0x00FFFF},
    {"RTR", 0xFFFF3C},
    {"RTT", 0x80BFFF},
    {"TTM", 0x7BF700},
    {"TCH", 0xF200F2},
    {"TTQ", 0xFFFF3C},
    {"TMT", 0xFF80FF},
    {"TCM", 0xFF9797},
    {"TTR", 0x80BFFF},
    {"TTS", 0xFF6060},
    {"TFD", 0xBCFF79},
    {"PMD", 0xBCFF79},
}};

// Kind of a line for a traffic-message receiver; blank lines are kind 0.
[[nodiscard]] uint8_t TmcSentenceKind(std::string_view line);

// What the pause button and the port status show while the monitor is paused or running.
struct MonitorPauseView {
    bool Paused = false;
    std::string Hint = "Click to Pause";
    bool CommandControlsEnabled = true;
    std::string PortStatusText;  // "Pause (port,baud bps)" / "Open (port,baud bps)"
    bool PortStatusLowered = false;
};

// What a once-per-second step found.
enum class MonitorStepResult : uint8_t {
    Paused,        // nothing done
    NewSentences,  // sentences of known kinds arrived: the displays follow them
    Quiet,         // none arrived: the receive buffer is to be cut back (to 512 bytes)
};

// The NMEA monitor as data: the lines, the display filter, which received lines are shown, their
// colours, the line cap, the per-second step and the pause. The window reads the lines and the
// changes a few times per second and paints them; it decides nothing. It follows the receive
// path (decoded sentences mark the second as one with news) and the connection (a connect
// empties it).
//
// Appending is O(1) (one string per line, nothing else), the cap O(lines removed); colours are
// worked out only for the lines the window paints.
class NmeaMonitor final : public LineListener, public ConnectionListener {
  public:
    static constexpr std::size_t kCapAbove = 2400;  // more lines than this are cut back ...
    static constexpr std::size_t kCapKeep = 1919;   // ... to the newest this many
    // Lines kept even when no per-second step runs (no link); beyond it the cap applies at once.
    static constexpr std::size_t kHardLimit = 20000;
    static constexpr std::size_t kPendingLogLines = 500;
    static constexpr int32_t kQuietWindowSeconds = 5;
    static constexpr Rgb kListBackground = MonitorView::kListBackground;
    static constexpr Rgb kLineBackground = MonitorView::kLineBackground;
    static constexpr Rgb kPlainText = MonitorView::kPlainText;

    // `port` names the port and rate in the pause view.
    NmeaMonitor(const Clock& clock, SharedState& shared, const ReceiverState& receiver,
                LogLineSink& log, const ReceiverPort& port);

    // The display filter: trimmed and upper-cased; empty or "ALL" shows everything.
    void SetFilterText(std::string_view text);
    [[nodiscard]] bool FilterActive() const { return filterActive_; }

    // The one entry for lines: applies the display filter (nothing is added while paused).
    void MonitorAddLine(std::string_view text);
    // MonitorAddLine, and the text goes to the log while one is recorded.
    void MonitorAddLogged(std::string_view text);
    // "....[" + text + "]....[hh:nn:ss.zzz]....", local time.
    void MonitorAddStamped(std::string_view text);
    // A line added as it is, past the filter.
    void MonitorAddDirect(std::string_view text);
    // MonitorAddDirect, and the line goes to the log while one is recorded (what the tool
    // wrote to the receiver, between the received sentences).
    void MonitorAddEcho(std::string_view text);

    // A received sentence: decides whether it is shown (long enough, "$" first, not "$PUN", not
    // an identification reply during the first seconds after connecting, a tick suffix for the
    // heading test), and when it is, logs it and adds it. False when not shown (also while
    // paused).
    bool MonitorReceived(std::string_view line);
    // The heading-test option of RTK_DF receivers.
    void SetHeadingTest(bool on) { headingTest_ = on; }

    // `NewSentenceFlag`: set by the receive path when a sentence of a known kind was decoded.
    void MarkNewSentence() { newSentenceFlag_ = true; }
    [[nodiscard]] bool NewSentenceFlag() const { return newSentenceFlag_; }

    // The once-per-second step (while the link carries NMEA): with news, the last line is
    // selected, the line cap applied and a large log batch handed over.
    MonitorStepResult MonitorStep();
    // The popup menu's "Clear" (without a running connection the satellite views clear too).
    void MonitorClear();
    // A new connection: no lines, no pause, no pending new-sentence mark.
    void MonitorConnectReset();
    // The pause button.
    void SetPause(bool down);
    [[nodiscard]] const MonitorPauseView& PauseView() const { return pauseView_; }

    // Its position in the sentence chain: every received line that may be shown.
    void JoinSentenceChain(SentenceChain& chain);
    // LineListener: a sentence of a known kind marks the second as one with news.
    void OnSentenceDecoded(SentenceKind kind, std::string_view line) override;
    // ConnectionListener
    void OnConnecting() override { MonitorConnectReset(); }

    // The list as the window shows it, oldest line first.
    [[nodiscard]] std::size_t LineCount() const { return lines_.size(); }
    [[nodiscard]] const std::string& Line(std::size_t index) const { return lines_[index]; }
    // Text colour of a line: plain until the receiver is identified, then by kind.
    [[nodiscard]] Rgb LineColor(std::size_t index) const;
    [[nodiscard]] bool Coloured() const { return shared_.ReceiverIdentified; }
    // The selected (last added) line, -1 for none.
    [[nodiscard]] std::ptrdiff_t SelectedLine() const { return selected_; }
    // Counts every change to the lines, the selection and the pause view.
    [[nodiscard]] uint64_t Revision() const { return revision_; }
    // The changes since the last call, for a view that updates in batches.
    MonitorViewChanges TakeChanges();

  private:
    void Append(std::string_view text);
    void Cap(std::size_t keep);
    void ClearLines();

    const Clock& clock_;
    SharedState& shared_;
    const ReceiverState& receiver_;
    LogLineSink& log_;
    const ReceiverPort& port_;

    std::deque<std::string> lines_;
    std::ptrdiff_t selected_ = -1;
    std::string filter_;
    bool filterActive_ = false;
    bool headingTest_ = false;
    bool newSentenceFlag_ = false;
    MonitorPauseView pauseView_;

    uint64_t revision_ = 0;
    std::size_t viewCount_ = 0;  // lines the view knew at the last TakeChanges
    MonitorViewChanges changes_;
};

}  // namespace gnss
