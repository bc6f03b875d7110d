#include "assist/hd_assist_messages.h"

#include <array>
#include <cmath>

#include "base/conversion_error.h"
#include "frames/binary_frame.h"
#include "nmea/hex_text.h"

namespace gnss {

namespace {

constexpr std::array<HdbKindInfo, 2> kHdbKinds{{
    {HdbKind::Gnss, "HDB", "file_gnss_aid_eph.hdb", "HDAgps/file_gnss_aid_eph.hdb", 73, 5, 0x32,
     "#FFFFE0"},
    {HdbKind::Beidou, "BDS", "file_local_bd_aid_eph.hdb", "HDAgps/file_local_bd_aid_eph.hdb", 100,
     3, 0x33, "#FFB6C1"},
}};

struct AidingMessage {
    InitialAiding Aiding;
    std::string_view Name;
    uint8_t Id;
};
constexpr std::array<AidingMessage, 3> kAidingMessages{{
    {InitialAiding::PositionTime, "AID-POSTIME", 0x02},
    {InitialAiding::Position, "AID-POS", 0x10},
    {InitialAiding::Time, "AID-TIME", 0x11},
}};

constexpr int kLeapSeconds = 17;

void PutLe(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
void PutI32(std::string& out, int64_t value) {
    PutLe(out, static_cast<uint32_t>(static_cast<int32_t>(value)), 4);
}
void PutU8(std::string& out, int value) {
    out.push_back(static_cast<char>(value & 0xFF));
}

// Values beyond 32 bits are clamped rather than wrapped: a bad position stays a bad position.
int64_t Clamp32(double value) {
    if (!std::isfinite(value)) return 0;
    if (value > 2147483647.0) return 2147483647;
    if (value < -2147483648.0) return -2147483648LL;
    return static_cast<int64_t>(value);
}

uint8_t AidingId(InitialAiding aiding) {
    for (const auto& m : kAidingMessages) {
        if (m.Aiding == aiding) return m.Id;
    }
    return 0;
}

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

}  // namespace

const HdbKindInfo& HdbInfo(HdbKind kind) {
    return kHdbKinds[static_cast<std::size_t>(kind)];
}

std::optional<HdbKind> HdbKindForLength(std::size_t length) {
    for (const HdbKindInfo& info : kHdbKinds) {
        if (length > 0 && length % info.FrameBytes == 0) return info.Kind;
    }
    return std::nullopt;
}

std::optional<HdbUploadPlan> PlanHdbUpload(std::string_view file) {
    const auto kind = HdbKindForLength(file.size());
    if (!kind) return std::nullopt;
    const HdbKindInfo& info = HdbInfo(*kind);
    HdbUploadPlan plan;
    plan.Kind = *kind;
    plan.FrameCount = file.size() / info.FrameBytes;
    for (std::size_t frame = 0; frame < plan.FrameCount;) {
        std::string payload;
        std::size_t taken = 0;
        for (; taken < info.FramesPerMessage && frame < plan.FrameCount; ++taken, ++frame) {
            // The frame without its 6 header bytes and 2 checksum bytes.
            payload += file.substr(frame * info.FrameBytes + 6, info.FrameBytes - kHdFrameOverhead);
        }
        plan.Messages.push_back(BuildHdFrame(kHdAidClass, info.MessageId, payload));
        plan.FramesInMessage.push_back(taken);
    }
    return plan;
}

std::string_view InitialAidingName(InitialAiding aiding) {
    for (const auto& m : kAidingMessages) {
        if (m.Aiding == aiding) return m.Name;
    }
    return {};
}

std::string BuildAidPosTime(const AidPosition& position, const DateTimeParts& utc) {
    std::string p;
    PutI32(p, Clamp32(std::trunc(position.LatitudeDeg * 100000.0)));
    PutI32(p, Clamp32(std::trunc(position.LongitudeDeg * 100000.0)));
    PutI32(p, Clamp32(std::round(position.AltitudeM)));
    PutU8(p, utc.Month);
    PutU8(p, utc.Day);
    PutU8(p, utc.Hour);
    PutU8(p, utc.Minute);
    PutLe(p, static_cast<uint32_t>(utc.Second), 4);
    PutLe(p, static_cast<uint16_t>(utc.Year), 2);
    return BuildHdFrame(kHdAidClass, AidingId(InitialAiding::PositionTime), p);
}

std::string BuildAidPos(const AidPosition& position) {
    std::string p;
    PutU8(p, 1);  // latitude, longitude, altitude
    PutI32(p, Clamp32(std::round(position.LatitudeDeg * 10000000.0)));
    PutI32(p, Clamp32(std::round(position.LongitudeDeg * 10000000.0)));
    PutI32(p, Clamp32(std::round(position.AltitudeM * 100.0)));
    PutI32(p, 0);
    return BuildHdFrame(kHdAidClass, AidingId(InitialAiding::Position), p);
}

std::string BuildAidTime(const DateTimeParts& utc) {
    std::string p;
    PutU8(p, 0);  // UTC
    PutU8(p, 0);
    PutU8(p, kLeapSeconds);
    PutLe(p, static_cast<uint16_t>(utc.Year), 2);
    PutU8(p, utc.Month);
    PutU8(p, utc.Day);
    PutU8(p, utc.Hour);
    PutU8(p, utc.Minute);
    PutU8(p, utc.Second);
    PutI32(p, 0);    // nanoseconds
    PutLe(p, 0, 2);  // accuracy, seconds
    PutLe(p, 0, 4);  // accuracy, nanoseconds
    return BuildHdFrame(kHdAidClass, AidingId(InitialAiding::Time), p);
}

std::string BuildInitialAiding(InitialAiding aiding, const AidPosition& position,
                               const DateTimeParts& utc) {
    switch (aiding) {
        case InitialAiding::PositionTime:
            return BuildAidPosTime(position, utc);
        case InitialAiding::Position:
            return BuildAidPos(position);
        case InitialAiding::Time:
            return BuildAidTime(utc);
        case InitialAiding::None:
            break;
    }
    return {};
}

HexFileFrames ReadHexFrames(std::string_view text) {
    HexFileFrames out;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++lineNumber;
        const std::string_view line = Trim(raw);
        if (line.empty()) continue;
        try {
            out.Frames.push_back(HexToBin(line));
        } catch (const ConversionError&) {
            out.BadLine = lineNumber;
            break;
        }
        out.Lines.emplace_back(line);
    }
    return out;
}

}  // namespace gnss
