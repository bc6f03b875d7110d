#pragma once

#include <cstdint>

namespace gnss {

// The two backgrounds of the sky plot: the GPS sky (drawn for R = 180) and the multi-GNSS sky
// (R = 162). Identification chooses one from the receiver's constellation set.
enum class SkyBackground : uint8_t { Gps, MultiGnss };

}  // namespace gnss
