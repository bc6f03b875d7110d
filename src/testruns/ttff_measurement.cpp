#include "testruns/ttff_measurement.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "control/restart_acknowledgements.h"
#include "nmea/sentence_kind.h"

namespace gnss {

namespace {

constexpr int kHotSettleSeconds = 3;
constexpr int kSettleSeconds = 15;
constexpr uint32_t kHdShortestFixMs = 300;
constexpr std::array<std::string_view, 4> kDebugSteps = {"TD(H)", "TD(C)", "TD(F)", ""};
constexpr std::string_view kUbloxResetting = "TXT,01,01,02,Resetting";

// The sentences whose fix completes a measurement; BeiDou's GBGSA does not.
bool CompletesMeasurement(SentenceKind kind) {
    switch (kind) {
        case SentenceKind::Rmc:
        case SentenceKind::Gga:
        case SentenceKind::Gll:
        case SentenceKind::GpGsa:
        case SentenceKind::GnGsa:
        case SentenceKind::GlGsa:
        case SentenceKind::BdGsa:
        case SentenceKind::GaGsa:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string TtffTenthsText(uint32_t elapsedMs) {
    // Rounded to the nearest tenth first, so that the carry goes into the seconds.
    const uint64_t tenths = (static_cast<uint64_t>(elapsedMs) + 50) / 100;
    const uint64_t seconds = tenths / 10;
    char text[40];
    std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d.%.1d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
                  static_cast<int>(tenths % 10));
    return text;
}

std::string TtffSecondsText(int seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

TtffMeasurement::TtffMeasurement(const Deps& deps) : deps_(deps) {}

std::string_view TtffMeasurement::StepDebugSwitch() {
    std::size_t next = 0;
    for (std::size_t i = 0; i < kDebugSteps.size(); ++i) {
        if (kDebugSteps[i] == debugText_) next = (i + 1) % kDebugSteps.size();
    }
    debugText_ = kDebugSteps[next];
    return debugText_;
}

bool TtffMeasurement::IsTdkRtk() const {
    return deps_.Pipeline.Shared.Family == ReceiverFamily::TDK_DR &&
           deps_.Identification.DrRtkVariant;
}

void TtffMeasurement::SetText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    for (TtffListener* listener : listeners_) listener->OnTtffText(text_);
}

void TtffMeasurement::Debug(const std::string& text) {
    deps_.Output.AddLoggedMonitorLine(text);
}

void TtffMeasurement::OnConnecting() {
    armed_ = false;
    settling_ = false;
    timerRunning_ = false;
    restarted_ = false;
    elapsed_ = 0;
    startTick_ = 0;
    resync_ = 0;
}

void TtffMeasurement::OnRestartArmed(RestartKind kind) {
    kind_ = kind;
    tag_ = RestartTag(kind);
    restarted_ = true;
    armed_ = true;
    settling_ = true;
    timerRunning_ = true;
    elapsed_ = 0;
    startTick_ = 0;
    resync_ = 0;
    settleWindow_ = kind == RestartKind::Hot ? kHotSettleSeconds : kSettleSeconds;
    SetText("");
}

// --- the start ---

void TtffMeasurement::OnLineReceived(std::string_view line) {
    if (armed_ && startTick_ == 0) DetectStart(line);
}

void TtffMeasurement::DetectStart(std::string_view line) {
    const SharedState& shared = deps_.Pipeline.Shared;
    const uint32_t now = deps_.SystemClock.TickMs();
    const RestartAckMarkers markers = RestartAckMarkersFor(deps_.Restart.Target());
    switch (shared.Family) {
        case ReceiverFamily::ublox:
            if (line.find(kUbloxResetting) != std::string_view::npos) {
                TakeStart(deps_.Reception.UbxAckTick != 0 ? deps_.Reception.UbxAckTick : now,
                          false);
            }
            return;
        case ReceiverFamily::HED:
            if (!FindRestartAckMarker(markers, line).empty()) {
                TakeStart(now, true);
            } else if (!deps_.Pipeline.Receiver.FixValid) {
                TakeStart(deps_.Reception.HdAckTick != 0 ? deps_.Reception.HdAckTick : now, true);
                startFromLineWithoutFix_ = deps_.Reception.HdAckTick == 0;
            }
            return;
        default:
            break;
    }
    if (!FindRestartAckMarker(markers, line).empty() ||
        (markers.FirstLineWithoutFix && !deps_.Pipeline.Receiver.FixValid)) {
        TakeStart(now, markers.ProvesLink);
    }
}

void TtffMeasurement::OnRestartAcknowledged(FrameProtocol protocol, uint32_t tickMs) {
    if (protocol != FrameProtocol::Hd || !armed_ ||
        deps_.Pipeline.Shared.Family != ReceiverFamily::HED) {
        return;
    }
    if (startTick_ == 0) {
        TakeStart(tickMs, true);
    } else if (startFromLineWithoutFix_) {
        startTick_ = tickMs != 0 ? tickMs : 1;
    }
    startFromLineWithoutFix_ = false;
}

void TtffMeasurement::TakeStart(uint32_t tickMs, bool provesLink) {
    startFromLineWithoutFix_ = false;
    startTick_ = tickMs;
    if (startTick_ == 0) startTick_ = 1;  // 0 means "no start"
    SharedState& shared = deps_.Pipeline.Shared;
    if (provesLink) {
        shared.DetectionActive = false;
        deps_.Pipeline.Dispatcher.SetLinkState(LinkState::Nmea);
    }
    const ReceiverFamily family = shared.Family;
    if (DebugOn() && (family == ReceiverFamily::TTT || family == ReceiverFamily::TDK_DR)) {
        Debug("        TTFF_T0:" + std::to_string(startTick_));
    }
    if (IsTdkRtk()) {
        deps_.Identification.FixGateOpen = false;
    } else {
        deps_.Pipeline.Receiver.FixValid = false;
    }
    elapsed_ = 0;
    settling_ = false;
    armed_ = true;
    for (TtffListener* listener : listeners_) listener->OnTtffStart(startTick_);
}

// --- the fix ---

void TtffMeasurement::OnSentenceDecoded(SentenceKind kind, std::string_view) {
    if (IsTdkRtk() && armed_ && !deps_.Identification.FixGateOpen &&
        !deps_.Pipeline.Receiver.FixValid) {
        deps_.Identification.FixGateOpen = true;
        timerRunning_ = true;
    }
    if (CompletesMeasurement(kind)) CheckFix(kind);
}

void TtffMeasurement::CheckFix(SentenceKind) {
    // After a hot start (or before any restart) every such sentence counts; after the others,
    // fixes reported before the settle tick belong to the old run.
    if (restarted_ && kind_ != RestartKind::Hot &&
        deps_.Pipeline.Receiver.SecondsCounter < deps_.Restart.RestartSettleTick()) {
        return;
    }
    const bool fixValid = deps_.Pipeline.Receiver.FixValid;
    const bool gateOpen = !IsTdkRtk() || deps_.Identification.FixGateOpen;
    if (!settling_ && armed_ && gateOpen && fixValid) {
        armed_ = false;
        TtffResult result;
        result.Kind = kind_;
        const uint32_t now = deps_.SystemClock.TickMs();
        const ReceiverFamily family = deps_.Pipeline.Shared.Family;
        if (startTick_ != 0) {
            // Unsigned arithmetic: right across the tick counter's wrap at 2^32 ms too.
            const uint32_t elapsedMs = now - startTick_;
            if (DebugOn() && (family == ReceiverFamily::ST || family == ReceiverFamily::TDK_DR)) {
                char line[64];
                std::snprintf(line, sizeof line, "        TTFF_T1:%u :%4.3f", now,
                              static_cast<double>(elapsedMs) / 1000.0);
                Debug(line);
            }
            if (family == ReceiverFamily::HED && elapsedMs < kHdShortestFixMs) {
                armed_ = true;  // the old fix, seen right after the acknowledgement
                return;
            }
            result.HasStart = true;
            result.StartTickMs = startTick_;
            result.FixTickMs = now;
            result.ElapsedMs = elapsedMs;
            result.Text = "Fix " + tag_ + ":+" + TtffTenthsText(elapsedMs);
        } else {
            result.FixTickMs = now;
            result.ElapsedSeconds = std::max(elapsed_, 1);
            result.Text = "Fix " + tag_ + ":" + TtffSecondsText(result.ElapsedSeconds);
        }
        SetText(result.Text);
        for (TtffListener* listener : listeners_) listener->OnTtffFix(result);
        return;
    }
    if (settling_ && !fixValid) {
        // The receiver dropped its old fix: the measurement runs from here.
        settling_ = false;
        armed_ = true;
        deps_.Output.AddMonitorLine("   gbReset := False and gResetTag := 1");
        elapsed_ = resync_;
        resync_ = 0;
    }
}

// --- the seconds ---

void TtffMeasurement::OnNmeaSecond(bool) {
    if (timerRunning_) SecondTick();
}

void TtffMeasurement::SecondTick() {
    const bool fixValid = deps_.Pipeline.Receiver.FixValid;
    const ReceiverFamily family = deps_.Pipeline.Shared.Family;
    const int before = elapsed_;
    ++elapsed_;
    if (settling_) {
        if (elapsed_ > settleWindow_ && fixValid) {
            // The receiver kept its fix through the window: it counts from now.
            settling_ = false;
            elapsed_ = 1;
        }
    } else if (family == ReceiverFamily::SiRF4 && before == 0 && startTick_ == 0 && armed_) {
        startTick_ = deps_.SystemClock.TickMs();
        if (startTick_ == 0) startTick_ = 1;
    }
    if (settling_) return;
    if (fixValid && family != ReceiverFamily::Unknown) {
        timerRunning_ = false;
        elapsed_ = 0;
    } else if (armed_) {
        SetText("Timer" + tag_ + ":" + TtffSecondsText(elapsed_));
    }
}

void TtffMeasurement::OnLinkSecond() {
    // The rate search after a factory reset: its seconds count towards the fix time.
    if (!armed_ || !deps_.Pipeline.Shared.DetectionActive) return;
    ++resync_;
    SetText("Fix " + tag_ + ":" + TtffSecondsText(resync_));
}

}  // namespace gnss
