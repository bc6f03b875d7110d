#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace gnss {

// Kind code of a received line. 0 means "not a valid sentence or none of the known texts".
using SentenceKind = uint8_t;

inline constexpr SentenceKind kKindNone = 0;
inline constexpr SentenceKind kKindEcho = 1;  // "  <" echo of a sent command
inline constexpr SentenceKind kKindRmc = 2;
inline constexpr SentenceKind kKindGga = 3;
inline constexpr SentenceKind kKindGll = 4;
inline constexpr SentenceKind kKindGpGsa = 5;
inline constexpr SentenceKind kKindGnGsa = 6;
inline constexpr SentenceKind kKindGlGsa = 7;
inline constexpr SentenceKind kKindBdGsa = 8;
inline constexpr SentenceKind kKindGbGsa = 9;
inline constexpr SentenceKind kKindGaGsa = 10;
inline constexpr SentenceKind kKindGnGsv = 11;
inline constexpr SentenceKind kKindQzGsv = 12;
inline constexpr SentenceKind kKindGpGsv = 13;
inline constexpr SentenceKind kKindGlGsv = 14;
inline constexpr SentenceKind kKindBdGsv = 15;
inline constexpr SentenceKind kKindGbGsv = 16;
inline constexpr SentenceKind kKindGaGsv = 17;
inline constexpr SentenceKind kKindGiGsv = 18;
inline constexpr SentenceKind kKindVtg = 19;
inline constexpr SentenceKind kKindMss = 20;
inline constexpr SentenceKind kKindPmd = 21;
inline constexpr SentenceKind kKindTtq = 22;
inline constexpr SentenceKind kKindTtm = 23;
inline constexpr SentenceKind kKindTtr = 24;
inline constexpr SentenceKind kKindTch = 25;
inline constexpr SentenceKind kKindPqt = 26;
inline constexpr SentenceKind kKindGns = 27;
inline constexpr int kSentenceKindCount = 28;  // 0..27

struct SentenceKindText {
    SentenceKind Kind;
    std::string_view Text;
};

// The texts a line is searched for, in this order; the first one found anywhere in the line
// gives the kind (so RMC, GGA, GLL, VTG and GNS match with any talker).
inline constexpr std::array<SentenceKindText, 27> kSentenceKindTexts{{
    {kKindEcho, "  <"},    {kKindRmc, "RMC"},     {kKindGga, "GGA"},     {kKindGll, "GLL"},
    {kKindGpGsa, "GPGSA"}, {kKindGnGsa, "GNGSA"}, {kKindGlGsa, "GLGSA"}, {kKindBdGsa, "BDGSA"},
    {kKindGbGsa, "GBGSA"}, {kKindGaGsa, "GAGSA"}, {kKindGnGsv, "GNGSV"}, {kKindQzGsv, "QZGSV"},
    {kKindGpGsv, "GPGSV"}, {kKindGlGsv, "GLGSV"}, {kKindBdGsv, "BDGSV"}, {kKindGbGsv, "GBGSV"},
    {kKindGaGsv, "GAGSV"}, {kKindGiGsv, "GIGSV"}, {kKindVtg, "VTG"},     {kKindMss, "MSS"},
    {kKindPmd, "PMD"},     {kKindTtq, "TTQ"},     {kKindTtm, "TTM"},     {kKindTtr, "TTR"},
    {kKindTch, "TCH"},     {kKindPqt, "PQT"},     {kKindGns, "GNS,"},
}};

[[nodiscard]] constexpr bool IsGsaKind(SentenceKind kind) {
    return kind >= kKindGpGsa && kind <= kKindGaGsa;
}
[[nodiscard]] constexpr bool IsGsvKind(SentenceKind kind) {
    return kind >= kKindGnGsv && kind <= kKindGiGsv;
}

// Kind of any text by the table alone, without checking that it is a valid sentence (the
// monitor colours its lines this way, echo lines included).
[[nodiscard]] SentenceKind ClassifyText(std::string_view text);
// Kind of a received line: 0 unless the line is a valid sentence with a correct checksum.
[[nodiscard]] SentenceKind ClassifySentence(std::string_view line);

}  // namespace gnss
