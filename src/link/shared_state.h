#pragma once

#include <cstdint>

#include "base/receiver_family.h"

namespace gnss {

// What the receiver last said about its antenna.
enum class AntennaState : uint8_t { Unknown, Ok, Open, Short };

// Program-wide flags that several features read and a few write. There is one instance, owned
// by the application core and handed by reference to the features that need it.
struct SharedState {
    bool PortOpen = false;  // true while the receiver port is open
    ReceiverFamily Family = ReceiverFamily::Unknown;
    bool ReceiverIdentified = false;
    bool IdentificationPending = false;
    // Identification tried every attempt without a match: the receiver is still shown as one
    // of no particular family.
    bool IdentificationGaveUp = false;
    int IdentificationAttempts = 0;
    // Binary replies of a family are handled only while SecondsCounter <= the deadline.
    int32_t HedReplyDeadline = 0;
    int32_t UbxReplyDeadline = 0;
    bool MonitorPaused = false;    // lines are received and recorded, not handed to consumers
    bool DetectionActive = false;  // stepping baud-rate detection running
    uint32_t DetectionStartTick = 0;
    // The search for the receiver's rate of a connect at "Auto": the connection control judges
    // every processing tick's bytes itself (LinkController::OnRateSearchTick).
    bool AutoBaudSearch = false;
    bool AntennaStatusExpected = false;
    AntennaState Antenna = AntennaState::Unknown;
    bool RawCaptureActive = false;
};

// The displays follow the receiver's output once it is identified, or once identification gave
// up (a receiver of no particular family still has a position and satellites).
[[nodiscard]] inline bool DisplaysFollowReceiver(const SharedState& shared) {
    return shared.ReceiverIdentified || shared.IdentificationGaveUp;
}

}  // namespace gnss
