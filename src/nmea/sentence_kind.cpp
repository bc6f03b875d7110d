#include "nmea/sentence_kind.h"

#include "nmea/nmea_checksum.h"

namespace gnss {

namespace {

// For each first byte, the table entries that start with it (in table order), so one pass over
// the line finds every text without searching the line 27 times.
struct FirstByteIndex {
    std::array<std::array<uint8_t, 16>, 256> Entries{};
    std::array<uint8_t, 256> Count{};
};

constexpr FirstByteIndex BuildIndex() {
    FirstByteIndex index;
    for (std::size_t i = 0; i < kSentenceKindTexts.size(); ++i) {
        const auto first = static_cast<unsigned char>(kSentenceKindTexts[i].Text[0]);
        index.Entries[first][index.Count[first]++] = static_cast<uint8_t>(i);
    }
    return index;
}

constexpr FirstByteIndex kIndex = BuildIndex();

}  // namespace

SentenceKind ClassifyText(std::string_view text) {
    // Table order decides, not the position in the line: keep the lowest table index found.
    std::size_t best = kSentenceKindTexts.size();
    const std::size_t size = text.size();
    for (std::size_t pos = 0; pos < size; ++pos) {
        const auto first = static_cast<unsigned char>(text[pos]);
        const uint8_t count = kIndex.Count[first];
        for (uint8_t k = 0; k < count; ++k) {
            const uint8_t entry = kIndex.Entries[first][k];
            if (entry >= best) break;  // entries are in table order
            const std::string_view needle = kSentenceKindTexts[entry].Text;
            if (size - pos < needle.size()) continue;
            // Texts are 3 to 5 bytes: compare in place rather than calling memcmp.
            std::size_t i = 1;
            while (i < needle.size() && text[pos + i] == needle[i]) ++i;
            if (i == needle.size()) {
                best = entry;
                break;
            }
        }
        if (best == 0) break;
    }
    return best < kSentenceKindTexts.size() ? kSentenceKindTexts[best].Kind : SentenceKind::None;
}

SentenceKind ClassifySentence(std::string_view line) {
    return IsValidSentence(line) ? ClassifyText(line) : SentenceKind::None;
}

}  // namespace gnss
