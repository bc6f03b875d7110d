#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "nmea/sat_display_list.h"
#include "views/navigation_panel.h"
#include "views/sat_grid_model.h"

namespace gnss {
class AppCore;
}

namespace gnss::cli {

// One satellite of the dashboard's signal list.
struct DashboardSatellite {
    std::string Label;  // constellation letter and the number the grid shows ("G12", "C 5")
    Constellation System = Constellation::Other;
    int Cno = 0;  // dB-Hz
    int Elevation = 0;
    int Azimuth = 0;
    SatUseState Use = kSatNoState;
};

struct ConstellationCount {
    Constellation System = Constellation::Other;
    int InView = 0;
    int Used = 0;
};

// Everything the terminal dashboard shows, read from the application core's view models once
// per refresh: the status bar's panels, the navigation panel, the satellite display list and
// the newest monitor lines.
struct DashboardSnapshot {
    std::string Port;         // status bar: "Open (ttyUSB0,9600 bps)"
    std::string LinkState;    // "NMEA", "UNKNOW", "NULL"
    std::string ReceiveRate;  // "Rx(Bps):1234"
    std::string Elapsed;      // connected time
    std::string Family;       // receiver family as the status bar names it
    std::string Firmware;     // firmware label, empty until identified
    std::string LogState;
    bool Paused = false;
    bool Identified = false;  // the navigation panel is filled once the receiver is identified
    NavigationPanelView Navigation;
    int InView = 0;
    int Used = 0;
    std::vector<ConstellationCount> Constellations;  // only those with satellites in view
    std::vector<DashboardSatellite> Satellites;      // in display order
    std::vector<std::string> MonitorLines;           // oldest first
    std::string LastNote;                            // the newest connection note
};

// The constellations in the order the dashboard lists them, with their names and letters.
struct ConstellationName {
    Constellation System;
    std::string_view Name;
    char Letter;
};
inline constexpr std::array<ConstellationName, 8> kConstellationNames = {{
    {Constellation::Gps, "GPS", 'G'},
    {Constellation::Glonass, "GLONASS", 'R'},
    {Constellation::Galileo, "Galileo", 'E'},
    {Constellation::Bds, "BeiDou", 'C'},
    {Constellation::Qzss, "QZSS", 'J'},
    {Constellation::Irnss, "NavIC", 'I'},
    {Constellation::Sbas, "SBAS", 'S'},
    {Constellation::Other, "other", '?'},
}};
[[nodiscard]] const ConstellationName& NameOf(Constellation system);

// The satellite list and per-constellation counts of a display list.
void FillSatellites(DashboardSnapshot& snapshot, const SatDisplayList& list, ReceiverFamily family,
                    bool bdsGsvSeen, bool galileoGsvSeen);

// Reads the snapshot from the core; `monitorLines` newest monitor lines at most.
[[nodiscard]] DashboardSnapshot TakeDashboardSnapshot(AppCore& core, std::size_t monitorLines);

// The full-screen view: exactly `height` lines of at most `width` visible characters each
// (UTF-8), with ANSI colours when `colour`. Sections that do not fit are shortened: the
// monitor first, then the satellite list.
[[nodiscard]] std::vector<std::string> RenderDashboard(const DashboardSnapshot& snapshot, int width,
                                                       int height, bool colour);

// The one-line summary printed once a second when the output is not a terminal.
[[nodiscard]] std::string DashboardSummaryLine(const DashboardSnapshot& snapshot);

// Visible characters of UTF-8 text without escape sequences.
[[nodiscard]] int VisibleWidth(std::string_view text);

}  // namespace gnss::cli
