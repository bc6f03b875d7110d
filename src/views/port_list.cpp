#include "views/port_list.h"

#include <algorithm>

namespace gnss {

namespace {

bool IsDecimal(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool ListHas(const std::vector<std::string>& list, std::string_view name) {
    return std::find(list.begin(), list.end(), name) != list.end();
}

int IndexOf(const std::vector<std::string>& list, std::string_view name) {
    const auto it = std::find(list.begin(), list.end(), name);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

// " (%s) Remove !   " and " (%s) Plug In !   " with the port name.
std::string PortEvent(const std::string& port, std::string_view what) {
    return " (" + port + ") " + std::string(what) + " !   ";
}

}  // namespace

std::string PortListText(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) {
        text += name;
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> PortListNames(std::string_view listText) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < listText.size()) {
        const std::size_t end = listText.find("\r\n", start);
        const std::size_t stop = end == std::string_view::npos ? listText.size() : end;
        if (stop > start) names.emplace_back(listText.substr(start, stop - start));
        if (end == std::string_view::npos) break;
        start = end + 2;
    }
    return names;
}

std::optional<std::string> PortFromFriendlyName(std::string_view friendlyName) {
    const std::size_t open = friendlyName.rfind("(COM");
    const std::size_t close = friendlyName.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open + 4) {
        return std::nullopt;
    }
    const std::string_view number = friendlyName.substr(open + 4, close - open - 4);
    if (number.size() > 3 || !IsDecimal(number)) return std::nullopt;
    return "COM" + std::string(number);
}

std::vector<std::string> PortsFromFriendlyNames(const std::vector<std::string>& friendlyNames) {
    std::vector<std::string> ports;
    for (const auto& name : friendlyNames) {
        if (auto port = PortFromFriendlyName(name)) ports.push_back(std::move(*port));
    }
    return ports;
}

PortComboView RefreshPortCombo(const std::vector<std::string>& ports, std::string_view shownPort) {
    return {ports, IndexOf(ports, shownPort)};
}

DeviceChangeResult HandleDeviceChange(const DeviceChangeInput& input) {
    DeviceChangeResult result;
    result.NewListText = PortListText(input.Ports);
    if (result.NewListText == input.PreviousListText) {
        result.NewListText = input.PreviousListText;
        return result;
    }
    result.ListChanged = true;
    result.ShowEventWindow = true;

    const std::vector<std::string> oldPorts = PortListNames(input.PreviousListText);
    const std::vector<std::string>& newPorts = input.Ports;
    result.Combo = RefreshPortCombo(newPorts, input.ShownPort);

    // Only a change of the number of ports is reported: ports swapped between two
    // notifications leave the count alone and report nothing.
    struct Change {
        std::string Port;
        bool Removed;
    };
    std::vector<Change> changes;
    if (newPorts.size() < oldPorts.size()) {
        for (const auto& port : oldPorts) {
            if (!ListHas(newPorts, port)) changes.push_back({port, true});
        }
    } else if (newPorts.size() > oldPorts.size()) {
        for (const auto& port : newPorts) {
            if (!ListHas(oldPorts, port)) changes.push_back({port, false});
        }
    }
    if (changes.empty()) return result;

    result.BringToFront = !input.EpoWindowOpen;
    bool portOpen = input.PortOpen;
    const int remembered = IndexOf(newPorts, input.ShownPort);
    for (const auto& change : changes) {
        result.Combo.Selected = remembered >= 0 ? remembered : (newPorts.empty() ? -1 : 0);
        if (change.Removed) {
            if (portOpen && change.Port == input.ShownPort) {
                result.Disconnect = true;
                portOpen = false;
            }
            result.EventLines.push_back(PortEvent(change.Port, "Remove"));
            if (newPorts.empty()) result.EventLines.emplace_back("No any COM Port exist !");
        } else {
            if (!portOpen) result.Combo.Selected = IndexOf(newPorts, change.Port);
            result.EventLines.push_back(PortEvent(change.Port, "Plug In"));
        }
    }
    return result;
}

}  // namespace gnss
