#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace gnss {

// Locale-independent number parsing for untrusted text. None of these throws.

// Leading blanks, optional sign, decimal digits or "$" and hex digits; no trailing characters;
// the signed 32-bit range (-2147483648 included).
[[nodiscard]] std::optional<int32_t> TryParseInt(std::string_view text);
// As TryParseInt without a sign; 0 to 4294967295.
[[nodiscard]] std::optional<uint32_t> TryParseUInt(std::string_view text);
// Decimal number with "." as separator whatever the computer's regional settings, optional
// exponent; surrounding blanks allowed.
[[nodiscard]] std::optional<double> TryParseFloat(std::string_view text);
// TryParseFloat with 0 on failure; `ok` (when given) says whether it parsed.
[[nodiscard]] double ParseFloatOrZero(std::string_view text, bool* ok = nullptr);
// Optional blanks and sign, at most 10 digits, within the signed 32-bit range.
[[nodiscard]] bool IsInteger(std::string_view text);
// Optional blanks and sign, digits, optional separator followed by at least one digit,
// optional exponent with optional sign and at least one digit.
[[nodiscard]] bool IsFloat(std::string_view text, char decimalSeparator = '.');

}  // namespace gnss
