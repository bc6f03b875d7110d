#include "nmea/sat_display_list.h"

#include <algorithm>

namespace gnss {

namespace {

// `filled`: the used list up to its last satellite (later positions are all 0).
bool IsListedAsUsed(int16_t number, const GsaRecord& gsa, std::size_t filled) {
    // Empty fields of the GSA lists are stored as 0, so 0 never means "used".
    if (number == 0) return false;
    const auto end = gsa.UsedSatellites.begin() + static_cast<std::ptrdiff_t>(filled);
    return std::find(gsa.UsedSatellites.begin(), end, number) != end;
}

}  // namespace

void BuildSatDisplayList(SatDisplayList& list, const SatTable& table, const GsaRecord& gsa,
                         int32_t usedCount) {
    list.InView = table.InView;
    list.UsedCount = usedCount;
    list.EntryCount = static_cast<uint8_t>(std::clamp<int32_t>(table.InView, 0, kMaxSatellites));
    list.Entries = table.Entries;
    list.UseStates.fill(kSatNoState);

    // Insertion sort: stable (equal numbers keep their table order) and without the buffer
    // that std::stable_sort would allocate.
    for (std::size_t i = 1; i < list.EntryCount; ++i) {
        const SatEntry entry = list.Entries[i];
        std::size_t j = i;
        for (; j > 0 && list.Entries[j - 1].Number > entry.Number; --j) {
            list.Entries[j] = list.Entries[j - 1];
        }
        list.Entries[j] = entry;
    }
    std::size_t filled = gsa.UsedSatellites.size();
    while (filled > 0 && gsa.UsedSatellites[filled - 1] == 0) --filled;
    for (std::size_t i = 0; i < list.EntryCount; ++i) {
        const SatEntry& entry = list.Entries[i];
        if (IsListedAsUsed(entry.Number, gsa, filled)) {
            list.UseStates[i] = kSatUsed;
        } else {
            list.UseStates[i] = entry.Cno < 1 ? kSatInView : kSatTracked;
        }
    }
}

}  // namespace gnss
