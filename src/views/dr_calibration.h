#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/scheduler.h"
#include "base/sound_output.h"
#include "control/identification_listener.h"
#include "control/receiver_identification.h"
#include "link/connection_listener.h"
#include "link/receive_listeners.h"
#include "link/receiver_port.h"
#include "link/sentence_chain.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"
#include "views/dr_info_window.h"
#include "views/dr_sensor_window.h"
#include "views/view_change_listener.h"

namespace gnss {

// Colours of the calibration panel.
inline constexpr Rgb kDrStepIdle = 0x808080;
inline constexpr Rgb kDrStepActive = 0xFFFF00;
inline constexpr Rgb kDrStepDone = 0x00FF00;
inline constexpr Rgb kDrCountColour = 0xFFFFFF;
inline constexpr Rgb kDrCountMoving = 0xFF8080;
inline constexpr Rgb kDrReadyColour = 0xFFFF00;
inline constexpr Rgb kDrLightOn = 0x0000FF;
inline constexpr Rgb kDrLightOff = 0x808080;
inline constexpr int kDrCountSize = 28;
inline constexpr int kDrReadySize = 16;
inline constexpr std::string_view kDrReady = "DR Ready !";
inline constexpr std::string_view kStartCalibrationCaption = "Start calibration";

// The three steps of the calibration drive, with the caption of each step's label.
enum class DrStep : uint8_t { Still = 0, Straight = 1, Circles = 2 };
inline constexpr std::array<std::string_view, 3> kDrStepCaptions = {"120", "30", "L3R3"};
inline constexpr int kStillSeconds = 120;
inline constexpr int kStraightSeconds = 300;
// Speeds (km/h): at most this counts as standing still, at least that as driving.
inline constexpr double kStillMaxKmh = 1.5;
inline constexpr double kDrivingMinKmh = 30.0;

// What the calibration panel shows.
struct DrCalibrationView {
    bool PanelShown = false;
    bool StartEnabled = true;
    std::array<Rgb, 3> StepColours{kDrStepIdle, kDrStepIdle, kDrStepIdle};
    std::string CountText;
    Rgb CountColour = kDrCountColour;
    int CountSize = kDrCountSize;
    std::string SpeedText;
    bool SpeedHighlighted = false;
    std::string OdometerText;
    std::string MessageText;  // the main window's message panel
    // The receiver's calibration values: DR, odometer scale, gyro gain, gyro offset.
    std::array<std::string, 4> Values;
    // Status lights of the fields 2, 3, 4, 5, 7 and 8 of the status sentence.
    std::array<Rgb, 6> Lights{kDrLightOff, kDrLightOff, kDrLightOff,
                              kDrLightOff, kDrLightOff, kDrLightOff};
    std::string InputName;  // "CAN", "ODO", "UART" or empty
    // The dead-reckoning status of TDK modules (hidden two seconds after the last sentence).
    bool TdkStatusShown = false;
    std::string TdkSpeedText;
    std::string TdkStateText;
    int TdkStateSize = 11;
};

// The calibration drive of dead-reckoning receivers. For ST modules: reset of the stored
// calibration, the check that the speed input delivers, then three timed steps (standing still,
// driving straight, driving circles) against live conditions while the receiver's calibration
// status sentence says which values it has learnt; "DR Ready !" at the end. For TDK modules: the
// reset of the calibration and the module's own DR status. Instructions and errors go to the
// info window; everything runs on the one-second tick and the received sentences.
class DrCalibration final : public LinkListener,
                            public ConnectionListener,
                            public IdentificationListener {
  public:
    struct Deps {
        SharedState& Shared;
        const ReceiverState& Receiver;
        ReceiverPort& Port;
        const IdentificationResult& Identification;
        Scheduler& Timers;
        SoundOutput& Sounds;
        // Speed over ground (km/h) and whether the receiver's time is valid.
        std::function<double()> GnssSpeedKmh;
        std::function<bool()> TimeValid;
        // The operating system's language code (2052 and 1028 are Chinese).
        std::function<int()> SystemLanguage;
    };
    explicit DrCalibration(const Deps& deps);
    ~DrCalibration() override;
    DrCalibration(const DrCalibration&) = delete;
    DrCalibration& operator=(const DrCalibration&) = delete;

    [[nodiscard]] const DrCalibrationView& View() const { return view_; }
    [[nodiscard]] DrInfoWindow& Info() { return info_; }
    [[nodiscard]] const DrInfoWindow& Info() const { return info_; }
    [[nodiscard]] bool Running() const { return running_; }
    [[nodiscard]] bool ChineseInstructions() const { return chinese_; }
    void SetChangeListener(ViewChangeListener* listener) { listener_ = listener; }
    // The sensor window, which the calibration clears when it starts and hides (and empties)
    // when the receiver reports dead reckoning calibrated or a speed input fails.
    void SetSensorWindow(DrSensorWindow* window) { sensorWindow_ = window; }

    // "Start calibration": asks for confirmation; the answer continues the sequence.
    void StartCalibration();
    // The receiver's sentences while it is a dead-reckoning module.
    void DrStatusSentence(std::string_view line);
    // The calibration's share of the one-second tick.
    void DrCalibrationSecond();
    // Engineering controls: mark a step done; feed a complete status; feed a speed message.
    void MarkStepDone(DrStep step);
    void FeedCompleteStatus();
    void FeedSpeedMessage();
    void CountLabelDoubleClicked();  // writes the engineering parameter
    // Hovering over a step label shows its instructions; leaving hides them.
    void StepLabelHovered(DrStep step);
    void StepLabelLeft();

    void JoinSentenceChain(SentenceChain& chain);
    // LinkListener
    void OnNmeaSecond(bool recognisedThisSecond) override;
    // ConnectionListener
    void OnConnecting() override { ResetForConnection(); }
    void OnDisconnected() override { ResetForConnection(); }
    // IdentificationListener
    void OnReceiverIdentified() override;

  private:
    struct Step {
        bool Armed = false;
        bool Done = false;
        int Count = 0;
        int32_t StartTick = 0;  // SecondsCounter at which the step arms (0: not set)
    };
    enum Flag { DrFlag = 0, SpeedScaleFlag = 1, GyroGainFlag = 2, GyroOffsetFlag = 3 };

    [[nodiscard]] bool IsStDr() const;
    [[nodiscard]] bool IsTdk() const;
    [[nodiscard]] bool ShowingError() const;
    [[nodiscard]] int32_t Now() const { return deps_.Receiver.SecondsCounter; }
    void ConfirmationAnswered(bool ok);
    void StartStCalibration();
    void ResetState();
    void ResetForConnection();
    void ApplyStatus(std::string_view line);
    void ShowTdkStatus(std::string_view line);
    void ShowStepInstructions(DrStep step);
    void RequestStep1();
    void ShowCount(std::string text, Rgb colour = kDrCountColour, int size = kDrCountSize);
    void ShowOdometer();
    void ParameterResetAndRestart();
    void Send(std::vector<std::string> commands, uint32_t gapMs = 50);
    void SendNext();
    void Beeps(int count);
    void BeepOnce();
    void UpdateLanguage();
    void HideSensorWindow(bool clear);
    void Changed();

    Deps deps_;
    DrInfoWindow info_;
    DrCalibrationView view_;
    ViewChangeListener* listener_ = nullptr;
    DrSensorWindow* sensorWindow_ = nullptr;

    std::array<bool, 4> calibrated_{};
    bool sensorReady_ = false;
    int32_t sensorDeadline_ = 0;
    bool awaitingOdometer_ = false;
    long odometerCount_ = 0;
    long odometerReference_ = 0;
    long odometerPrevious_ = 0;
    bool odometerMoved_ = false;
    bool odometerError_ = false;
    Step step1_;
    Step step2_;
    Step step3_;
    int32_t armStep1By_ = 0;
    bool showStep1_ = false;
    double sensorSpeedKmh_ = 0.0;
    bool running_ = false;
    bool drReported_ = false;  // the status said "DR calibrated" since the detection
    int32_t postDetectResetAt_ = 0;
    int32_t hotStartAt_ = 0;
    int32_t quietUntil_ = 0;   // replies of the reset are hidden up to here
    int32_t tdkSecondAt_ = 0;  // TDK: the second reset command is due
    int32_t hideSensorViewAt_ = 0;
    int32_t tdkStatusUntil_ = 0;  // TDK status labels hide after this
    bool chinese_ = false;

    struct Outgoing {
        std::string Bytes;
        uint32_t GapMs;
    };
    std::deque<Outgoing> outgoing_;
    DelayedCall sendLater_;
    DelayedCall hotAfterDetection_;
    DelayedCall beepLater_;
    int beepsLeft_ = 0;
};

}  // namespace gnss
