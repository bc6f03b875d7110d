#include "nmea/sentence_fields.h"

#include <bit>
#include <cstring>

namespace gnss {

namespace {

static_assert(std::endian::native == std::endian::little, "byte lanes are read low first");

constexpr uint64_t kOnes = 0x0101010101010101;
constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;
constexpr uint64_t kHigh = 0x8080808080808080;

// The high bit of every byte of `word` that equals `byte`, nothing else.
constexpr uint64_t BytesEqual(uint64_t word, uint8_t byte) {
    const uint64_t x = word ^ (kOnes * byte);
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// The high bit of every byte of `word` from `low` to `high` (both below 128), nothing else: the
// 7-bit lanes never carry into each other.
constexpr uint64_t BytesInRange(uint64_t word, uint8_t low, uint8_t high) {
    const uint64_t lanes = word & kLow7;
    const uint64_t atLeastLow = lanes + kOnes * (128 - low);
    const uint64_t aboveHigh = lanes + kOnes * (127 - high);
    return atLeastLow & ~aboveHigh & ~word & kHigh;
}

static_assert(BytesEqual(0x2C00002A2C414243, ',') == 0x8000000080000000);
static_assert(BytesInRange(0x5B5A41402C2020C1, 'A', 'Z') == 0x0080800000000000);

}  // namespace

SentenceFields::SentenceFields(std::string_view line, LineDigest& digest) : line_(line) {
    const char* data = line.data();
    const std::size_t size = line.size();
    uint64_t xorWord = 0;
    std::size_t at = 0;
    for (; at + 8 <= size; at += 8) {
        uint64_t word = 0;
        std::memcpy(&word, data + at, sizeof word);
        xorWord ^= word;
        for (uint64_t delimiters = BytesEqual(word, ',') | BytesEqual(word, '*'); delimiters != 0;
             delimiters &= delimiters - 1) {
            AddDelimiter(at + static_cast<std::size_t>(std::countr_zero(delimiters)) / 8);
        }
        // Every text of the kind table starts with a capital letter or a blank.
        for (uint64_t starts = BytesInRange(word, 'A', 'Z') | BytesEqual(word, ' '); starts != 0;
             starts &= starts - 1) {
            digest.Kind.Step(line, at + static_cast<std::size_t>(std::countr_zero(starts)) / 8);
        }
    }
    xorWord ^= xorWord >> 32;
    xorWord ^= xorWord >> 16;
    xorWord ^= xorWord >> 8;
    auto sum = static_cast<uint8_t>(xorWord);
    for (; at < size; ++at) {
        sum ^= static_cast<uint8_t>(data[at]);
        digest.Kind.Step(line, at);
        if (data[at] == ',' || data[at] == '*') AddDelimiter(at);
    }
    digest.Xor = sum;
}

}  // namespace gnss
