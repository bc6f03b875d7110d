// The UBX and HD frame finders and checks on arbitrary buffers: every candidate must lie inside
// the buffer, start with its sync pair at the reported position, be complete and of an
// accepted class; a scan from position 1 must end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "frames/binary_frame.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void Scan(std::string_view buffer, bool ubx) {
    const unsigned char sync1 = ubx ? gnss::kUbxSync1 : gnss::kHdSync1;
    const unsigned char sync2 = ubx ? gnss::kUbxSync2 : gnss::kHdSync2;
    std::size_t start = 1;
    std::size_t rounds = 0;
    for (;;) {
        const gnss::FrameCandidate c =
            ubx ? gnss::FindUbxFrame(buffer, start) : gnss::FindHdFrame(buffer, start);
        if (c.Position == 0) {
            Check(c.Frame.empty());
            return;
        }
        Check(c.Position >= start && c.Position + 1 <= buffer.size());
        Check(static_cast<unsigned char>(buffer[c.Position - 1]) == sync1);
        Check(static_cast<unsigned char>(buffer[c.Position]) == sync2);
        if (!c.Frame.empty()) {
            Check(c.Frame.data() == buffer.data() + c.Position - 1);
            Check(c.Frame.size() == gnss::FramePayloadLength(c.Frame) + std::size_t{8});
            Check(ubx ? gnss::UbxClassAccepted(gnss::FrameClass(c.Frame))
                      : gnss::HdClassAccepted(gnss::FrameClass(c.Frame)));
            Check(gnss::FramePayload(c.Frame).size() == gnss::FramePayloadLength(c.Frame));
            const bool valid = ubx ? gnss::IsUbxFrame(c.Frame) : gnss::IsHdFrame(c.Frame);
            Check(valid == gnss::FrameChecksumValid(c.Frame));
            start = c.Position + c.Frame.size();
        } else {
            start = c.Position + 1;  // look past an incomplete or refused candidate
        }
        Check(++rounds <= buffer.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view buffer(reinterpret_cast<const char*>(data), size);
    Scan(buffer, true);
    Scan(buffer, false);
    (void)gnss::IsUbxFrame(buffer);
    (void)gnss::IsHdFrame(buffer);
    (void)gnss::FrameChecksumValid(buffer);
    (void)gnss::FletcherChecksum(buffer);
    if (size <= 0xFFFF && size >= 2) {
        const std::string_view payload = buffer.substr(2);
        Check(gnss::IsUbxFrame(gnss::BuildUbxFrame(data[0], data[1], payload)));
        Check(gnss::IsHdFrame(gnss::BuildHdFrame(data[0], data[1], payload)));
    }
    return 0;
}
