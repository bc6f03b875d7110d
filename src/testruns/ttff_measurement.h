#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "base/monitor_output.h"
#include "control/receiver_identification.h"
#include "control/receiver_restart.h"
#include "control/ubx_hd_reception.h"
#include "link/connection_listener.h"
#include "link/receive_listeners.h"
#include "link/receive_pipeline.h"

namespace gnss {

// One time to first fix, as the status bar shows it.
struct TtffResult {
    RestartKind Kind = RestartKind::Hot;
    bool HasStart = false;     // the receiver's acknowledgement was seen
    uint32_t StartTickMs = 0;  // when it was seen (or the binary acknowledgement arrived)
    uint32_t FixTickMs = 0;    // when the first fix of the new run was decoded
    uint32_t ElapsedMs = 0;    // FixTickMs - StartTickMs, with the tick counter's wrap
    int ElapsedSeconds = 0;    // the one-second count, without a start
    std::string Text;          // "Fix (C):+00:00:35.2" or "Fix (C):00:00:36"
};

// Told what the measurement shows and finds.
class TtffListener {
  public:
    virtual ~TtffListener() = default;
    // Status panel 5: the running timer, the fix time, or empty.
    virtual void OnTtffText(std::string_view /*text*/) {}
    // The receiver acknowledged the restart: the start of the measurement (the satellite views
    // start over; an HD assistance request may be carried out now).
    virtual void OnTtffStart(uint32_t /*tickMs*/) {}
    virtual void OnTtffFix(const TtffResult& /*result*/) {}
};

// "%.2d:%.2d:%.2d.%.1d" of a millisecond count, the tenths rounded with their carry:
// 12,960 ms gives "00:00:13.0".
[[nodiscard]] std::string TtffTenthsText(uint32_t elapsedMs);
// "%.2d:%.2d:%.2d" of a second count.
[[nodiscard]] std::string TtffSecondsText(int seconds);

// The time to first fix of every restart: armed by the restart routine, started at the
// receiver's acknowledgement (a text per family, or the binary acknowledgement's tick), held
// while the receiver may still report its old fix (the settle window), and taken at the first
// valid fix of an RMC, GGA, GLL or GSA sentence (not BeiDou's GBGSA). Without an
// acknowledgement the one-second count stands in. While the link searches its rate after a
// factory reset, the seconds are counted apart and carried over.
class TtffMeasurement final : public RestartListener,
                              public LineListener,
                              public LinkListener,
                              public ConnectionListener,
                              public ReceiverReplyListener {
  public:
    struct Deps {
        ReceivePipeline& Pipeline;
        Clock& SystemClock;
        const ReceiverRestart& Restart;
        const UbxHdReception& Reception;
        IdentificationResult& Identification;
        MonitorOutput& Output;
    };
    explicit TtffMeasurement(const Deps& deps);

    void AddListener(TtffListener& listener) { listeners_.push_back(&listener); }

    // The debug switch (Ctrl and a click on status panel 17): "TD(H)", "TD(C)", "TD(F)", "".
    std::string_view StepDebugSwitch();
    [[nodiscard]] bool DebugOn() const { return !debugText_.empty(); }

    [[nodiscard]] bool Armed() const { return armed_; }
    [[nodiscard]] bool Settling() const { return settling_; }
    [[nodiscard]] bool TimerRunning() const { return timerRunning_; }
    [[nodiscard]] int ElapsedSeconds() const { return elapsed_; }
    [[nodiscard]] uint32_t StartTickMs() const { return startTick_; }
    [[nodiscard]] int ResyncSeconds() const { return resync_; }
    [[nodiscard]] const std::string& Text() const { return text_; }

    // RestartListener: ArmTtff.
    void OnRestartArmed(RestartKind kind) override;
    // LineListener: the start markers on every line; the fix on every decoded sentence.
    void OnLineReceived(std::string_view line) override;
    void OnSentenceDecoded(SentenceKind kind, std::string_view line) override;
    // LinkListener: the one-second count while the link carries NMEA.
    void OnNmeaSecond(bool recognisedThisSecond) override;
    // ReceiverReplyListener: an HD receiver's acknowledgement frame is handled after the lines
    // of its pass; when a line without fix took the start, the frame's tick stands instead.
    void OnRestartAcknowledged(FrameProtocol protocol, uint32_t tickMs) override;
    // ConnectionListener: a connect starts over; the link's second counts the rate search.
    void OnConnecting() override;
    void OnLinkSecond() override;

  private:
    void DetectStart(std::string_view line);
    void TakeStart(uint32_t tickMs, bool provesLink);
    void CheckFix(SentenceKind kind);
    void SecondTick();
    void SetText(std::string text);
    void Debug(const std::string& text);
    [[nodiscard]] bool IsTdkRtk() const;

    Deps deps_;
    std::vector<TtffListener*> listeners_;
    RestartKind kind_ = RestartKind::Hot;
    std::string tag_;
    bool restarted_ = false;     // a restart happened on this connection
    bool armed_ = false;         // waiting for the fix
    bool settling_ = false;      // the receiver may still report its old fix
    bool timerRunning_ = false;  // the one-second display runs
    int elapsed_ = 0;
    int settleWindow_ = 15;
    uint32_t startTick_ = 0;
    bool startFromLineWithoutFix_ = false;
    int resync_ = 0;
    std::string debugText_;
    std::string text_;
};

}  // namespace gnss
