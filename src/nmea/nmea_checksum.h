#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gnss {

// "*" and two upper-case hex digits of the XOR of every byte after the first ("$" skipped,
// everything else counts). "$PMTK101" gives "*32". A text shorter than 2 bytes gives "*00".
[[nodiscard]] std::string NmeaChecksumSuffix(std::string_view text);
// XOR of the bytes between the leading "$" and the "*" three bytes from the end, compared byte
// for byte with the last two characters as upper-case hex: lower-case digits do not match.
[[nodiscard]] bool NmeaChecksumValid(std::string_view sentence);
// The last two characters of `sentence` are `sum` as upper-case hex.
[[nodiscard]] bool ChecksumDigitsMatch(std::string_view sentence, uint8_t sum);
// Starts with "$" and has "*" third from the end: a sentence whose checksum can be checked.
[[nodiscard]] bool HasChecksumForm(std::string_view line);
// At least 4 bytes; starts with "$", has "*" third from the end and a matching checksum; or
// starts with "@@Eq".
[[nodiscard]] bool IsValidSentence(std::string_view line);

}  // namespace gnss
