// The command panel: what it sends, echoes and remembers, and when it shows and rests.

#include "views/command_panel.h"

#include <gtest/gtest.h>

#include "doubles/recording_monitor_output.h"
#include "doubles/scripted_prompts.h"
#include "link/memory_receiver_port.h"

namespace gnss {
namespace {

struct PanelBench {
    PanelBench() {
        port.SetPortName("ttyUSB0");
        (void)port.Open();
        shared.PortOpen = true;
        panel.SyncEnabled();
    }
    void Type(std::string_view text) { panel.SetEditText(text); }

    SharedState shared;
    ReceiverState receiver;
    MemoryReceiverPort port;
    IdentificationResult identification;
    gnss::testing::ScriptedPrompts prompts;
    gnss::testing::RecordingMonitorOutput output;
    CommandPanel panel{{shared, receiver, port, identification, prompts, output}};
};

TEST(CommandPanel, SendsEchoesAndRemembersWithoutDuplicates) {
    PanelBench b;
    b.Type("$pmtk605");
    b.panel.SendPressed();
    b.Type("$PMTK605");  // the same command in other letters
    b.panel.EnterPressed("title");
    EXPECT_EQ(b.port.WrittenBytes(), "$pmtk605*31\r\n$PMTK605*31\r\n");
    EXPECT_EQ(b.output.Lines,
              (std::vector<std::string>{"echo:  <$pmtk605*31>", "echo:  <$PMTK605*31>"}));
    EXPECT_EQ(b.panel.History(), std::vector<std::string>{"$pmtk605"});
    b.Type("$PMTK101*32 (hot)");
    b.panel.SendPressed();
    EXPECT_EQ(b.panel.History(), (std::vector<std::string>{"$PMTK101*32 (hot)", "$pmtk605"}));

    // Loaded history skips empty entries.
    PanelBench loaded;
    loaded.panel.LoadHistory({"$PMTK605", "  ", "$PMTK101"});
    EXPECT_EQ(loaded.panel.History(), (std::vector<std::string>{"$PMTK605", "$PMTK101"}));
}

TEST(CommandPanel, EnterKeyWordsAndTheHexPrefixOfBinaryReceivers) {
    PanelBench b;
    b.Type("ver");
    b.panel.EnterPressed("MERIDAN GPSVaro V:0.99v8_HD only");
    EXPECT_EQ(b.panel.EditText(), "MERIDAN GPSVaro V:0.99v8_HD only");
    b.shared.Family = ReceiverFamily::MTK;
    b.Type("rtcm");
    b.panel.EnterPressed("t");
    EXPECT_TRUE(b.port.WrittenBytes().empty());

    b.shared.Family = ReceiverFamily::ublox;
    b.Type("HEXCMD:B5 62 0A 04 00 00 0E 34");
    b.panel.EnterPressed("t");
    EXPECT_EQ(b.port.WrittenBytes(), std::string("\xB5\x62\x0A\x04\x00\x00\x0E\x34", 8));
    EXPECT_EQ(b.panel.EditText(), "HEXCMD:");
    EXPECT_TRUE(b.panel.History().empty());

    // F1 D9 opens the HD reply window for three seconds.
    b.receiver.SecondsCounter = 40;
    b.Type("hexcmd:F1D90A0400000E34");
    b.panel.SendPressed();
    EXPECT_EQ(b.shared.HedReplyDeadline, 43);
}

TEST(CommandPanel, ErrorsAreShownAndNothingIsSent) {
    PanelBench b;
    b.Type("HEXCMD:B56");
    b.panel.SendPressed();
    EXPECT_EQ(b.output.Lines, std::vector<std::string>{"  <Hex Command error !:[B56]>"});
    b.Type("HEXCMD:ZZ");
    b.panel.SendPressed();
    b.Type("$PMTK101*33");
    b.panel.SendPressed();
    ASSERT_EQ(b.prompts.shown.size(), 2u);
    EXPECT_EQ(b.prompts.shown[0].text, "Invalid Data !");
    EXPECT_EQ(b.prompts.shown[1].text, "\"$PMTK101*33\" Checksum error !");
    EXPECT_EQ(b.panel.FocusRequests(), 1u);
    EXPECT_TRUE(b.port.WrittenBytes().empty());
    EXPECT_TRUE(b.panel.History().empty());

    // The port went away under the panel: the command is not sent, and the memo says so.
    b.port.Close();
    b.Type("$PMTK605");
    b.panel.SendPressed();
    EXPECT_TRUE(b.port.WrittenBytes().empty());
    EXPECT_EQ(b.output.Debug, std::vector<std::string>{"Command not sent: the port is not open"});
    EXPECT_EQ(b.panel.History(), std::vector<std::string>{"$PMTK605"});
}

TEST(CommandPanel, ShowsForTheReceiverOrTheUserAndRestsWithoutAPort) {
    PanelBench b;
    EXPECT_FALSE(b.panel.Visible());
    EXPECT_EQ(AccessPanelFor(" cmds "), AccessPanel::CommandPanel);
    EXPECT_EQ(AccessPanelFor("CMD"), AccessPanel::None);
    b.panel.ShowPanel(true);
    EXPECT_TRUE(b.panel.Visible());
    EXPECT_TRUE(b.identification.CommandPanelShown);

    PanelBench hd;
    hd.identification.CommandPanelShown = true;
    hd.identification.CommandPreset = "HEXCMD:";
    hd.identification.NoChecksum = true;
    hd.panel.OnReceiverIdentified();
    EXPECT_TRUE(hd.panel.Visible());
    EXPECT_EQ(hd.panel.EditText(), "HEXCMD:");
    EXPECT_TRUE(hd.panel.NoChecksum());
    hd.panel.OnConnectionChanging();
    EXPECT_TRUE(hd.panel.EditText().empty());
    EXPECT_FALSE(hd.panel.NoChecksum());

    hd.shared.MonitorPaused = true;
    hd.panel.SyncEnabled();
    EXPECT_FALSE(hd.panel.Enabled());
    hd.Type("$PMTK605");
    hd.panel.SendPressed();
    EXPECT_TRUE(hd.port.WrittenBytes().empty());
}

}  // namespace
}  // namespace gnss
