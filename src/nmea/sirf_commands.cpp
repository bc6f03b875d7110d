#include "nmea/sirf_commands.h"

#include <cstdio>

#include "nmea/nmea_checksum.h"

namespace gnss {

std::string Psrf114Command(int value, std::string_view data) {
    char head[64];
    std::snprintf(head, sizeof head, "$PSRF114,4b,0,%d,%zu", value, data.size());
    std::string text(head);
    text.reserve(text.size() + data.size() * 3 + 8);
    for (char c : data) {
        char byteText[4];
        std::snprintf(byteText, sizeof byteText, ",%x", static_cast<unsigned char>(c));
        text.append(byteText);
    }
    text.append(",0");
    text.append(NmeaChecksumSuffix(text));
    return text;
}

}  // namespace gnss
