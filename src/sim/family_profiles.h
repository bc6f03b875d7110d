#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/receiver_family.h"

namespace gnss::sim {

// Restart kinds as bit values (the SiRF reset command carries the value itself).
enum class RestartKind : uint8_t { Hot = 1, Warm = 2, Cold = 4, Factory = 8 };

[[nodiscard]] std::string_view RestartKindName(RestartKind kind);

// How a receiver treats commands that are not in its table.
enum class Dialect : uint8_t {
    None,  // ignores everything it does not know
    Mtk,   // "$PMTK<id>,...*cs": "$PMTK001,<id>,<result>*cs"; $PMTK251 changes the baud rate
    Ubx,   // UBX class 06 frames: ACK-ACK (ACK-NAK when rejecting)
    Hd,    // HD class 06 frames: ACK; port configuration 06 00 poll and set
    SiRF,  // SiRF binary message 129 returns to NMEA
};

enum class CommandAction : uint8_t {
    Restart,        // restart of Kind; Reply is the acknowledgement
    Reply,          // a query: Reply answers it
    StRestorePar,   // ST: parameters back to factory values (a factory restart); Reply answers
    StSystemReset,  // ST: software reset, the receiver boots again
};

// One command a receiver understands, compared byte for byte: a text line without its line
// end, or a whole binary frame.
struct CommandRule {
    std::string Bytes;
    CommandAction Action = CommandAction::Reply;
    RestartKind Kind = RestartKind::Hot;
    std::vector<std::string> Reply;   // complete bytes (lines with CR LF, frames)
    std::vector<std::string> Reject;  // the refusal where the protocol has one
};

// Everything that makes one chip family (and variant) look like itself on the wire.
struct FamilyProfile {
    std::string Key;                                  // "mtk", "ublox", ...
    std::string Variant;                              // "" or "a".."g", "rtk", "dr", ...
    ReceiverFamily Family = ReceiverFamily::Unknown;  // what identification should decide
    std::string Description;
    Dialect CommandDialect = Dialect::None;
    // Sent at power-up and each time the receiver boots after a restart (complete sentences,
    // checksum included, without line end).
    std::vector<std::string> BootLines;
    // Sent every PeriodicSeconds (0: never).
    std::vector<std::string> PeriodicLines;
    int PeriodicSeconds = 0;
    std::vector<CommandRule> Commands;
    // Output style.
    std::string DefaultGnss = "gps";
    std::string DefaultSentences = "GGA,GSA,GSV,RMC,VTG";
    uint32_t DefaultBaud = 9600;
    int GsvEverySeconds = 1;
    int TimeDecimals = 3;
    int MinuteDecimals = 4;
    bool DefaultNmea41 = false;
    bool SirfBinaryCapable = false;
};

[[nodiscard]] const std::vector<FamilyProfile>& FamilyProfiles();
// Variant "" picks the family's first (default) variant.
[[nodiscard]] const FamilyProfile* FindProfile(std::string_view key, std::string_view variant);

}  // namespace gnss::sim
