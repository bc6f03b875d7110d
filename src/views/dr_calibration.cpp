#include "views/dr_calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "link/receiver_link.h"
#include "nmea/number_parse.h"
#include "nmea/text_fields.h"

namespace gnss {

namespace {

// --- what the info window says ---
const std::vector<std::string_view> kConfirmationLines = {
    "Start Calibration will clear", "all calibrated data !", "Are you sure to continue ?"};
const std::array<std::vector<std::string_view>, 3> kStepLines = {{
    {"1. Stop the car", "2. Assure the GNSS is in fix status", "3. Wait for 2 minutes"},
    {"1. Vehicle speed >= 30 Km/h", "2. Drive in straight road sections", "3. Time >= 5 min"},
    {"1. Vehicle speed >= 30 Km/h", "2. Drive in circular route", "3. Counterclockwise*3",
     "4. Clockwise*3"},
}};
const std::vector<std::string_view> kOdometerErrorLines = {"Can not receive valid ODOmeter data !",
                                                           "DR function has been aborted !"};
const std::vector<std::string_view> kUartErrorLines = {"Can not receive valid data from UART !",
                                                       "DR function has been aborted !"};
const std::vector<std::string_view> kCanErrorLines = {"Can not receive CAN-bus data !",
                                                      "DR function has been aborted !"};

// --- what is sent to the receiver ---
const std::vector<std::string> kStResetCalibration = {
    "$PSTMGPSSUSPEND",           "$PSTMNVMITEMINV,80,1", "$PSTMNVMITEMINV,81,1",
    "$PSTMSETPAR,1228,10800000", "$PSTMSAVEPAR",         "$PSTMSRR"};
const std::vector<std::string> kStEngineeringParameter = {"$PSTMSETPAR,1600,0x0A01050E",
                                                          "$PSTMSAVEPAR", "$PSTMSRR"};
constexpr std::string_view kStParameterReset = "$PSTMSETPAR,1228,0x00000000";
constexpr std::string_view kStHot = "$PSTMHOT";
constexpr std::string_view kTdkReset = "$PINVCRES,0*1A";
constexpr std::string_view kTdkStart = "$PINVCSTR,14*3E";
// Engineering feeds.
constexpr std::string_view kCompleteStatus = "$PSTMDRCAL,1,1,1,1,ff,1,1*6E";
constexpr std::string_view kCanSpeedSample = "$PSTMDRSENMSG,14,1180517143,0.0*07";
constexpr std::string_view kUartSpeedSample = "$PSTMDRSENMSG,1,26641380,8784*1F";

// Replies of the reset that the monitor does not show during the first seconds.
constexpr std::array<std::string_view, 5> kQuietReplies = {
    "SUSPEND", "$PSTMNVMITEMINV", "$PSTMSETPAR", "$PSTMSAVEPAR", "$PSTMVER,"};
constexpr int32_t kQuietSeconds = 5;
constexpr int32_t kPostDetectResetSeconds = 5;
constexpr int32_t kSensorDeadlineSeconds = 8;
constexpr long kOdometerMovedPulses = 100;

// The status fields with a light, and the calibrated flag the first four of them set.
constexpr std::array<int, 6> kLightFields = {2, 3, 4, 5, 7, 8};

// TDK DR state texts by the state field; English and the two Chinese texts.
struct TdkStateText {
    std::string_view State;
    std::string_view English;
    std::string_view Chinese1028;
    std::string_view Chinese2052;
};
constexpr std::array<TdkStateText, 4> kTdkStates = {{
    {"3", "DR-OK", "DR-OK", "DR-OK"},
    {"2", "DR-Ready", "DR-Ready", "DR-Ready"},
    {"1",
     "Speed\xEF\xBC\x9E"
     "30 Km/H",
     "\xE9\x80\x9F\xE5\xBA\xA6\xEF\xBC\x9E"
     "30 Km/H",
     "\xE9\x80\x9F\xE5\xBA\xA6\xEF\xBC\x9E"
     "30 Km/H"},
    {"0", "Stop and wait for 1 minute", "\xE9\x9D\x9C\xE6\xAD\xA2 1 \xE5\x88\x86\xE9\x90\x98",
     "\xE9\x9D\x99\xE6\xAD\xA2 1 \xE5\x88\x86\xE9\x92\x9F"},
}};
constexpr int kTdkHintSize = 11;
constexpr int kTdkOtherSize = 28;
constexpr int32_t kTdkStatusSeconds = 2;

constexpr int kLanguageTraditional = 1028;
constexpr int kLanguageSimplified = 2052;

std::string Printf(const char* format, double value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

DrCalibration::DrCalibration(const Deps& deps)
    : deps_(deps),
      info_(deps.Timers),
      sendLater_(deps.Timers),
      hotAfterDetection_(deps.Timers),
      beepLater_(deps.Timers) {
    info_.OnChanged = [this] { Changed(); };
    info_.OnClosed = [this](DrInfoResult) { view_.StartEnabled = true; };
}

DrCalibration::~DrCalibration() = default;

bool DrCalibration::IsStDr() const {
    return StDrFeatureOn(deps_.Shared, deps_.Identification);
}

bool DrCalibration::ShowingError() const {
    return info_.Visible() && info_.Mode() == DrInfoMode::Error;
}

bool DrCalibration::IsTdk() const {
    return TdkDrFeatureOn(deps_.Shared);
}

void DrCalibration::HideSensorWindow(bool clear) {
    if (sensorWindow_ == nullptr) return;
    if (clear) {
        sensorWindow_->HideAndReset();
    } else {
        sensorWindow_->Hide();
    }
}

void DrCalibration::Changed() {
    if (listener_ != nullptr) listener_->OnViewChanged();
}

// --- sending ---

void DrCalibration::Send(std::vector<std::string> commands, uint32_t gapMs) {
    for (std::string& command : commands) outgoing_.push_back(Outgoing{std::move(command), gapMs});
    if (!sendLater_.Pending()) SendNext();
}

void DrCalibration::SendNext() {
    if (outgoing_.empty()) return;
    const Outgoing next = outgoing_.front();
    outgoing_.pop_front();
    (void)SendToReceiver(deps_.Shared, deps_.Port, next.Bytes + "\r\n");
    if (!outgoing_.empty()) sendLater_.After(next.GapMs, [this] { SendNext(); });
}

void DrCalibration::ParameterResetAndRestart() {
    outgoing_.push_back(Outgoing{std::string(kStParameterReset), 100});
    outgoing_.push_back(Outgoing{std::string(kStHot), 50});
    if (!sendLater_.Pending()) SendNext();
}

void DrCalibration::Beeps(int count) {
    beepsLeft_ = count;
    beepLater_.After(100, [this] { BeepOnce(); });
}

void DrCalibration::BeepOnce() {
    if (beepsLeft_ <= 0) return;
    deps_.Sounds.Beep();
    if (--beepsLeft_ > 0) beepLater_.After(300, [this] { BeepOnce(); });
}

void DrCalibration::UpdateLanguage() {
    const int language = deps_.SystemLanguage ? deps_.SystemLanguage() : 0;
    chinese_ = language == kLanguageTraditional || language == kLanguageSimplified;
}

// --- identification and connection ---

void DrCalibration::OnReceiverIdentified() {
    view_.InputName.clear();
    view_.PanelShown = IsTdk();
    if (!IsStDr()) {
        Changed();
        return;
    }
    UpdateLanguage();
    postDetectResetAt_ = Now() + kPostDetectResetSeconds;
    drReported_ = false;
    hotAfterDetection_.After(100, [this] { Send({std::string(kStHot)}); });
    for (const auto& input : kStSpeedInputs) {
        if (input.Input == deps_.Identification.StDrSpeedInput) view_.InputName = input.Name;
    }
    view_.PanelShown = true;
    Changed();
}

void DrCalibration::ResetForConnection() {
    ResetState();
    running_ = false;
    postDetectResetAt_ = 0;
    hotStartAt_ = 0;
    quietUntil_ = 0;
    tdkSecondAt_ = 0;
    hideSensorViewAt_ = 0;
    tdkStatusUntil_ = 0;
    drReported_ = false;
    outgoing_.clear();
    sendLater_.Cancel();
    hotAfterDetection_.Cancel();
    view_.StartEnabled = true;
    view_.TdkStatusShown = false;
    view_.PanelShown = false;
    if (info_.Visible()) info_.Close(DrInfoResult::Hidden);
    Changed();
}

void DrCalibration::ResetState() {
    calibrated_ = {};
    sensorReady_ = false;
    sensorDeadline_ = 0;
    awaitingOdometer_ = false;
    odometerCount_ = odometerReference_ = odometerPrevious_ = 0;
    odometerMoved_ = false;
    odometerError_ = false;
    step1_ = Step{};
    step2_ = Step{};
    step3_ = Step{};
    step1_.Count = kStillSeconds;
    armStep1By_ = 0;
    showStep1_ = false;
    sensorSpeedKmh_ = 0.0;
    view_.StepColours = {kDrStepIdle, kDrStepIdle, kDrStepIdle};
    view_.Values = {};
    view_.CountText.clear();
    view_.CountColour = kDrCountColour;
    view_.CountSize = kDrCountSize;
}

// --- the user's actions ---

void DrCalibration::StartCalibration() {
    if (!IsStDr() && !IsTdk()) return;
    if (IsTdk()) UpdateLanguage();
    view_.MessageText.clear();
    view_.StartEnabled = false;
    info_.OnClosed = [this](DrInfoResult result) {
        info_.OnClosed = [this](DrInfoResult) { view_.StartEnabled = true; };
        ConfirmationAnswered(result == DrInfoResult::Ok);
    };
    info_.Show(DrInfoIcon::Information, kConfirmationLines, DrInfoMode::Confirmation, true);
}

void DrCalibration::ConfirmationAnswered(bool ok) {
    view_.StartEnabled = true;
    if (!ok || !deps_.Shared.PortOpen) {
        Changed();
        return;
    }
    if (IsTdk()) {
        view_.StartEnabled = false;
        Send({std::string(kTdkReset)});
        tdkSecondAt_ = Now() + 2;
        Changed();
        return;
    }
    if (IsStDr()) StartStCalibration();
}

void DrCalibration::StartStCalibration() {
    quietUntil_ = Now() + kQuietSeconds;
    view_.StartEnabled = false;
    Send(kStResetCalibration);
    if (sensorWindow_ != nullptr) sensorWindow_->ResetDrSensorCharts();
    ResetState();
    running_ = true;
    switch (deps_.Identification.StDrSpeedInput) {
        case DrSpeedInput::Odometer:
            awaitingOdometer_ = true;
            odometerError_ = false;
            break;
        case DrSpeedInput::Uart:
            sensorDeadline_ = Now() + kSensorDeadlineSeconds;
            break;
        case DrSpeedInput::Can:
            sensorDeadline_ = Now() + kSensorDeadlineSeconds;
            odometerMoved_ = true;
            break;
        case DrSpeedInput::Unknown:
            break;
    }
    sensorReady_ = false;
    view_.StartEnabled = true;
    Changed();
}

void DrCalibration::MarkStepDone(DrStep step) {
    Step& s = step == DrStep::Still ? step1_ : step == DrStep::Straight ? step2_ : step3_;
    s.Done = true;
    view_.StepColours[static_cast<std::size_t>(step)] = kDrStepDone;
    Changed();
}

void DrCalibration::FeedCompleteStatus() {
    DrStatusSentence(kCompleteStatus);
    DrCalibrationSecond();
}

void DrCalibration::FeedSpeedMessage() {
    DrStatusSentence(deps_.Identification.StDrSpeedInput == DrSpeedInput::Can ? kCanSpeedSample
                                                                              : kUartSpeedSample);
}

void DrCalibration::CountLabelDoubleClicked() {
    if (IsStDr()) Send(kStEngineeringParameter);
}

void DrCalibration::StepLabelHovered(DrStep step) {
    ShowStepInstructions(step);
}

void DrCalibration::StepLabelLeft() {
    if (info_.Visible() && info_.Mode() == DrInfoMode::Countdown) info_.Close(DrInfoResult::Hidden);
}

void DrCalibration::ShowStepInstructions(DrStep step) {
    info_.Show(DrInfoIcon::Information, kStepLines[static_cast<std::size_t>(step)],
               DrInfoMode::Countdown, false);
}

// --- received sentences ---

void DrCalibration::JoinSentenceChain(SentenceChain& chain) {
    chain.Register(ChainSlot::DrCalibrationQuiet, [this](SentenceContext& ctx) {
        if (quietUntil_ == 0 || Now() > quietUntil_) return ChainStep::Continue;
        for (std::string_view reply : kQuietReplies) {
            if (Contains(ctx.Line, reply)) return ChainStep::EndFalse;
        }
        return ChainStep::Continue;
    });
    chain.Register(ChainSlot::DrConsumers, [this](SentenceContext& ctx) {
        if (IsStDr() || IsTdk()) DrStatusSentence(ctx.Line);
        return ChainStep::Continue;
    });
}

void DrCalibration::RequestStep1() {
    sensorReady_ = true;
    ShowCount(std::to_string(kStillSeconds));
    showStep1_ = true;
}

void DrCalibration::ShowCount(std::string text, Rgb colour, int size) {
    view_.CountText = std::move(text);
    view_.CountColour = colour;
    view_.CountSize = size;
}

void DrCalibration::ShowOdometer() {
    char text[80];
    std::snprintf(text, sizeof text, "%ld/%ld (%ld)", odometerReference_, odometerCount_,
                  odometerCount_ - odometerReference_);
    view_.OdometerText = text;
}

void DrCalibration::DrStatusSentence(std::string_view line) {
    if (IsTdk()) {
        ShowTdkStatus(line);
        return;
    }
    const DrSpeedInput input = deps_.Identification.StDrSpeedInput;
    if (Contains(line, "SENMSG,14,")) {
        const std::optional<double> speed = TryParseFloat(ExtractField(4, line, kCommaStar));
        if (speed && std::isfinite(*speed)) {
            sensorSpeedKmh_ = *speed;
            view_.SpeedText = Printf("%.1f KmH", *speed);
            view_.SpeedHighlighted = *speed > kStillMaxKmh;
        }
        if (input == DrSpeedInput::Can && sensorDeadline_ != 0) {
            sensorDeadline_ = 0;
            view_.OdometerText = " CAN_Bus Ready !";
            RequestStep1();
        }
    } else if (Contains(line, "DRCAL,")) {
        view_.PanelShown = true;
        ApplyStatus(line);
    } else if (Contains(line, "SENMSG,3,")) {
        if (input != DrSpeedInput::Odometer) return;
        const std::optional<int32_t> count = TryParseInt(Trim(ExtractField(4, line, kCommaStar)));
        if (!count) return;
        odometerCount_ = *count;
        if (awaitingOdometer_) {
            awaitingOdometer_ = false;
            odometerReference_ = odometerCount_;
            odometerPrevious_ = odometerCount_;
            RequestStep1();
        }
        ShowOdometer();
    } else if (Contains(line, "SENMSG,1,") && Contains(line, "*")) {
        if (input == DrSpeedInput::Uart && sensorDeadline_ != 0) {
            sensorDeadline_ = 0;
            view_.OdometerText = " UART Ready !";
            RequestStep1();
        }
    } else {
        // The sensor messages ("SENMSG,30," and "SENMSG,31,") go to the sensor window by its
        // own place in the sentence chain.
        return;
    }
    Changed();
}

void DrCalibration::ApplyStatus(std::string_view line) {
    for (std::size_t i = 0; i < view_.Values.size(); ++i) {
        view_.Values[i] = std::string(ExtractField(static_cast<int>(i) + 2, line, kCommaStar));
    }
    for (std::size_t i = 0; i < kLightFields.size(); ++i) {
        const bool on = ExtractField(kLightFields[i], line, kCommaStar) == "1";
        view_.Lights[i] = on ? kDrLightOn : kDrLightOff;
        if (on && i < calibrated_.size()) calibrated_[i] = true;
    }
    if (ExtractField(2, line, kCommaStar) == "1" && !drReported_) {
        drReported_ = true;
        if (postDetectResetAt_ != 0) {
            postDetectResetAt_ = 0;
            ShowCount(std::string(kDrReady), kDrReadyColour, kDrReadySize);
            HideSensorWindow(true);
        }
    }
}

void DrCalibration::ShowTdkStatus(std::string_view line) {
    if (Contains(line, "$PINVMVGS,")) {
        const std::optional<double> speed = TryParseFloat(ExtractField(3, line, kCommaStar));
        if (!speed || !std::isfinite(*speed)) return;
        view_.TdkSpeedText = Printf("%6.2f Km/H", *speed);
    } else if (Contains(line, "$PINVMINR,")) {
        const std::string_view state = ExtractField(2, line, kCommaStar);
        const int language = deps_.SystemLanguage ? deps_.SystemLanguage() : 0;
        const auto known = std::find_if(kTdkStates.begin(), kTdkStates.end(),
                                        [&](const TdkStateText& t) { return t.State == state; });
        if (known == kTdkStates.end()) {
            view_.TdkStateText = std::string(state);
            view_.TdkStateSize = kTdkOtherSize;
        } else {
            view_.TdkStateText = std::string(language == kLanguageTraditional  ? known->Chinese1028
                                             : language == kLanguageSimplified ? known->Chinese2052
                                                                               : known->English);
            view_.TdkStateSize = kTdkHintSize;
        }
    } else {
        return;
    }
    view_.TdkStatusShown = true;
    tdkStatusUntil_ = Now() + kTdkStatusSeconds;
    Changed();
}

// --- the one-second tick ---

void DrCalibration::OnNmeaSecond(bool) {
    if (IsStDr() || IsTdk()) DrCalibrationSecond();
}

void DrCalibration::DrCalibrationSecond() {
    const int32_t now = Now();
    const double gnssKmh = deps_.GnssSpeedKmh ? deps_.GnssSpeedKmh() : 0.0;
    const bool timeValid = deps_.TimeValid && deps_.TimeValid();
    const DrSpeedInput input = deps_.Identification.StDrSpeedInput;
    if (input != DrSpeedInput::Can) sensorSpeedKmh_ = gnssKmh;

    if (IsTdk()) {
        if (tdkSecondAt_ != 0 && now >= tdkSecondAt_) {
            tdkSecondAt_ = 0;
            Send({std::string(kTdkStart)});
            view_.StartEnabled = true;
        }
        if (view_.TdkStatusShown && now > tdkStatusUntil_) view_.TdkStatusShown = false;
        Changed();
        return;
    }

    // 1. The odometer.
    if (input == DrSpeedInput::Odometer) {
        if (!odometerMoved_ &&
            std::labs(odometerCount_ - odometerReference_) > kOdometerMovedPulses)
            odometerMoved_ = true;
        if (odometerError_) {
            odometerError_ = false;
            // An error already on screen is not repeated; an instruction window does not count.
            const bool errorShown = ShowingError();
            info_.Show(DrInfoIcon::Error, kOdometerErrorLines, DrInfoMode::Error, true);
            if (!errorShown) {
                ParameterResetAndRestart();
                ResetState();
                running_ = false;
            }
        }
    }
    // 2. The step 1 instructions.
    if (showStep1_) {
        showStep1_ = false;
        info_.Show(DrInfoIcon::Information, kStepLines[0], DrInfoMode::Countdown, true);
        armStep1By_ = now + 1;
        step1_.Armed = false;
    }
    // 3. The reset after the detection.
    if (postDetectResetAt_ != 0 && now >= postDetectResetAt_) {
        postDetectResetAt_ = 0;
        ParameterResetAndRestart();
        HideSensorWindow(false);
    }
    // 4. No speed messages in time.
    if (sensorDeadline_ != 0 && now >= sensorDeadline_ &&
        (input == DrSpeedInput::Uart || input == DrSpeedInput::Can)) {
        sensorDeadline_ = 0;
        // An error already on screen is not repeated; an instruction window does not count.
        const bool errorShown = ShowingError();
        info_.Show(DrInfoIcon::Error,
                   input == DrSpeedInput::Uart ? kUartErrorLines : kCanErrorLines,
                   DrInfoMode::Error, true);
        if (!errorShown) ParameterResetAndRestart();
        running_ = false;
        hideSensorViewAt_ = now + 2;
    }
    if (hideSensorViewAt_ != 0 && now >= hideSensorViewAt_) {
        hideSensorViewAt_ = 0;
        HideSensorWindow(false);
    }
    // 5. The hot start after completion.
    if (hotStartAt_ != 0 && now >= hotStartAt_) {
        hotStartAt_ = 0;
        Send({std::string(kStHot)});
    }
    // 6. Completion.
    if (calibrated_[DrFlag] && step3_.Done && step2_.Done && step1_.Done) {
        if (view_.CountText != kDrReady) {
            hotStartAt_ = now + 2;
            ShowCount(std::string(kDrReady), kDrReadyColour, kDrReadySize);
            deps_.Sounds.PlayCompletionSound();
            running_ = false;
        }
    }
    // 7. Step 3 done.
    if (step3_.Armed && !step3_.Done && calibrated_[GyroGainFlag]) {
        step3_.Done = true;
        Beeps(3);
        view_.StepColours[2] = kDrStepDone;
    }
    // 8. Step 3 armed.
    if (step2_.Done && !step3_.Armed && !step3_.Done && step3_.StartTick != 0 &&
        now >= step3_.StartTick) {
        view_.StepColours[2] = kDrStepActive;
        step3_.Armed = true;
    }
    // 9. Step 2: driving straight.
    if (step2_.Armed && !step2_.Done && timeValid && gnssKmh >= kDrivingMinKmh &&
        sensorSpeedKmh_ >= kDrivingMinKmh) {
        if (step2_.Count > 0) {
            --step2_.Count;
            ShowCount(std::to_string(step2_.Count));
        }
        if (!odometerMoved_) {
            if (odometerCount_ == odometerPrevious_) {
                odometerError_ = true;
                step2_.Armed = false;
                char text[80];
                std::snprintf(text, sizeof text, "%ld/%ld (%ld)", odometerReference_,
                              odometerCount_, odometerCount_ - odometerReference_);
                view_.MessageText = text;
            }
            odometerPrevious_ = odometerCount_;
        }
        if (step2_.Armed && step2_.Count == 0 && calibrated_[SpeedScaleFlag]) {
            step2_.Done = true;
            Beeps(2);
            view_.StepColours[1] = kDrStepDone;
            ShowCount("OK");
            step3_.StartTick = now + 2;
            ShowStepInstructions(DrStep::Circles);
        }
    }
    // 10. Step 2 armed.
    if (step1_.Done && !step2_.Armed && !step2_.Done && !odometerError_ && step2_.StartTick != 0 &&
        now >= step2_.StartTick) {
        view_.StepColours[1] = kDrStepActive;
        step2_.Count = kStraightSeconds;
        step2_.StartTick = 0;
        ShowCount(std::to_string(kStraightSeconds));
        step2_.Armed = true;
    }
    // 11. Step 1: standing still.
    if (step1_.Armed && sensorReady_ && !step1_.Done) {
        if (!timeValid || gnssKmh > kStillMaxKmh || sensorSpeedKmh_ > kStillMaxKmh) {
            step1_.Count = kStillSeconds;
            ShowCount(std::to_string(step1_.Count), kDrCountMoving);
        } else {
            if (step1_.Count > 0) --step1_.Count;
            ShowCount(std::to_string(step1_.Count));
        }
        if (step1_.Count == 0 && calibrated_[GyroOffsetFlag]) {
            step1_.Done = true;
            Beeps(1);
            view_.StepColours[0] = kDrStepDone;
            ShowCount("OK");
            step2_.StartTick = now + 2;
            ShowStepInstructions(DrStep::Straight);
        }
    }
    // 12. Step 1 armed, once the receiver's time is valid.
    if (armStep1By_ != 0 && now >= armStep1By_ && !step1_.Armed && timeValid) {
        step1_.Armed = true;
        armStep1By_ = 0;
        view_.StepColours[0] = kDrStepActive;
    }
    Changed();
}

}  // namespace gnss
