// Receivers that no identification rule knows still have a fix: once identification gives up,
// the navigation panel, the sky plot and the signal chart follow them.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "sim/app_core_station.h"

namespace gnss {
namespace {

TEST(UnidentifiedReceiver, DisplaysFollowAReceiverOfNoParticularFamily) {
    // A SkyTraq receiver (GPS, BeiDou and Galileo, RTK float) replayed from a capture, and a
    // simulated receiver that names no chip: neither answers anything identification asks.
    struct Case {
        std::string Capture;
        uint32_t Baud;
        std::string Family;
    };
    for (const Case& c : {Case{"skytraq_px1172rh_nmea_psti_gb-ga_ths-hdt.log", 2400, ""},
                          Case{"", 9600, "plain"}}) {
        SCOPED_TRACE(c.Capture + c.Family);
        std::unique_ptr<gnss::testing::AppCoreStation> station;
        if (c.Capture.empty()) {
            sim::SimConfig config;
            config.Family = c.Family;
            config.Gnss = "gps,glonass";
            config.Baud = c.Baud;
            station = std::make_unique<gnss::testing::AppCoreStation>(config);
        } else {
            station = std::make_unique<gnss::testing::AppCoreStation>(c.Capture, c.Baud);
        }
        gnss::testing::AppCoreStation& s = *station;
        s.Connect();
        s.time.Advance(5000);
        // The quiet time before identification stays as it is.
        EXPECT_TRUE(s.core.Navigation.View().LatitudeText.empty());
        for (int i = 0; i < 200 && !s.core.Shared().IdentificationGaveUp; ++i) s.time.Advance(100);
        ASSERT_TRUE(s.core.Shared().IdentificationGaveUp);
        EXPECT_FALSE(s.core.Shared().ReceiverIdentified);
        EXPECT_NE(s.core.Window.Caption().find("(?"
                                               "?)"),
                  std::string::npos);
        // The next satellite block after the give-up reaches the views.
        for (int i = 0; i < 300 && (s.core.Satellites.Chart().Bars.empty() ||
                                    s.core.Navigation.View().LatitudeText.empty());
             ++i) {
            s.time.Advance(100);
        }
        EXPECT_FALSE(s.core.Navigation.View().LatitudeText.empty());
        EXPECT_FALSE(s.core.Satellites.Sky().Icons.empty());
        EXPECT_FALSE(s.core.Satellites.Chart().Bars.empty());
        EXPECT_EQ(s.core.Identification.Result.Sky, SkyBackground::MultiGnss);
        // Family-specific controls stay off.
        EXPECT_FALSE(s.core.Window.Button(ToolButton::ColdStart).Enabled);
    }
}

}  // namespace
}  // namespace gnss
