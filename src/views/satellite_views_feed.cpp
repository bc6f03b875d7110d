#include "views/satellite_views_feed.h"

namespace gnss {

SatelliteViewsFeed::SatelliteViewsFeed(SatelliteViews& views, const NmeaDecoder& decoder,
                                       const SharedState& shared,
                                       const IdentificationResult& identification)
    : views_(views), decoder_(decoder), shared_(shared), identification_(identification) {}

void SatelliteViewsFeed::OnSatellitesRefresh() {
    SatelliteViewInputs in;
    in.List = &decoder_.DisplayList();
    in.BdsGsvSeen = decoder_.BdsGsvSeen();
    in.GalileoGsvSeen = decoder_.GalileoGsvSeen();
    in.Family = shared_.Family;
    in.ReceiverIdentified = DisplaysFollowReceiver(shared_);
    in.AntennaStatusExpected = shared_.AntennaStatusExpected;
    in.Antenna = shared_.Antenna;
    views_.RefreshSatelliteViews(in);
}

void SatelliteViewsFeed::OnReceiverIdentified() {
    views_.SelectGnssView(identification_.GnssViewFilter);
    OnIdentificationChanged();
}

}  // namespace gnss
