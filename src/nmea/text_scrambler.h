#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gnss {

// A keyed text-to-hex scramble that keeps stored server addresses from being read at a glance.
// It is no cipher: anyone with the key (or a little patience) reads the text back.
//
// Scrambled text is lower-case hex: the start value c0, then for each plain byte p(i) with key
// byte k(i) (the key repeats) c(i) = ((c(i-1) + p(i)) mod 255) XOR k(i).
// The scheme cannot tell the plain bytes 0 and 255 apart: both read back as 255.

// Key used when the caller passes an empty key. Settings written with it must be read with it,
// so it never changes.
inline constexpr std::string_view kDefaultScrambleKey = "vR4#kQ8!mZ2@pL";

// `startValue` is c0; callers pass a random byte so that equal texts scramble differently.
[[nodiscard]] std::string ScrambleText(std::string_view text, std::string_view key,
                                       uint8_t startValue);
// The plain text of scrambled hex. Malformed input (fewer than two digits, an odd number of
// digits, or a character that is not a hex digit) gives an empty text.
[[nodiscard]] std::string UnscrambleText(std::string_view scrambled, std::string_view key);

}  // namespace gnss
