#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gnss {

// Frames of the u-blox UBX and HD binary protocols share one layout:
//   sync(2) class(1) id(1) length(2, little-endian) payload(length) CK_A CK_B
// with 8-bit Fletcher sums over class..payload. UBX syncs with B5 62, HD with F1 D9.
// Offsets below are 0-based byte offsets into the frame.

enum class FrameProtocol { Ubx, Hd };

inline constexpr unsigned char kUbxSync1 = 0xB5;
inline constexpr unsigned char kUbxSync2 = 0x62;
inline constexpr unsigned char kHdSync1 = 0xF1;
inline constexpr unsigned char kHdSync2 = 0xD9;

// Class, id and payload length of a frame; 0 for a string shorter than 8 bytes.
[[nodiscard]] uint8_t FrameClass(std::string_view frame);
[[nodiscard]] uint8_t FrameId(std::string_view frame);
[[nodiscard]] uint16_t FramePayloadLength(std::string_view frame);
// Bytes from offset 6 up to (not including) the two checksum bytes.
[[nodiscard]] std::string_view FramePayload(std::string_view frame);
// CK_A, CK_B over bytes from offset 2 to the end of `frameWithoutChecksum`.
[[nodiscard]] std::string FletcherChecksum(std::string_view frameWithoutChecksum);
// At least 8 bytes and the last two equal the checksum of everything before them.
[[nodiscard]] bool FrameChecksumValid(std::string_view frame);
// Longer than 7 bytes, length = payload length + 8, the protocol's sync, valid checksum.
[[nodiscard]] bool IsUbxFrame(std::string_view frame);
[[nodiscard]] bool IsHdFrame(std::string_view frame);

[[nodiscard]] std::string BuildFrame(FrameProtocol protocol, uint8_t cls, uint8_t id,
                                     std::string_view payload);
[[nodiscard]] std::string BuildHdFrame(uint8_t cls, uint8_t id, std::string_view payload);
[[nodiscard]] std::string BuildUbxFrame(uint8_t cls, uint8_t id, std::string_view payload);
// The acknowledgement a receiver sends for a command: sync 05 01 02 00 class id checksum.
[[nodiscard]] std::string BuildAck(FrameProtocol protocol, uint8_t cls, uint8_t id);

// Result of a frame search: Position is the 1-based position of the sync pair (0 when none);
// Frame is the candidate there, empty unless it is complete and of an accepted class.
struct FrameCandidate {
    std::size_t Position = 0;
    std::string_view Frame;
};
// Classes accepted in the receive stream: UBX 01 02 04 05 06 0A 0B 0D 21; HD 01 02 05 06 0A 0B.
[[nodiscard]] bool UbxClassAccepted(uint8_t cls);
[[nodiscard]] bool HdClassAccepted(uint8_t cls);
// Next sync pair at or after 1-based `start`; the candidate is not examined beyond its class
// and completeness.
[[nodiscard]] FrameCandidate FindUbxFrame(std::string_view buffer, std::size_t start);
[[nodiscard]] FrameCandidate FindHdFrame(std::string_view buffer, std::size_t start);

}  // namespace gnss
