#include "nmea/coordinates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace gnss {
namespace {

struct NmeaCase {
    double degrees;
    double nmea;
};

TEST(NmeaDegrees, ConvertBothWaysKeepingTheSign) {
    const std::vector<NmeaCase> cases = {
        {48.1173, 4807.038}, {11.516666666666667, 1131.0}, {-121.5, -12130.0}, {-0.5, -30.0},
        {0.0, 0.0},          {25.0336, 2502.016},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(DegreesToNmea(c.degrees), c.nmea, 1e-9) << c.degrees;
        EXPECT_NEAR(NmeaToDegrees(c.nmea), c.degrees, 1e-12) << c.nmea;
    }
}

// Great-circle distance in metres, to judge the size of the offset.
double DistanceMetres(double lat1, double lon1, double lat2, double lon2) {
    constexpr double kRad = std::numbers::pi / 180.0;
    const double dLat = (lat2 - lat1) * kRad;
    const double dLon = (lon2 - lon1) * kRad;
    const double h =
        std::sin(dLat / 2) * std::sin(dLat / 2) +
        std::cos(lat1 * kRad) * std::cos(lat2 * kRad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * 6371000.0 * std::asin(std::sqrt(h));
}

TEST(GcjOffset, MatchesTheWidelyPublishedReferencePoint) {
    // WGS-84 Beijing 39.915 N 116.404 E is published as 39.91640428150164 N 116.41024449916938 E.
    const LatLon beijing = GcjOffset(39.915, 116.404);
    EXPECT_NEAR(beijing.Latitude, 39.91640428150164, 1e-11);
    EXPECT_NEAR(beijing.Longitude, 116.41024449916938, 1e-11);
}

TEST(GcjOffset, MovesEveryPositionBySomeHundredMetres) {
    const LatLon taipei = GcjOffset(25.0336, 121.5646);
    const double moved = DistanceMetres(25.0336, 121.5646, taipei.Latitude, taipei.Longitude);
    EXPECT_GT(moved, 100.0);
    EXPECT_LT(moved, 1000.0);
    // No exemption outside China: a European position moves too.
    const LatLon munich = GcjOffset(48.1173, 11.5167);
    EXPECT_GT(DistanceMetres(48.1173, 11.5167, munich.Latitude, munich.Longitude), 1.0);
}

}  // namespace
}  // namespace gnss
