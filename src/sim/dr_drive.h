#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/receiver_family.h"
#include "sim/receiver_extra.h"

namespace gnss::sim {

// One part of a scripted drive: how long, how fast, how sharply turning.
struct DrivePhase {
    std::string_view Name;
    double Seconds;  // the last phase lasts for ever
    double SpeedKmh;
    double TurnDegPerS;
};

// How a drive goes wrong, if it does.
enum class DriveFault : uint8_t {
    None,
    NoSensor,     // the speed sensor never reports
    SensorStops,  // the speed sensor falls silent when the vehicle starts driving
};

struct DriveScript {
    std::string_view Name;
    std::vector<DrivePhase> Phases;
    DriveFault Fault = DriveFault::None;
};

// The drives gnss-sim knows ("calibration" first, the default).
[[nodiscard]] const std::vector<DriveScript>& DriveScripts();
[[nodiscard]] const DriveScript* FindDriveScript(std::string_view name);

// What the module has learnt since its calibration was last cleared.
struct LearntCalibration {
    bool GyroOffset = false;  // from standing still
    bool SpeedScale = false;  // from driving straight
    bool GyroGain = false;    // from driving circles
    [[nodiscard]] bool Complete() const { return GyroOffset && SpeedScale && GyroGain; }
};
// How long the module needs each condition before it has learnt the value (seconds).
inline constexpr double kLearnStillSeconds = 60.0;
inline constexpr double kLearnStraightSeconds = 200.0;
inline constexpr double kLearnTurningSeconds = 150.0;

// A dead-reckoning module in a vehicle that follows a scripted drive. The drive begins when the
// tool clears the calibration (before that the vehicle stands); the module learns its gyro
// offset, speed scale and gyro gain from the motion and reports them once a second in its
// calibration status sentence, together with its speed-sensor messages (ST: odometer, UART or
// CAN by the firmware's sensor link) or, for TDK modules, its DR state and speed.
class DrDrive final : public ReceiverExtra {
  public:
    DrDrive(ReceiverFamily family, char sensorLink, const DriveScript& script);

    void OnSecond(uint64_t elapsedMs, std::vector<std::string>& lines) override;
    bool OnCommand(std::string_view line, uint64_t elapsedMs,
                   std::vector<std::string>& replies) override;
    [[nodiscard]] bool Motion(uint64_t elapsedMs, VehicleMotion& motion) const override;

    [[nodiscard]] const LearntCalibration& Learnt() const { return learnt_; }
    // The phase the vehicle is in, and the whole drive so far in seconds.
    [[nodiscard]] const DrivePhase& PhaseAt(uint64_t elapsedMs) const;
    [[nodiscard]] bool DriveStarted() const { return driveStarted_; }

  private:
    void ClearCalibration(uint64_t elapsedMs);
    void Learn(const VehicleMotion& motion);
    void SensorLines(uint64_t elapsedMs, const VehicleMotion& motion,
                     std::vector<std::string>& lines);

    ReceiverFamily family_;
    char sensorLink_;  // 'O' odometer, 'U' UART, 'C' CAN
    const DriveScript& script_;
    bool driveStarted_ = false;
    uint64_t driveStartMs_ = 0;
    LearntCalibration learnt_;
    double stillSeconds_ = 0.0;
    double straightSeconds_ = 0.0;
    double turningSeconds_ = 0.0;
    double odometerPulses_ = 0.0;
};

}  // namespace gnss::sim
