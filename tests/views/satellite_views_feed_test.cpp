#include "views/satellite_views_feed.h"

#include <gtest/gtest.h>

#include "nmea/decoder_harness.h"

namespace gnss {
namespace {

struct Feed {
    testing::DecoderHarness decoded;
    SharedState shared;
    IdentificationResult identification;
    SatelliteViews views;
    SatelliteViewsFeed feed{views, decoded.Decoder, shared, identification};
};

TEST(SatelliteViewsFeed, RefreshesFromTheDisplayListOnceTheReceiverIsIdentified) {
    Feed f;
    f.views.PortOpened();
    f.decoded.Feed("$GPGSV,1,1,02,12,45,120,40,05,30,060,35");
    f.decoded.Feed("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W");
    f.feed.OnSatellitesRefresh();
    EXPECT_TRUE(f.views.Sky().Icons.empty()) << "not identified: the grid only";
    EXPECT_EQ(f.views.Grid().Rows[1][0].Text, "5");

    f.shared.ReceiverIdentified = true;
    f.feed.OnSatellitesRefresh();
    EXPECT_EQ(f.views.Sky().Icons.size(), 2u);
    EXPECT_EQ(f.views.Chart().Bars.size(), 2u);
}

TEST(SatelliteViewsFeed, TakesTheFilterAndSkyOfIdentificationAndResetsAtConnect) {
    Feed f;
    f.identification.GnssViewFilter = GnssSet::GpsBds;
    f.identification.Sky = SkyBackground::MultiGnss;
    f.feed.OnReceiverIdentified();
    EXPECT_EQ(f.views.GnssViewFilter(), GnssSet::GpsBds);
    EXPECT_EQ(f.views.Background(), SkyBackground::MultiGnss);

    f.identification.Sky = SkyBackground::Gps;  // a later refinement
    f.feed.OnIdentificationChanged();
    EXPECT_EQ(f.views.Background(), SkyBackground::Gps);
    EXPECT_EQ(f.views.GnssViewFilter(), GnssSet::GpsBds) << "the filter changes only at the match";

    f.feed.OnConnecting();
    EXPECT_EQ(f.views.GnssViewFilter(), GnssSet::GpsGlonass);
}

}  // namespace
}  // namespace gnss
