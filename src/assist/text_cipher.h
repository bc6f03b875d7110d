#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gnss {

// The form in which server addresses are kept in the settings file: hex digit pairs, a seed byte
// first, then each plain byte p mixed with the previous pair and the next key byte k:
// c = ((c_prev + p) mod 255) XOR k. It keeps addresses from being read at a glance; it does not
// protect them. An empty key stands for a fixed default key.

// The key of every stored server address. Stored settings depend on it: it never changes.
inline constexpr std::string_view kServerAddressKey = "qW3$eR7&tY";

// `seed` starts the chain; callers pass a random byte so that equal texts differ when stored.
[[nodiscard]] std::string EncipherText(std::string_view plain, std::string_view key, uint8_t seed);
// The plain text; empty for text that is not whole hex pairs (at least the seed).
// The chain cannot tell the plain bytes 0 and 255 apart; both read back as 255.
[[nodiscard]] std::string DecipherText(std::string_view enciphered, std::string_view key);

}  // namespace gnss
