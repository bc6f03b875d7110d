#include "views/sky_plot_model.h"

#include <cmath>
#include <numbers>

namespace gnss {

namespace {

struct NumberRange {
    int From;
    int To;
};
constexpr int kLowest = -32768;  // "32 or less" includes the unnumbered entries

// Up to three admitted ranges.
struct AdmittedRanges {
    std::array<NumberRange, 3> Ranges;
    int Count;
};

// How a family numbers BeiDou, as far as the filters care.
enum BdsNumbering : uint8_t { kBdsStandard, kBdsSirf5, kBdsSt, kBdsUniHed, kBdsNumberings };

BdsNumbering NumberingOf(ReceiverFamily family) {
    switch (family) {
        case ReceiverFamily::SiRF5:
            return kBdsSirf5;
        case ReceiverFamily::ST:
            return kBdsSt;
        case ReceiverFamily::Uni:
        case ReceiverFamily::HED:
            return kBdsUniHed;
        default:
            return kBdsStandard;
    }
}

constexpr AdmittedRanges kGps{{{{kLowest, 32}}}, 1};
constexpr AdmittedRanges kGlonass{{{{65, 96}}}, 1};
constexpr AdmittedRanges kGalileo{{{{300, 399}}}, 1};
constexpr AdmittedRanges kIrnss{{{{400, 499}}}, 1};
constexpr AdmittedRanges kGpsGlonass{{{{kLowest, 32}, {65, 96}}}, 2};

// Filters 0..7, one column per numbering (standard, SiRF5, ST, Uni/HED); 8..13 admit all.
constexpr std::array<std::array<AdmittedRanges, kBdsNumberings>, 8> kFilterTable = {{
    {kGps, kGps, kGps, kGps},
    {kGlonass, kGlonass, kGlonass, kGlonass},
    {{
        {{{{200, 255}, {361, 397}}}, 2},
        {{{{123, 161}}}, 1},
        {{{{123, 161}}}, 1},
        {{{{161, 192}, {200, 255}}}, 2},
    }},
    {kGalileo, kGalileo, kGalileo, kGalileo},
    {kIrnss, kIrnss, kIrnss, kIrnss},
    {kGpsGlonass, kGpsGlonass, kGpsGlonass, kGpsGlonass},
    {{
        {{{{1, 32}, {200, 255}, {361, 397}}}, 3},
        {{{{1, 32}, {123, 161}}}, 2},
        {{{{1, 32}, {200, 255}, {361, 397}}}, 3},
        {{{{1, 32}, {161, 192}}}, 2},
    }},
    {{
        {{{{65, 96}, {200, 255}, {361, 397}}}, 3},
        {{{{65, 96}, {123, 161}}}, 2},
        {{{{65, 96}, {200, 255}, {361, 397}}}, 3},
        {{{{65, 96}, {161, 192}}}, 2},
    }},
}};

struct GroupRange {
    int From;
    int To;
    SkyIconGroup Group;
};
constexpr std::array<GroupRange, 9> kIconGroups = {{
    {1, 32, kIconGps},
    {33, 64, kIconSbas},
    {65, 96, kIconGlonass},
    {123, 192, kIconBds},
    {200, 255, kIconBds},
    {361, 397, kIconBds},
    {193, 199, kIconQzss},
    {300, 355, kIconGalileo},
    {400, 455, kIconIrnss},
}};
constexpr GroupRange kHedSbas{120, 140, kIconSbas};

// Where each group's artwork puts the satellite, relative to the common icon corner.
struct IconShift {
    SkyIconGroup Group;
    int Dx;
    int Dy;
    int LabelDx;
    int LabelDy;
};
constexpr std::array<IconShift, 7> kIconShifts = {{
    {kIconGps, 0, 0, 0, 0},
    {kIconGlonass, 0, 0, 0, 1},
    {kIconBds, 0, 0, 0, 0},
    {kIconSbas, 0, 0, 1, 0},
    {kIconGalileo, 0, 0, 1, 0},
    {kIconQzss, -2, 0, 1, 0},
    {kIconIrnss, -3, -2, 0, 0},
}};

const IconShift& ShiftOf(SkyIconGroup group) {
    for (const IconShift& shift : kIconShifts) {
        if (shift.Group == group) return shift;
    }
    return kIconShifts[0];
}

}  // namespace

bool SkyFilterAdmits(GnssSet filter, ReceiverFamily family, int number) {
    const std::size_t index = GnssSetIndex(filter);
    if (index >= kFilterTable.size()) return true;
    const AdmittedRanges& admitted = kFilterTable[index][NumberingOf(family)];
    for (int i = 0; i < admitted.Count; ++i) {
        if (number >= admitted.Ranges[i].From && number <= admitted.Ranges[i].To) return true;
    }
    return false;
}

SkyIconGroup SkyIconGroupOf(int number, ReceiverFamily family) {
    if (family == ReceiverFamily::HED && number >= kHedSbas.From && number <= kHedSbas.To) {
        return kHedSbas.Group;
    }
    for (const GroupRange& range : kIconGroups) {
        if (number >= range.From && number <= range.To) return range.Group;
    }
    return kIconGps;
}

int SkyIconIndex(int number, uint8_t useState, ReceiverFamily family) {
    // +0 used, +1 tracked, +2 no signal.
    const int offset = useState == kSatUsed ? 0 : useState == kSatTracked ? 1 : 2;
    return SkyIconGroupOf(number, family) + offset;
}

SkyPoint SkyPosition(int elevation, int azimuth, int scale, int width, int height) {
    const double r = std::trunc((90.0 - elevation) / 90.0 * (scale / 2.0));
    const double az = azimuth * std::numbers::pi / 180.0;
    const int x = static_cast<int>(std::trunc(r * std::sin(az) + width / 2.0)) - 1;
    const int y = width - static_cast<int>(std::trunc(r * std::cos(az) + height / 2.0)) - 4;
    return {x, y};
}

SkyPlotView BuildSkyPlot(const SkyPlotInputs& in, SkyBackground background, GnssSet filter) {
    SkyPlotView sky;
    sky.Background = background;
    sky.Scale = SkyScale(background);
    sky.Filter = filter;
    if (in.AntennaStatusExpected) sky.AntennaBadge = in.Antenna;
    if (in.List == nullptr) return sky;
    const SatDisplayList& list = *in.List;
    for (int i = static_cast<int>(list.EntryCount) - 1; i >= 0; --i) {
        const uint8_t use = list.UseStates[i];
        if (use == kSatNoState) continue;
        const SatEntry& sat = list.Entries[i];
        if (!SkyFilterAdmits(filter, in.Family, sat.Number)) continue;

        const SkyPoint point = SkyPosition(sat.Elevation, sat.Azimuth, sky.Scale);
        const SkyIconGroup group = SkyIconGroupOf(sat.Number, in.Family);
        const IconShift& shift = ShiftOf(group);
        SkyIcon icon;
        icon.Entry = i;
        icon.IconIndex = SkyIconIndex(sat.Number, use, in.Family);
        icon.X = point.X;
        icon.Y = point.Y;
        icon.IconLeft = point.X - 9 + shift.Dx;
        icon.IconTop = point.Y - 8 + shift.Dy;
        icon.Label = SkyDisplayNumber(sat.Number, in.BdsGsvSeen, in.GalileoGsvSeen);
        icon.LabelFontSize = in.LogicalDpi == 120 || icon.Label.size() > 2 ? 7 : 8;
        icon.LabelColor = use == kSatInView ? kSkyLabelNoSignalColor : kSkyLabelColor;
        if (IsBdsLike(sat.Number)) icon.LabelColor = kSatBdsHighlight;
        icon.LabelCenterX = point.X + shift.LabelDx;
        icon.LabelTop = point.Y - 5 + shift.LabelDy;
        sky.Icons.push_back(std::move(icon));
    }
    return sky;
}

}  // namespace gnss
