#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/receiver_family.h"

namespace gnss {

// The prefix that turns the command box into a hex command: "HEXCMD:" followed by byte pairs.
inline constexpr std::string_view kHexCommandPrefix = "HEXCMD:";

// How the command box's options and the receiver shape a typed command.
struct TypedCommandOptions {
    bool NoChecksum = false;  // text commands go out without an appended checksum
    bool CrLf = true;         // text commands end with CR LF
    ReceiverFamily Family = ReceiverFamily::Unknown;
};

// What to do with the text of the command box.
struct TypedCommand {
    enum class Outcome : uint8_t {
        Nothing,         // empty text: nothing happens
        Send,            // write Bytes, then show EchoLine
        HexTextError,    // empty or odd hex text: MonitorLine goes to the monitor
        InvalidHexData,  // a character that is not a hex digit: the "Invalid Data !" message
        ChecksumError,   // a typed checksum that does not match: ErrorMessage, nothing sent
        Unsendable,      // not ASCII text, or longer than a receiver takes: ErrorMessage
    };
    Outcome Result = Outcome::Nothing;
    bool IsHex = false;
    std::string Bytes;        // what goes to the receiver
    std::string EchoLine;     // the monitor line after a successful write
    std::string MonitorLine;  // the monitor line of a hex text error
    std::string ErrorMessage;
    // A text command enters the history (when not there yet, ignoring case) whether or not the
    // write succeeds; empty when the history stays as it is.
    std::string HistoryEntry;
    // The first two bytes are F1 D9: the HD reply window opens.
    bool OpensHdReplyWindow = false;
};

// Limits of what the box sends: a text command is printable ASCII of at most this many
// characters; a hex command at most this many bytes.
inline constexpr std::size_t kMaxTextCommandLength = 1024;
inline constexpr std::size_t kMaxHexCommandBytes = 4096;

// The rules of the command box for its whole text (untrimmed, as typed):
// - "HEXCMD:" (any case) then hex pairs, blanks anywhere ignored: sent as raw bytes, echoed as
//   "  <Hex Command :[..]>"; never entered into the history.
// - otherwise a text command: a remark in parentheses is kept in the history only; a command
//   without a star after its fifth character gets "*" and its checksum (unless NoChecksum); one
//   with a star from the sixth character on has its checksum verified; TMC receivers take no
//   checksum; CR LF follows when CrLf is set; echoed as "  <command>".
[[nodiscard]] TypedCommand PrepareTypedCommand(std::string_view boxText,
                                               const TypedCommandOptions& options);

// What the Enter key in the command box does before sending.
enum class EnterKeyAction : uint8_t {
    Nothing,      // empty text, or "RTCM" typed to an MTK or RTK_DF receiver
    ShowVersion,  // "VER": the box shows the program's title and version; nothing is sent
    Send,
};
[[nodiscard]] EnterKeyAction EnterKeyActionFor(std::string_view boxText, ReceiverFamily family);

// After a send, u-blox and HD receivers get the box back as "HEXCMD:" for the next hex command.
[[nodiscard]] bool ReturnsToHexPrefix(ReceiverFamily family);

// Case-insensitive ASCII comparison, as the history compares its entries.
[[nodiscard]] bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace gnss
