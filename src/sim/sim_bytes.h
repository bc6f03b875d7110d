#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frames/binary_frame.h"

namespace gnss::sim {

// "B5 62 06 04" -> the four bytes. Characters other than hex digits separate bytes.
[[nodiscard]] std::string HexBytes(std::string_view hexText);
// Bytes as upper-case hex pairs separated by spaces (for messages and logs).
[[nodiscard]] std::string ToHex(std::string_view bytes);

// A sentence ("$GPGGA,...", without star) completed with "*" + checksum.
[[nodiscard]] std::string WithChecksum(std::string_view sentence);
// A complete line: WithChecksum(sentence) + CR LF.
[[nodiscard]] std::string NmeaLine(std::string_view sentence);

// UBX / HD frame: sync, class, id, little-endian length, payload, 8-bit Fletcher checksum
// (the shared frame builders).
[[nodiscard]] std::string SimFrame(FrameProtocol protocol, uint8_t cls, uint8_t id,
                                   std::string_view payload);
// ACK (05 01) or NAK (05 00) for a command of class/id.
[[nodiscard]] std::string SimAck(FrameProtocol protocol, uint8_t cls, uint8_t id, bool ack = true);
// Fletcher check of a complete UBX/HD frame (sync not checked).
[[nodiscard]] bool SimFrameValid(std::string_view frame);

// SiRF binary: A0 A2, big-endian payload length, payload, 15-bit sum, B0 B3.
[[nodiscard]] uint16_t SirfChecksum15(std::string_view payload);
[[nodiscard]] std::string SirfFrame(std::string_view payload);

// Deterministic pseudo-random numbers (SplitMix64): the same seed gives the same sequence on
// every platform.
class SplitMix {
  public:
    explicit SplitMix(uint64_t seed) : state_(seed) {}
    uint64_t Next();
    // Uniform in [0, 1).
    double NextUnit();
    // Uniform in [lo, hi].
    double Uniform(double lo, double hi) { return lo + (hi - lo) * NextUnit(); }

  private:
    uint64_t state_;
};

// Stateless hash of a few numbers to [0, 1): noise that depends only on its inputs.
[[nodiscard]] double HashUnit(uint64_t a, uint64_t b = 0, uint64_t c = 0, uint64_t d = 0);

}  // namespace gnss::sim
