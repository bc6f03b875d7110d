#pragma once

#include <bit>
#include <cstdint>

namespace gnss {

// Tests on the eight bytes of a 64-bit word at once (the first byte of text in the lowest
// lane). Each result has the high bit set in exactly the lanes that pass, nothing else.

static_assert(std::endian::native == std::endian::little, "byte lanes are read low first");

inline constexpr uint64_t kLaneOnes = 0x0101010101010101;
inline constexpr uint64_t kLaneLow7 = 0x7F7F7F7F7F7F7F7F;
inline constexpr uint64_t kLaneHigh = 0x8080808080808080;

// Lanes equal to `byte`.
constexpr uint64_t LanesEqual(uint64_t word, uint8_t byte) {
    const uint64_t x = word ^ (kLaneOnes * byte);
    return ~(((x & kLaneLow7) + kLaneLow7) | x | kLaneLow7);
}

// Lanes from `low` to `high` (both below 128); the 7-bit lanes never carry into each other.
constexpr uint64_t LanesInRange(uint64_t word, uint8_t low, uint8_t high) {
    const uint64_t lanes = word & kLaneLow7;
    const uint64_t atLeastLow = lanes + kLaneOnes * (128 - low);
    const uint64_t aboveHigh = lanes + kLaneOnes * (127 - high);
    return atLeastLow & ~aboveHigh & ~word & kLaneHigh;
}

// Index of the lowest lane set in a non-zero result.
constexpr int FirstLane(uint64_t lanes) {
    return std::countr_zero(lanes) / 8;
}

static_assert(LanesEqual(0x2C00002A2C414243, ',') == 0x8000000080000000);
static_assert(LanesInRange(0x5B5A41402C2020C1, 'A', 'Z') == 0x0080800000000000);

}  // namespace gnss
