#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace gnss {

// A set of byte values that end fields, e.g. {','} or {',', '*'}.
class DelimiterSet {
  public:
    constexpr DelimiterSet() = default;
    constexpr explicit DelimiterSet(std::string_view members) {
        for (char c : members) flags_[static_cast<unsigned char>(c)] = true;
    }
    [[nodiscard]] constexpr bool Contains(char c) const {
        return flags_[static_cast<unsigned char>(c)];
    }

  private:
    std::array<bool, 256> flags_{};
};

inline constexpr DelimiterSet kComma{","};
inline constexpr DelimiterSet kCommaStar{",*"};
inline constexpr DelimiterSet kStar{"*"};

// Positions in these helpers are 1-based, as sentence handling counts them; 0 means "none".

// The n-th field (n from 1) where every delimiter ends a field, so empty fields count. Empty
// when the text has fewer than n fields or n < 1. The result views into `text`.
[[nodiscard]] std::string_view ExtractField(int n, std::string_view text,
                                            const DelimiterSet& delimiters);
// Number of bytes of text that are delimiters.
[[nodiscard]] int CountDelimiters(std::string_view text, const DelimiterSet& delimiters);

// First occurrence of sub at or after start (a start below 1 counts as 1); 0 when none, when
// either string is empty or when start leaves no room for sub.
[[nodiscard]] std::size_t PosFrom(std::string_view sub, std::string_view text,
                                  std::ptrdiff_t start);
// Last occurrence of sub; 0 when none.
[[nodiscard]] std::size_t LastPos(std::string_view sub, std::string_view text);

[[nodiscard]] std::string_view LeftPart(std::string_view text, std::ptrdiff_t n);
[[nodiscard]] std::string_view RightPart(std::string_view text, std::ptrdiff_t n);
// Bytes from..to inclusive (1-based); empty when to < from.
[[nodiscard]] std::string_view CopyRange(std::string_view text, std::ptrdiff_t from,
                                         std::ptrdiff_t to);
// Bytes from position `from` to the end.
[[nodiscard]] std::string_view CopyFrom(std::string_view text, std::ptrdiff_t from);

[[nodiscard]] std::string StringReplaceAll(std::string_view text, std::string_view oldText,
                                           std::string_view newText);
[[nodiscard]] std::string RepeatString(std::string_view text, int n);
[[nodiscard]] std::string ReverseString(std::string_view text);

// Blanks (spaces and control characters) removed from both ends, as the trim of the window
// toolkit does.
[[nodiscard]] std::string_view Trim(std::string_view text);
[[nodiscard]] std::string ToUpperAscii(std::string_view text);
[[nodiscard]] inline bool Contains(std::string_view text, std::string_view sub) {
    return text.find(sub) != std::string_view::npos;
}

}  // namespace gnss
