// Arbitrary bytes as a SiRF receiver's reply to the SGEE status query, read in both dialects:
// a reply is recognised only when it carries its family's identifier, a valid reading always has
// whole days and hours that agree with its seconds, and only the readings that mean something
// produce a validity line.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "assist/sgee_packets.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace gnss;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (ReceiverFamily family : {ReceiverFamily::SiRF4, ReceiverFamily::SiRF5}) {
        const SgeeStatusReading reading = ReadSgeeStatus(input, family);
        if (reading.Kind != SgeeStatusKind::NotStatus) {
            Check(input.find("$PSRF156,") != std::string_view::npos);
        }
        if (reading.Kind == SgeeStatusKind::Valid) {
            const int64_t rest = reading.ValidSeconds - reading.Days * 86400 - reading.Hours * 3600;
            Check(std::llabs(rest) < 3600);
            Check(reading.Hours > -24 && reading.Hours < 24);
        } else {
            Check(reading.ValidSeconds == 0 && reading.Days == 0 && reading.Hours == 0);
        }
        const std::string text = SgeeStatusText(reading);
        const bool silent =
            reading.Kind == SgeeStatusKind::NotStatus || reading.Kind == SgeeStatusKind::Unreadable;
        Check(text.empty() == silent);
    }
    return 0;
}
