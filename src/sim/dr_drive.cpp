#include "sim/dr_drive.h"

#include <cmath>
#include <cstdio>

#include "sim/sim_bytes.h"

namespace gnss::sim {

namespace {

// Counterclockwise turns are negative.
const std::vector<DrivePhase> kCalibrationDrive = {
    {"standing", 150, 0.0, 0.0},        {"straight", 320, 50.0, 0.0},
    {"circles left", 100, 35.0, -11.0}, {"circles right", 100, 35.0, 11.0},
    {"cruising", 0, 50.0, 0.0},
};
const std::vector<DrivePhase> kShortDrive = {
    {"standing", 135, 0.0, 0.0},
    {"straight", 60, 50.0, 0.0},
    {"parked", 0, 0.0, 0.0},
};

constexpr double kPulsesPerMetre = 4.0;
constexpr double kStandingKmh = 0.5;
constexpr double kStraightMinKmh = 30.0;
constexpr double kStraightMaxTurn = 1.0;
constexpr double kTurningMinKmh = 20.0;
constexpr double kTurningMinTurn = 5.0;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string Fixed(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

const std::vector<DriveScript>& DriveScripts() {
    static const std::vector<DriveScript> kScripts = {
        {"calibration", kCalibrationDrive, DriveFault::None},
        {"short", kShortDrive, DriveFault::None},
        {"no-sensor", kCalibrationDrive, DriveFault::NoSensor},
        {"sensor-stops", kCalibrationDrive, DriveFault::SensorStops},
    };
    return kScripts;
}

const DriveScript* FindDriveScript(std::string_view name) {
    if (name.empty()) return &DriveScripts().front();
    for (const DriveScript& script : DriveScripts()) {
        if (script.Name == name) return &script;
    }
    return nullptr;
}

DrDrive::DrDrive(ReceiverFamily family, char sensorLink, const DriveScript& script)
    : family_(family), sensorLink_(sensorLink), script_(script) {
    // A TDK module comes calibrated from its last drive; an ST module does not.
    if (family_ == ReceiverFamily::TDK_DR) learnt_ = LearntCalibration{true, true, true};
}

const DrivePhase& DrDrive::PhaseAt(uint64_t elapsedMs) const {
    if (!driveStarted_ || elapsedMs < driveStartMs_) return script_.Phases.front();
    double t = static_cast<double>(elapsedMs - driveStartMs_) / 1000.0;
    for (std::size_t i = 0; i + 1 < script_.Phases.size(); ++i) {
        if (t < script_.Phases[i].Seconds) return script_.Phases[i];
        t -= script_.Phases[i].Seconds;
    }
    return script_.Phases.back();
}

bool DrDrive::Motion(uint64_t elapsedMs, VehicleMotion& motion) const {
    const DrivePhase& phase = PhaseAt(elapsedMs);
    motion.SpeedKmh = phase.SpeedKmh;
    motion.TurnDegPerS = phase.TurnDegPerS;
    return true;
}

void DrDrive::ClearCalibration(uint64_t elapsedMs) {
    learnt_ = LearntCalibration{};
    stillSeconds_ = straightSeconds_ = turningSeconds_ = 0.0;
    if (!driveStarted_) {
        driveStarted_ = true;
        driveStartMs_ = elapsedMs;
    }
}

void DrDrive::Learn(const VehicleMotion& motion) {
    if (!driveStarted_) return;
    const double turn = std::fabs(motion.TurnDegPerS);
    if (motion.SpeedKmh < kStandingKmh) stillSeconds_ += 1.0;
    if (motion.SpeedKmh >= kStraightMinKmh && turn < kStraightMaxTurn) straightSeconds_ += 1.0;
    if (motion.SpeedKmh >= kTurningMinKmh && turn >= kTurningMinTurn) turningSeconds_ += 1.0;
    learnt_.GyroOffset = learnt_.GyroOffset || stillSeconds_ >= kLearnStillSeconds;
    learnt_.SpeedScale = learnt_.SpeedScale || straightSeconds_ >= kLearnStraightSeconds;
    learnt_.GyroGain = learnt_.GyroGain || turningSeconds_ >= kLearnTurningSeconds;
}

void DrDrive::SensorLines(uint64_t elapsedMs, const VehicleMotion& motion,
                          std::vector<std::string>& lines) {
    odometerPulses_ += motion.SpeedKmh / 3.6 * kPulsesPerMetre;
    if (script_.Fault == DriveFault::NoSensor) return;
    if (script_.Fault == DriveFault::SensorStops && &PhaseAt(elapsedMs) != &script_.Phases.front())
        return;
    const std::string stamp = std::to_string(elapsedMs);
    switch (sensorLink_) {
        case 'O':
            lines.push_back(WithChecksum("$PSTMDRSENMSG,3," + stamp + "," +
                                         std::to_string(std::llround(odometerPulses_))));
            break;
        case 'U':
            lines.push_back(WithChecksum("$PSTMDRSENMSG,1," + stamp + "," +
                                         std::to_string(std::llround(motion.SpeedKmh * 100.0))));
            break;
        case 'C':
            lines.push_back(
                WithChecksum("$PSTMDRSENMSG,14," + stamp + "," + Fixed(motion.SpeedKmh, 1)));
            break;
        default:
            break;
    }
}

void DrDrive::OnSecond(uint64_t elapsedMs, std::vector<std::string>& lines) {
    VehicleMotion motion;
    (void)Motion(elapsedMs, motion);
    Learn(motion);
    const auto flag = [](bool on) { return on ? "1" : "0"; };
    if (family_ == ReceiverFamily::TDK_DR) {
        const int state = !learnt_.GyroOffset   ? 0
                          : !learnt_.SpeedScale ? 1
                          : !learnt_.GyroGain   ? 2
                                                : 3;
        lines.push_back(WithChecksum("$PINVMINR," + std::to_string(state) + ",0,0"));
        lines.push_back(WithChecksum("$PINVMVGS,1," + Fixed(motion.SpeedKmh, 2) + ",0"));
        return;
    }
    SensorLines(elapsedMs, motion, lines);
    lines.push_back(WithChecksum(std::string("$PSTMDRCAL,") + flag(learnt_.Complete()) + "," +
                                 flag(learnt_.SpeedScale) + "," + flag(learnt_.GyroGain) + "," +
                                 flag(learnt_.GyroOffset) + ",ff," + flag(learnt_.GyroGain) + "," +
                                 flag(learnt_.Complete())));
}

bool DrDrive::OnCommand(std::string_view line, uint64_t elapsedMs,
                        std::vector<std::string>& replies) {
    if (family_ == ReceiverFamily::TDK_DR) {
        if (StartsWith(line, "$PINVCRES,0")) {
            ClearCalibration(elapsedMs);
            return true;
        }
        return StartsWith(line, "$PINVCSTR,");
    }
    if (StartsWith(line, "$PSTMNVMITEMINV,")) {
        if (StartsWith(line, "$PSTMNVMITEMINV,80,")) ClearCalibration(elapsedMs);
        replies.push_back(WithChecksum("$PSTMNVMITEMINVOK"));
        return true;
    }
    if (StartsWith(line, "$PSTMSETPAR,1228,")) {
        // Clearing the stored parameters forgets what was learnt; the drive goes on.
        if (driveStarted_) {
            learnt_ = LearntCalibration{};
            stillSeconds_ = straightSeconds_ = turningSeconds_ = 0.0;
        }
        replies.push_back(WithChecksum("$PSTMSETPAROK"));
        return true;
    }
    if (StartsWith(line, "$PSTMGPSSUSPEND")) {
        replies.push_back(WithChecksum("$PSTMGPSSUSPENDED"));
        return true;
    }
    if (StartsWith(line, "$PSTMSAVEPAR")) {
        replies.push_back(WithChecksum("$PSTMSAVEPAROK"));
        return true;
    }
    return false;
}

}  // namespace gnss::sim
