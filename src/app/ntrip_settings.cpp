#include "app/ntrip_settings.h"

#include <string>

#include "app/ini_file.h"

namespace gnss {

namespace {

constexpr std::string_view kSection = "NTRIP";

uint16_t PortOr(const IniFile& file, std::string_view key, uint16_t fallback) {
    const int value = file.GetInt(kSection, key, fallback);
    return value > 0 && value <= 65535 ? static_cast<uint16_t>(value) : fallback;
}

}  // namespace

CorrectionSettings LoadCorrectionSettings(const std::filesystem::path& path) {
    CorrectionSettings settings;
    const std::optional<IniFile> file = IniFile::Load(path);
    if (!file) return settings;
    NtripClientSettings& client = settings.Client;
    settings.LocalPort = PortOr(*file, "LocalPort", settings.LocalPort);
    client.ProgramPath = file->GetString(kSection, "Program", client.ProgramPath);
    if (client.ProgramPath.empty()) client.ProgramPath = std::string(kDefaultNtripProgram);
    client.CasterHost = file->GetString(kSection, "Host", "");
    client.CasterPort = PortOr(*file, "Port", client.CasterPort);
    client.MountPoint = file->GetString(kSection, "MountPoint", "");
    client.User = file->GetString(kSection, "User", "");
    client.SendPosition = file->GetBool(kSection, "SendPosition", false);
    client.RememberPassword = file->GetBool(kSection, "RememberPassword", false);
    if (client.RememberPassword) client.Password = file->GetString(kSection, "Password", "");
    return settings;
}

bool SaveCorrectionSettings(const std::filesystem::path& path, const CorrectionSettings& settings) {
    try {
        IniFile file = IniFile::Load(path).value_or(IniFile{});
        const NtripClientSettings& client = settings.Client;
        file.Set(kSection, "LocalPort", std::to_string(settings.LocalPort));
        file.Set(kSection, "Program", client.ProgramPath);
        file.Set(kSection, "Host", client.CasterHost);
        file.Set(kSection, "Port", std::to_string(client.CasterPort));
        file.Set(kSection, "MountPoint", client.MountPoint);
        file.Set(kSection, "User", client.User);
        file.Set(kSection, "SendPosition", client.SendPosition ? "1" : "0");
        file.Set(kSection, "RememberPassword", client.RememberPassword ? "1" : "0");
        // A password stored earlier is blanked when it is no longer to be remembered.
        file.Set(kSection, "Password", client.RememberPassword ? client.Password : "");
        return file.Save(path);
    } catch (...) {
        return false;
    }
}

}  // namespace gnss
