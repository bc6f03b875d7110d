#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "base/scheduler.h"
#include "base/user_prompts.h"
#include "link/baud_rate_trial.h"
#include "link/baud_rates.h"
#include "link/connection_listener.h"
#include "link/link_controller.h"
#include "link/receive_dispatch.h"
#include "link/receiver_port.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"

namespace gnss {

// What the connection controls show: the connect button, the pause button's availability, the
// two port boxes and the line states. ConnectionListener::OnConnectionViewChanged says when it
// changed.
struct ConnectionView {
    bool OpenButtonEnabled = true;
    bool OpenButtonDown = false;
    std::string OpenButtonHint = "Connect to GNSS Receiver";
    bool PauseButtonEnabled = false;
    std::string ShownPort;  // the port the user chose (a name or a typed path)
    // The baud rate the user chose, or "Auto"; during a connection at "Auto" the rate found.
    std::string ShownBaud = "9600";
    std::string DtrText;  // "DTR:On" / "DTR:Off" after a connect
    std::string RtsText;
};

// Connecting and disconnecting, the link's once-per-second duties (seconds counter, receive
// rate, no-data watchdog) and the stepping baud-rate detection. It owns the receive path's
// connection (it is the dispatcher's LinkController) and tells its listeners what happens.
class ConnectionControl final : private LinkController {
  public:
    ConnectionControl(SharedState& shared, ReceiverState& receiver, ReceiverPort& port,
                      ReceiveDispatcher& dispatcher, Clock& clock, Scheduler& scheduler,
                      UserPrompts& prompts);
    ConnectionControl(const ConnectionControl&) = delete;
    ConnectionControl& operator=(const ConnectionControl&) = delete;

    // Registers a listener; it must outlive the connection control's use of it.
    void AddListener(ConnectionListener& listener) { listeners_.push_back(&listener); }

    [[nodiscard]] const ConnectionView& View() const { return view_; }
    [[nodiscard]] const ConnectionStatus& Status() const { return status_; }
    void SetShownPort(std::string port);
    void SetShownBaud(std::string baud);

    // --- the user's actions ---
    void ToggleConnection();
    // The connect button pressed with Ctrl held: the click, then the bridge driver's two
    // device-control requests where the platform has them.
    void ConnectButtonPressed(bool ctrlHeld);
    // The port shown in the box was removed while open.
    void PortRemoved();

    // --- operations ---
    bool OpenReceiverPort(const std::string& portName, uint32_t rate);
    void CloseReceiverPort();
    void LinkSecond();
    void StartSteppingDetection() override;
    // The search a factory restart starts: like StartSteppingDetection, but the link goes back
    // to "UNKNOW" (so NMEA at the current rate is recognised directly) and no panel changes.
    void StartFactoryDetection();
    void DetectionStep();
    // The search of a connect at "Auto" (kAutoBaudRates): each rate is tried until its bytes
    // prove it right or wrong (BaudRateTrial); the rounds and the give-up are those of the
    // stepping detection.
    void StartAutoBaudSearch();

    // "bypass no data": a silent receiver stays connected. On at start.
    bool BypassNoData = true;

    [[nodiscard]] int NoDataSeconds() const { return noDataSeconds_; }
    [[nodiscard]] int ReconnectAttempts() const { return reconnectAttempts_; }
    [[nodiscard]] uint32_t ClockSetLatencyMs() const { return clockSetLatencyMs_; }
    [[nodiscard]] int DetectionRateIndex() const { return detectionRateIndex_; }
    [[nodiscard]] int DetectionRounds() const { return detectionRounds_; }
    [[nodiscard]] uint32_t ConnectedRate() const { return connectedRate_; }
    // The connection was made at "Auto" and its search found the rate the port now runs at.
    [[nodiscard]] bool RateFoundAutomatically() const { return autoRateFound_; }

    // Seconds with data but without NMEA at a chosen rate before the hint to try "Auto".
    static constexpr int kNoNmeaHintSeconds = 5;

  private:
    void Connect();
    void Disconnect();
    void ReconnectAfterSilence();
    void GiveUpSilentLink();
    // LinkController
    void OnSecondTick() override { LinkSecond(); }
    void OnDetectionStepDue() override { DetectionStep(); }
    void DisconnectLink() override;
    void OnRateSearchTick(std::string_view chunk) override;

    // One step of a detection to its next rate; false when the rounds are used up (the search
    // has then ended and the connection closed).
    bool StepToNextRate();
    void AutoRateFound(RateEvidence evidence);
    void HintAtAutoWithoutNmea();

    void SetStatus(ConnectionStatusItem item, std::string text);
    void SetPortOpenLook(bool open);
    void ViewChanged();
    void Note(std::string_view line);
    [[nodiscard]] bool ConnectionHeld() const;
    [[nodiscard]] uint32_t ShownRate() const;

    SharedState& shared_;
    ReceiverState& receiver_;
    ReceiverPort& port_;
    ReceiveDispatcher& dispatcher_;
    Clock& clock_;
    UserPrompts& prompts_;

    ConnectionView view_;
    ConnectionStatus status_;
    std::vector<ConnectionListener*> listeners_;

    int noDataSeconds_ = 0;
    int reconnectAttempts_ = 0;
    uint32_t clockSetLatencyMs_ = 10;
    uint32_t connectedRate_ = 0;
    int detectionRateIndex_ = 0;
    int detectionRounds_ = 0;
    std::span<const uint32_t> detectionRates_ = kSteppingRates;
    BaudRateTrial trial_;
    uint32_t searchStartMs_ = 0;
    bool autoConnection_ = false;  // connected at "Auto"
    bool autoRateFound_ = false;
    int noNmeaSeconds_ = 0;  // seconds with data while the link stayed unrecognised
    bool noNmeaHintGiven_ = false;
    DelayedCall commonEnd_;
    DelayedCall reconnect_;
};

// The message shown when a port cannot be opened: the port name, " Connection Error !", and
// for a refused permission the usual remedy in plain words.
[[nodiscard]] std::string ConnectionErrorText(const std::string& portName,
                                              const PortOpenResult& result);

}  // namespace gnss
