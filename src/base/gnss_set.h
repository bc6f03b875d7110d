#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace gnss {

// Sets of constellations: the ones a receiver tracks, and the ones the sky plot shows. The
// values are fixed (tables are indexed by them); kGnssSetNames names each.
enum class GnssSet : uint8_t {
    Gps,
    Glonass,
    Bds,
    Galileo,
    Irnss,
    GpsGlonass,
    GpsBds,
    GlonassBds,
    GpsGlonassBds,
    GpsGlonassGalileo,
    GpsBdsGalileo,
    GpsBdsGalileoBds,
    GpsBdsGalileoBdsIrnss,
    All,
};

inline constexpr std::array<std::string_view, 14> kGnssSetNames = {"GPS",
                                                                   "GLONASS",
                                                                   "BDS",
                                                                   "GALILEO",
                                                                   "IRNSS",
                                                                   "GPS+GLONASS",
                                                                   "GPS+BDS",
                                                                   "GLONASS+BDS",
                                                                   "GPS+GLONASS+BDS",
                                                                   "GPS+GLONASS+GALILEO",
                                                                   "GPS+BDS+GALILEO",
                                                                   "GPS+BDS+GALILEO+BDS",
                                                                   "GPS+BDS+GALILEO+BDS+IRNSS",
                                                                   "ALL"};

[[nodiscard]] constexpr std::size_t GnssSetIndex(GnssSet set) {
    return static_cast<std::size_t>(set);
}
[[nodiscard]] constexpr std::string_view GnssSetName(GnssSet set) {
    return kGnssSetNames[GnssSetIndex(set)];
}

}  // namespace gnss
