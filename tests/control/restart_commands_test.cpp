// Every cell of the restart table against the bytes that go to the receiver, by family.

#include "control/restart_commands.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "control/restart_acknowledgements.h"
#include "control/ubx_hd_messages.h"
#include "nmea/hex_text.h"

namespace gnss {
namespace {

constexpr std::array<RestartKind, 4> kKinds = {RestartKind::Hot, RestartKind::Warm,
                                               RestartKind::Cold, RestartKind::Factory};
const std::string kCrLf = "\r\n";

std::string Hex(std::string_view text) {
    return HexToBin(text);
}

RestartTarget Target(ReceiverFamily family) {
    RestartTarget target;
    target.Family = family;
    return target;
}
RestartTarget PlainHd() {
    RestartTarget target = Target(ReceiverFamily::HED);
    target.HdPlainChip = true;
    return target;
}
RestartTarget TdkRtk() {
    RestartTarget target = Target(ReceiverFamily::TDK_DR);
    target.DrRtkVariant = true;
    return target;
}
RestartTarget TdkOnMtk() {
    RestartTarget target = Target(ReceiverFamily::TDK_DR);
    target.DrBaseChip = ReceiverFamily::MTK;
    return target;
}
RestartTarget TdkGl() {
    RestartTarget target = Target(ReceiverFamily::TDK_DR);
    target.FirmwareText = "R20191022-GL,1";
    return target;
}

struct FamilyRow {
    const char* Name;
    RestartTarget Target;
    std::array<std::string, 4> Wire;  // what is written for hot, warm, cold, factory
};

std::vector<FamilyRow> Rows() {
    const std::string sirf = "$PSRF101,-2686700,-4304200,3851624,96000,497260,921,12,";
    const std::array<std::string, 4> sirfWire = {sirf + "1*2D" + kCrLf, sirf + "2*2E" + kCrLf,
                                                 sirf + "4*28" + kCrLf, sirf + "8*24" + kCrLf};
    const std::array<std::string, 4> mtk = {"$PMTK101*32\r\n", "$PMTK102*31\r\n", "$PMTK103*30\r\n",
                                            "$PMTK104*37\r\n"};
    const std::array<std::string, 4> ttt = {"$CCSIR,3,3*48\r\n", "$CCSIR,3,2*49\r\n",
                                            "$CCSIR,3,1*4A\r\n", "$CCSIR,3,1*4A\r\n"};
    const std::array<std::string, 4> unav = {"$PUNV,START,HOT*0E\r\n", "$PUNV,START,WARM*54\r\n",
                                             "$PUNV,START,COLD*59\r\n",
                                             "$PUNV,START,FACTORY*09\r\n"};
    const std::array<std::string, 4> none = {kCrLf, kCrLf, kCrLf, kCrLf};
    return {
        {"SiRF", Target(ReceiverFamily::SiRF), sirfWire},
        {"CMS", Target(ReceiverFamily::CMS), sirfWire},
        {"SiRF4",
         Target(ReceiverFamily::SiRF4),
         {kCrLf + sirfWire[0], kCrLf + sirfWire[1], kCrLf + sirfWire[2], ""}},
        {"SiRF5",
         Target(ReceiverFamily::SiRF5),
         {kCrLf + sirfWire[0], kCrLf + sirfWire[1], kCrLf + sirfWire[2], ""}},
        {"ublox",
         Target(ReceiverFamily::ublox),
         {Hex("B56206040400000002001068"), Hex("B5620604040001060200177E"),
          Hex("B56206040400FFFF02000E61"),
          Hex("B56206040400FFFF02000E61B56206090C00FFFFFFFF00000000FFFFFFFF135B")}},
        {"uNav", Target(ReceiverFamily::uNav), unav},
        {"AH", Target(ReceiverFamily::AH), unav},
        {"MTK", Target(ReceiverFamily::MTK), mtk},
        {"CM2", Target(ReceiverFamily::CM2), mtk},
        {"ST",
         Target(ReceiverFamily::ST),
         {"$PSTMHOT\r\n", "$PSTMWARM\r\n", "\r\n$PSTMCOLD,15\r\n", "$PSTMRESTOREPAR\r\n\r\n"}},
        {"Furuno",
         Target(ReceiverFamily::Furuno),
         {"$PERDAPI,RESTART,HOT*5F\r\n", "$PERDAPI,RESTART,WARM*05\r\n",
          "$PERDAPI,RESTART,COLD*08\r\n", "$PERDAPI,RESTART,SIMCOLD*5F\r\n"}},
        {"HED",
         Target(ReceiverFamily::HED),
         {Hex("F1D906400100034A24"), Hex("F1D906400100024923"), Hex("F1D906400100014822"),
          Hex("F1D90609080002000000FFFFFFFF1501")}},
        {"HED plain chip",
         PlainHd(),
         {Hex("F1D906400100034A24"), Hex("F1D906400100024923"), Hex("F1D906400100014822"), ""}},
        {"TTT", Target(ReceiverFamily::TTT), ttt},
        {"RTK_DF",
         Target(ReceiverFamily::RTK_DF),
         {"$PMDC,RESTART,0,0*61\r\n", kCrLf, "$PMDC,RESTART,0,3*62\r\n",
          "$PMDC,RESTART,0,2*63\r\n"}},
        {"TDK_DR RTK",
         TdkRtk(),
         {"$PMDC,QV2058,HOT*41\r\n", "$PMDC,QV2058,WARM*1B\r\n", "$PMDC,QV2058,COLD*16\r\n",
          "$PMDC,QV2058,COLD*16\r\n"}},
        {"TDK_DR on MTK", TdkOnMtk(), mtk},
        {"TDK_DR -GL",
         TdkGl(),
         {"$CCSIR,6,3*4D\r\n", "$CCSIR,6,2*4C\r\n", "$CCSIR,6,1*4F\r\n", "$CCSIR,6,1*4F\r\n"}},
        {"TDK_DR other", Target(ReceiverFamily::TDK_DR), ttt},
        {"MXT",
         Target(ReceiverFamily::MXT),
         {"$RESET,1,0\r\n", "$RESET,1,1\r\n", "$RESET,1,2\r\n", "$RESET,1,2\r\n"}},
        {"unknow", Target(ReceiverFamily::Unknown), none},
        {"TMC", Target(ReceiverFamily::TMC), none},
        {"BCM", Target(ReceiverFamily::BCM), none},
    };
}

TEST(RestartCommands, EveryCellOfTheTableIsWrittenByteForByte) {
    for (const FamilyRow& row : Rows()) {
        for (std::size_t k = 0; k < kKinds.size(); ++k) {
            const RestartCommand command = BuildRestartCommand(row.Target, kKinds[k]);
            EXPECT_EQ(BinToHex(RestartWireBytes(command)), BinToHex(row.Wire[k]))
                << row.Name << " " << RestartKindName(kKinds[k]);
        }
    }
}

TEST(RestartCommands, RefusalsAcknowledgementsAndSendModes) {
    const RestartCommand sirf5 =
        BuildRestartCommand(Target(ReceiverFamily::SiRF5), RestartKind::Factory);
    EXPECT_TRUE(sirf5.Refused);
    EXPECT_EQ(sirf5.Warning, "Can not execute the function !");
    const RestartCommand plain = BuildRestartCommand(PlainHd(), RestartKind::Factory);
    EXPECT_TRUE(plain.Refused);
    EXPECT_TRUE(plain.Warning.empty());

    const RestartCommand ubx =
        BuildRestartCommand(Target(ReceiverFamily::ublox), RestartKind::Cold);
    EXPECT_EQ(ubx.Mode, RestartSendMode::Ubx);
    EXPECT_EQ(BinToHex(ubx.ExpectedAck), "B562050102000604123B");
    const RestartCommand hd = BuildRestartCommand(Target(ReceiverFamily::HED), RestartKind::Hot);
    EXPECT_EQ(hd.Mode, RestartSendMode::Hd);
    EXPECT_EQ(BinToHex(hd.ExpectedAck), "F1D90501020006404E77");
    // The table's HD frames are the ones the builder makes.
    EXPECT_EQ(hd.Bytes, BuildHdSimpleRestart(std::string(1, '\x03')));
    EXPECT_EQ(BuildRestartCommand(Target(ReceiverFamily::HED), RestartKind::Warm).Bytes,
              BuildHdSimpleRestart(std::string(1, '\x02')));
    EXPECT_EQ(BuildRestartCommand(Target(ReceiverFamily::HED), RestartKind::Cold).Bytes,
              BuildHdSimpleRestart(std::string(1, '\x01')));
    EXPECT_TRUE(
        BuildRestartCommand(Target(ReceiverFamily::MTK), RestartKind::Hot).ExpectedAck.empty());
    EXPECT_EQ(RestartTag(RestartKind::Cold), "(C)");
}

TEST(RestartAcknowledgements, MarkersFollowTheFamilyAndItsVariant) {
    const auto mtk = RestartAckMarkersFor(Target(ReceiverFamily::MTK));
    EXPECT_EQ(FindRestartAckMarker(mtk, "$PMTK010,001*2E"), "$PMTK010,001*2E");
    EXPECT_TRUE(mtk.ProvesLink);
    EXPECT_TRUE(FindRestartAckMarker(mtk, "$GPRMC,...").empty());
    const auto sirf5 = RestartAckMarkersFor(Target(ReceiverFamily::SiRF5));
    EXPECT_FALSE(FindRestartAckMarker(sirf5, "$GPGGA,,,,,,0,00,,,M,0.0,M,,0000*48").empty());
    const auto sirf4 = RestartAckMarkersFor(Target(ReceiverFamily::SiRF4));
    EXPECT_TRUE(FindRestartAckMarker(sirf4, "$GPGGA,,,,,,0,00,,,M,0.0,M,,0000*48").empty());
    EXPECT_TRUE(RestartAckMarkersFor(Target(ReceiverFamily::HED)).FirstLineWithoutFix);
    const auto tdkRtk = RestartAckMarkersFor(TdkRtk());
    EXPECT_FALSE(FindRestartAckMarker(tdkRtk, "$PMDR,QV2058,COLD").empty());
    EXPECT_TRUE(RestartAckMarkersFor(Target(ReceiverFamily::TDK_DR)).FirstLineWithoutFix);
    const auto ttt = RestartAckMarkersFor(Target(ReceiverFamily::TTT));
    EXPECT_TRUE(ttt.Texts.empty());
    EXPECT_FALSE(ttt.FirstLineWithoutFix);
}

}  // namespace
}  // namespace gnss
