#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/clock.h"
#include "base/scheduler.h"
#include "base/user_prompts.h"
#include "link/link_state.h"
#include "link/receiver_port.h"
#include "link/rx_ring.h"
#include "link/sentence_chain.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"
#include "nmea/sentence_kind.h"

namespace gnss {

// Per-link counters and flags, reset on every connect.
struct ReceiveCounters {
    uint32_t RxBytesThisSecond = 0;  // drained in the current second
    std::size_t RxBufferLength = 0;  // buffer length after the last drain that stored data
    uint32_t IdleTicks = 0;          // consecutive processing ticks with an empty ring
    bool DataSinceIdle = false;      // a drain stored data since the last empty tick
    bool DataIndicator = false;      // the data lamp is lit
    uint32_t LinkUpTick = 0;         // tick (ms) at which the link last became NMEA
    bool NewSentenceFlag = false;    // a known kind was decoded since the monitor step
    uint8_t PrevKind = 0;            // kind of the previously decoded line
    std::array<bool, kSentenceKindCount> KindsSeen{};
    uint32_t OverlongLines = 0;  // lines longer than 100 characters
    uint32_t LastSatRefreshTick = 0;
    uint32_t ConsumerErrors = 0;  // passes ended by an exception of a consumer
};

// What later features plug into the receive path. Every hook may stay empty: an empty hook
// does nothing (a query answers false / 0). The composition root fills them in one place.
struct ReceiveHooks {
    // --- status bar ---
    std::function<void(int index, std::string text)> SetStatusPanel;
    std::function<void()> RepaintStatusBar;  // the data lamp changed

    // --- receiver identification ---
    std::function<void(std::string_view buffer)> IdentifyReceiver;  // whole buffer, each pass
    std::function<void(std::string_view line)> IdentificationLineWatch;
    std::function<bool()> PrcrRewriteActive;    // "$PRCR" lines are rewritten while true
    std::function<void()> StartIdentification;  // sets IdentificationPending
    std::function<bool()> SirfPollPending;
    std::function<void()> ClearSirfSubstate;

    // --- binary frames ---
    // UBX monitor of family ublox: every complete frame with a valid checksum, buffer unchanged.
    std::function<void(uint8_t cls, uint8_t id, uint16_t length, std::string_view payload)>
        UbxMonitor;
    // A UBX frame taken out of the buffer (valid length and checksum).
    std::function<void(std::string_view frame)> HandleUbxFrame;
    // An HD frame taken out of the buffer (valid length and checksum), at the end of the pass.
    std::function<void(std::string_view frame)> HandleHdFrame;

    // --- decoding and per-line reactions ---
    std::function<uint8_t(std::string_view line)> DecodeSentence;  // the SentenceKind
    std::function<void()> FixGate;                                 // after every decode
    std::function<void()> GsaBlockEnded;
    std::function<uint8_t()> GsvCollectionState;
    std::function<void(uint8_t state)> SetGsvCollectionState;
    std::function<void()> RebuildSatelliteList;
    std::function<void()> RefreshSatelliteViews;
    std::function<void()> ShowRmcTime;
    std::function<void()> ShowGgaTime;
    std::function<void(uint8_t kind)> TtffKind;
    std::function<bool()> TrafficPanelVisible;
    std::function<void(std::string_view line)> HandleTrafficSentence;

    // --- stream-level ---
    std::function<void(std::string_view chunk)> RawCaptureAppend;
    std::function<void()> DetectionStep;
    std::function<void()> StartSteppingDetection;
    std::function<void()> Disconnect;         // "No" to the SiRF question
    std::function<void()> OnPauseProcessing;  // stop the dead-reckoning hint timer
    std::function<void(std::string_view what)> ConsumerError;

    // --- one-second tick ---
    // The handler of Tm1s. When empty, the tick runs LinkSupervisionSecond alone; the link's
    // own second (seconds counter, watchdog, rate) sets this and calls LinkSupervisionSecond.
    std::function<void()> OneSecondTick;
    std::function<void()> MonitorStep;
    std::function<void()> NmeaSecondDuties;  // identification and fix-time duties
};

// The receive spine: the ring, the receive buffer, the processing timer, the data lamp, the
// one-second timer, the per-line dispatch and the link-state supervision.
//
// Bounds of the receive buffer: processed lines leave on every pass. In "UNKNOW" the buffer is
// cut to its last 128 bytes every second (180 before each NMEA detection). In "NMEA" the
// monitor step cuts it to its first 512 bytes in every second without a decoded sentence, so a
// stream without CR LF may hold 512 bytes plus a second of data. Other states are cut by the
// feature that runs them (detection keeps 180 bytes per step); while processing is paused the
// ring limits what is collected.
class ReceiveDispatcher {
  public:
    static constexpr uint32_t kProcessingIntervalMs = 70;
    static constexpr uint32_t kSecondIntervalMs = 1000;
    static constexpr uint32_t kDataLampIntervalMs = 200;
    static constexpr std::size_t kOverlongLine = 100;

    // Listens to the port's data notifications for as long as it lives.
    ReceiveDispatcher(SharedState& shared, ReceiverState& receiver, ReceiverPort& port,
                      Clock& clock, Scheduler& scheduler, UserPrompts& prompts);
    ~ReceiveDispatcher();
    ReceiveDispatcher(const ReceiveDispatcher&) = delete;
    ReceiveDispatcher& operator=(const ReceiveDispatcher&) = delete;

    ReceiveHooks Hooks;

    // --- parts ---
    [[nodiscard]] RxRing& Ring() { return ring_; }
    [[nodiscard]] SentenceChain& Chain() { return chain_; }
    [[nodiscard]] ReceiveCounters& Counters() { return counters_; }
    [[nodiscard]] const ReceiveCounters& Counters() const { return counters_; }

    // --- the receive buffer ---
    // Changes asked for by a consumer while a pass runs take effect when the pass ends (the
    // lines handed out stay valid until then): the pass stops after the current line, its
    // processed lines and frames are removed, then the change applies to what is left.
    [[nodiscard]] const std::string& RxBuffer() const { return rxBuffer_; }
    void ClearRxBuffer();
    void KeepRxBufferTail(std::size_t n);  // keep the last n bytes
    void CutRxBufferTo(std::size_t n);     // keep the first n bytes

    // --- link state ---
    [[nodiscard]] LinkState State() const { return state_; }
    void SetLinkState(LinkState state) { state_ = state; }

    // --- timers ---
    void EnableProcessingTimer() { processingTimer_->SetEnabled(true); }
    void DisableProcessingTimer() { processingTimer_->SetEnabled(false); }
    [[nodiscard]] bool ProcessingTimerEnabled() const { return processingTimer_->IsActive(); }
    void SetSecondTimerEnabled(bool enabled) { secondTimer_->SetEnabled(enabled); }
    [[nodiscard]] bool SecondTimerEnabled() const { return secondTimer_->IsActive(); }
    [[nodiscard]] bool DataLampTimerEnabled() const { return dataLampTimer_->IsActive(); }

    // Back to the state of a fresh connect: ring positions, buffer, counters. Timers and link
    // state are the connect's business.
    void ResetLink();

    // --- the algorithms ---
    void DeliverFromPort(std::size_t n) { ring_.Deliver(port_, n); }
    void OnProcessingTick();
    void OnDataLampTick();
    void ProcessReceiveBuffer();
    void LinkSupervisionSecond();
    bool DetectNmea();
    void PauseProcessing();
    void ResumeProcessing();

  private:
    enum class BufferOp { Clear, KeepTail, CutTo };

    void OnSecondTick();
    void ApplyBufferOp(BufferOp op, std::size_t n);
    void RunPass(std::size_t& consumed);
    void SetStatusPanel(int index, std::string text);
    void EnableSecondTimer();
    void GoNmea();
    void StartIdentificationIfNeeded();
    void ScanUbxMonitor();
    void CutHdFrames();
    void ExtractUbxFrames();
    void ProcessLine(std::string_view line);
    void HandleKnownKind(uint8_t kind, std::string_view line);
    void CheckAntennaStatus(std::string_view line);
    void HandleHdFrames();
    void AnswerSirfQuestion();
    [[nodiscard]] bool DetectionWindowPassed(uint32_t ms) const;
    [[nodiscard]] bool SecondsNotPast(int32_t deadline) const {
        return deadline >= receiver_.SecondsCounter;
    }

    SharedState& shared_;
    ReceiverState& receiver_;
    ReceiverPort& port_;
    Clock& clock_;
    UserPrompts& prompts_;

    RxRing ring_;
    SentenceChain chain_;
    ReceiveCounters counters_;
    LinkState state_ = LinkState::Closed;
    std::string rxBuffer_;
    std::string chunk_;      // the last drain, reused between ticks
    std::string kept_;       // scratch of the HD cutting, reused between passes
    std::string hdPackets_;  // HD frames cut in this pass, handled at its end
    std::vector<std::pair<std::size_t, std::size_t>> hdFrames_;  // offset, size in hdPackets_
    std::string lineScratch_;                                    // a rewritten line
    std::vector<std::pair<BufferOp, std::size_t>> pendingOps_;   // asked for during a pass
    bool inPass_ = false;
    bool pausedDuringPass_ = false;
    int dataLampTicks_ = 0;

    std::unique_ptr<Timer> processingTimer_;
    std::unique_ptr<Timer> secondTimer_;
    std::unique_ptr<Timer> dataLampTimer_;
    DelayedCall sirfSwitch_;
};

// The SiRF binary message that switches the receiver to NMEA output.
[[nodiscard]] std::string_view SirfSwitchToNmeaFrame();

}  // namespace gnss
