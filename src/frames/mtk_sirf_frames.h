#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gnss {

// MTK binary frame (little-endian fields):
//   04 24 | total length (2) | message id (2) | payload (n) | XOR of length..payload (1) | 0D 0A
// The total length counts the whole frame: n + 9.
inline constexpr std::size_t kMtkFrameOverhead = 9;
inline constexpr std::size_t kMtkMaxPayload = 0xFFFF - kMtkFrameOverhead;

// Raises std::length_error for a payload above kMtkMaxPayload bytes (the length field).
[[nodiscard]] std::string BuildMtkFrame(uint16_t id, std::string_view payload);
// At least 10 bytes, starts 04 24, ends 0D 0A, and the byte before 0D 0A is the XOR of the bytes
// from offset 2 up to it. The length field is not compared with the string's length.
[[nodiscard]] bool IsMtkFrame(std::string_view bytes);
// The length and id fields at offsets 2 and 4; 0 when the string is too short to hold them.
[[nodiscard]] uint16_t MtkFrameLength(std::string_view frame);
[[nodiscard]] uint16_t MtkFrameId(std::string_view frame);
// Bytes from offset 6 up to (not including) the checksum byte; empty for a string shorter than a
// frame without payload.
[[nodiscard]] std::string_view MtkFramePayload(std::string_view frame);

// SiRF binary frame (big-endian fields):
//   A0 A2 | payload length (2) | payload, first byte the message id | checksum (2) | B0 B3
// The checksum is the 16-bit wrapping sum of the payload bytes, kept to 15 bits.
[[nodiscard]] uint16_t SirfChecksum(std::string_view payload);
// Raises std::length_error for a payload above 7FFF bytes (the protocol's length limit).
[[nodiscard]] std::string BuildSirfFrame(std::string_view payload);

// Message 129: switch the receiver to NMEA output, GGA GLL GSA GSV RMC VTG every second, the
// others off, at 9600 baud.
inline constexpr std::array<uint8_t, 32> kSirfSwitchToNmea9600 = {
    0xA0, 0xA2, 0x00, 0x18, 0x81, 0x02, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x25, 0x80, 0x01, 0x37, 0xB0, 0xB3,
};
[[nodiscard]] std::string SirfSwitchToNmea9600Frame();
// The same message at another baud rate. The protocol carries the rate in 16 bits, so rates
// above 65535 (115200 among them) cannot be requested this way: nothing is returned for them.
[[nodiscard]] std::optional<std::string> BuildSirfSwitchToNmea(uint32_t baudRate);

// Message 9 (CPU throughput), sent every second by a receiver in SiRF binary mode, begins with
// these bytes; seeing them tells that the receiver speaks SiRF binary.
inline constexpr std::string_view kSirfThroughputStart{"\xA0\xA2\x00\x09\x09", 5};
[[nodiscard]] bool IsSirfThroughputFrameStart(std::string_view bytes);

}  // namespace gnss
