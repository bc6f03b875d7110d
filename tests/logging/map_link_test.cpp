#include "logging/map_link.h"

#include <gtest/gtest.h>

#include <string>

#include "doubles/comma_decimal_locale.h"
#include "doubles/recording_desktop.h"
#include "doubles/scripted_prompts.h"
#include "nmea/coordinates.h"

namespace gnss {
namespace {

using testing::RecordingDesktop;
using testing::ScriptedPrompts;

RmcRecord Taipei() {
    RmcRecord rmc;
    rmc.Latitude = 25.0336;
    rmc.LatitudeLetter = 'N';
    rmc.Longitude = 121.5646;
    rmc.LongitudeLetter = 'E';
    return rmc;
}

TEST(MapLink, QueryWithSixDecimalsAndHemisphereLetters) {
    EXPECT_EQ(MapLinkUrl(25.0336, 'N', 121.5646, 'E', false),
              "https://maps.google.com/maps?q=25.033600+N+121.564600+E&om=1");
    EXPECT_EQ(MapLinkUrl(-33.8688, 'S', -151.2093, 'W', false),
              "https://maps.google.com/maps?q=33.868800+S+151.209300+W&om=1");
    // A letter that is no letter does not reach the address.
    EXPECT_EQ(MapLinkUrl(1.0, '&', 2.0, 0, false),
              "https://maps.google.com/maps?q=1.000000++2.000000+&om=1");
}

TEST(MapLink, PointsEvenUnderACommaDecimalLocale) {
    const testing::CommaDecimalLocale german;
    ASSERT_TRUE(german.Active()) << german.Missing();
    EXPECT_EQ(MapLinkUrl(25.0336, 'N', 121.5646, 'E', false),
              "https://maps.google.com/maps?q=25.033600+N+121.564600+E&om=1");
}

TEST(MapLink, CtrlMovesThePositionToGcj02) {
    const LatLon shifted = GcjOffset(25.0336, 121.5646);
    char expected[160];
    std::snprintf(expected, sizeof expected, "https://maps.google.com/maps?q=%.6f+N+%.6f+E&om=1",
                  shifted.Latitude, shifted.Longitude);
    EXPECT_EQ(MapLinkUrl(25.0336, 'N', 121.5646, 'E', true), expected);
    // A few hundred metres, also outside China.
    EXPECT_GT(std::abs(shifted.Latitude - 25.0336) + std::abs(shifted.Longitude - 121.5646), 1e-3);
    const LatLon paris = GcjOffset(48.8566, 2.3522);
    EXPECT_NE(paris.Longitude, 2.3522);
}

TEST(MapLink, OpensTheBrowserOnlyWithAFix) {
    ScriptedPrompts prompts;
    RecordingDesktop desktop;
    OpenMapLink(false, false, Taipei(), prompts, desktop);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "GPS Status is \"No Fix\" !");
    EXPECT_TRUE(desktop.opened.empty());

    desktop.openSucceeds = false;  // not reported
    OpenMapLink(false, true, Taipei(), prompts, desktop);
    OpenMapLink(true, true, Taipei(), prompts, desktop);
    ASSERT_EQ(desktop.opened.size(), 2u);
    EXPECT_EQ(desktop.opened[0], "https://maps.google.com/maps?q=25.033600+N+121.564600+E&om=1");
    EXPECT_NE(desktop.opened[1], desktop.opened[0]);
    EXPECT_EQ(prompts.shown.size(), 1u);
}

}  // namespace
}  // namespace gnss
