#include "views/sensor_attitude_window.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "nmea/number_parse.h"
#include "nmea/number_text.h"
#include "nmea/text_fields.h"

namespace gnss {

namespace {

constexpr std::string_view kSensorPrefix = "$PMDR,24";
constexpr std::size_t kMinRoutedLength = 16;    // longer than 15 characters
constexpr std::size_t kMinAttitudeLength = 32;  // longer than 31 characters
constexpr int kSensorSentenceCommas = 11;
// A turn of more than about 3.6 degrees of any axis moves the model.
constexpr double kTurnCosineThreshold = 0.998;
// Rows of a usable rotation matrix are nearly perpendicular and keep their handedness.
constexpr double kMaxRowCosine = 0.1;
constexpr double kMinDeterminant = 0.5;

// The meaning of the third digit of the sensor sentence number ("$PMDR,24d").
enum class SensorNumber : uint8_t { Ignored, Sensor, Status };
struct SensorNumberRule {
    char Digit;
    SensorNumber Meaning;
};
// 245 carries the sensor data; 242, 244, 246, 248 and 249 are the sensor's replies to its
// settings (automatic calibration, measurement task, output, rate, mounting), which show nothing.
constexpr std::array<SensorNumberRule, 6> kSensorNumbers{{
    {'5', SensorNumber::Sensor},
    {'2', SensorNumber::Status},
    {'4', SensorNumber::Status},
    {'6', SensorNumber::Status},
    {'8', SensorNumber::Status},
    {'9', SensorNumber::Status},
}};

SensorNumber SensorNumberOf(char digit) {
    for (const SensorNumberRule& rule : kSensorNumbers) {
        if (rule.Digit == digit) return rule.Meaning;
    }
    return SensorNumber::Ignored;
}

// CM2 modules report one state for all three lights.
constexpr std::array<IndicatorPicture, 8> kCm2Pictures{
    IndicatorPicture::Off, IndicatorPicture::Amber, IndicatorPicture::Green, IndicatorPicture::Blue,
    IndicatorPicture::Off, IndicatorPicture::Off,   IndicatorPicture::Off,   IndicatorPicture::On,
};

std::optional<int32_t> IntField(int n, std::string_view sentence) {
    return TryParseInt(ExtractField(n, sentence, kCommaStar));
}

double Length(const std::array<double, 3>& v) {
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

double Dot(const std::array<double, 3>& a, const std::array<double, 3>& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The matrix R = A * M * B of the scene (rows: model X, Y, Z in scene axes) with unit rows;
// nothing when M is not close to a rotation (a zero row, rows far from perpendicular, a mirror
// image), which would flatten or turn the model inside out.
std::optional<AttitudeRows> SceneRows(const std::array<double, 9>& m) {
    AttitudeRows rows{{
        {m[3], m[5], -m[4]},
        {m[6], m[8], -m[7]},
        {m[0], m[2], -m[1]},
    }};
    for (auto& row : rows) {
        const double length = Length(row);
        if (!(length > 0.0) || !std::isfinite(length)) return std::nullopt;
        for (double& value : row) value /= length;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::fabs(Dot(rows[i], rows[(i + 1) % 3])) > kMaxRowCosine) return std::nullopt;
    }
    const auto& [a, b, c] = rows;
    const double determinant = a[0] * (b[1] * c[2] - b[2] * c[1]) -
                               a[1] * (b[0] * c[2] - b[2] * c[0]) +
                               a[2] * (b[0] * c[1] - b[1] * c[0]);
    if (determinant < kMinDeterminant) return std::nullopt;
    return rows;
}

}  // namespace

double AccelerationG(int32_t raw) {
    return raw >= 0 ? raw * 2.0 / 511.0 : raw * 2.0 / 512.0;
}

std::string AccelerationText(double g) {
    if (g >= 0.0) return " +" + FixedText(g, 3, 5) + " G ";
    return " " + FixedText(g, 3, 6) + " G ";
}

int IntensityBarFill(int fullHeight, int level) {
    level = std::clamp(level, 0, kIntensityFullScale);
    return static_cast<int>(static_cast<double>(fullHeight) / kIntensityFullScale * level);
}

double AttitudeSceneScale(int width, int height) {
    const int side = std::min(width, height);
    if (side <= kAttitudeViewSide) return 1.0;
    return std::min(static_cast<double>(side) / kAttitudeViewSide, kAttitudeMaxSceneScale);
}

ScreenRect AttitudeWindowRect(const ScreenRect& mainFrame) {
    return ScreenRect{mainFrame.Left + mainFrame.Width, mainFrame.Top + kSensorWindowTopOffset,
                      kAttitudeWindowWidth, kAttitudeWindowHeight};
}

AttitudeViewPlace AttitudeViewDropPlace(const ScreenRect& monitor, int x, int y) {
    const bool inside = x >= monitor.Left && x < monitor.Left + monitor.Width && y >= monitor.Top &&
                        y < monitor.Top + monitor.Height;
    return inside ? AttitudeViewPlace::MonitorPanel : AttitudeViewPlace::AttitudeWindow;
}

SensorAttitudeWindow::SensorAttitudeWindow(Deps deps) : deps_(std::move(deps)) {}

void SensorAttitudeWindow::JoinSentenceChain(SentenceChain& chain) {
    chain.Register(ChainSlot::SensorAttitude, [this](SentenceContext& ctx) {
        RouteSensorSentence(ctx.Line);
        return ChainStep::Continue;
    });
}

void SensorAttitudeWindow::OnReceiverIdentified() {
    if (deps_.Identification.HasAttitudeSensor) Show();
}

void SensorAttitudeWindow::OnDisconnected() {
    ResetAttitudeWindow();
    Hide();
}

void SensorAttitudeWindow::RouteSensorSentence(std::string_view line) {
    if (line.size() < kMinRoutedLength || !line.starts_with(kSensorPrefix)) return;
    if (SensorNumberOf(line[8]) != SensorNumber::Sensor) return;  // status replies show nothing
    if (line.size() < kMinAttitudeLength) return;
    switch (line[10]) {
        case '1':
            if (deps_.ShowMagneticNorth) deps_.ShowMagneticNorth(line);
            if (view_.Visible) ShowSensorInfo(line);
            break;
        case '2':
            if (view_.Visible) ShowAttitude(line);
            break;
        default:
            break;
    }
}

void SensorAttitudeWindow::ShowSensorInfo(std::string_view sentence) {
    if (CountDelimiters(sentence, kComma) != kSensorSentenceCommas) return;
    if (ExtractField(4, sentence, kComma).empty()) return;
    const auto status = IntField(5, sentence);
    const auto intensity = IntField(6, sentence);
    const auto x = IntField(7, sentence);
    const auto y = IntField(8, sentence);
    const auto z = IntField(9, sentence);
    const auto calibration = IntField(12, sentence);
    if (!status || !intensity || !x || !y || !z || !calibration) return;

    const std::array<double, 3> g{AccelerationG(*x), AccelerationG(*y), AccelerationG(*z)};
    view_.Accelerations.Add(g);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        view_.AccelerationTexts[axis] = AccelerationText(g[axis]);
        view_.AccelerationColors[axis] =
            g[axis] >= 0.0 ? kPositiveAccelerationColor : kNegativeAccelerationColor;
    }
    view_.IntensityText = std::to_string(static_cast<int64_t>(*intensity) * 4) + " mGs";
    view_.IntensityLevel = std::clamp(*intensity, 0, kIntensityFullScale);

    const auto lowByte = static_cast<uint8_t>(static_cast<uint32_t>(*status) & 0xFFU);
    const bool calibrated =
        deps_.Shared.Family == ReceiverFamily::CM2 ? lowByte != 0 : *calibration > 0;
    view_.PanelColor = calibrated ? kPanelCalibratedColor : kPanelUncalibratedColor;
    if (lowByte != indicatorState_) SetLights(lowByte);
    Changed();
}

void SensorAttitudeWindow::SetLights(uint8_t state) {
    if (deps_.Shared.Family == ReceiverFamily::CM2) {
        const IndicatorPicture picture =
            state < kCm2Pictures.size() ? kCm2Pictures[state] : IndicatorPicture::Off;
        view_.Lights.fill(picture);
    } else {
        const auto changed = static_cast<uint8_t>(state ^ indicatorState_);
        for (std::size_t light = 0; light < 3; ++light) {
            const auto bit = static_cast<uint8_t>(1U << light);
            if ((changed & bit) == 0) continue;
            view_.Lights[light] = (state & bit) != 0 ? IndicatorPicture::On : IndicatorPicture::Off;
        }
    }
    indicatorState_ = state;
}

void SensorAttitudeWindow::ShowAttitude(std::string_view sentence) {
    if (CountDelimiters(sentence, kComma) != kSensorSentenceCommas) return;
    std::array<double, 9> m{};
    for (int field = 4; field <= 12; ++field) {
        const auto value = IntField(field, sentence);
        if (!value) return;
        m[static_cast<std::size_t>(field - 4)] = *value;
    }
    const auto rows = SceneRows(m);
    if (!rows) return;

    bool turned = false;
    for (std::size_t i = 0; i < 3; ++i) {
        const double cosine =
            Dot((*rows)[i], lastApplied_[i]) / (Length((*rows)[i]) * Length(lastApplied_[i]));
        if (cosine < kTurnCosineThreshold) turned = true;
    }
    if (!turned) return;
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            view_.Orientation[i * 4 + j] = static_cast<float>((*rows)[i][j]);
        }
    }
    ++view_.OrientationRevision;
    lastApplied_ = *rows;
    Changed();
}

void SensorAttitudeWindow::ResetAttitudeWindow() {
    view_.Accelerations.Clear();
    Changed();
}

void SensorAttitudeWindow::Show() {
    if (view_.Visible) return;
    view_.Visible = true;
    Changed();
}

void SensorAttitudeWindow::Hide() {
    if (!view_.Visible) return;
    view_.Visible = false;
    Changed();
}

void SensorAttitudeWindow::Changed() {
    if (deps_.Changes != nullptr) deps_.Changes->OnViewChanged();
}

}  // namespace gnss
