#include "assist/text_cipher.h"

#include "nmea/text_scrambler.h"

namespace gnss {

std::string EncipherText(std::string_view plain, std::string_view key, uint8_t seed) {
    return ScrambleText(plain, key, seed);
}

std::string DecipherText(std::string_view enciphered, std::string_view key) {
    return UnscrambleText(enciphered, key);
}

}  // namespace gnss
