// Arbitrary bytes through the RTCM 3 frame scanner, in pieces of the size the first byte gives
// (as the correction link takes them once a second), and whole: both must find the same frames,
// hold back no more than one frame, and count every byte either in a frame, as skipped or as
// held back.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "corrections/rtcm3_frames.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

uint64_t FrameBytes(const gnss::Rtcm3Scanner& scanner, std::size_t fed) {
    return fed - scanner.Stats().SkippedBytes - scanner.PendingBytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace gnss;
    if (size == 0) return 0;
    const std::size_t pieceSize = 1 + data[0] % 64;
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

    Rtcm3Scanner whole;
    whole.Feed(input, 0);
    Rtcm3Scanner pieces;
    for (std::size_t i = 0; i < input.size(); i += pieceSize) {
        pieces.Feed(input.substr(i, pieceSize), static_cast<uint32_t>(i));
        Check(pieces.PendingBytes() <= kRtcm3HeaderSize + kRtcm3MaxPayload + kRtcm3CrcSize);
    }
    Check(whole.Stats().Frames == pieces.Stats().Frames);
    Check(whole.Stats().CrcFailures == pieces.Stats().CrcFailures);
    Check(whole.Stats().CountsByType == pieces.Stats().CountsByType);
    Check(whole.PendingBytes() == pieces.PendingBytes());
    Check(whole.Stats().SkippedBytes == pieces.Stats().SkippedBytes);
    Check(FrameBytes(whole, input.size()) <= input.size());
    uint64_t counted = 0;
    for (const auto& [type, count] : whole.Stats().CountsByType) {
        Check(type < 4096);
        counted += count;
    }
    Check(counted <= whole.Stats().Frames);
    (void)DecodeStationMessage(input);
    return 0;
}
