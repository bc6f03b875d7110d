#pragma once

#include <array>
#include <cstdint>

#include "nmea/nmea_records.h"

namespace gnss {

enum SatUseState : uint8_t {
    kSatNoState = 0,  // no entry
    kSatInView = 1,   // in view without signal (C/No below 1)
    kSatTracked = 2,  // C/No 1 or more
    kSatUsed = 3,     // listed among the used satellites of the GSA block
};

// The satellites in view in display order (sorted by number), with their use states.
struct SatDisplayList {
    int32_t InView = 0;      // from the GSV header
    int32_t UsedCount = 0;   // from the GSA lists
    uint8_t EntryCount = 0;  // InView limited to 0..44
    std::array<SatEntry, kMaxSatellites> Entries{};
    std::array<uint8_t, kMaxSatellites> UseStates{};
};

// Fills `list` from the table: copies the in-view count and the entries, sorts the first
// EntryCount entries by satellite number (equal numbers keep their table order), and gives
// each its use state; the used count is `usedCount`.
void BuildSatDisplayList(SatDisplayList& list, const SatTable& table, const GsaRecord& gsa,
                         int32_t usedCount);

}  // namespace gnss
