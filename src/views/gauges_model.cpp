#include "views/gauges_model.h"

#include <cmath>

#include "nmea/number_parse.h"
#include "nmea/number_text.h"
#include "nmea/text_fields.h"

namespace gnss {

namespace {

// Courses of 999 or more are "not reported"; a meter keeps its last heading then.
constexpr double kCourseUnknownFrom = 999.0;

int RoundedHeading(double degrees) {
    return static_cast<int>(std::lround(degrees));
}

}  // namespace

SpeedometerReading SpeedometerAngle(double speedKnots, int speedUnitIndex) {
    const SpeedUnit& unit = SpeedUnitAt(speedUnitIndex);
    const double angle =
        speedKnots * unit.Factor * 90.0 / unit.SpeedometerScale + kSpeedometerZeroAngle;
    const long rounded = std::lround(angle);
    if (rounded <= kSpeedometerLastAngle) return {static_cast<int>(rounded), false};
    return {kSpeedometerPinnedAngle, true};
}

int OdometerValue(double speedKnots, int speedUnitIndex) {
    return static_cast<int>(std::lround(speedKnots * 10.0 * SpeedUnitAt(speedUnitIndex).Factor));
}

void GaugesModel::UpdateGauges(const GaugeInputs& in) {
    if (!in.FixValid && !in.DrFix) {
        view_.HeadingMeterVisible = false;
        view_.SpeedometerVisible = false;
        view_.OdometerValue = 0;
        return;
    }
    view_.HeadingMeterVisible = true;
    view_.SpeedometerVisible = true;
    view_.Face = SpeedUnitAt(in.SpeedUnitIndex).Face;

    const bool rmcSeen = in.KindsSeen != nullptr && (*in.KindsSeen)[SentenceKind::Rmc];
    const bool vtgSeen = in.KindsSeen != nullptr && (*in.KindsSeen)[SentenceKind::Vtg];
    if (rmcSeen && in.Rmc != nullptr) {
        if (in.Rmc->CourseDeg < kCourseUnknownFrom)
            view_.Heading = RoundedHeading(in.Rmc->CourseDeg);
    } else if (vtgSeen && in.Vtg != nullptr) {
        if (in.Vtg->CourseTrueDeg < kCourseUnknownFrom) {
            view_.Heading = RoundedHeading(in.Vtg->CourseTrueDeg);
        }
    }

    const double speedKnots = in.Rmc != nullptr ? in.Rmc->SpeedKnots : 0.0;
    if (speedKnots > kSpeedometerMaxKnots) {
        view_.SpeedometerVisible = false;
        return;
    }
    view_.OdometerValue = OdometerValue(speedKnots, in.SpeedUnitIndex);
    const SpeedometerReading reading = SpeedometerAngle(speedKnots, in.SpeedUnitIndex);
    view_.SpeedometerAngle = reading.Angle;
    view_.SpeedometerColor =
        reading.OverRange ? kSpeedometerOverRangeColor : kSpeedometerNormalColor;
}

// $GPHDT,274.07,T*03
void GaugesModel::ShowDualAntennaHeading(std::string_view sentence) {
    const std::string_view field = ExtractField(2, sentence, kCommaStar);
    view_.HeadingLabelVisible = true;
    view_.CourseUpVisible = true;
    view_.CompassMeterVisible = !field.empty();
    if (field.empty()) {
        view_.HeadingLabel.clear();
        return;
    }
    view_.HeadingLabel = std::string(field) + std::string(kDegreeSign);
    if (const auto heading = TryParseFloat(field)) {
        if (std::isfinite(*heading) && std::fabs(*heading) < 1e6) {
            view_.CompassHeading = RoundedHeading(*heading);
        }
    }
}

// $PMDR,DIST,1203,...
void GaugesModel::ShowAntennaDistance(std::string_view sentence) {
    view_.AntennaDistanceLabel = std::string(ExtractField(3, sentence, kCommaStar)) + "_mm";
    view_.AntennaDistanceVisible = true;
}

void GaugesModel::SetCompassHeading(int degrees) {
    view_.CompassHeading = degrees;
}

void GaugesModel::ClearForConnect() {
    view_.HeadingMeterVisible = false;
    view_.CompassMeterVisible = false;
    view_.HeadingLabel.clear();
    view_.HeadingLabelVisible = false;
    view_.CourseUpVisible = false;
    view_.AntennaDistanceLabel.clear();
    view_.AntennaDistanceVisible = false;
}

}  // namespace gnss
