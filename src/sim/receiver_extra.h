#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace gnss::sim {

struct FamilyProfile;
struct SimConfig;

// How the vehicle that carries the receiver moves at one moment.
struct VehicleMotion {
    double SpeedKmh = 0.0;
    double TurnDegPerS = 0.0;  // positive: clockwise seen from above
};

// What a special receiver adds to the plain one: sentences of its own once per second,
// commands of its own, and (for dead-reckoning modules) the vehicle's scripted motion.
class ReceiverExtra {
  public:
    virtual ~ReceiverExtra() = default;
    // Once per whole second, `elapsedMs` after power-on: complete sentences (checksum, no line
    // end) to send after the epoch's own.
    virtual void OnSecond(uint64_t elapsedMs, std::vector<std::string>& lines) = 0;
    // A line from the tool (from its "$" on). Lines to send back go into `replies`; true when
    // the line was the extra's alone, so that the receiver's own rules do not see it.
    virtual bool OnCommand(std::string_view line, uint64_t elapsedMs,
                           std::vector<std::string>& replies) = 0;
    // The vehicle's motion at `elapsedMs`; false when the extra does not move the vehicle.
    [[nodiscard]] virtual bool Motion(uint64_t elapsedMs, VehicleMotion& motion) const = 0;
};

// The extra of the profile's receiver, or nothing for a plain receiver.
[[nodiscard]] std::unique_ptr<ReceiverExtra> MakeReceiverExtra(const FamilyProfile& profile,
                                                               const SimConfig& config);

}  // namespace gnss::sim
