#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "base/scheduler.h"
#include "base/user_prompts.h"
#include "link/receive_dispatch.h"
#include "link/receiver_port.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"

namespace gnss {

// Items of the receiver baud-rate box, "9600" selected at start.
inline constexpr std::array<std::string_view, 10> kBaudRateItems = {
    "2400", "4800", "9600", "19200", "38400", "57600", "115200", "230400", "460800", "921600"};
// Rates tried in turn by the stepping baud-rate detection.
inline constexpr std::array<uint32_t, 6> kSteppingRates = {9600, 38400, 19200, 57600, 4800, 115200};

// What the connection controls show: the connect button, the pause button's availability, the
// two port boxes and the line states. The window paints it; OnViewChanged says when.
struct ConnectionView {
    bool OpenButtonEnabled = true;
    bool OpenButtonDown = false;
    std::string OpenButtonHint = "Connect to GNSS Receiver";
    bool PauseButtonEnabled = false;
    std::string ShownPort;           // text of cbGPSCOM
    std::string ShownBaud = "9600";  // text of cbCOMBR
    std::string DtrText;             // "DTR:On" / "DTR:Off" after a connect
    std::string RtsText;
};

// Connecting and disconnecting, the link's once-per-second duties (seconds counter, receive
// rate, no-data watchdog) and the stepping baud-rate detection.
class ConnectionControl {
  public:
    ConnectionControl(SharedState& shared, ReceiverState& receiver, ReceiverPort& port,
                      ReceiveDispatcher& dispatcher, Clock& clock, Scheduler& scheduler,
                      UserPrompts& prompts);
    ConnectionControl(const ConnectionControl&) = delete;
    ConnectionControl& operator=(const ConnectionControl&) = delete;

    // --- what other features plug in ---
    struct Hooks {
        std::function<void(int index, std::string text)> SetStatusPanel;
        std::function<void(int index, bool lowered)> SetStatusPanelLowered;
        std::function<void()> OnViewChanged;
        std::function<void(std::string line)> DebugMemo;
        std::function<void()> RefreshPortList;       // after a failed open
        std::function<void()> CloseCorrectionLink;   // first step of every connect/disconnect
        std::function<bool()> DrCalibrationRunning;  // a running calibration blocks the button
        std::function<void()> EmptyRawCapture;
    };
    Hooks Hooks;
    // Per-connection state of other features, reset at the start of every connect and
    // disconnect action, at connect only, or at disconnect only. Run in registration order.
    void OnEveryAction(std::function<void()> reset) { everyAction_.push_back(std::move(reset)); }
    void OnConnect(std::function<void()> reset) { onConnect_.push_back(std::move(reset)); }
    void OnDisconnect(std::function<void()> action) { onDisconnect_.push_back(std::move(action)); }
    // Duties that follow the link's own in the one-second tick.
    void OnSecond(std::function<void()> duty) { onSecond_.push_back(std::move(duty)); }

    [[nodiscard]] const ConnectionView& View() const { return view_; }
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
    void StartSteppingDetection();
    // The search a factory restart starts: like StartSteppingDetection, but the link goes back
    // to "UNKNOW" (so NMEA at the current rate is recognised directly) and no panel changes.
    void StartFactoryDetection();
    void DetectionStep();

    // "bypass no data": a silent receiver stays connected. On at start.
    bool BypassNoData = true;

    [[nodiscard]] int NoDataSeconds() const { return noDataSeconds_; }
    [[nodiscard]] int ReconnectAttempts() const { return reconnectAttempts_; }
    [[nodiscard]] uint32_t ClockSetLatencyMs() const { return clockSetLatencyMs_; }
    [[nodiscard]] int DetectionRateIndex() const { return detectionRateIndex_; }
    [[nodiscard]] int DetectionRounds() const { return detectionRounds_; }
    [[nodiscard]] uint32_t ConnectedRate() const { return connectedRate_; }

  private:
    void Connect();
    void Disconnect();
    void ReconnectAfterSilence();
    void GiveUpSilentLink();
    void SetPanel(int index, std::string text);
    void SetPanelLowered(int index, bool lowered);
    void ViewChanged();
    void Memo(std::string line);
    [[nodiscard]] uint32_t ShownRate() const;

    SharedState& shared_;
    ReceiverState& receiver_;
    ReceiverPort& port_;
    ReceiveDispatcher& dispatcher_;
    Clock& clock_;
    UserPrompts& prompts_;

    ConnectionView view_;
    std::vector<std::function<void()>> everyAction_;
    std::vector<std::function<void()>> onConnect_;
    std::vector<std::function<void()>> onDisconnect_;
    std::vector<std::function<void()>> onSecond_;

    int noDataSeconds_ = 0;
    int reconnectAttempts_ = 0;
    uint32_t clockSetLatencyMs_ = 10;
    uint32_t connectedRate_ = 0;
    int detectionRateIndex_ = 0;
    int detectionRounds_ = 0;
    std::string panel1_;
    DelayedCall commonEnd_;
    DelayedCall reconnect_;
};

// The message shown when a port cannot be opened: the port name, " Connection Error !", and
// for a refused permission the usual remedy in plain words.
[[nodiscard]] std::string ConnectionErrorText(const std::string& portName,
                                              const PortOpenResult& result);

}  // namespace gnss
