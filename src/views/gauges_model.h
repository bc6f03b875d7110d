#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "nmea/nmea_records.h"
#include "nmea/sentence_kind.h"
#include "views/speed_units.h"

namespace gnss {

inline constexpr Rgb kSpeedometerNormalColor = 0x808080;
inline constexpr Rgb kSpeedometerOverRangeColor = 0xFF0080;
inline constexpr Rgb kHeadingMeterColor = 0xFFFF00;  // needle and arrow, set at start-up
inline constexpr Rgb kCompassMeterColor = 0xFF0080;

// Needle angles in degrees clockwise from the top of the dial, as the meters take them.
inline constexpr int kSpeedometerZeroAngle = 226;
inline constexpr int kSpeedometerLastAngle = 495;    // the end of the dial
inline constexpr int kSpeedometerPinnedAngle = 135;  // the same position as 495

// What the speedometer, the heading meter, the compass meter and the odometer counter show,
// and the labels that go with them. Plain data, painted by the meter widgets.
struct GaugesView {
    bool SpeedometerVisible = false;
    int SpeedometerAngle = kSpeedometerZeroAngle;
    Rgb SpeedometerColor = kSpeedometerNormalColor;
    SpeedometerFace Face = SpeedometerFace::Kilometres;

    bool HeadingMeterVisible = false;
    int Heading = 0;  // whole degrees
    Rgb HeadingNeedleColor = kHeadingMeterColor;
    Rgb HeadingArrowColor = kHeadingMeterColor;

    bool CompassMeterVisible = false;
    int CompassHeading = 0;  // whole degrees
    Rgb CompassColor = kCompassMeterColor;

    int OdometerValue = 0;  // speed in tenths of the display unit; 4 digits shown, last in red

    std::string HeadingLabel;  // dual-antenna heading
    bool HeadingLabelVisible = false;
    bool CourseUpVisible = false;
    std::string AntennaDistanceLabel;  // antenna distance, hint "antenna distance (mm)"
    bool AntennaDistanceVisible = false;

    bool operator==(const GaugesView&) const = default;
};

// What one gauge update reads.
struct GaugeInputs {
    bool FixValid = false;
    bool DrFix = false;
    const RmcRecord* Rmc = nullptr;
    const VtgRecord* Vtg = nullptr;
    const KindFlags* KindsSeen = nullptr;  // this second's flags
    int SpeedUnitIndex = 0;
};

// Speeds above this many knots are no measurement: the speedometer is hidden.
inline constexpr double kSpeedometerMaxKnots = 9999.0;

// Needle angle and colour of the speedometer for a speed: 226 at zero, clockwise; beyond the
// end of the dial the needle rests at its end (135) in the over-range colour.
struct SpeedometerReading {
    int Angle = kSpeedometerZeroAngle;
    bool OverRange = false;
};
[[nodiscard]] SpeedometerReading SpeedometerAngle(double speedKnots, int speedUnitIndex);
// The odometer counter: the speed in tenths of the display unit (12.3 units read 0123).
[[nodiscard]] int OdometerValue(double speedKnots, int speedUnitIndex);

class GaugesModel {
  public:
    [[nodiscard]] const GaugesView& View() const { return view_; }

    // After every navigation-panel refresh.
    void UpdateGauges(const GaugeInputs& in);
    // "$GPHDT,<heading>,T*hh" from a dual-antenna receiver: heading label and compass meter.
    void ShowDualAntennaHeading(std::string_view sentence);
    // "$PMDR,DIST,<mm>,..." from a dual-antenna receiver: the antenna distance label.
    void ShowAntennaDistance(std::string_view sentence);
    // The compass meter points to a magnetic-north or heading value (whole degrees).
    void SetCompassHeading(int degrees);
    // Each connect attempt: heading and compass meters and the dual-antenna labels hidden.
    void ClearForConnect();

  private:
    GaugesView view_;
};

}  // namespace gnss
