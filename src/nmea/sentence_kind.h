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

// Kind of any text by the table alone, without checking that it is a valid sentence (the
// monitor colours its lines this way, echo lines included).
[[nodiscard]] SentenceKind ClassifyText(std::string_view text);
// Kind of a received line: None unless the line is a valid sentence with a correct checksum.
[[nodiscard]] SentenceKind ClassifySentence(std::string_view line);

}  // namespace gnss
