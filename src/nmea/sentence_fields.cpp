#include "nmea/sentence_fields.h"

#include <cstring>

#include "nmea/byte_lanes.h"

namespace gnss {

SentenceFields::SentenceFields(std::string_view line, LineDigest& digest) : line_(line) {
    const char* data = line.data();
    const std::size_t size = line.size();
    // Locals, so that they stay in registers across the kind lookups.
    std::size_t* ends = ends_.data();
    int count = 0;
    const auto addDelimiter = [&](std::size_t pos) {
        if (count < kInlineFields) ends[count] = pos;
        ++count;
    };
    uint64_t xorWord = 0;
    std::size_t at = 0;
    for (; at + 8 <= size; at += 8) {
        uint64_t word = 0;
        std::memcpy(&word, data + at, sizeof word);
        xorWord ^= word;
        for (uint64_t delimiters = LanesEqual(word, ',') | LanesEqual(word, '*'); delimiters != 0;
             delimiters &= delimiters - 1) {
            addDelimiter(at + static_cast<std::size_t>(FirstLane(delimiters)));
        }
        // Every text of the kind table starts with a capital letter or a blank.
        for (uint64_t starts = LanesInRange(word, 'A', 'Z') | LanesEqual(word, ' '); starts != 0;
             starts &= starts - 1) {
            digest.Kind.Step(line, at + static_cast<std::size_t>(FirstLane(starts)));
        }
    }
    xorWord ^= xorWord >> 32;
    xorWord ^= xorWord >> 16;
    xorWord ^= xorWord >> 8;
    auto sum = static_cast<uint8_t>(xorWord);
    for (; at < size; ++at) {
        sum ^= static_cast<uint8_t>(data[at]);
        digest.Kind.Step(line, at);
        if (data[at] == ',' || data[at] == '*') addDelimiter(at);
    }
    delimiters_ = count;
    digest.Xor = sum;
}

}  // namespace gnss
