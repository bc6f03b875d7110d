#pragma once

// EPO files for tests: sets of records whose first three bytes carry the set's GPS hour (little
// endian), the satellite number in byte 3 and a recognisable filler elsewhere.

#include <cstdint>
#include <string>

namespace gnss::testing {

inline std::string MakeEpoFile(uint32_t recordSize, uint32_t recordsPerSet, uint32_t sets,
                               uint32_t firstGpsHour) {
    std::string file;
    file.reserve(std::size_t{recordSize} * recordsPerSet * sets);
    for (uint32_t set = 0; set < sets; ++set) {
        const uint32_t hour = firstGpsHour + set * 6;
        for (uint32_t sat = 0; sat < recordsPerSet; ++sat) {
            std::string record(recordSize, '\0');
            record[0] = static_cast<char>(hour & 0xFF);
            record[1] = static_cast<char>((hour >> 8) & 0xFF);
            record[2] = static_cast<char>((hour >> 16) & 0xFF);
            record[3] = static_cast<char>(sat + 1);
            for (uint32_t i = 4; i < recordSize; ++i) {
                record[i] = static_cast<char>((set * 31 + sat * 7 + i) | 1);
            }
            file += record;
        }
    }
    return file;
}

// 7 days of EPO II (GPS): 28 sets of 32 records of 72 bytes, 64,512 bytes.
inline std::string MakeEpoIISevenDays(uint32_t firstGpsHour) {
    return MakeEpoFile(72, 32, 28, firstGpsHour);
}

// The GPS hour (since the GPS origin) of a day count in the program's date form.
inline uint32_t GpsHourOf(double days, double gpsOriginDays) {
    return static_cast<uint32_t>((days - gpsOriginDays) * 24.0);
}

}  // namespace gnss::testing
