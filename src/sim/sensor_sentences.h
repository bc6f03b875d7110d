#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/family_profiles.h"

namespace gnss::sim {

// The sensor sentences of modules that carry inertial or attitude sensors, from a simple motion
// of their own: attitude-and-compass modules (families CMS and CM2) turn slowly with a gentle
// sway and report heading, field intensity, accelerations and their rotation matrix; ST
// dead-reckoning modules and TDK modules report accelerometer and gyro samples of a car that
// speeds up, brakes and weaves. Other families send nothing.
class SensorSentences {
  public:
    explicit SensorSentences(const FamilyProfile& profile);

    // Appends the sentences (checksum included, without line end) of the epoch that ends
    // `elapsedMs` after power-on and lasts `intervalMs`.
    void AppendEpoch(uint64_t elapsedMs, uint32_t intervalMs, std::vector<std::string>& out) const;

    [[nodiscard]] bool Active() const { return kind_ != Kind::None; }

  private:
    enum class Kind : uint8_t { None, Attitude, StDeadReckoning, TdkImu };

    void AppendAttitude(double seconds, std::vector<std::string>& out) const;
    void AppendStSample(double seconds, std::vector<std::string>& out) const;
    void AppendTdkSample(double seconds, std::vector<std::string>& out) const;

    Kind kind_ = Kind::None;
    bool cm2_ = false;
};

}  // namespace gnss::sim
