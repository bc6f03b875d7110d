#include "nmea/hex_text.h"

#include <algorithm>

#include "base/conversion_error.h"

namespace gnss {

namespace {

constexpr char kHexUpper[] = "0123456789ABCDEF";

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string BinToHex(std::string_view bytes) {
    std::string result;
    result.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        result.push_back(kHexUpper[b >> 4]);
        result.push_back(kHexUpper[b & 0x0F]);
    }
    return result;
}

std::string HexToBin(std::string_view text) {
    if (text.size() % 2 != 0) throw ConversionError("Invalid Data !");
    std::string result;
    result.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigitValue(text[i]);
        const int low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0) throw ConversionError("Invalid Data !");
        result.push_back(static_cast<char>(high * 16 + low));
    }
    return result;
}

uint32_t HexToInt(std::string_view text) {
    uint32_t value = 0;
    bool bad = text.empty();
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0) {
            bad = true;
            break;
        }
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    if (bad) {
        throw ConversionError("『" + std::string(text) + "』中含有非 Hex(0..9,A..F) 之字元");
    }
    return value;
}

std::string IntToHexDigits(uint32_t value, int digits) {
    std::string result;
    do {
        result.push_back(kHexUpper[value & 0x0F]);
        value >>= 4;
    } while (value != 0);
    const auto wanted = static_cast<std::size_t>(std::clamp(digits, 0, 32));
    if (result.size() < wanted) result.append(wanted - result.size(), '0');
    std::reverse(result.begin(), result.end());
    return result;
}

bool IsHexText(std::string_view text, HexPrefix prefix) {
    if (prefix == HexPrefix::ZeroX) {
        if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            text.remove_prefix(2);
        }
    } else if (!text.empty() && text[0] == '$') {
        text.remove_prefix(1);
    }
    return std::all_of(text.begin(), text.end(), [](char c) { return HexDigitValue(c) >= 0; });
}

std::string BytesToCharCodes(std::string_view bytes) {
    std::string result;
    result.reserve(bytes.size() * 4);
    for (char c : bytes) {
        result.push_back('#');
        result.append(std::to_string(static_cast<unsigned char>(c)));
    }
    return result;
}

std::string HexToCharCodes(std::string_view hexText) {
    return BytesToCharCodes(HexToBin(hexText));
}

void PutBytesReversed(std::string& target, std::size_t offset, uint64_t value, int count) {
    count = std::clamp(count, 0, 8);
    const auto n = static_cast<std::size_t>(count);
    if (target.size() < offset + n) target.resize(offset + n, '\0');
    for (std::size_t i = 0; i < n; ++i) {
        const auto shift = 8 * (n - 1 - i);
        target[offset + i] = static_cast<char>((value >> shift) & 0xFF);
    }
}

}  // namespace gnss
