#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace gnss {

// EPO files: predicted orbits for MTK receivers, a plain run of satellite records with no header.
// Each record starts with the three-byte GPS hour of its 6-hour set; a set holds one record per
// satellite slot, four sets make a day.
enum class EpoType : uint8_t { Unknown, EpoI, EpoIIGps, EpoIIGpsGlonass };

struct EpoVariant {
    EpoType Type;
    std::string_view Name;
    uint32_t RecordSize;
    uint8_t RecordsPerSet;
    uint16_t PacketId;      // MTK binary id of the data packets
    uint16_t PacketLength;  // one whole frame: 9 bytes of framing + 2 + 3 records
};

inline constexpr std::array<EpoVariant, 4> kEpoVariants = {{
    {EpoType::Unknown, "unKnow", 0, 0, 0, 0},
    {EpoType::EpoI, "EPO_1", 60, 32, 722, 191},
    {EpoType::EpoIIGps, "EPO_II_GPS", 72, 32, 723, 227},
    {EpoType::EpoIIGpsGlonass, "EPO_II_GPS_GLONASS", 72, 56, 723, 227},
}};

inline constexpr std::size_t kEpoRecordsPerPacket = 3;
inline constexpr uint16_t kEpoFinalSequence = 0xFFFF;
// Sizes that the files of the server have.
inline constexpr uint32_t kEpoISevenDaysSize = 53760;
inline constexpr uint32_t kEpoIISevenDaysSize = 64512;
inline constexpr uint32_t kEpoIIFourteenDaysSize = 129024;

[[nodiscard]] std::string_view EpoTypeName(EpoType type);

// The geometry of one EPO file, derived by RecogniseEpoFile.
struct EpoInfo {
    EpoType Type = EpoType::Unknown;
    uint32_t FileSize = 0;
    uint32_t RecordSize = 0;
    uint32_t SetSize = 0;  // RecordSize * RecordsPerSet
    uint32_t DaySize = 0;  // SetSize * 4
    uint8_t DayCount = 0;
    uint8_t RecordsPerSet = 0;
    uint16_t RecordCount = 0;
    uint16_t PacketCount = 0;  // data packets and the terminating packet
    uint16_t PacketId = 0;
    uint16_t PacketLength = 0;
};

// The variant of a file from the hours of its first records and its size. Files of 60-byte
// records are taken without a size check; 72-byte ones must be whole days of the GPS (tested
// first) or the GPS+GLONASS layout. A file with more records than the packet numbering holds is
// unknown.
[[nodiscard]] EpoInfo RecogniseEpoFile(std::string_view file);

// The file cut into MTK binary frames of info.PacketLength bytes each, back to back: sequence
// numbers from 0 with three records each (the last one padded with zero bytes), then the
// terminating packet (sequence 0xFFFF, three zero records). Empty for an unknown file.
[[nodiscard]] std::string BuildEpoPackets(std::string_view file, const EpoInfo& info);

// Days of data less the last 6-hour set.
[[nodiscard]] double EpoValidDays(const EpoInfo& info);

}  // namespace gnss
