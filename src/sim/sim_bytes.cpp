#include "sim/sim_bytes.h"

#include <cctype>

#include "nmea/nmea_checksum.h"

namespace gnss::sim {

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Fletcher(std::string_view bytes) {
    uint8_t a = 0;
    uint8_t b = 0;
    for (char c : bytes) {
        a = static_cast<uint8_t>(a + static_cast<uint8_t>(c));
        b = static_cast<uint8_t>(b + a);
    }
    return std::string{static_cast<char>(a), static_cast<char>(b)};
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
    std::string frame;
    if (protocol == FrameProtocol::Ubx) {
        frame = {static_cast<char>(kUbxSync1), static_cast<char>(kUbxSync2)};
    } else {
        frame = {static_cast<char>(kHdSync1), static_cast<char>(kHdSync2)};
    }
    frame.push_back(static_cast<char>(cls));
    frame.push_back(static_cast<char>(id));
    frame.push_back(static_cast<char>(payload.size() & 0xFF));
    frame.push_back(static_cast<char>((payload.size() >> 8) & 0xFF));
    frame.append(payload);
    frame += Fletcher(std::string_view(frame).substr(2));
    return frame;
}

std::string SimAck(FrameProtocol protocol, uint8_t cls, uint8_t id, bool ack) {
    const std::string payload{static_cast<char>(cls), static_cast<char>(id)};
    return SimFrame(protocol, 0x05, ack ? 0x01 : 0x00, payload);
}

bool SimFrameValid(std::string_view frame) {
    if (frame.size() < 8) return false;
    const std::size_t length = static_cast<uint8_t>(frame[4]) |
                               (static_cast<std::size_t>(static_cast<uint8_t>(frame[5])) << 8);
    if (frame.size() != length + 8) return false;
    return Fletcher(frame.substr(2, frame.size() - 4)) == frame.substr(frame.size() - 2);
}

uint16_t SirfChecksum15(std::string_view payload) {
    uint16_t sum = 0;
    for (char c : payload) sum = static_cast<uint16_t>(sum + static_cast<uint8_t>(c));
    return static_cast<uint16_t>(sum & 0x7FFF);
}

std::string SirfFrame(std::string_view payload) {
    std::string frame = {'\xA0', '\xA2', static_cast<char>((payload.size() >> 8) & 0x7F),
                         static_cast<char>(payload.size() & 0xFF)};
    frame.append(payload);
    const uint16_t sum = SirfChecksum15(payload);
    frame.push_back(static_cast<char>(sum >> 8));
    frame.push_back(static_cast<char>(sum & 0xFF));
    frame += "\xB0\xB3";
    return frame;
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
