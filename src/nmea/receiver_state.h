#pragma once

#include <cstdint>
#include <string>

#include "base/date_time.h"

namespace gnss {

// The small set of program-wide values that say whether the receiver has a fix, of what kind
// and how good, and what time it reports. The decoder and the receive dispatch write them line
// by line; displays, tests and assistance tools read them.
struct ReceiverState {
    static constexpr float kDopNotReported = 99.9f;

    bool FixValid = false;
    bool DrFix = false;      // last GGA quality was 6 (dead reckoning)
    uint8_t FixQuality = 0;  // GGA quality 0..8
    uint8_t FixMode = 0;     // GSA mode: 1 no fix, 2 2D, 3 3D
    float Pdop = kDopNotReported;
    float Hdop = kDopNotReported;
    float Vdop = kDopNotReported;
    std::string DgpsStationText;
    int32_t SecondsCounter = 0;  // one-second ticks since the port was opened
    int32_t LastGgaSecond = 0;
    DateTime ReceiverUtcTime{};
};

}  // namespace gnss
