#include "nmea/number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace gnss {

std::string FixedText(double value, int decimals, int width) {
    std::array<char, 400> buffer{};  // DBL_MAX in fixed notation needs 309 digits
    if (decimals < 0) decimals = 0;
    if (decimals > 60) decimals = 60;
    std::string text;
    if (std::isnan(value)) {
        text = "nan";
    } else if (std::isinf(value)) {
        text = value < 0 ? "-inf" : "inf";
    } else {
        const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                          std::chars_format::fixed, decimals);
        text.assign(buffer.data(), result.ptr);
    }
    if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), ' ');
    return text;
}

std::string IntText(int64_t value, int width, bool zeroPad) {
    const bool negative = value < 0;
    // Magnitude as unsigned so that the smallest value has one too.
    const uint64_t magnitude =
        negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    if (zeroPad && static_cast<int>(digits.size()) < width) {
        digits.insert(0, width - digits.size(), '0');
    }
    if (negative) digits.insert(0, 1, '-');
    if (!zeroPad && static_cast<int>(digits.size()) < width) {
        digits.insert(0, width - digits.size(), ' ');
    }
    return digits;
}

}  // namespace gnss
