#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace gnss {

// RTCM 3 transport layer: preamble D3, six reserved bits (zero), a 10-bit payload length, the
// payload (at most 1023 bytes) and a CRC-24Q over everything before it.
inline constexpr uint8_t kRtcm3Preamble = 0xD3;
inline constexpr std::size_t kRtcm3HeaderSize = 3;
inline constexpr std::size_t kRtcm3CrcSize = 3;
inline constexpr std::size_t kRtcm3MaxPayload = 1023;

// CRC-24Q (polynomial 0x1864CFB, initial value 0) of `bytes`.
[[nodiscard]] uint32_t Crc24q(std::string_view bytes);

// A whole frame around `payload`, with its CRC (for tests, the simulator and the fuzz seeds).
// The payload is cut to 1023 bytes.
[[nodiscard]] std::string BuildRtcm3Frame(std::string_view payload);

// `count` bits from bit `offset` (0 = the most significant bit of the first byte), unsigned and
// two's-complement signed; bits beyond the end read as 0.
[[nodiscard]] uint64_t RtcmBits(std::string_view payload, std::size_t offset, std::size_t count);
[[nodiscard]] int64_t RtcmSignedBits(std::string_view payload, std::size_t offset,
                                     std::size_t count);

// A short description of an RTCM 3 message type ("GPS MSM7", "Station ARP"); empty when unknown.
[[nodiscard]] std::string RtcmMessageName(uint16_t messageType);

// The reference station of a 1005 or 1006 message: its id, the antenna reference point as
// earth-centred coordinates and as WGS-84 latitude, longitude and ellipsoidal height.
struct ReferenceStation {
    uint16_t StationId = 0;
    double EcefX = 0.0;  // metres
    double EcefY = 0.0;
    double EcefZ = 0.0;
    double LatitudeDeg = 0.0;
    double LongitudeDeg = 0.0;
    double HeightM = 0.0;
};
[[nodiscard]] std::optional<ReferenceStation> DecodeStationMessage(std::string_view payload);

// Finds RTCM 3 frames in a byte stream that arrives in pieces: garbage between frames is
// skipped, a frame cut across two pieces is completed by the next, a frame whose CRC fails is
// counted and the search resumes after its preamble. Nothing here changes the bytes; the
// forwarding path sends them on whatever the scanner thinks of them.
class Rtcm3Scanner {
  public:
    struct Statistics {
        std::map<uint16_t, uint64_t> CountsByType;  // frames with a good CRC, per message type
        uint64_t Frames = 0;                        // frames with a good CRC
        uint64_t CrcFailures = 0;
        uint64_t SkippedBytes = 0;  // bytes outside any good frame
        std::optional<uint16_t> LastStationId;
        std::optional<ReferenceStation> Station;  // from the last 1005 or 1006
        std::optional<uint32_t> LastFrameTickMs;  // when the last good frame was completed
        std::optional<uint16_t> LastMessageType;
    };

    // Takes the next piece of the stream, received at `tickMs`.
    void Feed(std::string_view bytes, uint32_t tickMs);
    // Forgets the statistics and any partial frame.
    void Reset();

    [[nodiscard]] const Statistics& Stats() const { return stats_; }
    // Bytes held back as the start of a frame not complete yet.
    [[nodiscard]] std::size_t PendingBytes() const { return pending_.size(); }

  private:
    void TakeFrame(std::string_view payload, uint32_t tickMs);

    std::string pending_;
    Statistics stats_;
};

}  // namespace gnss
