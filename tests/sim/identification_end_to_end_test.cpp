// Every simulated receiver family, connected through the whole receive path on virtual time:
// identification decides the family the profile stands for, with the firmware text its
// version texts carry.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "control/ubx_hd_messages.h"
#include "doubles/identifying_station.h"
#include "sim/family_profiles.h"
#include "sim/memory_port_attachment.h"
#include "sim/simulated_receiver.h"
#include "sim_test_bench.h"

namespace gnss::sim {
namespace {

// The tool as the application composes it (receive path, connection, identification and the
// status bar), and a simulated receiver on its port.
struct Station : ::gnss::testing::IdentifyingStation {
    explicit Station(const SimConfig& config) {
        receiver = std::make_unique<SimulatedReceiver>(time, time, config);
        attachment = std::make_unique<MemoryPortAttachment>(*receiver, port);
        connection.SetShownPort("sim0");
        connection.SetShownBaud(std::to_string(receiver->BaudRate()));
    }

    // Connect, then power the receiver a moment later, as a user plugging it in would.
    void ConnectAndPowerOn() {
        connection.ToggleConnection();
        time.Advance(1500);
        receiver->Start();
    }

    // Runs until identified or `ms` have passed.
    void RunUntilIdentified(uint64_t ms) {
        for (uint64_t t = 0; t < ms && !pipeline.Shared.ReceiverIdentified; t += 100) {
            time.Advance(100);
        }
    }

    std::unique_ptr<SimulatedReceiver> receiver;
    std::unique_ptr<MemoryPortAttachment> attachment;
};

// The firmware text each profile's version texts give.
const std::map<std::string, std::string>& ExpectedFirmware() {
    static const std::map<std::string, std::string> expected = {
        {"mtk/c", "ZK-48-SIM,0001,AXN_5.1.6_3333_18112800"},
        {"mtk/a", "MERIDAN FW SIM 3.2-AXN_5.1.6_3333_18112800,0001,MERIDAN-SIM,1.0"},
        {"mtk/b", "MTK-CM2.CMS-2.1"},
        {"mtk/d", "AXN_3.8_3337_17050500"},
        {"mtk/e", "ZK-RE-SIM,0003,AXN_5.1.7_3333_19030800"},
        {"mtk/f", "ZK-RV-SIM,0026,AXN_3.60_3333_15030600"},
        {"mtk/g", "ZK-SIM9,0005,AXN_5.1.9_3333_20010100"},
        {"cm2/", "MTK-CM2.CMS-2.1"},
        {"sirf/", "SC-GSW3.5.0_3.5.00.00-SIM1.00"},
        {"cms/", "GSW3.5.0_3.5.00.00-SIM.CMS"},
        {"sirf4/", "SiRF IV: GSD4e_4.1.2-SIM-P1 R+"},
        {"sirf4/sdk", "SiRF IV: GSD4e_4.1.2-SIM_SDK R+"},
        {"sirf5/", "SiRF V: MD_SIM5,5xp__5.5.2-SIM+5xpt_5.5.2-SIM"},
        {"ublox/", "ublox:SIM 3.01 (c0ffee)_00080000"},
        {"ttt/", "TechToTop:TTT-SIM V3.1.0 GPS+BDS 2024-01-05 SIMHW-TD1030"},
        {"unav/", "V12-0305,UC-SIM"},
        {"ah/", "AH:SIMNAV,4.0.1,UBP3.2"},
        {"tmc/", ",\"MDTMC SIM RDS 1.0"},
        {"tmc/sirf", "RSC-GSW3.5.0_SIM"},
        {"bcm/", "BCM47511"},
        {"st/", "STGPS_5.8.17_SIM"},
        {"st/dr", "STDB_C_5.8.12_DR"},
        {"st/dr-odo", "STDB_O_5.8.12_DR"},
        {"st/dr-uart", "STDB_U_5.8.12_DR"},
        {"furuno/", "GT-SIM,ENP-SIM-1.00,1234ABCD"},
        {"hd/", "1.0.2,HD8040D"},
        {"hd/bin", "SIM_M1GB_HD8040-HWSIM.8040D_SW1.0.2 0105"},
        {"hd/plain", "8041D_SW1.0.2 0105"},
        {"rtk-df/", "RTK_DF,SIM-RTK 1.2.0,20240105"},
        {"tdk-dr/", "R20230415,MT-SIM,1.0"},
        {"tdk-dr/ttt", "R20230415,GB-SIM-2.0"},
        {"tdk-dr/gl", "R20230415,TD-GL-SIM"},
        {"tdk-dr/rtk", "R20230415-QV2058,SIM-RTK-1.0"},
        {"mxt/", "MXT-SIM,GNSS,1.0.3"},
    };
    return expected;
}

TEST(IdentificationEndToEnd, UbloxReceiversWaitForTheUserWhenThePollIsOff) {
    const std::string ubxMonVerPoll("\xB5\x62\x0A\x04\x00\x00\x0E\x34", 8);
    Station station(testing::Config("ublox", ""));
    station.identification.PollUbxVersion = false;
    station.ConnectAndPowerOn();
    station.RunUntilIdentified(4000);
    EXPECT_FALSE(station.pipeline.Shared.ReceiverIdentified);
    EXPECT_EQ(station.port.WrittenBytes().find(ubxMonVerPoll), std::string::npos);
    // A poll typed by the user opens the reply window as before.
    ASSERT_TRUE(station.pipeline.Shared.IdentificationPending);
    EXPECT_TRUE(SendUbxCommand(station.pipeline.Shared, station.pipeline.Receiver, station.port,
                               ubxMonVerPoll));
    station.RunUntilIdentified(3000);
    EXPECT_EQ(station.pipeline.Shared.Family, ReceiverFamily::ublox);
}

TEST(IdentificationEndToEnd, EverySimulatedFamilyIsIdentifiedWithItsFirmware) {
    const std::string ubxMonVerPoll("\xB5\x62\x0A\x04\x00\x00\x0E\x34", 8);
    for (const FamilyProfile& profile : FamilyProfiles()) {
        const std::string key = profile.Key + "/" + profile.Variant;
        SCOPED_TRACE(key);

        Station station(testing::Config(profile.Key, profile.Variant));
        station.ConnectAndPowerOn();
        station.RunUntilIdentified(4000);

        // u-blox style receivers answer only a command: the version poll goes out once per
        // connection after the first attempt found nothing, and their reply identifies them.
        const std::string written = station.port.WrittenBytes();
        std::size_t polls = 0;
        for (std::size_t at = written.find(ubxMonVerPoll); at != std::string::npos;
             at = written.find(ubxMonVerPoll, at + 1)) {
            ++polls;
        }
        const bool silentUntilAsked =
            profile.Family == ReceiverFamily::ublox || profile.Family == ReceiverFamily::TTT;
        if (silentUntilAsked) {
            EXPECT_EQ(polls, 1u);
        }

        if (profile.Family == ReceiverFamily::Unknown) {
            station.time.Advance(12000);
            EXPECT_FALSE(station.pipeline.Shared.ReceiverIdentified);
            EXPECT_FALSE(station.pipeline.Shared.IdentificationPending);
            EXPECT_EQ(station.identification.Result.FirmwareLabel,
                      "?"
                      "?");
            continue;
        }
        ASSERT_TRUE(station.pipeline.Shared.ReceiverIdentified);
        EXPECT_EQ(station.pipeline.Shared.Family, profile.Family);
        const auto expected = ExpectedFirmware().find(key);
        ASSERT_NE(expected, ExpectedFirmware().end());
        // Refinements (release append, SiRF completion) come with the lines that follow.
        station.time.Advance(2000);
        EXPECT_EQ(station.identification.Result.FirmwareText, expected->second);
        EXPECT_EQ(station.identification.Result.FirmwareLabel, expected->second);
        EXPECT_EQ(station.statusBar.Text(StatusPanel::Family),
                  profile.Key == "tmc" && profile.Variant == "sirf"
                      ? "RSC"
                      : std::string(FamilyDisplayName(profile.Family)));
        EXPECT_EQ(station.statusBar.Text(StatusPanel::LinkState), "NMEA");
    }
}

}  // namespace
}  // namespace gnss::sim
