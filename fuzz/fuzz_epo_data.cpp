// Arbitrary bytes as an EPO file and as a receiver's EPO status reply: recognition never claims
// a layout the bytes do not have, the packet stream always holds whole frames of the announced
// count, and a parsed status reply always had five whole numbers.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "assist/epo_file.h"
#include "assist/epo_status.h"
#include "frames/mtk_sirf_frames.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace gnss;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const EpoInfo info = RecogniseEpoFile(input);
    const std::string packets = BuildEpoPackets(input, info);
    if (info.Type == EpoType::Unknown) {
        Check(packets.empty());
    } else {
        Check(info.FileSize == size && info.RecordSize != 0);
        Check(packets.size() == std::size_t{info.PacketCount} * info.PacketLength);
        for (std::size_t at = 0; at < packets.size(); at += info.PacketLength) {
            Check(IsMtkFrame(std::string_view(packets).substr(at, info.PacketLength)));
        }
    }

    if (const auto reply = ParseEpoStatusReply(input)) {
        Check(reply->Sets >= 0 && reply->FirstWeek >= 0 && reply->LastTowSeconds >= 0);
        const EpoStatus status = EpoStatusFromReply(*reply, DateTime{45000.0});
        (void)EpoValidityText(status, DateTime{45000.0});
    }
    return 0;
}
