#include "views/sat_grid_model.h"

#include <algorithm>

namespace gnss {

namespace {

struct NumberRange {
    int From;
    int To;
    Constellation Group;
};

// The grid's constellation ranges, after the family exceptions below.
constexpr std::array<NumberRange, 9> kConstellationRanges = {{
    {1, 32, Constellation::Gps},
    {33, 64, Constellation::Sbas},
    {120, 140, Constellation::Sbas},
    {65, 96, Constellation::Glonass},
    {141, 160, Constellation::Bds},
    {200, 255, Constellation::Bds},
    {193, 199, Constellation::Qzss},
    {300, 355, Constellation::Galileo},
    {400, 455, Constellation::Irnss},
}};
constexpr NumberRange kSirf5Bds{123, 161, Constellation::Bds};
constexpr NumberRange kHedBds{161, 192, Constellation::Bds};

constexpr std::array<Rgb, 8> kConstellationColors = {
    0xA4D1FF,  // GPS
    0xFFC2A6,  // GLONASS
    0xFFBBDD,  // BDS
    0xFFFF8E,  // SBAS
    0xC8FFCE,  // Galileo
    0xD5AAFF,  // QZSS
    0xECCB13,  // IRNSS
    kSatUnknownConstellation,
};

bool In(int number, const NumberRange& range) {
    return number >= range.From && number <= range.To;
}

std::string NumberText(int number) {
    return number <= 0 ? std::string("?") : std::to_string(number);
}

}  // namespace

Constellation ConstellationOf(int number, ReceiverFamily family) {
    if (family == ReceiverFamily::SiRF5 && In(number, kSirf5Bds)) return Constellation::Bds;
    if (family == ReceiverFamily::HED && In(number, kHedBds)) return Constellation::Bds;
    for (const NumberRange& range : kConstellationRanges) {
        if (In(number, range)) return range.Group;
    }
    return Constellation::Other;
}

Rgb ConstellationColor(int number, ReceiverFamily family) {
    return kConstellationColors[static_cast<std::size_t>(ConstellationOf(number, family))];
}

bool IsBdsLike(int number, bool svRow) {
    return (number >= 141 && number <= 182) || (number >= 200 && number <= 299) ||
           (number >= 361 && number <= (svRow ? 396 : 397));
}

std::string GridDisplayNumber(int number, bool bdsGsvSeen, bool galileoGsvSeen) {
    int shown = number;
    if (bdsGsvSeen && ((number >= 200 && number <= 299) || (number >= 361 && number <= 396))) {
        shown = number % 200;
    } else if (galileoGsvSeen && number >= 300 && number <= 399) {
        shown = number % 300;
    }
    if (shown > 400) shown %= 100;
    return NumberText(shown);
}

std::string SkyDisplayNumber(int number, bool bdsGsvSeen, bool galileoGsvSeen) {
    int shown = number;
    if (bdsGsvSeen && ((number >= 200 && number <= 299) || (number >= 361 && number <= 397))) {
        shown = number % 200;
    } else if (galileoGsvSeen && number >= 300 && number <= 399) {
        shown = number % 300;
    } else if (number >= 400) {
        shown = number % 100;
    }
    return NumberText(shown);
}

SatGridView EmptySatGrid(int columns, int fontSize) {
    SatGridView grid;
    grid.Columns = columns;
    for (auto& row : grid.Rows) row.assign(static_cast<std::size_t>(columns), GridCell{});
    for (auto& row : grid.Rows) {
        for (GridCell& cell : row) cell.FontSize = fontSize;
    }
    return grid;
}

SatGridView FillSatGrid(const SatGridInputs& in, int columns, int fontSize) {
    SatGridView grid = EmptySatGrid(columns, fontSize);
    if (in.List == nullptr) return grid;
    const SatDisplayList& list = *in.List;
    const int count = std::min<int>(list.EntryCount, columns);
    for (int i = 0; i < count; ++i) {
        const SatEntry& sat = list.Entries[i];
        const auto column = static_cast<std::size_t>(i);
        grid.Rows[0][column].Text = std::to_string(sat.Cno);
        grid.Rows[1][column].Text = GridDisplayNumber(sat.Number, in.BdsGsvSeen, in.GalileoGsvSeen);
        grid.Rows[2][column].Text = std::to_string(sat.Azimuth);
        grid.Rows[3][column].Text = std::to_string(sat.Elevation);
        if (!in.ReceiverIdentified) continue;

        GridCell& cno = grid.Rows[0][column];
        cno.Background = kSatUseStateColors[std::min<std::size_t>(list.UseStates[i], 3)];
        cno.TextColor = IsBdsLike(sat.Number) ? kSatBdsHighlight : kSatGridText;

        GridCell& sv = grid.Rows[1][column];
        sv.Background = ConstellationColor(sat.Number, in.Family);
        sv.TextColor = sv.Background == 0x000000 ? 0xFFFFFF : kSatGridText;
        if (IsBdsLike(sat.Number, true)) sv.TextColor = kSatBdsHighlight;

        grid.Rows[2][column].TextColor = kSatAzimuthText;
        grid.Rows[3][column].TextColor = kSatElevationText;
        // The narrow columns of the widest layouts print short numbers a size larger.
        if (columns > 39) {
            for (auto& row : grid.Rows) {
                if (row[column].Text.size() < 3) row[column].FontSize = fontSize + 1;
            }
        }
    }
    return grid;
}

}  // namespace gnss
