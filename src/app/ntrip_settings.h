#pragma once

#include <cstdint>
#include <filesystem>

#include "corrections/ntrip_client.h"

namespace gnss {

// The correction link's part of the settings file: section "NTRIP" with the local port of the
// client program's output, the program and the caster. The password is stored only when the
// user asked for it to be remembered.
struct CorrectionSettings {
    uint16_t LocalPort = 16800;
    NtripClientSettings Client;
};

[[nodiscard]] CorrectionSettings LoadCorrectionSettings(const std::filesystem::path& path);
bool SaveCorrectionSettings(const std::filesystem::path& path, const CorrectionSettings& settings);

}  // namespace gnss
