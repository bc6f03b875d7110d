#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace gnss {

// Rates tried in turn by the stepping baud-rate detection after a switch from SiRF binary or a
// factory restart.
inline constexpr std::array<uint32_t, 6> kSteppingRates = {9600, 38400, 19200, 57600, 4800, 115200};

// Rates tried in turn by a connect at "Auto": the usual defaults of receivers first.
inline constexpr std::array<uint32_t, 9> kAutoBaudRates = {9600, 38400,  115200, 19200, 57600,
                                                           4800, 230400, 460800, 921600};

// The baud-box entry (and command-line value, in any letter case) that asks a connect to find
// the receiver's rate.
inline constexpr std::string_view kAutoBaudText = "Auto";

// "Auto" in any letter case, blanks around it ignored.
[[nodiscard]] constexpr bool IsAutoBaudText(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.size() != kAutoBaudText.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        };
        if (lower(text[i]) != lower(kAutoBaudText[i])) return false;
    }
    return true;
}

}  // namespace gnss
