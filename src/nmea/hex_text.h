#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gnss {

// Conversions between bytes and hexadecimal text, as commands typed in hex and binary frames
// shown in the monitor need them.

// Two upper-case hex digits per byte, no separators; empty for empty input.
[[nodiscard]] std::string BinToHex(std::string_view bytes);
// Pairs of hex digits (either case) to bytes. Empty text gives empty bytes; an odd length or any
// other character raises ConversionError("Invalid Data !").
[[nodiscard]] std::string HexToBin(std::string_view text);
// Hex digits accumulated into a 32-bit value; more than 8 digits wrap silently. Empty text or a
// non-hex character raises ConversionError with the user-facing message naming the input.
[[nodiscard]] uint32_t HexToInt(std::string_view text);
// Upper-case hex of value with at least `digits` digits, zero-padded.
[[nodiscard]] std::string IntToHexDigits(uint32_t value, int digits);

// Which prefix IsHexText tolerates before the digits.
enum class HexPrefix {
    ZeroX,   // optional "0X", any case
    Dollar,  // optional "$"
};
// Every byte after the optional prefix is a hex digit; an empty remainder counts as hex.
[[nodiscard]] bool IsHexText(std::string_view text, HexPrefix prefix = HexPrefix::ZeroX);

// "#%d" per byte: the bytes 65 and 66 give "#65#66".
[[nodiscard]] std::string BytesToCharCodes(std::string_view bytes);
// The same for bytes given as hex text (raises as HexToBin does).
[[nodiscard]] std::string HexToCharCodes(std::string_view hexText);

// Writes the `count` low bytes of value into target at 0-based `offset`, most significant first
// (big-endian). The target grows, zero-filled, when it is too short. count is limited to 8.
void PutBytesReversed(std::string& target, std::size_t offset, uint64_t value, int count);

}  // namespace gnss
