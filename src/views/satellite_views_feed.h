#pragma once

#include "control/identification_listener.h"
#include "control/receiver_identification.h"
#include "link/connection_listener.h"
#include "link/receive_listeners.h"
#include "link/shared_state.h"
#include "nmea/nmea_decoder.h"
#include "views/satellite_views.h"

namespace gnss {

// Keeps the satellite views in step with the receiver: a refresh from the decoder's display list
// whenever the receive path has a rebuilt one to show, a reset at each connect, and the view
// filter and sky background that identification chose.
class SatelliteViewsFeed final : public SatelliteListener,
                                 public ConnectionListener,
                                 public IdentificationListener {
  public:
    SatelliteViewsFeed(SatelliteViews& views, const NmeaDecoder& decoder, const SharedState& shared,
                       const IdentificationResult& identification);

    // SatelliteListener
    void OnSatellitesRefresh() override;
    // ConnectionListener
    void OnConnecting() override { views_.ResetForConnect(); }
    // IdentificationListener
    void OnReceiverIdentified() override;
    void OnIdentificationChanged() override { views_.SetSkyBackground(identification_.Sky); }

  private:
    SatelliteViews& views_;
    const NmeaDecoder& decoder_;
    const SharedState& shared_;
    const IdentificationResult& identification_;
};

}  // namespace gnss
