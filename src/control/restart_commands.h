#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/receiver_family.h"

namespace gnss {

// Restart kinds as bit values: the SiRF reset command carries the value itself.
enum class RestartKind : uint8_t { Hot = 1, Warm = 2, Cold = 4, Factory = 8 };

// "hot", "warm", "cold", "factory".
[[nodiscard]] std::string_view RestartKindName(RestartKind kind);
// "Hot start", "Warm start", "Cold start", "Factory reset".
[[nodiscard]] std::string_view RestartKindTitle(RestartKind kind);
// "(H)", "(W)", "(C)", "(F)": the tag shown with the fix time.
[[nodiscard]] std::string_view RestartTag(RestartKind kind);

// How a restart command is written.
enum class RestartSendMode : uint8_t {
    TextLine,  // the text (maybe empty) followed by CR LF
    Ubx,       // UBX frames as they are, with the UBX reply window opened
    Hd,        // HD frames as they are, with the HD reply window opened
};

// What identification found out that chooses among a family's restart dialects.
struct RestartTarget {
    ReceiverFamily Family = ReceiverFamily::Unknown;
    bool DrRtkVariant = false;                            // TDK_DR: the RTK variant
    ReceiverFamily DrBaseChip = ReceiverFamily::Unknown;  // TDK_DR: MTK or TTT underneath
    std::string_view FirmwareText;                        // TDK_DR: "-GL" picks the 6 mode
    bool HdPlainChip = false;                             // HED: bare chip, no factory reset
};

// The command for one restart of one receiver.
struct RestartCommand {
    RestartSendMode Mode = RestartSendMode::TextLine;
    std::string Bytes;  // the command without the CR LF a text line gets; may be empty
    // The family cannot do this restart: nothing is written. Warning is the message for the
    // user, empty when the button is simply not offered (an HD chip without module information).
    bool Refused = false;
    std::string Warning;
    // The acknowledgement frame of the binary families; empty for text families.
    std::string ExpectedAck;
};

[[nodiscard]] RestartCommand BuildRestartCommand(const RestartTarget& target, RestartKind kind);

// What the bytes on the wire are for a restart command: Bytes, plus CR LF for text lines.
[[nodiscard]] std::string RestartWireBytes(const RestartCommand& command);

}  // namespace gnss
