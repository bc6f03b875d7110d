#include "sim/sensor_sentences.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "sim/sim_bytes.h"

namespace gnss::sim {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kTurnDegPerS = 6.0;           // one turn a minute
constexpr double kUnityMatrix = 4096.0;        // the rotation matrix's scale
constexpr double kCountsPerG = 511.0 / 2.0;    // the attitude module's accelerometer
constexpr uint32_t kDrSamplePeriodMs = 200;    // five inertial samples a second
constexpr double kStAccelCountsPerG = 4096.0;  // ST accelerometer counts
constexpr double kStGyroCountsPerDps = 65.5;   // ST gyro counts per degree a second
constexpr double kGravity = 9.80665;
// Along-track acceleration from the speed change over this span, and at most this much (G).
constexpr uint64_t kSpeedChangeSpanMs = 3000;
constexpr double kMaxAlongG = 0.6;

using Vec = std::array<double, 3>;

Vec Add(const Vec& a, const Vec& b, double sa, double sb) {
    return {a[0] * sa + b[0] * sb, a[1] * sa + b[1] * sb, a[2] * sa + b[2] * sb};
}

// A small deterministic jitter in -1..1 for sample `n` of stream `stream`.
double Jitter(uint64_t n, uint64_t stream) {
    uint64_t x = n * 0x9E3779B97F4A7C15ULL + stream * 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 31;
    x *= 0x94D049BB133111EBULL;
    x ^= x >> 29;
    return static_cast<double>(x % 2001) / 1000.0 - 1.0;
}

std::string Sentence(const char* format, auto... values) {
    std::array<char, 160> text{};
    std::snprintf(text.data(), text.size(), format, values...);
    return WithChecksum(text.data());
}

// Lights: CMS modules report three calibration bits that come on one after another; CM2 modules
// step through their indicator states.
constexpr std::array<int, 5> kCm2States{0, 1, 2, 3, 7};

}  // namespace

SensorSentences::SensorSentences(const FamilyProfile& profile) {
    switch (profile.Family) {
        case ReceiverFamily::CMS:
        case ReceiverFamily::CM2:
            kind_ = Kind::Attitude;
            cm2_ = profile.Family == ReceiverFamily::CM2;
            break;
        case ReceiverFamily::ST:
            if (profile.Variant == "dr") kind_ = Kind::StDeadReckoning;
            break;
        case ReceiverFamily::TDK_DR:
            kind_ = Kind::TdkImu;
            break;
        default:
            break;
    }
}

void SensorSentences::AppendEpoch(uint64_t elapsedMs, uint32_t intervalMs,
                                  std::vector<std::string>& out) const {
    switch (kind_) {
        case Kind::None:
            return;
        case Kind::Attitude:
            AppendAttitude(static_cast<double>(elapsedMs) / 1000.0, out);
            return;
        case Kind::StDeadReckoning:
        case Kind::TdkImu:
            break;
    }
    const uint64_t from = elapsedMs > intervalMs ? elapsedMs - intervalMs : 0;
    for (uint64_t t = (from / kDrSamplePeriodMs + 1) * kDrSamplePeriodMs; t <= elapsedMs;
         t += kDrSamplePeriodMs) {
        if (kind_ == Kind::StDeadReckoning) {
            AppendStSample(t, out);
        } else {
            AppendTdkSample(t, out);
        }
    }
}

void SensorSentences::AppendAttitude(double seconds, std::vector<std::string>& out) const {
    // Heading turns steadily; pitch and roll sway by a few degrees.
    const double heading = std::fmod(seconds * kTurnDegPerS, 360.0);
    const double pitch = 8.0 * std::sin(seconds * 0.5) * kDegree;
    const double roll = 12.0 * std::sin(seconds * 0.31) * kDegree;
    const double h = heading * kDegree;
    // The module's axes in the scene (X east, Y up, Z south); at rest X points north.
    Vec x{std::sin(h), 0.0, -std::cos(h)};
    Vec y{0.0, 1.0, 0.0};
    Vec z{std::cos(h), 0.0, std::sin(h)};
    const Vec xp = Add(x, y, std::cos(pitch), std::sin(pitch));
    const Vec yp = Add(x, y, -std::sin(pitch), std::cos(pitch));
    const Vec yr = Add(yp, z, std::cos(roll), std::sin(roll));
    const Vec zr = Add(yp, z, -std::sin(roll), std::cos(roll));
    const std::array<Vec, 3> r{xp, yr, zr};
    // The sensor's matrix M is such that the scene rows are (m21, m23, -m22), (m31, m33, -m32)
    // and (m11, m13, -m12).
    std::array<long, 9> m{};
    const auto put = [&m](int row, const Vec& v) {
        m[static_cast<std::size_t>(row * 3 + 0)] = std::lround(v[0] * kUnityMatrix);
        m[static_cast<std::size_t>(row * 3 + 2)] = std::lround(v[1] * kUnityMatrix);
        m[static_cast<std::size_t>(row * 3 + 1)] = std::lround(-v[2] * kUnityMatrix);
    };
    put(1, r[0]);
    put(2, r[1]);
    put(0, r[2]);

    // The accelerometer feels 1 G upward, seen along the module's own axes.
    const Vec up{0.0, 1.0, 0.0};
    std::array<long, 3> counts{};
    for (std::size_t i = 0; i < 3; ++i) {
        const double g = r[i][0] * up[0] + r[i][1] * up[1] + r[i][2] * up[2];
        counts[i] = std::clamp(std::lround(g * kCountsPerG), -512L, 511L);
    }
    const auto step = static_cast<std::size_t>(seconds / 4.0);
    const int status = cm2_ ? kCm2States[step % kCm2States.size()] : static_cast<int>(step % 8);
    const int calibration = seconds >= 10.0 ? 3 : 0;
    const long intensity = std::lround(120.0 + 25.0 * std::sin(seconds * 0.2));
    out.push_back(Sentence("$PMDR,245,1,%.1f,%d,%ld,%ld,%ld,%ld,0,0,%d", heading, status, intensity,
                           counts[0], counts[1], counts[2], calibration));
    out.push_back(Sentence("$PMDR,245,2,%ld,%ld,%ld,%ld,%ld,%ld,%ld,%ld,%ld", m[0], m[1], m[2],
                           m[3], m[4], m[5], m[6], m[7], m[8]));
}

// The vehicle of the scripted drive: the speed change gives the along-track acceleration, the
// turn the yaw rate and the centripetal (side) acceleration. Without a drive: a car that speeds
// up and brakes and weaves. Gravity on Z; a little noise on everything.
SensorSentences::CarReading SensorSentences::CarAt(uint64_t elapsedMs) const {
    const uint64_t n = elapsedMs / kDrSamplePeriodMs;
    CarReading car;
    VehicleMotion now;
    VehicleMotion before;
    const uint64_t earlier = elapsedMs > kSpeedChangeSpanMs ? elapsedMs - kSpeedChangeSpanMs : 0;
    if (drive_ != nullptr && drive_->Motion(elapsedMs, now) && drive_->Motion(earlier, before)) {
        const double speedMs = now.SpeedKmh / 3.6;
        const double spanS = static_cast<double>(kSpeedChangeSpanMs) / 1000.0;
        const double along = (speedMs - before.SpeedKmh / 3.6) / spanS / kGravity;
        car.Along = std::clamp(along, -kMaxAlongG, kMaxAlongG);
        car.YawDps = -now.TurnDegPerS;  // the drive turns clockwise for positive rates
        car.Side = speedMs * car.YawDps * kDegree / kGravity;
    } else {
        const double seconds = static_cast<double>(elapsedMs) / 1000.0;
        car.Along = 0.25 * std::sin(seconds * 0.21);
        car.Side = 0.15 * std::sin(seconds * 0.7);
        car.YawDps = 12.0 * std::sin(seconds * 0.7);
    }
    car.Along += 0.02 * Jitter(n, 1);
    car.Side += 0.02 * Jitter(n, 2);
    car.Vertical += 0.03 * Jitter(n, 3);
    car.YawDps += 0.5 * Jitter(n, 4);
    return car;
}

void SensorSentences::AppendStSample(uint64_t elapsedMs, std::vector<std::string>& out) const {
    const CarReading car = CarAt(elapsedMs);
    const uint64_t n = elapsedMs / kDrSamplePeriodMs;
    const auto timeMs = static_cast<unsigned long>(elapsedMs);
    out.push_back(Sentence("$PSTMDRSENMSG,30,%lu,%ld,%ld,%ld", timeMs,
                           std::lround(car.Along * kStAccelCountsPerG),
                           std::lround(car.Side * kStAccelCountsPerG),
                           std::lround(car.Vertical * kStAccelCountsPerG)));
    out.push_back(Sentence("$PSTMDRSENMSG,31,%lu,%ld,%ld,%ld", timeMs,
                           std::lround(Jitter(n, 5) * 0.5 * kStGyroCountsPerDps),
                           std::lround(Jitter(n, 6) * 0.5 * kStGyroCountsPerDps),
                           std::lround(car.YawDps * kStGyroCountsPerDps)));
}

void SensorSentences::AppendTdkSample(uint64_t elapsedMs, std::vector<std::string>& out) const {
    const CarReading car = CarAt(elapsedMs);
    const uint64_t n = elapsedMs / kDrSamplePeriodMs;
    out.push_back(Sentence("$PINVMIMU,%.1f,%.3f,%.3f,%.3f,%.3f,%.3f,%.3f",
                           static_cast<double>(elapsedMs) / 1000.0, car.Along * kGravity,
                           car.Side * kGravity, car.Vertical * kGravity, 0.5 * Jitter(n, 5),
                           0.5 * Jitter(n, 6), car.YawDps));
}

}  // namespace gnss::sim
