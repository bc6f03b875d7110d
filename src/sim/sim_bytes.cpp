#include "sim/sim_bytes.h"

#include <cctype>

#include "frames/binary_frame.h"
#include "frames/mtk_sirf_frames.h"
#include "nmea/nmea_checksum.h"

namespace gnss::sim {

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string HexBytes(std::string_view hexText) {
    std::string out;
    int high = -1;
    for (char c : hexText) {
        const int v = HexValue(c);
        if (v < 0) {
            high = -1;
            continue;
        }
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<char>(high * 16 + v));
            high = -1;
        }
    }
    return out;
}

std::string ToHex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : bytes) {
        const auto v = static_cast<uint8_t>(c);
        if (!out.empty()) out.push_back(' ');
        out.push_back(kDigits[v >> 4]);
        out.push_back(kDigits[v & 0x0F]);
    }
    return out;
}

std::string WithChecksum(std::string_view sentence) {
    return std::string(sentence) + NmeaChecksumSuffix(sentence);
}

std::string NmeaLine(std::string_view sentence) {
    return WithChecksum(sentence) + "\r\n";
}

std::string SimFrame(FrameProtocol protocol, uint8_t cls, uint8_t id, std::string_view payload) {
    return BuildFrame(protocol, cls, id, payload);
}

std::string SimAck(FrameProtocol protocol, uint8_t cls, uint8_t id, bool ack) {
    if (ack) return BuildAck(protocol, cls, id);
    const std::string payload{static_cast<char>(cls), static_cast<char>(id)};
    return BuildFrame(protocol, 0x05, 0x00, payload);
}

bool SimFrameValid(std::string_view frame) {
    return frame.size() >= 8 && frame.size() == FramePayloadLength(frame) + 8u &&
           FrameChecksumValid(frame);
}

uint16_t SirfChecksum15(std::string_view payload) {
    return SirfChecksum(payload);
}

std::string SirfFrame(std::string_view payload) {
    return BuildSirfFrame(payload);
}

uint64_t SplitMix::Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double SplitMix::NextUnit() {
    return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0);
}

double HashUnit(uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
    SplitMix mix(a * 0x100000001B3ull ^ (b + 0x9E37) * 0xC2B2AE3D27D4EB4Full ^
                 (c + 0x7F4A) * 0x165667B19E3779F9ull ^ (d + 0x1234) * 0x27D4EB2F165667C5ull);
    mix.Next();
    return mix.NextUnit();
}

}  // namespace gnss::sim
