#include "nmea/text_fields.h"

#include <algorithm>

namespace gnss {

std::string_view ExtractField(int n, std::string_view text, const DelimiterSet& delimiters) {
    if (n < 1) return {};
    std::size_t fieldStart = 0;
    int field = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!delimiters.Contains(text[i])) continue;
        if (field == n) return text.substr(fieldStart, i - fieldStart);
        ++field;
        fieldStart = i + 1;
    }
    return field == n ? text.substr(fieldStart) : std::string_view{};
}

int CountDelimiters(std::string_view text, const DelimiterSet& delimiters) {
    int count = 0;
    for (char c : text) count += delimiters.Contains(c) ? 1 : 0;
    return count;
}

std::size_t PosFrom(std::string_view sub, std::string_view text, std::ptrdiff_t start) {
    if (sub.empty() || text.empty()) return 0;
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
    if (from >= text.size() || text.size() - from < sub.size()) return 0;
    const std::size_t pos = text.find(sub, from);
    return pos == std::string_view::npos ? 0 : pos + 1;
}

std::size_t LastPos(std::string_view sub, std::string_view text) {
    if (sub.empty() || text.empty()) return 0;
    const std::size_t pos = text.rfind(sub);
    return pos == std::string_view::npos ? 0 : pos + 1;
}

std::string_view LeftPart(std::string_view text, std::ptrdiff_t n) {
    if (n <= 0) return {};
    return text.substr(0, static_cast<std::size_t>(n));
}

std::string_view RightPart(std::string_view text, std::ptrdiff_t n) {
    if (n <= 0) return {};
    const auto count = std::min(static_cast<std::size_t>(n), text.size());
    return text.substr(text.size() - count);
}

std::string_view CopyRange(std::string_view text, std::ptrdiff_t from, std::ptrdiff_t to) {
    if (from < 1) from = 1;
    if (to < from || static_cast<std::size_t>(from) > text.size()) return {};
    const auto last = std::min(static_cast<std::size_t>(to), text.size());
    return text.substr(static_cast<std::size_t>(from - 1),
                       last - static_cast<std::size_t>(from - 1));
}

std::string_view CopyFrom(std::string_view text, std::ptrdiff_t from) {
    if (from < 1) from = 1;
    if (static_cast<std::size_t>(from) > text.size()) return {};
    return text.substr(static_cast<std::size_t>(from - 1));
}

std::string StringReplaceAll(std::string_view text, std::string_view oldText,
                             std::string_view newText) {
    if (oldText.empty()) return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = text.find(oldText, pos);
        if (hit == std::string_view::npos) break;
        result.append(text.substr(pos, hit - pos));
        result.append(newText);
        pos = hit + oldText.size();
    }
    result.append(text.substr(pos));
    return result;
}

std::string RepeatString(std::string_view text, int n) {
    std::string result;
    if (n < 1 || text.empty()) return result;
    result.reserve(text.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) result.append(text);
    return result;
}

std::string ReverseString(std::string_view text) {
    return std::string(text.rbegin(), text.rend());
}

std::string_view Trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    return text.substr(begin, end - begin);
}

std::string ToUpperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return result;
}

}  // namespace gnss
