#include "nmea/coordinates.h"

#include <cmath>
#include <numbers>

namespace gnss {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kSemiMajorAxis = 6378245.0;
constexpr double kEccentricitySquared = 0.00669342162296594323;

double LatitudeTerm(double x, double y) {
    double t =
        -100.0 + 2.0 * x + 3.0 * y + 0.2 * y * y + 0.1 * x * y + 0.2 * std::sqrt(std::fabs(x));
    t += (20.0 * std::sin(6.0 * x * kPi) + 20.0 * std::sin(2.0 * x * kPi)) * 2.0 / 3.0;
    t += (20.0 * std::sin(y * kPi) + 40.0 * std::sin(y / 3.0 * kPi)) * 2.0 / 3.0;
    t += (160.0 * std::sin(y / 12.0 * kPi) + 320.0 * std::sin(y / 30.0 * kPi)) * 2.0 / 3.0;
    return t;
}

double LongitudeTerm(double x, double y) {
    double t = 300.0 + x + 2.0 * y + 0.1 * x * x + 0.1 * x * y + 0.1 * std::sqrt(std::fabs(x));
    t += (20.0 * std::sin(6.0 * x * kPi) + 20.0 * std::sin(2.0 * x * kPi)) * 2.0 / 3.0;
    t += (20.0 * std::sin(x * kPi) + 40.0 * std::sin(x / 3.0 * kPi)) * 2.0 / 3.0;
    t += (150.0 * std::sin(x / 12.0 * kPi) + 300.0 * std::sin(x / 30.0 * kPi)) * 2.0 / 3.0;
    return t;
}

}  // namespace

double DegreesToNmea(double degrees) {
    const double whole = std::trunc(degrees);
    return whole * 100.0 + (degrees - whole) * 60.0;
}

double NmeaToDegrees(double nmeaValue) {
    const double degrees = std::trunc(nmeaValue / 100.0);
    return degrees + (nmeaValue - 100.0 * degrees) / 60.0;
}

LatLon GcjOffset(double latitude, double longitude) {
    const double x = longitude - 105.0;
    const double y = latitude - 35.0;
    const double phi = latitude / 180.0 * kPi;
    const double sinPhi = std::sin(phi);
    const double m = 1.0 - kEccentricitySquared * sinPhi * sinPhi;
    const double sqrtM = std::sqrt(m);
    const double dLat = LatitudeTerm(x, y) * 180.0 /
                        ((kSemiMajorAxis * (1.0 - kEccentricitySquared)) / (m * sqrtM) * kPi);
    const double dLon =
        LongitudeTerm(x, y) * 180.0 / (kSemiMajorAxis / sqrtM * std::cos(phi) * kPi);
    return {latitude + dLat, longitude + dLon};
}

}  // namespace gnss
