#pragma once

#include <string_view>

namespace gnss {

// What the receive path leaves to the owner of the connection (the connection control): the
// link's own second, the steps of the baud-rate detection and the end of the connection. The
// receive path has at most one controller; without one, its one-second tick runs the link
// supervision alone and the other requests are dropped.
class LinkController {
  public:
    virtual ~LinkController() = default;
    // The one-second tick: the controller counts the second and runs the dispatcher's
    // LinkSupervisionSecond itself.
    virtual void OnSecondTick() = 0;
    // Data arrived after a quiet tick while the baud-rate detection runs (two seconds after it
    // started at the earliest).
    virtual void OnDetectionStepDue() = 0;
    // The receiver was switched from SiRF binary to NMEA: its rate is to be found anew.
    virtual void StartSteppingDetection() = 0;
    // The user declined to switch a SiRF binary receiver to NMEA: the connection ends.
    virtual void DisconnectLink() = 0;
    // Every processing tick while SharedState::AutoBaudSearch is set, with the bytes the tick
    // took from the ring (empty when none came). The search owns those bytes: they reach neither
    // the receive buffer nor the stream listeners. Without a controller the flag is ignored.
    virtual void OnRateSearchTick(std::string_view /*chunk*/) {}
};

}  // namespace gnss
