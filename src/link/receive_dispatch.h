#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/clock.h"
#include "base/scheduler.h"
#include "base/user_prompts.h"
#include "link/link_controller.h"
#include "link/link_state.h"
#include "link/receive_listeners.h"
#include "link/receiver_port.h"
#include "link/rx_ring.h"
#include "link/sentence_chain.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"
#include "nmea/sentence_decoder.h"
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
    bool NewSentenceFlag = false;    // a known kind was decoded since the last second
    SentenceKind PrevKind = SentenceKind::None;  // kind of the previously decoded line
    KindFlags KindsSeen;
    uint32_t OverlongLines = 0;  // lines longer than 100 characters
    uint32_t LastSatRefreshTick = 0;
    uint32_t ConsumerErrors = 0;  // passes ended by an exception of a consumer
};

// The receive spine: the ring, the receive buffer, the processing timer, the data lamp, the
// one-second timer, the per-line dispatch and the link-state supervision. Features plug in
// through the interfaces of receive_listeners.h (AddListener), the sentence chain (Chain), the
// decoder (SetDecoder) and the controller that owns the connection (SetController).
//
// Bounds of the receive buffer: processed lines leave on every pass. In "UNKNOW" the buffer is
// cut to its last 128 bytes every second (180 before each NMEA detection). In "NMEA" the
// program's once-per-second step (LinkListener::OnNmeaSecond) cuts it to its first 512 bytes in
// every second without a decoded sentence, so a stream without CR LF may hold 512 bytes plus a
// second of data. Other states are cut by the
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

    // --- what plugs in ---
    // The decoder of the lines that pass the line filter; without one every line decodes to
    // SentenceKind::None. Must outlive the dispatcher or be replaced before it goes.
    void SetDecoder(SentenceDecoder* decoder) { decoder_ = decoder; }
    // The owner of the connection; see LinkController.
    void SetController(LinkController* controller) { controller_ = controller; }
    // Registers `listener` for every receive interface it implements (StreamListener,
    // FrameListener, LineListener, SatelliteListener, LinkListener). It must outlive the
    // dispatcher's use of it: listeners are never removed.
    template <typename Listener>
    void AddListener(Listener& listener) {
        static_assert(kIsReceiveListener<Listener>,
                      "a receive listener implements at least one receive interface");
        if constexpr (std::is_base_of_v<StreamListener, Listener>) {
            streamListeners_.push_back(&listener);
        }
        if constexpr (std::is_base_of_v<FrameListener, Listener>) {
            frameListeners_.push_back(&listener);
        }
        if constexpr (std::is_base_of_v<LineListener, Listener>) {
            lineListeners_.push_back(&listener);
        }
        if constexpr (std::is_base_of_v<SatelliteListener, Listener>) {
            satelliteListeners_.push_back(&listener);
        }
        if constexpr (std::is_base_of_v<LinkListener, Listener>) {
            linkListeners_.push_back(&listener);
        }
    }

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
    // Sets the state without announcing it (the connection control's own changes).
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
    void RateSearchTick();
    void ApplyBufferOp(BufferOp op, std::size_t n);
    void RunPass(std::size_t& consumed);
    void EnableSecondTimer();
    void GoNmea();
    void Recognised(LinkState state);
    void DataLamp(bool lit);
    [[nodiscard]] bool AnyUnwrapsPrcrLines() const;
    [[nodiscard]] bool AnyExpectsSirfBinary() const;
    void NmeaSecond(bool recognisedThisSecond);
    void ScanUbxMonitor();
    void CutHdFrames();
    void ExtractUbxFrames();
    void ProcessLine(std::string_view line);
    void HandleKnownKind(SentenceKind kind, std::string_view line);
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
    SentenceDecoder* decoder_ = nullptr;
    LinkController* controller_ = nullptr;
    std::vector<StreamListener*> streamListeners_;
    std::vector<FrameListener*> frameListeners_;
    std::vector<LineListener*> lineListeners_;
    std::vector<SatelliteListener*> satelliteListeners_;
    std::vector<LinkListener*> linkListeners_;

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
