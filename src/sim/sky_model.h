#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gnss::sim {

enum class Constellation : uint8_t { Gps, Glonass, Galileo, BeiDou, Qzss, NavIC, Sbas };
inline constexpr int kConstellationCount = 7;

// Facts of one constellation as NMEA shows it.
struct ConstellationInfo {
    Constellation System;
    std::string_view Name;    // "gps", "glonass", ... (option values)
    std::string_view Talker;  // GSV talker ("GP", "GL", "GA", "GB", "GQ", "GI"; SBAS rides on GP)
    int SystemId;             // NMEA 4.1 GNSS system id
    int SignalId;             // first signal (L1 C/A, E1, B1I ...)
    int SecondSignalId;       // second signal (L5, E5a, B2a ...)
};

[[nodiscard]] const ConstellationInfo& InfoOf(Constellation system);
// "gps" -> Gps; false for an unknown name.
[[nodiscard]] bool ConstellationFromName(std::string_view name, Constellation& out);

// One satellite as the receiver reports it at one moment.
struct SatView {
    Constellation System = Constellation::Gps;
    int Id = 0;  // number as NMEA shows it (GLONASS 65.., SBAS 33..)
    double ElevationDeg = 0;
    double AzimuthDeg = 0;
    int Cno = 0;        // dB-Hz; 0: tracked without signal
    int Cno2 = 0;       // second signal
    bool Used = false;  // in the navigation solution
};

// A deterministic sky: satellites rise, move and set slowly, C/No follows elevation with a
// little noise; some are tracked without signal, some are not used. Everything is a function
// of the seed and the time, so the same moment always looks the same.
class SkyModel {
  public:
    SkyModel(uint64_t seed, std::vector<Constellation> systems);

    // Satellites above the horizon at `gpsSeconds` (seconds since the GPS time origin).
    // `acquired` (0..1) is the share of satellites whose signal has been found after a restart;
    // `fixed` marks the strong, high ones as used.
    [[nodiscard]] std::vector<SatView> At(double gpsSeconds, double acquired, bool fixed) const;
    [[nodiscard]] const std::vector<Constellation>& Systems() const { return systems_; }

  private:
    struct Orbit {
        Constellation System;
        int Id;
        double PeriodS;  // 0: geostationary
        double Phase;    // radians
        double MaxElevDeg;
        double AzimuthDeg;  // azimuth at phase 0
        double AzimuthRateDegPerS;
        bool NoSignal;       // tracked but never heard
        bool NeverUsed;      // heard but kept out of the solution
        double AcquireRank;  // 0..1: order in which signals are found
    };
    uint64_t seed_;
    std::vector<Constellation> systems_;
    std::vector<Orbit> orbits_;
};

// Dilutions of precision of the used satellites (99.99 when fewer than four).
struct Dops {
    double Pdop = 99.99;
    double Hdop = 99.99;
    double Vdop = 99.99;
};
[[nodiscard]] Dops ComputeDops(const std::vector<SatView>& sats);

}  // namespace gnss::sim
