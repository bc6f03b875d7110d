#pragma once

#include <span>
#include <string_view>

#include "control/restart_commands.h"

namespace gnss {

// How a receiver shows, in its text output, that it took a restart command.
struct RestartAckMarkers {
    // A received line containing any of these texts is the acknowledgement.
    std::span<const std::string_view> Texts;
    // The acknowledgement also proves that the link carries NMEA at the current rate (a baud
    // search that is still running may stop).
    bool ProvesLink = false;
    // The first line received while the receiver reports no fix counts as the acknowledgement
    // (families that announce nothing, or nothing reliable, after a restart).
    bool FirstLineWithoutFix = false;
};

// The markers of the receiver's family; empty Texts and no FirstLineWithoutFix for a family
// that does not acknowledge restarts in text (u-blox and HD acknowledge with frames as well).
[[nodiscard]] RestartAckMarkers RestartAckMarkersFor(const RestartTarget& target);

// The marker the line contains, or empty.
[[nodiscard]] std::string_view FindRestartAckMarker(const RestartAckMarkers& markers,
                                                    std::string_view line);

}  // namespace gnss
