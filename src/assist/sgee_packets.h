#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/receiver_family.h"

namespace gnss {

// SGEE (server-generated extended ephemeris) travels to a SiRF receiver as proprietary NMEA
// sentences of 100 file bytes each, one at a time, each answered by an acknowledgement
// sentence. Sentences here carry their "*hh" checksum and no line end.

inline constexpr std::size_t kSgeeBlockBytes = 100;
// A download shorter than this is no SGEE file.
inline constexpr std::size_t kSgeeMinimumBytes = 6144;

// The sentences of one file in sending order: start, size, then the data blocks.
struct SgeeSentences {
    uint32_t FileSize = 0;
    uint32_t FullBlocks = 0;      // FileSize div 100
    uint32_t LastBlockBytes = 0;  // FileSize mod 100; 0 when there is no short block
    std::vector<std::string> Sentences;
};

// SiRF V receivers use their own message identifiers (49, 4a, 4b) and lower-case data bytes.
[[nodiscard]] SgeeSentences BuildSgeeSentences(std::string_view file, ReceiverFamily family);

// The replies that accept or reject the sentence at `index` (start, size, any data block).
struct SgeeReplyTexts {
    std::string_view Ack;
    std::string_view NAck;
};
[[nodiscard]] SgeeReplyTexts SgeeExpectedReplies(std::size_t index);
// The rejection of the start sentence: the receiver takes no SGEE at all.
inline constexpr std::string_view kSgeeStartRejected = "$PSRF156,20,72,16,1";

// "$PSRF114,1a,1*42": how long the receiver's SGEE data remains valid.
inline constexpr std::string_view kSgeeStatusQuery = "$PSRF114,1a,1*42";

// "$PSRF100,1,<rate>,8,1,0*hh": NMEA at another rate.
[[nodiscard]] std::string SirfNmeaRateSentence(uint32_t baudRate);
// The six "$PSRF103,<nn>,00,<on>,01" sentences that switch the periodic messages 00 to 05.
[[nodiscard]] std::vector<std::string> SirfNmeaOutputSentences(bool on);

// What a status reply said.
enum class SgeeStatusKind : uint8_t {
    NotStatus,     // not a status reply of this family
    Valid,         // data present: ValidSeconds, Days, Hours
    Absent,        // "7fffffff" start: no data in the receiver
    Unreadable,    // a status reply whose times are not hexadecimal
    NotSupported,  // SiRF V: the receiver takes no SGEE
    Rejected,      // the query was rejected: the receiver has no GPS time
};
struct SgeeStatusReading {
    SgeeStatusKind Kind = SgeeStatusKind::NotStatus;
    int64_t ValidSeconds = 0;
    int64_t Days = 0;
    int64_t Hours = 0;
};
[[nodiscard]] SgeeStatusReading ReadSgeeStatus(std::string_view line, ReceiverFamily family);

// The validity line for a reading; empty for NotStatus and Unreadable.
[[nodiscard]] std::string SgeeStatusText(const SgeeStatusReading& reading);

}  // namespace gnss
