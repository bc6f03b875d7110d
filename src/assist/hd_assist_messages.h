#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/date_time.h"

namespace gnss {

// HD assistance files are plain runs of complete HD frames of one fixed size. Their payloads go
// to the receiver a few frames at a time in class 0x0B upload messages, each acknowledged
// (class 0x05) before the next goes out.

enum class HdbKind : uint8_t { Gnss, Beidou };

struct HdbKindInfo {
    HdbKind Kind;
    std::string_view Label;       // "HDB" or "BDS"
    std::string_view FileName;    // the name it is saved under
    std::string_view ServerPath;  // below the server's address
    std::size_t FrameBytes;
    std::size_t FramesPerMessage;
    uint8_t MessageId;  // class 0x0B
    std::string_view GaugeColour;
};

inline constexpr uint8_t kHdAidClass = 0x0B;
inline constexpr std::size_t kHdFrameOverhead = 8;           // sync, class, id, length; checksum
inline constexpr std::string_view kHdGaugeIdle = "#ADD8E6";  // light blue: downloading

[[nodiscard]] const HdbKindInfo& HdbInfo(HdbKind kind);
// The kind a file of this length holds: a positive multiple of 73 bytes is GNSS ephemeris
// (tested first), of 100 bytes BeiDou ephemeris; nothing otherwise.
[[nodiscard]] std::optional<HdbKind> HdbKindForLength(std::size_t length);

// The upload of one file: the framed upload messages in order, and how many frames each
// carries.
struct HdbUploadPlan {
    HdbKind Kind = HdbKind::Gnss;
    std::size_t FrameCount = 0;
    std::vector<std::string> Messages;
    std::vector<std::size_t> FramesInMessage;
};
[[nodiscard]] std::optional<HdbUploadPlan> PlanHdbUpload(std::string_view file);

// The initial-aiding messages (class 0x0B), framed. Latitude and longitude in degrees,
// altitude in metres, the time in UTC.
struct AidPosition {
    double LatitudeDeg = 0.0;
    double LongitudeDeg = 0.0;
    double AltitudeM = 0.0;
};
enum class InitialAiding : uint8_t { None, PositionTime, Position, Time };
[[nodiscard]] std::string_view InitialAidingName(InitialAiding aiding);
[[nodiscard]] std::string BuildAidPosTime(const AidPosition& position, const DateTimeParts& utc);
[[nodiscard]] std::string BuildAidPos(const AidPosition& position);
[[nodiscard]] std::string BuildAidTime(const DateTimeParts& utc);
// The message of an option; empty for None.
[[nodiscard]] std::string BuildInitialAiding(InitialAiding aiding, const AidPosition& position,
                                             const DateTimeParts& utc);

// The frames of a hex text file, one per non-empty trimmed line. Stops at the first line that
// is not an even number of hex digits: `BadLine` then holds that line (1-based) and the frames
// before it are kept.
struct HexFileFrames {
    std::vector<std::string> Lines;   // trimmed text of each frame's line
    std::vector<std::string> Frames;  // the bytes
    std::size_t BadLine = 0;
};
[[nodiscard]] HexFileFrames ReadHexFrames(std::string_view text);

}  // namespace gnss
