#include "corrections/rtcm3_frames.h"

#include <array>
#include <cmath>

namespace gnss {

namespace {

constexpr uint32_t kCrc24qPolynomial = 0x1864CFB;

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i << 16;
        for (int bit = 0; bit < 8; ++bit) {
            crc <<= 1;
            if ((crc & 0x1000000) != 0) crc ^= kCrc24qPolynomial;
        }
        table[i] = crc & 0xFFFFFF;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

// Message types whose bits 12 to 23 carry the reference station id.
struct TypeRange {
    uint16_t First;
    uint16_t Last;
};
constexpr TypeRange kTypesWithStationId[] = {
    {1001, 1013},  // legacy observations, station and antenna descriptions, system parameters
    {1029, 1033},  // text, receiver and antenna descriptors
    {1071, 1137},  // MSM of every constellation
    {1230, 1230},  // GLONASS code-phase biases
};

struct NamedType {
    uint16_t Type;
    std::string_view Name;
};
constexpr NamedType kMessageNames[] = {
    {1001, "GPS L1 obs"},          {1002, "GPS L1 obs ext"},
    {1003, "GPS L1/L2 obs"},       {1004, "GPS L1/L2 obs ext"},
    {1005, "Station ARP"},         {1006, "Station ARP+height"},
    {1007, "Antenna descriptor"},  {1008, "Antenna descr+serial"},
    {1009, "GLO L1 obs"},          {1010, "GLO L1 obs ext"},
    {1011, "GLO L1/L2 obs"},       {1012, "GLO L1/L2 obs ext"},
    {1013, "System parameters"},   {1019, "GPS ephemeris"},
    {1020, "GLO ephemeris"},       {1029, "Text"},
    {1033, "Receiver+antenna"},    {1041, "NavIC ephemeris"},
    {1042, "BDS ephemeris"},       {1044, "QZSS ephemeris"},
    {1045, "GAL F/NAV ephemeris"}, {1046, "GAL I/NAV ephemeris"},
    {1230, "GLO code biases"},
};

// Multiple signal messages: a block of ten types per constellation, MSM1 to MSM7.
struct MsmBlock {
    uint16_t Base;  // type of "MSM0", so that Base + n is MSMn
    std::string_view System;
};
constexpr MsmBlock kMsmBlocks[] = {
    {1070, "GPS"},  {1080, "GLO"}, {1090, "GAL"},   {1100, "SBAS"},
    {1110, "QZSS"}, {1120, "BDS"}, {1130, "NavIC"},
};

bool HasStationId(uint16_t type) {
    for (const TypeRange& range : kTypesWithStationId) {
        if (type >= range.First && type <= range.Last) return true;
    }
    return false;
}

// WGS-84 geodetic coordinates of an earth-centred point (Bowring's iteration).
void EcefToGeodetic(ReferenceStation& station) {
    constexpr double kA = 6378137.0;
    constexpr double kF = 1.0 / 298.257223563;
    constexpr double kE2 = kF * (2.0 - kF);
    constexpr double kRadToDeg = 180.0 / 3.14159265358979323846;
    const double x = station.EcefX;
    const double y = station.EcefY;
    const double z = station.EcefZ;
    const double p = std::sqrt(x * x + y * y);
    double lat = std::atan2(z, p * (1.0 - kE2));
    double n = kA;
    for (int i = 0; i < 8; ++i) {
        const double s = std::sin(lat);
        n = kA / std::sqrt(1.0 - kE2 * s * s);
        lat = std::atan2(z + kE2 * n * s, p);
    }
    const double s = std::sin(lat);
    n = kA / std::sqrt(1.0 - kE2 * s * s);
    station.LatitudeDeg = lat * kRadToDeg;
    station.LongitudeDeg = (p > 0.0 || y != 0.0) ? std::atan2(y, x) * kRadToDeg : 0.0;
    station.HeightM = p > 1e-3 ? p / std::cos(lat) - n : std::fabs(z) - kA * std::sqrt(1.0 - kE2);
}

}  // namespace

uint32_t Crc24q(std::string_view bytes) {
    uint32_t crc = 0;
    for (const char c : bytes) {
        const auto index = ((crc >> 16) ^ static_cast<uint8_t>(c)) & 0xFF;
        crc = ((crc << 8) ^ kCrcTable[index]) & 0xFFFFFF;
    }
    return crc;
}

std::string BuildRtcm3Frame(std::string_view payload) {
    if (payload.size() > kRtcm3MaxPayload) payload = payload.substr(0, kRtcm3MaxPayload);
    std::string frame;
    frame.reserve(payload.size() + kRtcm3HeaderSize + kRtcm3CrcSize);
    frame.push_back(static_cast<char>(kRtcm3Preamble));
    frame.push_back(static_cast<char>((payload.size() >> 8) & 0x03));
    frame.push_back(static_cast<char>(payload.size() & 0xFF));
    frame.append(payload);
    const uint32_t crc = Crc24q(frame);
    frame.push_back(static_cast<char>((crc >> 16) & 0xFF));
    frame.push_back(static_cast<char>((crc >> 8) & 0xFF));
    frame.push_back(static_cast<char>(crc & 0xFF));
    return frame;
}

uint64_t RtcmBits(std::string_view payload, std::size_t offset, std::size_t count) {
    uint64_t value = 0;
    for (std::size_t i = offset; i < offset + count; ++i) {
        const std::size_t byte = i / 8;
        const unsigned bit =
            byte < payload.size() ? (static_cast<uint8_t>(payload[byte]) >> (7 - i % 8)) & 1U : 0U;
        value = (value << 1) | bit;
    }
    return value;
}

int64_t RtcmSignedBits(std::string_view payload, std::size_t offset, std::size_t count) {
    const uint64_t raw = RtcmBits(payload, offset, count);
    if (count == 0 || count >= 64) return static_cast<int64_t>(raw);
    const uint64_t sign = uint64_t{1} << (count - 1);
    return (raw & sign) != 0 ? static_cast<int64_t>(raw) - static_cast<int64_t>(sign << 1)
                             : static_cast<int64_t>(raw);
}

std::string RtcmMessageName(uint16_t messageType) {
    for (const NamedType& named : kMessageNames) {
        if (named.Type == messageType) return std::string(named.Name);
    }
    for (const MsmBlock& block : kMsmBlocks) {
        if (messageType > block.Base && messageType <= block.Base + 7) {
            return std::string(block.System) + " MSM" + std::to_string(messageType - block.Base);
        }
    }
    if (messageType >= 4001) return "Proprietary";
    return {};
}

std::optional<ReferenceStation> DecodeStationMessage(std::string_view payload) {
    // Type 12, station 12, ITRF year 6, four indicator bits, X 38, two bits, Y 38, two bits, Z 38.
    constexpr std::size_t kStationBits = 152;
    constexpr double kUnitM = 0.0001;
    const auto type = static_cast<uint16_t>(RtcmBits(payload, 0, 12));
    if ((type != 1005 && type != 1006) || payload.size() * 8 < kStationBits) return std::nullopt;
    ReferenceStation station;
    station.StationId = static_cast<uint16_t>(RtcmBits(payload, 12, 12));
    station.EcefX = static_cast<double>(RtcmSignedBits(payload, 34, 38)) * kUnitM;
    station.EcefY = static_cast<double>(RtcmSignedBits(payload, 74, 38)) * kUnitM;
    station.EcefZ = static_cast<double>(RtcmSignedBits(payload, 114, 38)) * kUnitM;
    EcefToGeodetic(station);
    return station;
}

void Rtcm3Scanner::Reset() {
    pending_.clear();
    stats_ = Statistics{};
}

void Rtcm3Scanner::Feed(std::string_view bytes, uint32_t tickMs) {
    pending_.append(bytes);
    std::size_t pos = 0;
    while (pos < pending_.size()) {
        const std::size_t start = pending_.find(static_cast<char>(kRtcm3Preamble), pos);
        if (start == std::string::npos) {
            stats_.SkippedBytes += pending_.size() - pos;
            pos = pending_.size();
            break;
        }
        stats_.SkippedBytes += start - pos;
        pos = start;
        if (pending_.size() - start < kRtcm3HeaderSize) break;  // wait for the header
        const auto b1 = static_cast<uint8_t>(pending_[start + 1]);
        const auto b2 = static_cast<uint8_t>(pending_[start + 2]);
        if ((b1 & 0xFC) != 0) {  // reserved bits set: not a frame start
            ++stats_.SkippedBytes;
            ++pos;
            continue;
        }
        const std::size_t length = (static_cast<std::size_t>(b1 & 0x03) << 8) | b2;
        const std::size_t total = kRtcm3HeaderSize + length + kRtcm3CrcSize;
        if (pending_.size() - start < total) break;  // wait for the rest of the frame
        const std::string_view frame(pending_.data() + start, total);
        const uint32_t expected = Crc24q(frame.substr(0, kRtcm3HeaderSize + length));
        const auto crcByte = [&](std::size_t i) {
            return static_cast<uint32_t>(
                static_cast<uint8_t>(frame[kRtcm3HeaderSize + length + i]));
        };
        const uint32_t carried = (crcByte(0) << 16) | (crcByte(1) << 8) | crcByte(2);
        if (carried != expected) {
            ++stats_.CrcFailures;
            ++stats_.SkippedBytes;
            ++pos;  // resume the search after this preamble
            continue;
        }
        TakeFrame(frame.substr(kRtcm3HeaderSize, length), tickMs);
        pos = start + total;
    }
    pending_.erase(0, pos);
}

void Rtcm3Scanner::TakeFrame(std::string_view payload, uint32_t tickMs) {
    ++stats_.Frames;
    stats_.LastFrameTickMs = tickMs;
    if (payload.size() < 2) return;  // an empty message carries no type
    const auto type = static_cast<uint16_t>(RtcmBits(payload, 0, 12));
    ++stats_.CountsByType[type];
    stats_.LastMessageType = type;
    if (HasStationId(type) && payload.size() >= 3) {
        stats_.LastStationId = static_cast<uint16_t>(RtcmBits(payload, 12, 12));
    }
    if (std::optional<ReferenceStation> station = DecodeStationMessage(payload)) {
        stats_.Station = station;
    }
}

}  // namespace gnss
