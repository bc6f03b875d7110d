#include "sim/receiver_extra.h"

#include "sim/dr_drive.h"
#include "sim/family_profiles.h"
#include "sim/sim_config.h"
#include "sim/traffic_band.h"

namespace gnss::sim {

namespace {

// The speed-sensor link of an ST dead-reckoning module: the first character of the second "_"
// field of its firmware name ("STDB_C_5.8.12_DR": CAN).
char StSensorLink(const FamilyProfile& profile) {
    for (const std::string& line : profile.BootLines) {
        const auto pattern = line.find(",STD");
        if (pattern == std::string::npos) continue;
        const auto underscore = line.find('_', pattern);
        if (underscore != std::string::npos && underscore + 1 < line.size())
            return line[underscore + 1];
    }
    return 0;
}

}  // namespace

std::unique_ptr<ReceiverExtra> MakeReceiverExtra(const FamilyProfile& profile,
                                                 const SimConfig& config) {
    if (profile.Key == "tmc") return std::make_unique<TrafficBand>();
    const DriveScript* script = FindDriveScript(config.Drive);
    if (script == nullptr) script = &DriveScripts().front();
    if (profile.Family == ReceiverFamily::TDK_DR && profile.Variant.empty()) {
        return std::make_unique<DrDrive>(ReceiverFamily::TDK_DR, 0, *script);
    }
    if (profile.Family == ReceiverFamily::ST) {
        const char link = StSensorLink(profile);
        if (link != 0) return std::make_unique<DrDrive>(ReceiverFamily::ST, link, *script);
    }
    return nullptr;
}

}  // namespace gnss::sim
