#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "nmea/number_parse.h"
#include "nmea/sentence_kind.h"
#include "nmea/text_fields.h"

namespace gnss {

// What one pass over a line finds besides its fields.
struct LineDigest {
    uint8_t Xor = 0;  // of every byte of the line
    SentenceKindMatcher Kind;
};

// The fields of one sentence, split once at every "," and "*" (so empty fields count and the
// checksum is the last field). Field(n) is 1-based like ExtractField with kCommaStar and gives
// the same result; the ends of the first fields are kept inline, later ones are looked up on
// demand.
class SentenceFields {
  public:
    static constexpr int kInlineFields = 48;

    explicit SentenceFields(std::string_view line)
        : SentenceFields(line, [](std::size_t, char) {}) {}

    // Splits `line` and, in the same pass, hands every position and byte to `visit(pos, byte)`.
    template <typename Visitor>
    SentenceFields(std::string_view line, Visitor&& visit) : line_(line) {
        starts_[0] = 0;
        for (std::size_t i = 0; i < line.size(); ++i) {
            visit(i, line[i]);
            if (line[i] == ',' || line[i] == '*') AddDelimiter(i);
        }
        EndLastField();
    }

    // Splits `line` and fills `digest` in the same pass, eight bytes at a time (the decoder
    // checksums, classifies and splits every received sentence this way).
    SentenceFields(std::string_view line, LineDigest& digest);

    // Number of "," and "*" in the line.
    [[nodiscard]] int Delimiters() const { return delimiters_; }
    [[nodiscard]] std::string_view Line() const { return line_; }

    [[nodiscard]] std::string_view Field(int64_t n) const {
        if (n < 1 || n > delimiters_ + 1) return {};
        if (n > kInlineFields) return ExtractField(static_cast<int>(n), line_, kCommaStar);
        const std::size_t start = starts_[static_cast<std::size_t>(n - 1)];
        const std::size_t next = starts_[static_cast<std::size_t>(n)];
        return {line_.data() + start, next - 1 - start};
    }
    [[nodiscard]] char Letter(int64_t n) const {
        const std::string_view f = Field(n);
        return f.empty() ? '\0' : f.front();
    }
    [[nodiscard]] std::optional<double> Float(int64_t n) const {
        const std::string_view text = Field(n);
        if (text.empty()) return std::nullopt;  // the usual empty field, without the call
        return TryParseFloat(text);
    }
    [[nodiscard]] double FloatOr(int64_t n, double fallback) const {
        return Float(n).value_or(fallback);
    }
    [[nodiscard]] std::optional<int32_t> Int(int64_t n) const { return ParseInt(Field(n)); }
    [[nodiscard]] int32_t IntOr(int64_t n, int32_t fallback) const {
        const std::string_view text = Field(n);
        // The usual short field of plain digits, without the optional.
        if (!text.empty() && text.size() <= 3) {
            int32_t value = 0;
            std::size_t i = 0;
            for (; i < text.size(); ++i) {
                const auto digit = static_cast<unsigned>(text[i] - '0');
                if (digit > 9) break;
                value = value * 10 + static_cast<int32_t>(digit);
            }
            if (i == text.size()) return value;
        }
        return ParseInt(text).value_or(fallback);
    }

    // TryParseInt with shortcuts for the common empty field and field of 1 to 9 plain digits.
    [[nodiscard]] static std::optional<int32_t> ParseInt(std::string_view text) {
        if (text.empty()) return std::nullopt;
        if (text.size() <= 9) {
            int32_t value = 0;
            std::size_t i = 0;
            for (; i < text.size(); ++i) {
                const auto digit = static_cast<unsigned>(text[i] - '0');
                if (digit > 9) break;
                value = value * 10 + static_cast<int32_t>(digit);
            }
            if (i == text.size()) return value;
        }
        return TryParseInt(text);
    }

  private:
    void AddDelimiter(std::size_t pos) {
        if (delimiters_ < kInlineFields)
            starts_[static_cast<std::size_t>(delimiters_) + 1] = pos + 1;
        ++delimiters_;
    }
    // The last field ends at the end of the line, as if a delimiter followed it.
    void EndLastField() {
        if (delimiters_ < kInlineFields) {
            starts_[static_cast<std::size_t>(delimiters_) + 1] = line_.size() + 1;
        }
    }

    std::string_view line_;
    // starts_[n - 1] is where field n starts, for the first min(delimiters_ + 1, kInlineFields)
    // fields, and starts_[n] - 1 where it ends; the rest is left uninitialised on purpose (a
    // line is split for every received sentence).
    std::array<std::size_t, kInlineFields + 1> starts_;
    int delimiters_ = 0;
};

}  // namespace gnss
