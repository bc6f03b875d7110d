#include "control/typed_command.h"

#include <algorithm>
#include <cctype>

#include "base/conversion_error.h"
#include "nmea/hex_text.h"
#include "nmea/nmea_checksum.h"
#include "nmea/text_fields.h"

namespace gnss {

namespace {

constexpr std::string_view kCrLf = "\r\n";
// A star at 1-based positions 1 to 5 does not start a checksum: such a command gets one added.
constexpr std::size_t kFirstChecksumStarPosition = 6;

std::string WithoutBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != ' ') out += c;
    }
    return out;
}

bool PrintableAscii(std::string_view text) {
    return std::ranges::all_of(text, [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x20 && u < 0x7F;
    });
}

// XOR of the characters after the first up to (not including) the last three, compared with the
// last two read as upper-case hex digits.
bool TypedChecksumMatches(std::string_view command) {
    if (command.size() < 3) return false;
    uint8_t sum = 0;
    for (std::size_t i = 1; i + 3 < command.size(); ++i) sum ^= static_cast<uint8_t>(command[i]);
    static constexpr std::string_view kDigits = "0123456789ABCDEF";
    const char high = kDigits[sum >> 4];
    const char low = kDigits[sum & 0x0F];
    return command[command.size() - 2] == high && command[command.size() - 1] == low;
}

TypedCommand PrepareHex(std::string_view boxText) {
    TypedCommand out;
    out.IsHex = true;
    const std::string digits = WithoutBlanks(Trim(boxText.substr(kHexCommandPrefix.size())));
    if (digits.empty() || digits.size() % 2 != 0) {
        out.Result = TypedCommand::Outcome::HexTextError;
        out.MonitorLine = "  <Hex Command error !:[" + digits + "]>";
        return out;
    }
    try {
        out.Bytes = HexToBin(digits);
    } catch (const ConversionError& error) {
        out.Result = TypedCommand::Outcome::InvalidHexData;
        out.ErrorMessage = error.what();
        return out;
    }
    if (out.Bytes.size() > kMaxHexCommandBytes) {
        out.Result = TypedCommand::Outcome::Unsendable;
        out.ErrorMessage = "Not sent: a hex command takes at most " +
                           std::to_string(kMaxHexCommandBytes) + " bytes.";
        out.Bytes.clear();
        return out;
    }
    out.Result = TypedCommand::Outcome::Send;
    out.OpensHdReplyWindow = out.Bytes.size() >= 2 && static_cast<uint8_t>(out.Bytes[0]) == 0xF1 &&
                             static_cast<uint8_t>(out.Bytes[1]) == 0xD9;
    out.EchoLine = "  <Hex Command :[" + BinToHex(out.Bytes) + "]>";
    return out;
}

TypedCommand PrepareText(std::string_view boxText, const TypedCommandOptions& options) {
    TypedCommand out;
    const std::string_view full = Trim(boxText);
    const std::size_t remark = full.find('(');
    std::string command(remark == std::string_view::npos ? full : Trim(full.substr(0, remark)));
    if (command.empty()) return out;
    if (!PrintableAscii(command)) {
        out.Result = TypedCommand::Outcome::Unsendable;
        out.ErrorMessage = "Not sent: a command is plain ASCII text (letters, digits, signs).";
        return out;
    }
    if (command.size() > kMaxTextCommandLength) {
        out.Result = TypedCommand::Outcome::Unsendable;
        out.ErrorMessage = "Not sent: a command takes at most " +
                           std::to_string(kMaxTextCommandLength) + " characters.";
        return out;
    }

    const std::size_t star = command.find('*');
    const std::size_t starPosition = star == std::string::npos ? 0 : star + 1;
    if (starPosition < kFirstChecksumStarPosition) {
        if (!options.NoChecksum) command += NmeaChecksumSuffix(command);
    } else if (!TypedChecksumMatches(command)) {
        out.Result = TypedCommand::Outcome::ChecksumError;
        out.ErrorMessage = "\"" + command + "\" Checksum error !";
        return out;
    }
    if (options.Family == ReceiverFamily::TMC) command = command.substr(0, command.find('*'));

    out.Result = TypedCommand::Outcome::Send;
    out.Bytes = command;
    if (options.CrLf) out.Bytes += kCrLf;
    out.EchoLine = "  <" + command + ">";
    out.HistoryEntry = std::string(full);
    return out;
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) ==
               std::toupper(static_cast<unsigned char>(y));
    });
}

TypedCommand PrepareTypedCommand(std::string_view boxText, const TypedCommandOptions& options) {
    if (boxText.size() >= kHexCommandPrefix.size() &&
        EqualsIgnoringCase(boxText.substr(0, kHexCommandPrefix.size()), kHexCommandPrefix)) {
        return PrepareHex(boxText);
    }
    return PrepareText(boxText, options);
}

EnterKeyAction EnterKeyActionFor(std::string_view boxText, ReceiverFamily family) {
    const std::string upper = ToUpperAscii(Trim(boxText));
    if (upper.empty()) return EnterKeyAction::Nothing;
    if (upper == "RTCM" && (family == ReceiverFamily::MTK || family == ReceiverFamily::RTK_DF)) {
        return EnterKeyAction::Nothing;
    }
    if (upper == "VER") return EnterKeyAction::ShowVersion;
    return EnterKeyAction::Send;
}

bool ReturnsToHexPrefix(ReceiverFamily family) {
    return family == ReceiverFamily::ublox || family == ReceiverFamily::HED;
}

}  // namespace gnss
