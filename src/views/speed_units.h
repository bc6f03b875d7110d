#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace gnss {

// Colours as 0xRRGGBB.
using Rgb = uint32_t;

// The dial printed on the speedometer for each unit.
enum class SpeedometerFace : uint8_t { Kilometres, Miles, NauticalMiles };

// One choice of the unit selector: speeds are received in knots and shown multiplied
// by Factor; altitudes are shown in metres or feet.
struct SpeedUnit {
    std::string_view Name;   // the selector's item
    double Factor;           // knots -> display unit
    std::string_view Label;  // `SpeedUnitText`, also appended to the speed text
    Rgb LabelColor;
    bool AltitudeInFeet;
    SpeedometerFace Face;
    int SpeedometerScale;  // F: a quarter of the dial is F units
};

// `SpeedUnitIndex` 0, 1, 2. The mile factor is the one the displays have always used
// (1.15151515, not the exact 1.15078), so that shown values stay comparable.
inline constexpr std::array<SpeedUnit, 3> kSpeedUnits = {{
    {"KM", 1.852, "Km/H", 0xFFFF00, false, SpeedometerFace::Kilometres, 121},
    {"ML", 1.15151515, "Ml/H", 0x008040, true, SpeedometerFace::Miles, 80},
    {"NM", 1.0, "Knot", 0xFFFF00, true, SpeedometerFace::NauticalMiles, 20},
}};

inline constexpr double kFeetPerMetre = 3.28084;
inline constexpr double kKmhPerKnot = 1.852;

// The unit of an index; indexes outside 0..2 (a damaged settings file) mean kilometres.
[[nodiscard]] constexpr const SpeedUnit& SpeedUnitAt(int index) {
    return kSpeedUnits[index >= 0 && index < 3 ? static_cast<std::size_t>(index) : 0];
}

}  // namespace gnss
