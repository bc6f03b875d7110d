#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace gnss {

// Kind of a received line, by the first text of kSentenceKindTexts found in it. The values are
// fixed: reports number the kinds this way.
enum class SentenceKind : uint8_t {
    None = 0,  // not a valid sentence, or none of the known texts
    Echo,      // "  <" echo of a sent command
    Rmc,
    Gga,
    Gll,
    GpGsa,
    GnGsa,
    GlGsa,
    BdGsa,
    GbGsa,
    GaGsa,
    GnGsv,
    QzGsv,
    GpGsv,
    GlGsv,
    BdGsv,
    GbGsv,
    GaGsv,
    GiGsv,
    Vtg,
    Mss,
    Pmd,
    Ttq,
    Ttm,
    Ttr,
    Tch,
    Pqt,
    Gns,
};
inline constexpr std::size_t kSentenceKindCount = 28;

// The kind's number (0 for None), for tables with one entry per kind and for reports.
[[nodiscard]] constexpr std::size_t KindIndex(SentenceKind kind) {
    return static_cast<std::size_t>(kind);
}

// One value per sentence kind, indexed by the kind.
template <typename T>
struct PerSentenceKind {
    std::array<T, kSentenceKindCount> Values{};

    constexpr T& operator[](SentenceKind kind) { return Values[KindIndex(kind)]; }
    constexpr const T& operator[](SentenceKind kind) const { return Values[KindIndex(kind)]; }
    constexpr void Clear() { Values.fill(T{}); }
    bool operator==(const PerSentenceKind&) const = default;
};

// One flag per sentence kind: a sentence of that kind was decoded (in the current second).
using KindFlags = PerSentenceKind<bool>;

struct SentenceKindText {
    SentenceKind Kind;
    std::string_view Text;
};

// The texts a line is searched for, in this order; the first one found anywhere in the line
// gives the kind (so RMC, GGA, GLL, VTG and GNS match with any talker).
inline constexpr std::array<SentenceKindText, 27> kSentenceKindTexts{{
    {SentenceKind::Echo, "  <"},    {SentenceKind::Rmc, "RMC"},     {SentenceKind::Gga, "GGA"},
    {SentenceKind::Gll, "GLL"},     {SentenceKind::GpGsa, "GPGSA"}, {SentenceKind::GnGsa, "GNGSA"},
    {SentenceKind::GlGsa, "GLGSA"}, {SentenceKind::BdGsa, "BDGSA"}, {SentenceKind::GbGsa, "GBGSA"},
    {SentenceKind::GaGsa, "GAGSA"}, {SentenceKind::GnGsv, "GNGSV"}, {SentenceKind::QzGsv, "QZGSV"},
    {SentenceKind::GpGsv, "GPGSV"}, {SentenceKind::GlGsv, "GLGSV"}, {SentenceKind::BdGsv, "BDGSV"},
    {SentenceKind::GbGsv, "GBGSV"}, {SentenceKind::GaGsv, "GAGSV"}, {SentenceKind::GiGsv, "GIGSV"},
    {SentenceKind::Vtg, "VTG"},     {SentenceKind::Mss, "MSS"},     {SentenceKind::Pmd, "PMD"},
    {SentenceKind::Ttq, "TTQ"},     {SentenceKind::Ttm, "TTM"},     {SentenceKind::Ttr, "TTR"},
    {SentenceKind::Tch, "TCH"},     {SentenceKind::Pqt, "PQT"},     {SentenceKind::Gns, "GNS,"},
}};

[[nodiscard]] constexpr bool IsGsaKind(SentenceKind kind) {
    return kind >= SentenceKind::GpGsa && kind <= SentenceKind::GaGsa;
}
[[nodiscard]] constexpr bool IsGsvKind(SentenceKind kind) {
    return kind >= SentenceKind::GnGsv && kind <= SentenceKind::GiGsv;
}

// The table entries by their first three bytes (every text has at least three), in a small
// open-addressing hash table, so that one pass over a line tries at most the two texts that
// share a start ("GNGSA", "GNGSV") wherever a text may begin.
struct SentenceTextIndex {
    static constexpr std::size_t kSlots = 64;
    static constexpr uint32_t Key(unsigned char a, unsigned char b, unsigned char c) {
        return static_cast<uint32_t>(a) | static_cast<uint32_t>(b) << 8 |
               static_cast<uint32_t>(c) << 16;
    }
    static constexpr std::size_t Slot(uint32_t key) {
        return static_cast<std::size_t>((key * 2654435761u) >> 26);
    }
    std::array<bool, 256> FirstBytes{};   // bytes that begin a text
    std::array<uint32_t, kSlots> Keys{};  // 0: empty slot
    std::array<std::array<uint8_t, 2>, kSlots> Entries{};
    std::array<uint8_t, kSlots> Count{};
};

inline constexpr SentenceTextIndex kSentenceTextIndex = [] {
    SentenceTextIndex index;
    for (std::size_t i = 0; i < kSentenceKindTexts.size(); ++i) {
        const std::string_view text = kSentenceKindTexts[i].Text;
        const uint32_t key = SentenceTextIndex::Key(static_cast<unsigned char>(text[0]),
                                                    static_cast<unsigned char>(text[1]),
                                                    static_cast<unsigned char>(text[2]));
        index.FirstBytes[static_cast<unsigned char>(text[0])] = true;
        std::size_t slot = SentenceTextIndex::Slot(key);
        while (index.Keys[slot] != 0 && index.Keys[slot] != key) {
            slot = (slot + 1) % SentenceTextIndex::kSlots;
        }
        index.Keys[slot] = key;
        index.Entries[slot][index.Count[slot]++] = static_cast<uint8_t>(i);
    }
    return index;
}();

// ClassifyText one position at a time, for a pass over a line that does other work on the same
// bytes: Step at every position where a text may begin (at least at every capital letter and
// blank), in any order, then Kind().
class SentenceKindMatcher {
  public:
    void Step(std::string_view text, std::size_t pos) {
        if (!kSentenceTextIndex.FirstBytes[static_cast<unsigned char>(text[pos])]) return;
        if (text.size() - pos < 3) return;
        const uint32_t key = SentenceTextIndex::Key(static_cast<unsigned char>(text[pos]),
                                                    static_cast<unsigned char>(text[pos + 1]),
                                                    static_cast<unsigned char>(text[pos + 2]));
        std::size_t slot = SentenceTextIndex::Slot(key);
        while (kSentenceTextIndex.Keys[slot] != key) {
            if (kSentenceTextIndex.Keys[slot] == 0) return;
            slot = (slot + 1) % SentenceTextIndex::kSlots;
        }
        // Table order decides, not the position in the line: keep the lowest index found.
        for (uint8_t k = 0; k < kSentenceTextIndex.Count[slot]; ++k) {
            const uint8_t entry = kSentenceTextIndex.Entries[slot][k];
            if (entry >= best_) return;  // entries are in table order
            const std::string_view needle = kSentenceKindTexts[entry].Text;
            if (text.size() - pos < needle.size()) continue;
            std::size_t i = 3;
            while (i < needle.size() && text[pos + i] == needle[i]) ++i;
            if (i == needle.size()) {
                best_ = entry;
                return;
            }
        }
    }
    [[nodiscard]] SentenceKind Kind() const {
        return best_ < kSentenceKindTexts.size() ? kSentenceKindTexts[best_].Kind
                                                 : SentenceKind::None;
    }
    // The first table entry has been found: no later position can change the kind.
    [[nodiscard]] bool Settled() const { return best_ == 0; }

  private:
    std::size_t best_ = kSentenceKindTexts.size();
};

// Kind of any text by the table alone, without checking that it is a valid sentence (the
// monitor colours its lines this way, echo lines included).
[[nodiscard]] SentenceKind ClassifyText(std::string_view text);
// Kind of a received line: None unless the line is a valid sentence with a correct checksum.
[[nodiscard]] SentenceKind ClassifySentence(std::string_view line);

}  // namespace gnss
