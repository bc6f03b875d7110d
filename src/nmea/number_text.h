#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gnss {

// Number texts of the displays and links, independent of the process locale (the window toolkit
// sets the user's locale, whose decimal separator may be a comma): always a point.

// printf "%W.Df": `decimals` digits after the point, right-aligned in `width` characters.
[[nodiscard]] std::string FixedText(double value, int decimals, int width = 0);
// printf "%Wd" (blank padded) or, with zeroPad, "%.Wd" (at least `width` digits).
[[nodiscard]] std::string IntText(int64_t value, int width = 0, bool zeroPad = false);

// The degree sign as the display texts carry it (UTF-8).
inline constexpr std::string_view kDegreeSign = "\u00B0";

}  // namespace gnss
