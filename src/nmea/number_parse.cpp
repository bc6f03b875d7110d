#include "nmea/number_parse.h"

#include <array>
#include <charconv>

namespace gnss {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Magnitude of a run of decimal or "$"-hex digits; nullopt on bad characters or when above limit.
std::optional<uint64_t> ParseMagnitude(std::string_view digits, uint64_t limit) {
    if (digits.empty()) return std::nullopt;
    uint64_t value = 0;
    if (digits[0] == '$') {
        digits.remove_prefix(1);
        if (digits.empty()) return std::nullopt;
        for (char c : digits) {
            const int v = HexValue(c);
            if (v < 0) return std::nullopt;
            value = value * 16 + static_cast<uint64_t>(v);
            if (value > limit) return std::nullopt;
        }
        return value;
    }
    for (char c : digits) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > limit) return std::nullopt;
    }
    return value;
}

constexpr std::array<double, 16> kPowersOfTen = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// "digits[.digits]" with at most 15 digits, as nearly every NMEA number is: the digits form an
// integer below 2^53 and the divisor a power of ten up to 1e15, both exact doubles, so their
// quotient is the correctly rounded value that from_chars gives too, at a fraction of its cost.
// Nothing for any other text.
std::optional<double> ExactSmallDecimal(std::string_view text) {
    const std::size_t size = text.size();
    if (size > 16) return std::nullopt;
    uint64_t mantissa = 0;
    std::size_t i = 0;
    for (; i < size; ++i) {
        const auto digit = static_cast<unsigned>(text[i] - '0');
        if (digit > 9) break;
        mantissa = mantissa * 10 + digit;
    }
    std::size_t fraction = 0;
    const bool point = i < size;
    if (point) {
        if (text[i] != '.') return std::nullopt;
        fraction = size - i - 1;
        for (++i; i < size; ++i) {
            const auto digit = static_cast<unsigned>(text[i] - '0');
            if (digit > 9) return std::nullopt;
            mantissa = mantissa * 10 + digit;
        }
    }
    const std::size_t digits = point ? size - 1 : size;
    if (digits == 0 || digits > 15) return std::nullopt;
    return static_cast<double>(mantissa) / kPowersOfTen[fraction];
}

std::string_view SkipLeadingBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

}  // namespace

std::optional<int32_t> TryParseInt(std::string_view text) {
    text = SkipLeadingBlanks(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const auto magnitude = ParseMagnitude(text, negative ? 2147483648ull : 2147483647ull);
    if (!magnitude) return std::nullopt;
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(*magnitude))
                    : static_cast<int32_t>(*magnitude);
}

std::optional<uint32_t> TryParseUInt(std::string_view text) {
    text = SkipLeadingBlanks(text);
    const auto magnitude = ParseMagnitude(text, 4294967295ull);
    if (!magnitude) return std::nullopt;
    return static_cast<uint32_t>(*magnitude);
}

std::optional<double> TryParseFloat(std::string_view text) {
    // The usual unsigned decimal without blanks goes straight to the exact shortcut.
    if (!text.empty() && IsDigit(text.front()) && IsDigit(text.back())) {
        if (const auto exact = ExactSmallDecimal(text)) return exact;
    }
    text = SkipLeadingBlanks(text);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (const auto exact = ExactSmallDecimal(text)) return negative ? -*exact : *exact;
    // Validate the grammar here: from_chars alone would accept "inf", "nan" and hex floats.
    std::size_t i = 0;
    std::size_t mantissaDigits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return negative ? -value : value;
}

double ParseFloatOrZero(std::string_view text, bool* ok) {
    const auto value = TryParseFloat(text);
    if (ok != nullptr) *ok = value.has_value();
    return value.value_or(0.0);
}

bool IsInteger(std::string_view text) {
    text = SkipLeadingBlanks(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10) return false;
    for (char c : text) {
        if (!IsDigit(c)) return false;
    }
    return ParseMagnitude(text, negative ? 2147483648ull : 2147483647ull).has_value();
}

bool IsFloat(std::string_view text, char decimalSeparator) {
    text = SkipLeadingBlanks(text);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (digits == 0) return false;
    if (i < text.size() && text[i] == decimalSeparator) {
        ++i;
        std::size_t fraction = 0;
        while (i < text.size() && IsDigit(text[i])) ++i, ++fraction;
        if (fraction == 0) return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponent = 0;
        while (i < text.size() && IsDigit(text[i])) ++i, ++exponent;
        if (exponent == 0) return false;
    }
    return i == text.size();
}

}  // namespace gnss
