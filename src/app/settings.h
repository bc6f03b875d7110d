#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "views/main_window_model.h"

namespace gnss {

// The lists whose selections the settings file stores, as the window fills them.
struct SettingsLists {
    std::vector<std::string> Ports;         // receiver port list (may be empty)
    std::vector<std::string> BaudRates;     // receiver baud list ("2400", ... "921600")
    std::vector<std::string> GpsBaudRates;  // "Set GPS B.R." list ("4800", ...)
};

// The values kept in the settings file, applied by the window. An index of -1 means the list
// is empty and nothing is selected.
struct AppSettings {
    int ComPortIndex = -1;
    std::string ComPort;  // the selected port's name, empty when there is none
    int BaudRateIndex = -1;
    // The receiver baud rate: the selected entry when loaded; the port's current rate when saved.
    int BaudRate = 0;
    // "Auto" chosen: each connect finds the rate (stored as "Auto" instead of BaudRate).
    bool AutoBaudRate = false;
    int SpeedUnitIndex = 0;  // 0 km, 1 mi, 2 nmi
    bool DmsMode = false;    // degrees-minutes-seconds instead of decimal degrees
    int GpsBaudRateIndex = -1;
    bool SyntaxColorEnabled = true;
    std::vector<std::string> CommandHistory;  // stored commands for the command box, in order
    // "Identification" "PollUbxVersion": unidentified receivers are sent the UBX version poll.
    bool PollUbxVersion = true;
    // The main window's last placement ("Window" section); none when missing or unusable.
    std::optional<WindowPlacement> Window;
};

// The values before any settings are read: the first port, "9600" and "115200" in the baud
// lists (the first entry where those are missing).
[[nodiscard]] AppSettings StartSettings(const SettingsLists& lists);

// Reads the settings file. A missing file gives StartSettings. A key that is missing or whose
// value cannot be used gives its default; a port or baud rate not found in its list selects the
// list's first entry. Never throws; damaged files are read as far as they make sense.
[[nodiscard]] AppSettings LoadSettings(const std::filesystem::path& path,
                                       const SettingsLists& lists);

// Writes "GPSCOM" "COMPort" and "BaudRate", "Unit" "Index" and "DDMMSS", and the "Window" section
// when a placement is given; keeps every other line
// of an existing file. An empty port name (no port present) keeps the stored one. False when the
// file could not be written; never throws.
bool SaveSettings(const std::filesystem::path& path, const AppSettings& settings);

// Where the settings file lives: beside the program (the program's file name with ".ini") when
// the program's folder is writable; otherwise in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config) under "gnssvaro".
using FolderWritableTest = std::function<bool(const std::filesystem::path& folder)>;
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;
[[nodiscard]] std::filesystem::path SettingsPath(const std::filesystem::path& programPath,
                                                 const FolderWritableTest& folderWritable,
                                                 const EnvironmentLookup& environment);

// The real checks: a probe file created and removed in the folder; the process environment.
[[nodiscard]] bool IsFolderWritable(const std::filesystem::path& folder);
[[nodiscard]] std::optional<std::string> ProcessEnvironment(const char* name);

}  // namespace gnss
