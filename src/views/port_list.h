#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gnss {

// The serial port list: names one per line, each ended by CR LF, in the order the system lists
// the devices. On a system with COM ports the names are "COM" + number; elsewhere they are the
// device names the enumerator gives ("ttyUSB0", "/dev/pts/3").
[[nodiscard]] std::string PortListText(const std::vector<std::string>& names);
[[nodiscard]] std::vector<std::string> PortListNames(std::string_view listText);

// The port of a device's friendly name: the text between the last "(COM" and the last ")" when
// that is a decimal number of at most 3 digits. "USB Serial Port (COM12)" gives "COM12".
[[nodiscard]] std::optional<std::string> PortFromFriendlyName(std::string_view friendlyName);
// The ports of a list of friendly names, in order; names without a port are skipped.
[[nodiscard]] std::vector<std::string> PortsFromFriendlyNames(
    const std::vector<std::string>& friendlyNames);

// What the port combo box shows: its items and the selected index (-1 for none).
struct PortComboView {
    std::vector<std::string> Items;
    int Selected = -1;
};

// The combo box when it drops down: the new list, and the entry equal to the text shown before
// selected again (none when it is gone).
[[nodiscard]] PortComboView RefreshPortCombo(const std::vector<std::string>& ports,
                                             std::string_view shownPort);

struct DeviceChangeInput {
    std::string PreviousListText;    // the list remembered from the last change
    std::vector<std::string> Ports;  // the ports present now
    std::string ShownPort;           // the text shown in the port combo box
    bool PortOpen = false;
    bool EpoWindowOpen = false;
};

struct DeviceChangeResult {
    bool ListChanged = false;             // false: nothing else below applies
    std::string NewListText;              // to remember as the previous list
    PortComboView Combo;                  // the combo box after the change
    std::vector<std::string> EventLines;  // added to the port-event window, in order
    bool BringToFront = false;            // bring the main window to the front
    bool Disconnect = false;              // the open port shown was removed
    bool ShowEventWindow = false;         // select the last event line and show the window
};

// The reaction to a change of the system's device nodes.
[[nodiscard]] DeviceChangeResult HandleDeviceChange(const DeviceChangeInput& input);

}  // namespace gnss
