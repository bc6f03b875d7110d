#include "app/settings.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <system_error>

#include "app/ini_file.h"
#include "link/baud_rates.h"
#include "nmea/text_fields.h"

namespace gnss {

namespace {

constexpr int kMaxStoredCommands = 10;
constexpr const char* kConfigSubfolder = "gnssvaro";
constexpr const char* kWindowSection = "Window";
// Coordinates beyond this are damage, not a desktop.
constexpr int kMaxCoordinate = 100000;

// Position of an exact match in the list; the first entry when there is none; -1 for an empty
// list.
int SelectIn(const std::vector<std::string>& list, const std::string& value) {
    if (list.empty()) return -1;
    const auto found = std::find(list.begin(), list.end(), value);
    return found == list.end() ? 0 : static_cast<int>(found - list.begin());
}

int BaudOf(const std::vector<std::string>& list, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return 0;
    const std::string& text = list[static_cast<std::size_t>(index)];
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || value > 100000000) return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<WindowPlacement> LoadWindowPlacement(const IniFile& file) {
    if (!file.Get(kWindowSection, "Width")) return std::nullopt;
    WindowPlacement placement;
    placement.Area.Left = file.GetInt(kWindowSection, "Left", 0);
    placement.Area.Top = file.GetInt(kWindowSection, "Top", 0);
    placement.Area.Width = file.GetInt(kWindowSection, "Width", 0);
    placement.Area.Height = file.GetInt(kWindowSection, "Height", 0);
    placement.Maximized = file.GetBool(kWindowSection, "Maximized", false);
    const ScreenRect& area = placement.Area;
    const auto within = [](int value, int low) { return value >= low && value <= kMaxCoordinate; };
    if (!within(area.Width, 1) || !within(area.Height, 1) || !within(area.Left, -kMaxCoordinate) ||
        !within(area.Top, -kMaxCoordinate)) {
        return std::nullopt;
    }
    return placement;
}

void SaveWindowPlacement(IniFile& file, const WindowPlacement& placement) {
    file.Set(kWindowSection, "Left", std::to_string(placement.Area.Left));
    file.Set(kWindowSection, "Top", std::to_string(placement.Area.Top));
    file.Set(kWindowSection, "Width", std::to_string(placement.Area.Width));
    file.Set(kWindowSection, "Height", std::to_string(placement.Area.Height));
    file.Set(kWindowSection, "Maximized", placement.Maximized ? "1" : "0");
}

}  // namespace

AppSettings StartSettings(const SettingsLists& lists) {
    AppSettings settings;
    settings.ComPortIndex = lists.Ports.empty() ? -1 : 0;
    if (!lists.Ports.empty()) settings.ComPort = lists.Ports.front();
    settings.BaudRateIndex = SelectIn(lists.BaudRates, "9600");
    settings.BaudRate = BaudOf(lists.BaudRates, settings.BaudRateIndex);
    settings.GpsBaudRateIndex = SelectIn(lists.GpsBaudRates, "115200");
    return settings;
}

AppSettings LoadSettings(const std::filesystem::path& path, const SettingsLists& lists) {
    AppSettings settings = StartSettings(lists);
    try {
        const std::optional<IniFile> file = IniFile::Load(path);
        if (!file) return settings;

        settings.ComPortIndex = SelectIn(lists.Ports, file->GetString("GPSCOM", "COMPort", ""));
        settings.ComPort = settings.ComPortIndex < 0
                               ? ""
                               : lists.Ports[static_cast<size_t>(settings.ComPortIndex)];
        settings.BaudRateIndex =
            SelectIn(lists.BaudRates, file->GetString("GPSCOM", "BaudRate", ""));
        settings.BaudRate = BaudOf(lists.BaudRates, settings.BaudRateIndex);
        settings.AutoBaudRate =
            settings.BaudRateIndex >= 0 &&
            IsAutoBaudText(lists.BaudRates[static_cast<std::size_t>(settings.BaudRateIndex)]);

        const int unit = file->GetInt("Unit", "Index", 0);
        settings.SpeedUnitIndex = unit >= 0 && unit <= 2 ? unit : 0;
        settings.DmsMode = file->GetInt("Unit", "DDMMSS", 0) == 1;

        settings.GpsBaudRateIndex =
            SelectIn(lists.GpsBaudRates, file->GetString("GPS", "ChangeBaudRate", ""));
        settings.SyntaxColorEnabled = file->GetBool("SyntaxColor", "Enabled", true);
        settings.PollUbxVersion = file->GetBool("Identification", "PollUbxVersion", true);

        const int count = std::min(file->GetInt("GPSCommand", "Count", 0), kMaxStoredCommands);
        for (int i = 0; i < count; ++i) {
            const std::string command =
                file->GetString("GPSCommand", "Command" + std::to_string(i), "");
            if (!Trim(command).empty()) settings.CommandHistory.push_back(command);
        }
        settings.Window = LoadWindowPlacement(*file);
    } catch (...) {
        // Out of memory on a huge damaged file: what was read so far stands.
    }
    return settings;
}

bool SaveSettings(const std::filesystem::path& path, const AppSettings& settings) {
    try {
        IniFile file = IniFile::Load(path).value_or(IniFile{});
        if (!settings.ComPort.empty() || !file.Get("GPSCOM", "COMPort")) {
            file.Set("GPSCOM", "COMPort", settings.ComPort);
        }
        file.Set(
            "GPSCOM", "BaudRate",
            settings.AutoBaudRate ? std::string(kAutoBaudText) : std::to_string(settings.BaudRate));
        file.Set("Unit", "Index", std::to_string(settings.SpeedUnitIndex));
        file.Set("Unit", "DDMMSS", settings.DmsMode ? "1" : "0");
        if (settings.Window) SaveWindowPlacement(file, *settings.Window);
        return file.Save(path);
    } catch (...) {
        return false;
    }
}

std::filesystem::path SettingsPath(const std::filesystem::path& programPath,
                                   const FolderWritableTest& folderWritable,
                                   const EnvironmentLookup& environment) {
    std::filesystem::path fileName = programPath.filename();
    fileName.replace_extension(".ini");
    const std::filesystem::path programFolder = programPath.parent_path();
    const std::filesystem::path besideProgram = programFolder / fileName;
    if (folderWritable && folderWritable(programFolder)) return besideProgram;

    std::filesystem::path config;
    if (environment) {
        const std::optional<std::string> xdg = environment("XDG_CONFIG_HOME");
        if (xdg && !xdg->empty() && std::filesystem::path(*xdg).is_absolute()) {
            config = *xdg;
        } else if (const std::optional<std::string> home = environment("HOME");
                   home && !home->empty()) {
            config = std::filesystem::path(*home) / ".config";
        }
    }
    if (config.empty()) return besideProgram;
    return config / kConfigSubfolder / fileName;
}

bool IsFolderWritable(const std::filesystem::path& folder) try {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) return false;
    std::random_device random;
    const std::filesystem::path probe =
        folder / (".gnssvaro-write-test-" + std::to_string(random()));
    bool writable = false;
    {
        std::ofstream out(probe, std::ios::binary);
        writable = static_cast<bool>(out);
    }
    std::filesystem::remove(probe, ec);
    return writable;
} catch (...) {
    return false;
}

std::optional<std::string> ProcessEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

}  // namespace gnss
