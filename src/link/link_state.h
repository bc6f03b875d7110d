#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace gnss {

// What the link is believed to carry, with the name users see for each state.
enum class LinkState : uint8_t {
    Closed = 0,         // port closed
    Unknown = 1,        // port open, nothing recognised yet
    SirfBinary = 2,     // SiRF binary stream recognised
    Nmea = 3,           // NMEA sentences recognised; lines are processed
    Ascii = 4,          // transient: falls back to Unknown on the next second
    Binary = 5,         // not entered by any operation
    Auto = 6,           // not entered by any operation
    BaudDetection = 7,  // baud-rate detection in progress
};

inline constexpr std::array<std::string_view, 8> kLinkStateNames = {
    "NULL", "UNKNOW", "SiRF", "NMEA", "ASCII", "BINARY", "AUTO", "AutoProtocol"};

[[nodiscard]] constexpr std::string_view LinkStateName(LinkState state) {
    const auto index = static_cast<std::size_t>(state);
    return index < kLinkStateNames.size() ? kLinkStateNames[index] : std::string_view{};
}

}  // namespace gnss
