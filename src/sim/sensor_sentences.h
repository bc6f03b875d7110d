#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/family_profiles.h"
#include "sim/receiver_extra.h"

namespace gnss::sim {

// The sensor sentences of modules that carry inertial or attitude sensors, from a simple motion
// of their own: attitude-and-compass modules (families CMS and CM2) turn slowly with a gentle
// sway and report heading, field intensity, accelerations and their rotation matrix; ST
// dead-reckoning modules and TDK modules report accelerometer and gyro samples of their vehicle:
// the receiver's scripted drive when it has one (standing, straight, circles), otherwise a car of
// their own that speeds up, brakes and weaves. Other families send nothing.
class SensorSentences {
  public:
    explicit SensorSentences(const FamilyProfile& profile);

    // Appends the sentences (checksum included, without line end) of the epoch that ends
    // `elapsedMs` after power-on and lasts `intervalMs`.
    void AppendEpoch(uint64_t elapsedMs, uint32_t intervalMs, std::vector<std::string>& out) const;

    [[nodiscard]] bool Active() const { return kind_ != Kind::None; }
    // The vehicle's motion comes from `drive` (the receiver's extra) whenever it has one.
    void FollowMotion(const ReceiverExtra* drive) { drive_ = drive; }

  private:
    enum class Kind : uint8_t { None, Attitude, StDeadReckoning, TdkImu };
    // What the inertial sensors feel at one moment: accelerations in G (along the track, to
    // the left, up) and the yaw rate in degrees a second (counterclockwise positive).
    struct CarReading {
        double Along = 0.0;
        double Side = 0.0;
        double Vertical = 1.0;
        double YawDps = 0.0;
    };
    [[nodiscard]] CarReading CarAt(uint64_t elapsedMs) const;

    void AppendAttitude(double seconds, std::vector<std::string>& out) const;
    void AppendStSample(uint64_t elapsedMs, std::vector<std::string>& out) const;
    void AppendTdkSample(uint64_t elapsedMs, std::vector<std::string>& out) const;

    Kind kind_ = Kind::None;
    bool cm2_ = false;
    const ReceiverExtra* drive_ = nullptr;
};

}  // namespace gnss::sim
