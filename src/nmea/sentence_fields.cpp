#include "nmea/sentence_fields.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "nmea/byte_lanes.h"

namespace gnss {

#if defined(__SSE2__)

namespace {

// Read at offset n (1 to 15), the last n of sixteen lanes are all ones.
constexpr std::array<char, 32> kTailMask = [] {
    std::array<char, 32> mask{};
    for (std::size_t i = 16; i < mask.size(); ++i) mask[i] = static_cast<char>(0xFF);
    return mask;
}();

// The scan below looks up only places that begin with three capital letters or two blanks.
constexpr bool BeginsAsTheScanExpects(std::string_view text) {
    const auto capital = [](char c) { return c >= 'A' && c <= 'Z'; };
    return text.size() >= 3 && ((capital(text[0]) && capital(text[1]) && capital(text[2])) ||
                                (text[0] == ' ' && text[1] == ' '));
}
static_assert(std::all_of(kSentenceKindTexts.begin(), kSentenceKindTexts.end(),
                          [](const SentenceKindText& entry) {
                              return BeginsAsTheScanExpects(entry.Text);
                          }));

}  // namespace

// Sixteen bytes at a time: every x86-64 processor has SSE2.
SentenceFields::SentenceFields(std::string_view line, LineDigest& digest) : line_(line) {
    const char* data = line.data();
    const std::size_t size = line.size();
    // Locals, so that they stay in registers across the kind lookups.
    std::size_t* starts = starts_.data();
    starts[0] = 0;
    int count = 0;
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i star = _mm_set1_epi8('*');
    const __m128i blank = _mm_set1_epi8(' ');
    // 'A'..'Z' moved to the bottom of the signed byte range: one signed compare finds them.
    const __m128i capitalShift = _mm_set1_epi8(static_cast<char>(128 - 'A'));
    const __m128i capitalLimit = _mm_set1_epi8(static_cast<char>(-128 + 26));
    __m128i xorBlock = _mm_setzero_si128();
    for (std::size_t at = 0; at < size; at += 16) {
        __m128i bytes;
        std::size_t base = at;  // position of the block's first byte
        if (at + 16 <= size) {
            bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        } else if (size >= 16) {
            // The rest, read as the sixteen bytes that end the line, with those already scanned
            // set to zero: zero bytes match nothing and leave the checksum alone.
            base = size - 16;
            bytes = _mm_and_si128(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + base)),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(kTailMask.data() + (size - at))));
        } else {
            alignas(16) char rest[16] = {};
            std::memcpy(rest, data + at, size - at);
            bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(rest));
        }
        xorBlock = _mm_xor_si128(xorBlock, bytes);
        for (auto delimiters = static_cast<unsigned>(_mm_movemask_epi8(
                 _mm_or_si128(_mm_cmpeq_epi8(bytes, comma), _mm_cmpeq_epi8(bytes, star))));
             delimiters != 0; delimiters &= delimiters - 1) {
            if (count < kInlineFields) {
                starts[count + 1] =
                    base + static_cast<std::size_t>(std::countr_zero(delimiters)) + 1;
            }
            ++count;
        }
        // Every text of the kind table begins with three capital letters or with two blanks:
        // only such places are looked up. The last lanes may continue in the next block, so
        // they stay candidates.
        const auto capitals = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmplt_epi8(_mm_add_epi8(bytes, capitalShift), capitalLimit)));
        const auto blanks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, blank)));
        for (unsigned textStarts =
                 (capitals & ((capitals >> 1) | 0x8000u) & ((capitals >> 2) | 0xC000u)) |
                 (blanks & ((blanks >> 1) | 0x8000u));
             textStarts != 0; textStarts &= textStarts - 1) {
            digest.Kind.Step(line, base + static_cast<std::size_t>(std::countr_zero(textStarts)));
        }
    }
    uint64_t xorWord = static_cast<uint64_t>(
        _mm_cvtsi128_si64(_mm_xor_si128(xorBlock, _mm_srli_si128(xorBlock, 8))));
    xorWord ^= xorWord >> 32;
    xorWord ^= xorWord >> 16;
    xorWord ^= xorWord >> 8;
    delimiters_ = count;
    EndLastField();
    digest.Xor = static_cast<uint8_t>(xorWord);
}

#else

SentenceFields::SentenceFields(std::string_view line, LineDigest& digest) : line_(line) {
    const char* data = line.data();
    const std::size_t size = line.size();
    // Locals, so that they stay in registers across the kind lookups.
    std::size_t* starts = starts_.data();
    starts[0] = 0;
    int count = 0;
    const auto addDelimiter = [&](std::size_t pos) {
        if (count < kInlineFields) starts[count + 1] = pos + 1;
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
    EndLastField();
    digest.Xor = sum;
}

#endif

}  // namespace gnss
