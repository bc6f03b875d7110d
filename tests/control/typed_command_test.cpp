// The command box's text rules: checksums by the star position, remarks, hex commands and the
// limits of what is sent.

#include "control/typed_command.h"

#include <gtest/gtest.h>

#include <string>

namespace gnss {
namespace {

using Outcome = TypedCommand::Outcome;

TypedCommand Prepare(std::string_view text, TypedCommandOptions options = TypedCommandOptions()) {
    return PrepareTypedCommand(text, options);
}
TypedCommandOptions Plain() {
    TypedCommandOptions options;
    options.NoChecksum = true;
    options.CrLf = false;
    return options;
}
TypedCommandOptions For(ReceiverFamily family) {
    TypedCommandOptions options;
    options.Family = family;
    return options;
}

TEST(TypedCommand, TextCommandsGetTheirChecksumByTheStarPositionRule) {
    // No star: checksum and CR LF appended; the echo shows the command without the line end.
    TypedCommand c = Prepare("  $PMTK101  ");
    EXPECT_EQ(c.Result, Outcome::Send);
    EXPECT_EQ(c.Bytes, "$PMTK101*32\r\n");
    EXPECT_EQ(c.EchoLine, "  <$PMTK101*32>");
    EXPECT_EQ(c.HistoryEntry, "$PMTK101");

    // A star from the sixth character on carries its own checksum: verified, sent unchanged.
    c = Prepare("$PMTK101*32");
    EXPECT_EQ(c.Bytes, "$PMTK101*32\r\n");
    EXPECT_EQ(Prepare("$PMTK101*33").Result, Outcome::ChecksumError);
    EXPECT_EQ(Prepare("$PMTK101*33").ErrorMessage, "\"$PMTK101*33\" Checksum error !");
    // Lower-case checksum digits do not match ("$PMTK869,0*29" is fine, "*2e" is not).
    EXPECT_EQ(Prepare("$PMTK010,001*2e").Result, Outcome::ChecksumError);
    EXPECT_EQ(Prepare("$PMTK010,001*2E").Result, Outcome::Send);

    // A star at position 2..5 is part of the text: a checksum over it is appended.
    c = Prepare("$A*B");
    EXPECT_EQ(c.Bytes, "$A*B*29\r\n");  // 'A' ^ '*' ^ 'B' = 0x29

    // Options: no checksum, no line end.
    c = Prepare("$PSTMHOT", Plain());
    EXPECT_EQ(c.Bytes, "$PSTMHOT");
}

TEST(TypedCommand, RemarksStayInTheHistoryAndTrafficReceiversGetNoChecksum) {
    TypedCommand c = Prepare("$PMTK101*32 (hot start)");
    EXPECT_EQ(c.Bytes, "$PMTK101*32\r\n");
    EXPECT_EQ(c.HistoryEntry, "$PMTK101*32 (hot start)");
    EXPECT_EQ(Prepare("(only a remark)").Result, Outcome::Nothing);

    c = Prepare("$PQTTQ,1*2F", For(ReceiverFamily::TMC));
    EXPECT_EQ(c.Result, Outcome::ChecksumError);  // verified before it is cut
    c = Prepare("$PQTTQ,1*4D", For(ReceiverFamily::TMC));
    EXPECT_EQ(c.Bytes, "$PQTTQ,1\r\n");
    EXPECT_EQ(c.EchoLine, "  <$PQTTQ,1>");
}

TEST(TypedCommand, HexCommandsAreRawBytesWithTheirOwnErrors) {
    TypedCommand c = Prepare("hexcmd: b5 62 0a 04 00 00 0e 34");
    EXPECT_TRUE(c.IsHex);
    EXPECT_EQ(c.Result, Outcome::Send);
    EXPECT_EQ(c.Bytes, std::string("\xB5\x62\x0A\x04\x00\x00\x0E\x34", 8));
    EXPECT_EQ(c.EchoLine, "  <Hex Command :[B5620A0400000E34]>");
    EXPECT_TRUE(c.HistoryEntry.empty());
    EXPECT_FALSE(c.OpensHdReplyWindow);
    EXPECT_TRUE(Prepare("HEXCMD:F1D90A0400000E34").OpensHdReplyWindow);

    c = Prepare("HEXCMD:B56");
    EXPECT_EQ(c.Result, Outcome::HexTextError);
    EXPECT_EQ(c.MonitorLine, "  <Hex Command error !:[B56]>");
    EXPECT_EQ(Prepare("HEXCMD:   ").MonitorLine, "  <Hex Command error !:[]>");
    EXPECT_EQ(Prepare("HEXCMD:B5GG").Result, Outcome::InvalidHexData);
    EXPECT_TRUE(Prepare("HEXCMD:B5GG").Bytes.empty());
}

TEST(TypedCommand, UnsendableTextIsRefusedWithAReason) {
    // Non-ASCII text (as a window hands it over, UTF-8) and control characters.
    EXPECT_EQ(Prepare("$PMTK\xC3\xA9").Result, Outcome::Unsendable);
    EXPECT_EQ(Prepare(std::string("$PM\x01TK", 6)).Result, Outcome::Unsendable);
    // 10 KB typed: refused, nothing to send.
    const TypedCommand big = Prepare("$" + std::string(10 * 1024, 'A'));
    EXPECT_EQ(big.Result, Outcome::Unsendable);
    EXPECT_TRUE(big.Bytes.empty());
    EXPECT_FALSE(big.ErrorMessage.empty());
    EXPECT_EQ(Prepare("HEXCMD:" + std::string(2 * (kMaxHexCommandBytes + 1), 'A')).Result,
              Outcome::Unsendable);
    // The limit itself still goes out.
    EXPECT_EQ(Prepare("$" + std::string(kMaxTextCommandLength - 4, 'A')).Result, Outcome::Send);
}

TEST(TypedCommand, EnterKeyWords) {
    EXPECT_EQ(EnterKeyActionFor(" ver ", ReceiverFamily::MTK), EnterKeyAction::ShowVersion);
    EXPECT_EQ(EnterKeyActionFor("rtcm", ReceiverFamily::MTK), EnterKeyAction::Nothing);
    EXPECT_EQ(EnterKeyActionFor("RTCM", ReceiverFamily::RTK_DF), EnterKeyAction::Nothing);
    EXPECT_EQ(EnterKeyActionFor("RTCM", ReceiverFamily::SiRF), EnterKeyAction::Send);
    EXPECT_EQ(EnterKeyActionFor("   ", ReceiverFamily::SiRF), EnterKeyAction::Nothing);
    EXPECT_TRUE(ReturnsToHexPrefix(ReceiverFamily::ublox));
    EXPECT_TRUE(ReturnsToHexPrefix(ReceiverFamily::HED));
    EXPECT_FALSE(ReturnsToHexPrefix(ReceiverFamily::MTK));
}

}  // namespace
}  // namespace gnss
