#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/gnss_set.h"
#include "base/receiver_family.h"
#include "base/sky_background.h"
#include "link/shared_state.h"
#include "nmea/sat_display_list.h"
#include "views/sat_grid_model.h"
#include "views/speed_units.h"

namespace gnss {

// The two sky backgrounds: the GPS sky puts the horizon 90 pixels from the centre (R = 180),
// the multi-GNSS sky 81 pixels (R = 162) and uses the margin for its constellation legend.
[[nodiscard]] constexpr int SkyScale(SkyBackground background) {
    return background == SkyBackground::Gps ? 180 : 162;
}

// The sky image (`Image3`) is this many pixels square.
inline constexpr int kSkyImageSize = 220;
inline constexpr int kSkyIconSize = 24;
inline constexpr int kAntennaBadgeSize = 32;

// The icon groups of the 21 satellite icons: group + 0 used, + 1 tracked, + 2 no signal.
enum SkyIconGroup : uint8_t {
    kIconGps = 0,
    kIconGlonass = 3,
    kIconBds = 6,
    kIconSbas = 9,
    kIconGalileo = 12,
    kIconQzss = 15,
    kIconIrnss = 18,
};
inline constexpr int kSkyIconCount = 21;

// Whether the sky plot shows a satellite number under a filter (the BeiDou ranges depend on
// how the receiver family numbers BeiDou).
[[nodiscard]] bool SkyFilterAdmits(GnssSet filter, ReceiverFamily family, int number);
[[nodiscard]] SkyIconGroup SkyIconGroupOf(int number, ReceiverFamily family);
// Icon index 0..20 for a number and use state.
[[nodiscard]] int SkyIconIndex(int number, uint8_t useState, ReceiverFamily family);

// Image position of a satellite at elevation/azimuth (degrees) for the scale R and the image
// size: the centre for 90°, R/2 pixels from it for 0°, north up, east right.
struct SkyPoint {
    int X = 0;
    int Y = 0;
};
[[nodiscard]] SkyPoint SkyPosition(int elevation, int azimuth, int scale, int width = kSkyImageSize,
                                   int height = kSkyImageSize);

inline constexpr Rgb kSkyLabelColor = 0x000000;
inline constexpr Rgb kSkyLabelNoSignalColor = 0xC0C0C0;

struct SkyIcon {
    int Entry = 0;      // index into the display list
    int IconIndex = 0;  // 0..20
    int IconLeft = 0;   // top-left corner of the 24x24 icon
    int IconTop = 0;
    int X = 0;  // the satellite's point
    int Y = 0;
    std::string Label;
    Rgb LabelColor = kSkyLabelColor;
    int LabelFontSize = 8;  // points, bold
    int LabelCenterX = 0;
    int LabelTop = 0;
    bool operator==(const SkyIcon&) const = default;
};

struct SkyPlotView {
    SkyBackground Background = SkyBackground::Gps;
    int Scale = 180;
    int Size = kSkyImageSize;
    GnssSet Filter = GnssSet::All;
    std::vector<SkyIcon> Icons;  // in drawing order: the first satellite is drawn last
    AntennaState AntennaBadge = AntennaState::Unknown;  // drawn at the top-left unless Unknown
    bool operator==(const SkyPlotView&) const = default;
};

struct SkyPlotInputs {
    const SatDisplayList* List = nullptr;
    bool BdsGsvSeen = false;
    bool GalileoGsvSeen = false;
    ReceiverFamily Family = ReceiverFamily::Unknown;
    bool AntennaStatusExpected = false;
    AntennaState Antenna = AntennaState::Unknown;
    int LogicalDpi = 96;
};

[[nodiscard]] SkyPlotView BuildSkyPlot(const SkyPlotInputs& in, SkyBackground background,
                                       GnssSet filter);

}  // namespace gnss
