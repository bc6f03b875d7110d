#include "views/dr_sensor_window.h"

#include <array>
#include <cmath>

#include "nmea/number_parse.h"
#include "nmea/text_fields.h"

namespace gnss {

namespace {

constexpr std::size_t kMinSensorSentenceLength = 20;
constexpr std::string_view kStAccelerometerMarker = "SENMSG,30,";
constexpr std::string_view kStGyroMarker = "SENMSG,31,";
constexpr std::string_view kTdkImuMarker = "$PINVMIMU,";
// The ST sentence's 16th character tells the sensor ("$PSTMDRSENMSG,30" and ",31").
constexpr std::size_t kStSensorCharIndex = 15;

enum class StSensor : uint8_t { None, Accelerometer, Gyro };
struct StSensorRule {
    char Character;
    StSensor Sensor;
};
constexpr std::array<StSensorRule, 2> kStSensors{{
    {'0', StSensor::Accelerometer},
    {'1', StSensor::Gyro},
}};

StSensor StSensorOf(char c) {
    for (const StSensorRule& rule : kStSensors) {
        if (rule.Character == c) return rule.Sensor;
    }
    return StSensor::None;
}

// Which receivers feed the window with which sentences.
enum class DrFeature : uint8_t { StDr, TdkDr };
struct SensorSentenceRule {
    std::string_view Marker;
    DrFeature Feature;
};
constexpr std::array<SensorSentenceRule, 3> kSensorSentences{{
    {kStAccelerometerMarker, DrFeature::StDr},
    {kStGyroMarker, DrFeature::StDr},
    {kTdkImuMarker, DrFeature::TdkDr},
}};

// The fields end at the checksum: a sentence short of fields must not have its checksum read
// as a reading.
std::string_view Field(int n, std::string_view sentence) {
    return ExtractField(n, sentence.substr(0, sentence.find('*')), kComma);
}

// Fields `first` .. `first + 2` as integers; nothing when one of them is not.
std::optional<std::array<double, 3>> StTriple(std::string_view sentence, int first) {
    std::array<double, 3> values{};
    for (int i = 0; i < 3; ++i) {
        const auto value = TryParseInt(Field(first + i, sentence));
        if (!value) return std::nullopt;
        values[static_cast<std::size_t>(i)] = *value;
    }
    return values;
}

// Field `n` as a finite real number.
std::optional<double> FiniteField(std::string_view sentence, int n) {
    const auto value = TryParseFloat(Field(n, sentence));
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

}  // namespace

bool StDrFeatureOn(const SharedState& shared, const IdentificationResult& identification) {
    return shared.Family == ReceiverFamily::ST && identification.StDrModule;
}

bool TdkDrFeatureOn(const SharedState& shared) {
    return shared.Family == ReceiverFamily::TDK_DR;
}

ScreenRect DrSensorWindowRect(const ScreenRect& mainFrame,
                              const std::optional<ScreenRect>& attitude) {
    const int left =
        attitude ? attitude->Left + attitude->Width + 1 : mainFrame.Left + mainFrame.Width;
    return ScreenRect{left, mainFrame.Top + kDrSensorWindowTopOffset, kDrSensorWindowWidth,
                      kDrSensorWindowHeight};
}

DrSensorWindow::DrSensorWindow(const Deps& deps) : deps_(deps) {}

void DrSensorWindow::JoinSentenceChain(SentenceChain& chain) {
    chain.Register(ChainSlot::DrConsumers, [this](SentenceContext& ctx) {
        if (TakesSensorSentence(ctx.Line)) ShowDrSensorSample(ctx.Line);
        return ChainStep::Continue;
    });
}

bool DrSensorWindow::TakesSensorSentence(std::string_view line) const {
    for (const SensorSentenceRule& rule : kSensorSentences) {
        if (!Contains(line, rule.Marker)) continue;
        const bool on = rule.Feature == DrFeature::StDr
                            ? StDrFeatureOn(deps_.Shared, deps_.Identification)
                            : TdkDrFeatureOn(deps_.Shared);
        if (on) return true;
    }
    return false;
}

void DrSensorWindow::ShowDrSensorSample(std::string_view sentence) {
    if (sentence.size() < kMinSensorSentenceLength) return;
    if (!view_.Visible) {
        view_.Visible = true;
        Changed();
    }
    const int32_t hideAt = deps_.State.SecondsCounter + kDrSensorHideSeconds;

    if (Contains(sentence, kStAccelerometerMarker) || Contains(sentence, kStGyroMarker)) {
        const StSensor sensor = StSensorOf(sentence[kStSensorCharIndex]);
        if (sensor == StSensor::None) return;
        hideSecond_ = hideAt;
        const auto xyz = StTriple(sentence, 4);
        if (!xyz) return;  // the reading is not plotted, but it shows the stream is alive
        (sensor == StSensor::Accelerometer ? view_.Accelerometer : view_.Gyro).Add(*xyz);
        Changed();
        return;
    }
    if (Contains(sentence, kTdkImuMarker)) {
        std::array<double, 7> values{};
        for (int field = 2; field <= 8; ++field) {
            const auto value = FiniteField(sentence, field);
            if (!value) return;
            values[static_cast<std::size_t>(field - 2)] = *value;
        }
        hideSecond_ = hideAt;
        view_.Accelerometer.Add({values[1], values[2], values[3]});
        view_.Gyro.Add({values[4], values[5], values[6]});
        Changed();
    }
}

void DrSensorWindow::ResetDrSensorCharts() {
    view_.Accelerometer.Clear();
    view_.Gyro.Clear();
    Changed();
}

void DrSensorWindow::HideAndReset() {
    hideSecond_ = 0;
    view_.Visible = false;
    ResetDrSensorCharts();
}

void DrSensorWindow::Hide() {
    if (!view_.Visible) return;
    view_.Visible = false;
    Changed();
}

void DrSensorWindow::DrSensorSecond() {
    if (hideSecond_ == 0 || deps_.State.SecondsCounter < hideSecond_) return;
    hideSecond_ = 0;
    if (view_.Visible) HideAndReset();
}

void DrSensorWindow::Changed() {
    if (deps_.Changes != nullptr) deps_.Changes->OnViewChanged();
}

}  // namespace gnss
