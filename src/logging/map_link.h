#pragma once

#include <string>

#include "base/desktop.h"
#include "base/user_prompts.h"
#include "nmea/nmea_records.h"

namespace gnss {

// The public web map the position is shown on.
inline constexpr std::string_view kMapServiceAddress = "https://maps.google.com";
inline constexpr std::string_view kMapNoFixWarning = "GPS Status is \"No Fix\" !";
inline constexpr std::string_view kMapButtonHint = "Link to Google Map";

// The map address of a position: "/maps?q=%6.6f+%s+%6.6f+%s&om=1" after the service address,
// filled with |latitude|, its letter, |longitude|, its letter. With `gcj02` the position is
// first moved to the GCJ-02 system of the maps of mainland China. Numbers always carry a point.
[[nodiscard]] std::string MapLinkUrl(double latitude, char latitudeLetter, double longitude,
                                     char longitudeLetter, bool gcj02);

// The map button released (Ctrl held: GCJ-02): the last RMC position in the default browser, or the
// "No Fix" warning. A browser that does not start is not reported.
void OpenMapLink(bool ctrlHeld, bool fixValid, const RmcRecord& rmc, UserPrompts& prompts,
                 Desktop& desktop);

}  // namespace gnss
