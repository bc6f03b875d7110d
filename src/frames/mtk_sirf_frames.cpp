#include "frames/mtk_sirf_frames.h"

#include <stdexcept>

namespace gnss {

namespace {

constexpr char kMtkStart[] = {0x04, 0x24};
constexpr char kCrLf[] = {0x0D, 0x0A};
constexpr std::size_t kMtkMinFrame = 10;

constexpr unsigned char kSirfStart[] = {0xA0, 0xA2};
constexpr unsigned char kSirfEnd[] = {0xB0, 0xB3};
constexpr std::size_t kSirfMaxPayload = 0x7FFF;

constexpr uint8_t kSirfSetNmeaId = 0x81;
// Mode 2: leave the debug-message setting as it is.
constexpr uint8_t kSirfNmeaModeKeepDebug = 0x02;

// Update period (seconds, 0 = off) and checksum flag of each NMEA message in message 129, in the
// order the message lists them.
struct NmeaRateEntry {
    uint8_t PeriodSeconds;
    uint8_t ChecksumFlag;
};
constexpr std::array<NmeaRateEntry, 9> kSirfNmeaRates = {{
    {1, 1},  // GGA
    {1, 1},  // GLL
    {1, 1},  // GSA
    {1, 1},  // GSV
    {1, 1},  // RMC
    {1, 1},  // VTG
    {0, 1},  // MSS
    {0, 1},  // EPE
    {0, 1},  // ZDA
}};

uint8_t Byte(std::string_view s, std::size_t i) {
    return static_cast<uint8_t>(s[i]);
}

uint8_t XorBytes(std::string_view bytes) {
    uint8_t sum = 0;
    for (char c : bytes) sum ^= static_cast<uint8_t>(c);
    return sum;
}

void PutLittleEndian16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void PutBigEndian16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value & 0xFF));
}

}  // namespace

std::string BuildMtkFrame(uint16_t id, std::string_view payload) {
    if (payload.size() > kMtkMaxPayload) throw std::length_error("MTK frame payload too long");
    std::string frame(kMtkStart, sizeof kMtkStart);
    frame.reserve(payload.size() + kMtkFrameOverhead);
    PutLittleEndian16(frame, static_cast<uint16_t>(payload.size() + kMtkFrameOverhead));
    PutLittleEndian16(frame, id);
    frame.append(payload);
    frame.push_back(static_cast<char>(XorBytes(std::string_view(frame).substr(2))));
    frame.append(kCrLf, sizeof kCrLf);
    return frame;
}

bool IsMtkFrame(std::string_view bytes) {
    if (bytes.size() < kMtkMinFrame) return false;
    if (bytes.substr(0, 2) != std::string_view(kMtkStart, 2)) return false;
    if (bytes.substr(bytes.size() - 2) != std::string_view(kCrLf, 2)) return false;
    const std::size_t checksumAt = bytes.size() - 3;
    return XorBytes(bytes.substr(2, checksumAt - 2)) == Byte(bytes, checksumAt);
}

uint16_t MtkFrameLength(std::string_view frame) {
    if (frame.size() < 4) return 0;
    return static_cast<uint16_t>(Byte(frame, 2) | Byte(frame, 3) << 8);
}

uint16_t MtkFrameId(std::string_view frame) {
    if (frame.size() < 6) return 0;
    return static_cast<uint16_t>(Byte(frame, 4) | Byte(frame, 5) << 8);
}

std::string_view MtkFramePayload(std::string_view frame) {
    if (frame.size() < kMtkFrameOverhead) return {};
    return frame.substr(6, frame.size() - kMtkFrameOverhead);
}

uint16_t SirfChecksum(std::string_view payload) {
    uint16_t sum = 0;
    for (char c : payload) sum = static_cast<uint16_t>(sum + static_cast<uint8_t>(c));
    return sum & 0x7FFF;
}

std::string BuildSirfFrame(std::string_view payload) {
    if (payload.size() > kSirfMaxPayload) throw std::length_error("SiRF frame payload too long");
    std::string frame(reinterpret_cast<const char*>(kSirfStart), sizeof kSirfStart);
    frame.reserve(payload.size() + 8);
    PutBigEndian16(frame, static_cast<uint16_t>(payload.size()));
    frame.append(payload);
    PutBigEndian16(frame, SirfChecksum(payload));
    frame.append(reinterpret_cast<const char*>(kSirfEnd), sizeof kSirfEnd);
    return frame;
}

std::string SirfSwitchToNmea9600Frame() {
    return std::string(reinterpret_cast<const char*>(kSirfSwitchToNmea9600.data()),
                       kSirfSwitchToNmea9600.size());
}

std::optional<std::string> BuildSirfSwitchToNmea(uint32_t baudRate) {
    if (baudRate == 0 || baudRate > 0xFFFF) return std::nullopt;
    std::string payload;
    payload.push_back(static_cast<char>(kSirfSetNmeaId));
    payload.push_back(static_cast<char>(kSirfNmeaModeKeepDebug));
    for (const NmeaRateEntry& entry : kSirfNmeaRates) {
        payload.push_back(static_cast<char>(entry.PeriodSeconds));
        payload.push_back(static_cast<char>(entry.ChecksumFlag));
    }
    payload.append(2, '\0');
    PutBigEndian16(payload, static_cast<uint16_t>(baudRate));
    return BuildSirfFrame(payload);
}

bool IsSirfThroughputFrameStart(std::string_view bytes) {
    return bytes.starts_with(kSirfThroughputStart);
}

}  // namespace gnss
