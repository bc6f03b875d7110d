#pragma once

#include <string>
#include <string_view>

namespace gnss {

// One data sentence of the SiRF assistance upload:
//   $PSRF114,4b,0,<value>,<data length>{,<byte in lower-case hex, no leading zeros>},0*CS
// without CR LF.
[[nodiscard]] std::string Psrf114Command(int value, std::string_view data);

}  // namespace gnss
