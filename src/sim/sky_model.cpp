#include "sim/sky_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "sim/sim_bytes.h"

namespace gnss::sim {

namespace {

constexpr std::array<ConstellationInfo, kConstellationCount> kInfo = {{
    {Constellation::Gps, "gps", "GP", 1, 1, 8},
    {Constellation::Glonass, "glonass", "GL", 2, 1, 3},
    {Constellation::Galileo, "galileo", "GA", 3, 7, 1},
    {Constellation::BeiDou, "beidou", "GB", 4, 1, 5},
    {Constellation::Qzss, "qzss", "GQ", 5, 1, 8},
    {Constellation::NavIC, "navic", "GI", 6, 1, 5},
    {Constellation::Sbas, "sbas", "GP", 1, 1, 8},
}};

// Satellites that exist per constellation: first id as NMEA shows it, count, orbit period.
struct Population {
    Constellation System;
    int FirstId;
    int Count;
    double PeriodS;  // 0: geostationary
};
constexpr std::array<Population, kConstellationCount> kPopulation = {{
    {Constellation::Gps, 1, 31, 43080.0},
    {Constellation::Glonass, 65, 24, 40544.0},
    {Constellation::Galileo, 1, 27, 50680.0},
    {Constellation::BeiDou, 1, 40, 46080.0},
    {Constellation::Qzss, 1, 4, 86164.0},
    {Constellation::NavIC, 1, 7, 0.0},
    {Constellation::Sbas, 40, 3, 0.0},
}};

constexpr double kDeg = std::numbers::pi / 180.0;

}  // namespace

const ConstellationInfo& InfoOf(Constellation system) {
    return kInfo[static_cast<std::size_t>(system)];
}

bool ConstellationFromName(std::string_view name, Constellation& out) {
    for (const auto& info : kInfo) {
        if (info.Name == name) {
            out = info.System;
            return true;
        }
    }
    return false;
}

SkyModel::SkyModel(uint64_t seed, std::vector<Constellation> systems)
    : seed_(seed), systems_(std::move(systems)) {
    SplitMix rng(seed * 7919 + 17);
    for (Constellation system : systems_) {
        const Population& pop = kPopulation[static_cast<std::size_t>(system)];
        for (int k = 0; k < pop.Count; ++k) {
            Orbit o{};
            o.System = system;
            o.Id = pop.FirstId + k;
            o.PeriodS = pop.PeriodS;
            // BeiDou's first five are geostationary, as in the real constellation.
            if (system == Constellation::BeiDou && k < 5) o.PeriodS = 0.0;
            o.Phase = rng.Uniform(0.0, 2.0 * std::numbers::pi);
            o.MaxElevDeg = o.PeriodS == 0.0 ? rng.Uniform(15.0, 60.0) : rng.Uniform(35.0, 88.0);
            o.AzimuthDeg = rng.Uniform(0.0, 360.0);
            o.AzimuthRateDegPerS =
                o.PeriodS == 0.0 ? 0.0 : rng.Uniform(-1.0, 1.0) * 360.0 / o.PeriodS;
            o.NoSignal = rng.NextUnit() < 0.08;
            o.NeverUsed = rng.NextUnit() < 0.10;
            o.AcquireRank = rng.NextUnit();
            orbits_.push_back(o);
        }
    }
}

std::vector<SatView> SkyModel::At(double gpsSeconds, double acquired, bool fixed) const {
    std::vector<SatView> out;
    const auto second = static_cast<uint64_t>(std::max(0.0, std::floor(gpsSeconds)));
    std::array<int, kConstellationCount> usedPerSystem{};
    for (const Orbit& o : orbits_) {
        double elevation = o.MaxElevDeg;
        double azimuth = o.AzimuthDeg;
        if (o.PeriodS > 0.0) {
            // Visible for about a third of each pass: the sine is stretched below the horizon.
            const double angle = o.Phase + 2.0 * std::numbers::pi * gpsSeconds / o.PeriodS;
            elevation = (o.MaxElevDeg + 40.0) * std::sin(angle) - 40.0;
            azimuth = o.AzimuthDeg + o.AzimuthRateDegPerS * gpsSeconds;
        }
        if (elevation < 0.0) continue;
        azimuth = std::fmod(std::fmod(azimuth, 360.0) + 360.0, 360.0);
        SatView v;
        v.System = o.System;
        v.Id = o.Id;
        v.ElevationDeg = elevation;
        v.AzimuthDeg = azimuth;
        const bool heard = !o.NoSignal && o.AcquireRank < acquired;
        if (heard) {
            const double base = 22.0 + 26.0 * std::sqrt(std::sin(elevation * kDeg));
            const double noise =
                HashUnit(seed_, static_cast<uint64_t>(o.System) * 1000 + o.Id, second) * 4.0 - 2.0;
            v.Cno = std::clamp(static_cast<int>(std::lround(base + noise)), 12, 54);
            v.Cno2 = std::clamp(v.Cno - 3 + static_cast<int>(std::lround(noise)), 10, 52);
        }
        // SBAS and QZSS share the GPS block of twelve in the GSA sentence.
        const bool gpsBlock = o.System == Constellation::Sbas || o.System == Constellation::Qzss;
        auto& used =
            usedPerSystem[static_cast<std::size_t>(gpsBlock ? Constellation::Gps : o.System)];
        if (fixed && heard && !o.NeverUsed && v.Cno >= 28 && elevation >= 8.0 && used < 12) {
            v.Used = true;
            ++used;
        }
        out.push_back(v);
    }
    return out;
}

Dops ComputeDops(const std::vector<SatView>& sats) {
    // Normal matrix of the geometry (east, north, up, clock) and its inverse diagonal.
    double n[4][4] = {};
    int count = 0;
    for (const SatView& s : sats) {
        if (!s.Used) continue;
        const double e = s.ElevationDeg * kDeg;
        const double a = s.AzimuthDeg * kDeg;
        const double row[4] = {std::cos(e) * std::sin(a), std::cos(e) * std::cos(a), std::sin(e),
                               1.0};
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) n[i][j] += row[i] * row[j];
        ++count;
    }
    Dops d;
    if (count < 4) return d;
    // Gauss-Jordan inversion.
    double inv[4][4] = {};
    for (int i = 0; i < 4; ++i) inv[i][i] = 1.0;
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(n[r][c]) > std::fabs(n[pivot][c])) pivot = r;
        if (std::fabs(n[pivot][c]) < 1e-12) return d;
        std::swap(n[c], n[pivot]);
        std::swap(inv[c], inv[pivot]);
        const double f = n[c][c];
        for (int j = 0; j < 4; ++j) {
            n[c][j] /= f;
            inv[c][j] /= f;
        }
        for (int r = 0; r < 4; ++r) {
            if (r == c) continue;
            const double g = n[r][c];
            for (int j = 0; j < 4; ++j) {
                n[r][j] -= g * n[c][j];
                inv[r][j] -= g * inv[c][j];
            }
        }
    }
    const double h = inv[0][0] + inv[1][1];
    const double v = inv[2][2];
    if (h < 0.0 || v < 0.0) return d;
    d.Hdop = std::min(99.99, std::sqrt(h));
    d.Vdop = std::min(99.99, std::sqrt(v));
    d.Pdop = std::min(99.99, std::sqrt(h + v));
    return d;
}

}  // namespace gnss::sim
