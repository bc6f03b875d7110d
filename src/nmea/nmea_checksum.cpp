#include "nmea/nmea_checksum.h"

#include <cstdint>

namespace gnss {

namespace {
constexpr char kHexUpper[] = "0123456789ABCDEF";

uint8_t XorRange(std::string_view text, std::size_t from, std::size_t to) {
    uint8_t sum = 0;
    for (std::size_t i = from; i < to && i < text.size(); ++i) sum ^= static_cast<uint8_t>(text[i]);
    return sum;
}
}  // namespace

std::string NmeaChecksumSuffix(std::string_view text) {
    const uint8_t sum = text.size() < 2 ? 0 : XorRange(text, 1, text.size());
    return std::string{'*', kHexUpper[sum >> 4], kHexUpper[sum & 0x0F]};
}

bool NmeaChecksumValid(std::string_view sentence) {
    const uint8_t sum = sentence.size() < 5 ? 0 : XorRange(sentence, 1, sentence.size() - 3);
    return ChecksumDigitsMatch(sentence, sum);
}

bool ChecksumDigitsMatch(std::string_view sentence, uint8_t sum) {
    if (sentence.size() < 2) return false;
    return sentence[sentence.size() - 2] == kHexUpper[sum >> 4] &&
           sentence[sentence.size() - 1] == kHexUpper[sum & 0x0F];
}

bool HasChecksumForm(std::string_view line) {
    return line.size() >= 4 && line[0] == '$' && line[line.size() - 3] == '*';
}

bool IsValidSentence(std::string_view line) {
    if (line.size() < 4) return false;
    if (HasChecksumForm(line) && NmeaChecksumValid(line)) return true;
    return line.starts_with("@@Eq");
}

}  // namespace gnss
