#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/gnss_set.h"

namespace gnss {

// Where a dead-reckoning module takes its speed from. The values are fixed.
enum class DrSpeedInput : uint8_t { Unknown = 0, Odometer = 1, Uart = 2, Can = 3 };

// The texts receivers announce themselves with, as the recognisers look for them.

// ST Teseo version texts, tried in this order.
inline constexpr std::array<std::string_view, 10> kStVersionPatterns = {
    "$PMDTVER,STGG.B",         "$GPTXT,ST-",
    "$PSTMSETPAR,1500,ST-",    "$PSTMSETPAR,1500, ST-",
    "$PSTMSETPAR,1500,STGPS_", "$PSTMSETPAR,1500,STG",
    "$PSTMSETPAR,1500,STD",    "$PSTMSETPAR,1500,STBB_",
    "$PSTMSETPAR,1500,STU",    "$PMDTVER,ST"};
// The one of them that announces dead-reckoning firmware.
inline constexpr std::string_view kStDrPattern = "$PSTMSETPAR,1500,STD";

inline constexpr std::array<std::string_view, 2> kMxtPatterns = {"$PDTINFO,MXT", "$PDTINFO,MZ"};

struct RtkPattern {
    std::string_view Text;
    bool CourseShown;  // the course label and the antenna-distance query
    bool KeepsCom4;    // its presence keeps the distance query off COM4
};
inline constexpr std::array<RtkPattern, 5> kRtkPatterns = {{
    {"$PMDR,RTK_DF,", true, true},
    {"$PMDR,ZEBU_PLOW,", true, true},
    {"$PMDR,ZEBU,", true, false},
    {"$PMDR,RTK_MH", false, false},
    {"$PMDR,ZEBU_", false, false},
}};

// Model tags of MTK modules that take 14-day EPO data with the release reordered.
inline constexpr std::array<std::string_view, 3> kMtkRangeTags = {"ZK-WRE", "ZK-RE", "ZK-RR"};
inline constexpr std::array<std::string_view, 2> kMtkRvTags = {"ZK-RV", "AXN_3.60_3333"};

// The one release of the ZK-RV line that does not take EPO data.
inline constexpr std::string_view kMtkNoEpoRelease1 = "AXN_3.60_3333_14030615";
inline constexpr std::string_view kMtkNoEpoRelease2 = "0026";
inline constexpr std::string_view kMtkNoEpoRelease3 = "ZK-RW";

// Constellation sets named by the third and fourth characters of the second "_" field of HD
// module information.
struct HdGnssCode {
    std::string_view Code;
    GnssSet Set;
};
inline constexpr std::array<HdGnssCode, 5> kHdGnssCodes = {{{"B", GnssSet::Bds},
                                                            {"L", GnssSet::Glonass},
                                                            {"GB", GnssSet::GpsBds},
                                                            {"GL", GnssSet::GpsGlonass},
                                                            {"GG", GnssSet::GpsGlonass}}};

// ST dead-reckoning sensor links by the first character of the firmware's second "_" field.
struct StSpeedInput {
    char Code;
    DrSpeedInput Input;
    std::string_view Name;
};
inline constexpr std::array<StSpeedInput, 3> kStSpeedInputs = {{
    {'C', DrSpeedInput::Can, "CAN"},
    {'O', DrSpeedInput::Odometer, "ODO"},
    {'U', DrSpeedInput::Uart, "UART"},
}};

// --- text helpers of the recognisers (0-based positions) ---

// The text from `offset` bytes after the first `pattern` up to the next "*" after the pattern;
// nothing when the pattern is absent or no "*" follows it yet.
[[nodiscard]] std::optional<std::string_view> TextUpToStar(std::string_view buffer,
                                                           std::string_view pattern,
                                                           std::size_t offset = 0);
// Control characters (NUL padding among them) become blanks, then the text is trimmed.
[[nodiscard]] std::string PrintableTrimmed(std::string_view bytes);
// A trailing "*" and two characters removed.
[[nodiscard]] std::string_view WithoutChecksum(std::string_view text);
// Decimal integer, or nothing when the text is not one.
[[nodiscard]] std::optional<long> ParseInteger(std::string_view text);
// The constellation set named by HD module information.
[[nodiscard]] GnssSet HdModuleGnssSet(std::string_view moduleInfo);

}  // namespace gnss
