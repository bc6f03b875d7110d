#include "nmea/text_scrambler.h"

namespace gnss {

namespace {

constexpr char kHexLower[] = "0123456789abcdef";

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void AppendHex(std::string& out, unsigned value) {
    out.push_back(kHexLower[(value >> 4) & 0x0F]);
    out.push_back(kHexLower[value & 0x0F]);
}

std::string_view EffectiveKey(std::string_view key) {
    return key.empty() ? kDefaultScrambleKey : key;
}

}  // namespace

std::string ScrambleText(std::string_view text, std::string_view key, uint8_t startValue) {
    key = EffectiveKey(key);
    std::string out;
    out.reserve(2 * (text.size() + 1));
    unsigned previous = startValue;
    AppendHex(out, previous);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto plain = static_cast<unsigned char>(text[i]);
        const auto keyByte = static_cast<unsigned char>(key[i % key.size()]);
        previous = ((previous + plain) % 255) ^ keyByte;
        AppendHex(out, previous);
    }
    return out;
}

std::string UnscrambleText(std::string_view scrambled, std::string_view key) {
    key = EffectiveKey(key);
    if (scrambled.size() < 2 || scrambled.size() % 2 != 0) return {};
    std::string plainText;
    plainText.reserve(scrambled.size() / 2 - 1);
    int previous = -1;
    for (std::size_t i = 0; i < scrambled.size(); i += 2) {
        const int high = HexDigitValue(scrambled[i]);
        const int low = HexDigitValue(scrambled[i + 1]);
        if (high < 0 || low < 0) return {};
        const int current = high * 16 + low;
        if (previous >= 0) {
            const std::size_t index = i / 2 - 1;
            const int a = current ^ static_cast<unsigned char>(key[index % key.size()]);
            const int plain = a > previous ? a - previous : a + 255 - previous;
            plainText.push_back(static_cast<char>(plain & 0xFF));
        }
        previous = current;
    }
    return plainText;
}

}  // namespace gnss
