#pragma once

#include <string>
#include <vector>

#include "base/date_time.h"
#include "sim/sky_model.h"

namespace gnss::sim {

enum class FixKind : uint8_t { None, Fix2D, Fix3D, Dgps, RtkFixed, RtkFloat, DeadReckoning };

// "none", "2d", "3d", "dgps", "rtk", "float", "dr".
[[nodiscard]] bool FixKindFromName(std::string_view name, FixKind& out);

// What the receiver knows at one epoch.
struct EpochReport {
    DateTimeParts Utc;
    bool HasFix = false;
    FixKind Kind = FixKind::None;
    double LatDeg = 0;
    double LonDeg = 0;
    double AltM = 0;
    double GeoidSepM = 0;
    double SpeedKnots = 0;
    double CourseDeg = 0;
    std::vector<SatView> Sats;
    Dops Dop;
};

// How the receiver writes NMEA.
struct NmeaStyle {
    std::vector<Constellation> Systems;
    std::vector<std::string> Sentences;  // "GGA", "RMC", ... in output order
    bool Nmea41 = false;                 // GSA system ids, GSV signal ids, RMC/GNS status
    bool Signals = false;                // second-signal GSV groups (implies signal ids)
    std::string BeiDouTalker = "GB";     // "GB" or "BD"
    int TimeDecimals = 3;
    int MinuteDecimals = 4;
};

// The sentences of one epoch (each complete with checksum, without line end). GSV groups only
// when `withGsv`.
[[nodiscard]] std::vector<std::string> BuildEpochSentences(const EpochReport& report,
                                                           const NmeaStyle& style, bool withGsv);
// The talker of the combined sentences: GP for GPS alone, GN for several systems.
[[nodiscard]] std::string MainTalker(const NmeaStyle& style);
// The GSV talker of a system under this style.
[[nodiscard]] std::string GsvTalker(Constellation system, const NmeaStyle& style);

}  // namespace gnss::sim
