#include "logging/map_link.h"

#include <cmath>

#include "nmea/coordinates.h"
#include "nmea/number_text.h"

namespace gnss {

std::string MapLinkUrl(double latitude, char latitudeLetter, double longitude, char longitudeLetter,
                       bool gcj02) {
    if (gcj02) {
        const LatLon shifted = GcjOffset(latitude, longitude);
        latitude = shifted.Latitude;
        longitude = shifted.Longitude;
    }
    // A hemisphere letter comes from the receiver: only a letter goes into the address.
    const auto letter = [](char c) {
        const bool isLetter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        return isLetter ? std::string(1, c) : std::string();
    };
    std::string url = std::string(kMapServiceAddress) +
                      "/maps?q=" + FixedText(std::fabs(latitude), 6, 6) + "+" +
                      letter(latitudeLetter) + "+" + FixedText(std::fabs(longitude), 6, 6) + "+" +
                      letter(longitudeLetter) + "&om=1";
    // The numbers never carry a comma; nothing else in the address may either.
    for (char& c : url) {
        if (c == ',') c = '.';
    }
    return url;
}

void OpenMapLink(bool ctrlHeld, bool fixValid, const RmcRecord& rmc, UserPrompts& prompts,
                 Desktop& desktop) {
    if (!fixValid) {
        prompts.ShowWarning(std::string(kMapNoFixWarning));
        return;
    }
    desktop.OpenUrl(
        MapLinkUrl(rmc.Latitude, rmc.LatitudeLetter, rmc.Longitude, rmc.LongitudeLetter, ctrlHeld));
}

}  // namespace gnss
