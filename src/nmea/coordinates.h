#pragma once

namespace gnss {

// NMEA "ddmm.mmmm" form of signed decimal degrees: whole degrees × 100 plus the fractional
// degrees × 60, both carrying the sign (-121.5 gives -12130).
[[nodiscard]] double DegreesToNmea(double degrees);
// Decimal degrees of an NMEA "ddmm.mmmm" value: trunc(v/100) + (v − 100·trunc(v/100)) / 60.
[[nodiscard]] double NmeaToDegrees(double nmeaValue);

struct LatLon {
    double Latitude = 0.0;
    double Longitude = 0.0;
};

// The GCJ-02 offset of Chinese web maps (Krasovsky ellipsoid), applied to every position: no
// exemption for positions outside China.
[[nodiscard]] LatLon GcjOffset(double latitude, double longitude);

}  // namespace gnss
