// The recogniser chain on whole receive buffers, the completion, the attempt cycle, the HD
// polls and the refinements from the lines that follow a match.
#include "control/receiver_identification.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/virtual_time.h"
#include "control/ubx_hd_messages.h"
#include "doubles/scripted_prompts.h"
#include "frames/binary_frame.h"
#include "link/memory_receiver_port.h"
#include "link/receive_pipeline.h"
#include "nmea/nmea_checksum.h"

namespace gnss {
namespace {

std::string Line(std::string_view body) {
    return std::string(body) + NmeaChecksumSuffix(body) + "\r\n";
}

std::string Padded(std::string_view text, std::size_t size) {
    std::string out(text);
    out.resize(size, '\0');
    return out;
}

// Identification on a receive path whose one-second timer runs, with a listener that counts
// what identification announces.
struct Rig : IdentificationListener {
    Rig() {
        port.Open();
        shared.PortOpen = true;
        shared.IdentificationPending = true;
        pipeline.Dispatcher.SetSecondTimerEnabled(true);
        id.AddListener(*this);
    }
    // Seconds of the one-second tick in state "NMEA".
    void Seconds(int n) {
        for (int i = 0; i < n; ++i) {
            ++receiver.SecondsCounter;
            id.OnNmeaSecond(false);
        }
    }
    void OnReceiverIdentified() override { ++identified; }
    void OnIdentificationChanged() override { ++changes; }

    VirtualTime time;
    MemoryReceiverPort port;
    testing::ScriptedPrompts prompts;
    ReceivePipeline pipeline{port, time, time, prompts};
    SharedState& shared = pipeline.Shared;
    ReceiverState& receiver = pipeline.Receiver;
    ReceiverIdentification id{pipeline, port, time};
    int identified = 0;
    int changes = 0;
};

struct ChainCase {
    std::string Name;
    std::string Buffer;
    ReceiverFamily Family;  // Unknown: no rule may match
    std::string Firmware;
    std::function<void(const Rig&)> Check;
};

std::vector<ChainCase> ChainCases() {
    const std::string mtk48 = Line("$PMTK705,AXN_5.1.6_3333_18112800,0001,ZK-48-X,1.0");
    return {
        {"ST banner precedes an MTK release in the same buffer",
         mtk48 + Line("$PSTMSETPAR,1500,STGPS_5.8.17"), ReceiverFamily::ST, "STGPS_5.8.17",
         [](const Rig& r) {
             EXPECT_TRUE(r.id.Result.NoChecksum);
             EXPECT_EQ(r.id.Result.ReceiverGnssSet, GnssSet::GpsGlonass);
         }},
        {"ST banner without its line end waits", "$PSTMSETPAR,1500,STGPS_5.8.17*00",
         ReceiverFamily::Unknown, "", nullptr},
        {"ST dead-reckoning firmware names its sensor link and BeiDou",
         Line("$PSTMSETPAR,1500,STDB_C_5.8.12_DR"), ReceiverFamily::ST, "STDB_C_5.8.12_DR",
         [](const Rig& r) {
             EXPECT_TRUE(r.id.Result.StDrModule);
             EXPECT_EQ(r.id.Result.ReceiverGnssSet, GnssSet::GpsBds);
             EXPECT_EQ(r.id.Result.StDrSpeedInput, DrSpeedInput::Can);
             EXPECT_EQ(r.id.Result.ChipTag, "CAN");
         }},
        {"ST BB firmware for USB", Line("$PSTMSETPAR,1500,STBB_1.0.USB"), ReceiverFamily::ST,
         "STBB_1.0.USB",
         [](const Rig& r) {
             EXPECT_EQ(r.id.Result.ReceiverGnssSet, GnssSet::GpsBdsGalileoBds);
             EXPECT_TRUE(r.id.Result.StUsbFirmware);
         }},
        {"the one ZK-RW release that takes no EPO",
         Line("$PMTK705,AXN_3.60_3333_14030615,0026,ZK-RW"), ReceiverFamily::MTK,
         "ZK-RW,0026,AXN_3.60_3333_14030615",
         [](const Rig& r) {
             EXPECT_FALSE(r.id.Result.EpoCapable);
             EXPECT_EQ(r.id.Result.EasyQueryDue, 2);
         }},
        {"ZK-48 release with an empty third field", Line("$PMTK705,AXN_5.1.6_ZK-48,0001,"),
         ReceiverFamily::MTK, "BDS,0001,AXN_5.1.6_ZK-48",
         [](const Rig& r) {
             EXPECT_TRUE(r.id.Result.EpoCapable);
             EXPECT_EQ(r.id.Result.EpoPeriodDays, 14);
         }},
        {"MTK release without any ZK tag", Line("$PMTK705,AXN_5.1.6_3333_18112800,0001,SIM,1.0"),
         ReceiverFamily::Unknown, "", nullptr},
        {"MTK release with a generic tag and a release line of 2 or more",
         Line("$PMTK705,AXN_3_12_1806,0001,ZK-Q1"), ReceiverFamily::MTK, "ZK-Q1,0001,AXN_3_12_1806",
         [](const Rig& r) { EXPECT_EQ(r.id.Result.EpoPeriodDays, 14); }},
        {"CMS2 in the buffer stops the release rules",
         Line("$PMTK705,AXN_5.1.6,0001,ZK-48") + "CMS2", ReceiverFamily::Unknown, "", nullptr},
        {"ZK-WRE gives GPS+BDS+GALILEO", Line("$PMTK705,AXN_5.1.7,0003,ZK-WRE-1"),
         ReceiverFamily::MTK, "ZK-WRE-1,0003,AXN_5.1.7",
         [](const Rig& r) { EXPECT_EQ(r.id.Result.ReceiverGnssSet, GnssSet::GpsBdsGalileo); }},
        {"TDK module on a TechToTop chip", Line("$PINVMVER,R20180101,GB-X"), ReceiverFamily::TDK_DR,
         "R20180101,GB-X",
         [](const Rig& r) {
             EXPECT_EQ(r.id.Result.DrBaseChip, ReceiverFamily::TTT);
             EXPECT_EQ(r.id.Result.DrFormat, 1);
             EXPECT_TRUE(r.port.WrittenBytes().find("$PMTK605") == std::string::npos);
         }},
        {"TDK module on an MTK chip is asked for its release", Line("$PINVMVER,R20230415,MT-X"),
         ReceiverFamily::TDK_DR, "R20230415,MT-X",
         [](const Rig& r) {
             EXPECT_EQ(r.id.Result.DrFormat, 2);
             EXPECT_NE(r.port.WrittenBytes().find("$PMTK605*31\r\n"), std::string::npos);
         }},
        {"MXT", Line("$PDTINFO,MZ-7,1.0"), ReceiverFamily::MXT, "MZ-7,1.0",
         [](const Rig& r) { EXPECT_TRUE(r.shared.AntennaStatusExpected); }},
        {"SiRF IV found through its GS version, with the $PSRF195 field",
         Line("$PSRF195,MERIDAN,X") + Line("$PSRFTXT,GSD4e_4.1.2-RPATCH.1"), ReceiverFamily::SiRF4,
         "SiRF IV: GSD4e_4.1.2-RPATCH.1,MERIDAN",
         [](const Rig& r) {
             EXPECT_TRUE(r.id.Result.SgeeCapable);
             EXPECT_TRUE(r.id.Result.SirfRomPatch);
         }},
        {"Furuno version shorter than 37 characters waits", Line("$PERDSYS,VER,A,B,C,D,E"),
         ReceiverFamily::Unknown, "", nullptr},
        {"HD version sentence", Line("$PMDR,VER,HD8040D,X,1.2.3,20240101"), ReceiverFamily::HED,
         "1.2.3,HD8040D", [](const Rig& r) { EXPECT_TRUE(r.id.Result.HdAssistCapable); }},
        {"HD version sentence of a maker's MTK module is not HD", Line("$PMDR,VER,A,ZK-48,1"),
         ReceiverFamily::Unknown, "", nullptr},
        {"TMC receiver", Line("$PMDTTMC,\"MDTMC RDS 2.0\""), ReceiverFamily::TMC,
         ",\"MDTMC RDS 2.0", [](const Rig& r) { EXPECT_TRUE(r.id.Result.TrafficMessageMode); }},
        {"uNav tag with four dashes", Line("$PUNV,CFG_R,09,UT-A-B-C-D,1"), ReceiverFamily::uNav,
         "C-D,UT-A-B", nullptr},
        {"AH firmware needs UBP in field 7", Line("$PUNV,CFG_R,09,AH,2,NAV,4.0,XX"),
         ReceiverFamily::Unknown, "", nullptr},
        {"Broadcom", Line("$PGLOR,0,VER,X"), ReceiverFamily::BCM, "BCM47511", nullptr},
        {"plain NMEA", Line("$GPGGA,,,,,,0,00,,,M,,M,,"), ReceiverFamily::Unknown, "", nullptr},
    };
}

TEST(ReceiverIdentification, RecogniserChain) {
    for (const auto& c : ChainCases()) {
        SCOPED_TRACE(c.Name);
        Rig rig;
        const bool matched = rig.id.IdentifyReceiver(c.Buffer);
        EXPECT_EQ(matched, c.Family != ReceiverFamily::Unknown);
        EXPECT_EQ(rig.shared.Family, c.Family);
        EXPECT_EQ(rig.shared.ReceiverIdentified, matched);
        EXPECT_EQ(rig.shared.IdentificationPending, !matched);
        EXPECT_EQ(rig.id.Result.FirmwareText, c.Firmware);
        EXPECT_EQ(rig.identified, matched ? 1 : 0);
        if (matched) {
            EXPECT_EQ(rig.id.Result.FirmwareLabel, c.Firmware);
            // A bare line end follows the match.
            EXPECT_EQ(rig.port.Writes().back(), "\r\n");
        }
        if (c.Check) c.Check(rig);
    }
}

TEST(ReceiverIdentification, NothingHappensWhileNotPendingOrOnceIdentified) {
    Rig rig;
    rig.shared.IdentificationPending = false;
    EXPECT_FALSE(rig.id.IdentifyReceiver(Line("$PGLOR,0")));
    rig.shared.IdentificationPending = true;
    ASSERT_TRUE(rig.id.IdentifyReceiver(Line("$PGLOR,0")));
    rig.shared.IdentificationPending = true;
    EXPECT_FALSE(rig.id.IdentifyReceiver(Line("$PSTMSETPAR,1500,STGPS_1")));
    EXPECT_EQ(rig.shared.Family, ReceiverFamily::BCM);
}

std::string UbxMonVer(std::string_view software, std::string_view hardware) {
    return BuildUbxFrame(0x0A, 0x04, Padded(software, 30) + Padded(hardware, 10));
}

TEST(ReceiverIdentification, UbloxReplyCountsOnlyWhileTheReplyWindowIsOpen) {
    const std::string reply = UbxMonVer("ROM CORE 3.01", "00080000");
    struct Case {
        int32_t Deadline;
        int32_t Now;
        bool Used;
    };
    for (const Case& c : {Case{5, 4, true}, Case{5, 5, false}, Case{5, 6, false}}) {
        Rig rig;
        rig.shared.UbxReplyDeadline = c.Deadline;
        rig.receiver.SecondsCounter = c.Now;
        EXPECT_EQ(rig.id.IdentifyReceiver(reply), c.Used) << c.Now;
        if (c.Used) {
            EXPECT_EQ(rig.id.Result.FirmwareText, "ublox:ROM CORE 3.01_00080000");
            EXPECT_EQ(rig.id.Result.ReceiverGnssSet, GnssSet::GpsGlonass);
        }
    }
}

TEST(ReceiverIdentification, UbloxShapedRepliesOfTechToTop) {
    struct Case {
        std::string Payload;
        ReceiverFamily Family;
        std::string Firmware;
    };
    const std::vector<Case> cases = {
        {Padded("TTT V3", 48), ReceiverFamily::TTT, "TechToTop:TTT V3"},
        {Padded("QX-1", 30) + Padded("HW", 10), ReceiverFamily::TTT, "TechToTop:QX-1_HW"},
        {Padded("SW", 30) + Padded("TD1030", 10) + Padded("EXT", 30), ReceiverFamily::TTT,
         "TechToTop:SW_TD1030"},
        // 24 bytes pass the length test as well; the text is read as far as it goes.
        {Padded("SHORT", 24), ReceiverFamily::ublox, "ublox:SHORT_"},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.shared.UbxReplyDeadline = 3;
        ASSERT_TRUE(rig.id.IdentifyReceiver(BuildUbxFrame(0x0A, 0x04, c.Payload)));
        EXPECT_EQ(rig.shared.Family, c.Family);
        EXPECT_EQ(rig.id.Result.FirmwareText, c.Firmware);
    }
}

std::string HdVersion(std::string_view software, std::string_view hardware) {
    return BuildHdFrame(0x0A, 0x04, Padded(software, 16) + Padded(hardware, 16));
}

TEST(ReceiverIdentification, HdBinaryPathNeedsModuleInformationOrAKnownChip) {
    struct Case {
        std::string Name;
        std::string Info;  // module information reply payload; "none": no reply at all
        std::string Hardware;
        ReceiverFamily Family;
        std::string Firmware;
        GnssSet Set;
    };
    const std::vector<Case> cases = {
        {"module information", "M_X1GL_Y", "HW1", ReceiverFamily::HED, "M_X1GL_Y-HW1_SW2",
         GnssSet::GpsGlonass},
        {"bare chip named by its hardware text", "", "HD.8040D", ReceiverFamily::HED, "8040D_SW2",
         GnssSet::GpsBdsGalileoBdsIrnss},
        {"unknown chip without module information", "", "HD.9999", ReceiverFamily::Unknown, "",
         GnssSet::Gps},
        {"no module information reply yet", "none", "HD.8040D", ReceiverFamily::Unknown, "",
         GnssSet::Gps},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Rig rig;
        if (c.Info != "none") {
            EXPECT_FALSE(rig.id.IdentifyReceiver(BuildHdFrame(0x0A, 0x05, c.Info) + "$GPGGA"));
            EXPECT_EQ(rig.id.Result.HdStage, 2);
        }
        const bool matched = rig.id.IdentifyReceiver("x" + HdVersion("SW2", c.Hardware));
        EXPECT_EQ(rig.shared.Family, c.Family);
        EXPECT_EQ(rig.id.Result.FirmwareText, c.Firmware);
        if (!matched) continue;
        EXPECT_EQ(rig.id.Result.ReceiverGnssSet, c.Set);
        EXPECT_TRUE(rig.id.Result.NamesGnssView);
        EXPECT_EQ(rig.id.Result.HdPlainChip, c.Info.empty());
        EXPECT_TRUE(rig.id.Result.NoChecksum);
        EXPECT_EQ(rig.shared.HedReplyDeadline, 3);  // the NMEA version poll went out
        EXPECT_NE(rig.port.WrittenBytes().find(kHdNmeaVersionPoll), std::string::npos);
    }
}

TEST(ReceiverIdentification, AHdVersionFrameOfTheWrongSizeStopsTheScan) {
    Rig rig;
    (void)rig.id.IdentifyReceiver(BuildHdFrame(0x0A, 0x05, "M_X1B_Y"));
    const std::string shortVersion = BuildHdFrame(0x0A, 0x04, Padded("SW", 20));
    EXPECT_FALSE(rig.id.IdentifyReceiver(shortVersion + HdVersion("SW", "HW")));
}

TEST(ReceiverIdentification, CycleArmsEveryOtherSecondThenGivesUpWithTheTitleMark) {
    Rig rig;
    rig.shared.IdentificationPending = false;
    rig.shared.IdentificationAttempts = 1;  // the link just became NMEA
    rig.Seconds(7);
    EXPECT_TRUE(rig.shared.IdentificationPending);
    EXPECT_EQ(rig.shared.IdentificationAttempts, 8);
    EXPECT_TRUE(rig.id.Result.FirmwareLabel.empty());
    EXPECT_EQ(rig.changes, 0);
    rig.Seconds(2);
    EXPECT_EQ(rig.id.Result.FirmwareLabel,
              "?"
              "?");
    EXPECT_EQ(rig.changes, 1);
    EXPECT_TRUE(rig.shared.IdentificationPending);
    rig.Seconds(1);
    EXPECT_FALSE(rig.shared.IdentificationPending);
    EXPECT_EQ(rig.shared.Family, ReceiverFamily::Unknown);
}

TEST(ReceiverIdentification, HdPollsFollowTheArmingAndStopOnceIdentified) {
    Rig rig;
    rig.id.ArmIdentification();
    rig.Seconds(1);
    ASSERT_EQ(rig.port.Writes().size(), 1u);
    EXPECT_EQ(rig.port.Writes()[0], kHdMonInfoPoll);
    EXPECT_EQ(rig.shared.HedReplyDeadline, 4);
    ASSERT_TRUE(rig.id.IdentifyReceiver(Line("$PGLOR,1")));
    rig.Seconds(2);
    EXPECT_EQ(rig.port.Writes().size(), 2u);  // the CR LF of the match; no version poll
}

TEST(ReceiverIdentification, ArmingWaitsForTheOneSecondTimer) {
    Rig rig;
    rig.shared.IdentificationPending = false;
    rig.pipeline.Dispatcher.SetSecondTimerEnabled(false);
    rig.id.ArmIdentification();
    EXPECT_FALSE(rig.shared.IdentificationPending);
    rig.pipeline.Dispatcher.SetSecondTimerEnabled(true);
    rig.id.ArmIdentification();
    EXPECT_TRUE(rig.shared.IdentificationPending);
}

TEST(ReceiverIdentification, MtkReleaseAppendActsOnceWithinThreeSeconds) {
    for (int wait : {3, 4}) {
        Rig rig;
        ASSERT_TRUE(rig.id.IdentifyReceiver(Line("$GPTXT,MERIDAN FW 1.0")));
        EXPECT_EQ(rig.id.Result.FirmwareText, "MERIDAN FW 1.0");
        EXPECT_TRUE(rig.id.Result.ForwardMode);
        EXPECT_TRUE(rig.id.PrcrRewriteActive());
        rig.receiver.SecondsCounter += wait;
        rig.id.LineWatch("$PMTK705,AXN_1,0001,X*00");
        rig.id.LineWatch("$PMTK705,AXN_2,0001,X*00");
        EXPECT_EQ(rig.id.Result.FirmwareText,
                  wait == 3 ? "MERIDAN FW 1.0-AXN_1,0001,X" : "MERIDAN FW 1.0");
    }
}

TEST(ReceiverIdentification, TdkProbeSettlesTheBaseChip) {
    {
        Rig rig;
        ASSERT_TRUE(rig.id.IdentifyReceiver(Line("$PINVMVER,R20230415,MT-X")));
        rig.id.LineWatch(Line("$PMTK705,AXN_5,0001,ZK-WRE-1"));
        EXPECT_EQ(rig.id.Result.DrBaseChip, ReceiverFamily::MTK);
        EXPECT_EQ(rig.id.Result.ReceiverGnssSet, GnssSet::GpsBdsGalileo);
        EXPECT_EQ(rig.id.Result.ChipTag, "MTK");
        EXPECT_EQ(rig.changes, 1);
    }
    {
        Rig rig;
        ASSERT_TRUE(rig.id.IdentifyReceiver(Line("$PINVMVER,R20230415,MT-X")));
        // The TDK module keeps the GPS sky until the probe ends.
        EXPECT_EQ(rig.id.Result.Sky, SkyBackground::Gps);
        rig.Seconds(4);
        EXPECT_EQ(rig.id.Result.ChipTag, "TD");
        EXPECT_EQ(rig.id.Result.Sky, SkyBackground::MultiGnss);
        EXPECT_EQ(rig.changes, 1);
    }
}

TEST(ReceiverIdentification, SirfCompletionWithinEightSeconds) {
    Rig rig;
    ASSERT_TRUE(rig.id.IdentifyReceiver(Line("$PSRF195,5xp_5.5.2")));
    rig.receiver.SecondsCounter = 8;
    rig.id.LineWatch(Line("$PSRF195,Meridan_MD_7,1"));
    EXPECT_EQ(rig.id.Result.FirmwareText, "SiRF V: Meridan_MD_7,5xp_5.5.2");
    EXPECT_TRUE(rig.id.Result.SirfRomPatch);
    EXPECT_EQ(rig.id.Result.FirmwareLabel, rig.id.Result.FirmwareText);
    EXPECT_EQ(rig.changes, 1);
}

TEST(ReceiverIdentification, RtkModuleSendsItsQueriesLater) {
    Rig rig;
    ASSERT_TRUE(rig.id.IdentifyReceiver(Line("$PMDR,RTK_DF,1.2")));
    EXPECT_FALSE(rig.id.Result.RtkViaCom4);
    rig.port.ClearWrites();
    rig.time.Advance(100);
    ASSERT_EQ(rig.port.Writes().size(), 1u);
    EXPECT_EQ(rig.port.Writes()[0], Line("$PMDC,GETDIST"));
    rig.time.Advance(200);
    ASSERT_EQ(rig.port.Writes().size(), 2u);
    EXPECT_EQ(rig.port.Writes()[1], Line("$PMDC,INJ,0"));
    EXPECT_TRUE(rig.id.Result.CommandPanelShown);

    // A pass without the RTK version before it moves the distance query to COM4.
    Rig later;
    EXPECT_FALSE(later.id.IdentifyReceiver("$GPGGA"));
    ASSERT_TRUE(later.id.IdentifyReceiver(Line("$PMDR,RTK_DF,1.2")));
    later.time.Advance(100);
    EXPECT_EQ(later.port.Writes().back(), Line("$PMDC,COM4,{PMDC,GETDIST}"));
}

TEST(ReceiverIdentification, ConnectResetKeepsOnlyTheCommandPanel) {
    Rig rig;
    ASSERT_TRUE(rig.id.IdentifyReceiver(Line("$PMDR,VER,HD8040D,X,1.2.3,20240101")));
    rig.id.Result.HdModuleInfo = "M-";
    rig.id.ResetForConnect();
    EXPECT_TRUE(rig.id.Result.FirmwareText.empty());
    EXPECT_TRUE(rig.id.Result.HdModuleInfo.empty());
    EXPECT_FALSE(rig.id.Result.HdAssistCapable);
    EXPECT_EQ(rig.id.Result.HdStage, 1);
    EXPECT_TRUE(rig.id.Result.CommandPanelShown);
}

TEST(ReceiverIdentification, SkyBackgroundFollowsTheConstellationSet) {
    for (std::size_t index = 0; index < kGnssSetNames.size(); ++index) {
        const auto set = static_cast<GnssSet>(index);
        const bool multi = set == GnssSet::Bds || set == GnssSet::GpsBds ||
                           set == GnssSet::GpsGlonassBds || set == GnssSet::GpsGlonassGalileo;
        EXPECT_EQ(SkyBackgroundFor(set), multi ? SkyBackground::MultiGnss : SkyBackground::Gps)
            << GnssSetName(set);
    }
}

TEST(ReceiverIdentification, FollowsTheLinkAndTheConnection) {
    Rig rig;
    rig.shared.IdentificationPending = false;
    rig.id.OnLinkRecognised(LinkState::SirfBinary);
    EXPECT_FALSE(rig.shared.IdentificationPending);
    rig.id.OnLinkRecognised(LinkState::Nmea);
    EXPECT_TRUE(rig.shared.IdentificationPending);
    EXPECT_EQ(rig.shared.IdentificationAttempts, 1);

    // The second that recognised the link runs no cycle of its own.
    rig.id.OnNmeaSecond(true);
    EXPECT_EQ(rig.shared.IdentificationAttempts, 1);
    rig.id.OnNmeaSecond(false);
    EXPECT_EQ(rig.shared.IdentificationAttempts, 2);

    ASSERT_TRUE(rig.id.IdentifyReceiver(Line("$PDTINFO,MZ-7,1.0")));
    EXPECT_TRUE(rig.id.Result.NoChecksum);
    rig.id.OnConnectionChanging();
    EXPECT_FALSE(rig.id.Result.NoChecksum);
    EXPECT_EQ(rig.id.Result.FirmwareText, "MZ-7,1.0") << "kept until the next connect";
    rig.id.OnConnecting();
    EXPECT_TRUE(rig.id.Result.FirmwareText.empty());
    EXPECT_TRUE(rig.id.Result.FirmwareLabel.empty());
}

}  // namespace
}  // namespace gnss
