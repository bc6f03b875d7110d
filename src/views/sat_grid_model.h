#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/receiver_family.h"
#include "nmea/sat_display_list.h"
#include "views/speed_units.h"

namespace gnss {

inline constexpr Rgb kSatGridColor = 0x480048;      // grid and chart background
inline constexpr Rgb kSatGridPlainText = 0x008000;  // satellite columns before colouring
inline constexpr Rgb kSatGridText = 0x003D79;
inline constexpr Rgb kSatBdsHighlight = 0xC60000;
inline constexpr Rgb kSatAzimuthText = 0xFFFFB9;
inline constexpr Rgb kSatElevationText = 0xFFFFFF;
inline constexpr Rgb kSatUnknownConstellation = 0x808080;

// Background of the C/No cell by use state (index 1 in view, 2 tracked, 3 used).
inline constexpr std::array<Rgb, 4> kSatUseStateColors = {0x000000, 0xFF80C0, 0x80BFFF, 0xBBFF77};

// The constellations as the views tell them apart.
enum class Constellation : uint8_t { Gps, Glonass, Bds, Sbas, Galileo, Qzss, Irnss, Other };

// Colour of the constellation of a satellite number (the grid's "SV" row). SiRF5 receivers
// number BDS satellites 123-161, HED receivers 161-192.
[[nodiscard]] Rgb ConstellationColor(int number, ReceiverFamily family);
[[nodiscard]] Constellation ConstellationOf(int number, ReceiverFamily family);

// Numbers highlighted as BeiDou: 141-182, 200-299 and 361-397 (the grid's "SV" row ends the
// last range at 396).
[[nodiscard]] bool IsBdsLike(int number, bool svRow = false);

// The number shown for a satellite in the grid and in the sky plot: BDS numbers reduced when the
// receiver reports BDS with its own talker, Galileo likewise; "?" for 0 or less.
[[nodiscard]] std::string GridDisplayNumber(int number, bool bdsGsvSeen, bool galileoGsvSeen);
[[nodiscard]] std::string SkyDisplayNumber(int number, bool bdsGsvSeen, bool galileoGsvSeen);

struct GridCell {
    std::string Text;
    Rgb Background = kSatGridColor;
    Rgb TextColor = kSatGridPlainText;
    int FontSize = 9;
    bool operator==(const GridCell&) const = default;
};

inline constexpr std::string_view kSatGridHeader = "C/No\r\nSV\r\nAz\r\nEl";
inline constexpr std::array<std::string_view, 4> kSatGridRowTitles = {"C/No", "SV", "Az", "El"};

// The four-row grid under the signal chart (`xgGPSSI`): column i (from 0) is satellite column
// i + 1; the header column is fixed. Rows: 0 C/No, 1 SV, 2 Az, 3 El.
struct SatGridView {
    int Columns = 12;
    std::array<std::vector<GridCell>, 4> Rows;
    bool operator==(const SatGridView&) const = default;
};

struct SatGridInputs {
    const SatDisplayList* List = nullptr;
    bool BdsGsvSeen = false;
    bool GalileoGsvSeen = false;
    ReceiverFamily Family = ReceiverFamily::Unknown;
    bool ReceiverIdentified = false;
};

// Fills the grid for `columns` columns (font size of that layout): entries into their
// columns, coloured while the receiver is identified; the remaining columns empty.
[[nodiscard]] SatGridView FillSatGrid(const SatGridInputs& in, int columns, int fontSize);
// An empty grid of `columns` columns.
[[nodiscard]] SatGridView EmptySatGrid(int columns, int fontSize);

}  // namespace gnss
