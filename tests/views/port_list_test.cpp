#include "views/port_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace gnss {
namespace {

TEST(PortList, FriendlyNames) {
    struct Case {
        const char* friendly;
        const char* port;  // "" for none
    };
    const std::vector<Case> cases = {
        {"USB Serial Port (COM12)", "COM12"},
        {"Communications Port (COM1)", "COM1"},
        {"Prolific USB-to-Serial Comm Port (COM999)", "COM999"},
        {"Big hub (COM1234)", ""},
        {"Modem (LPT1)", ""},
        {"No parenthesis COM3", ""},
        {"Odd (COM)", ""},
        {"Backwards )(COM4", ""},
        {"Letters (COM1A)", ""},
        {"Two (COM3) and (COM7)", "COM7"},
        {"", ""},
    };
    for (const auto& c : cases) {
        const auto port = PortFromFriendlyName(c.friendly);
        EXPECT_EQ(port.value_or(""), c.port) << c.friendly;
    }
    EXPECT_EQ(PortsFromFriendlyNames({"A (COM3)", "B", "C (COM10)"}),
              (std::vector<std::string>{"COM3", "COM10"}));
}

TEST(PortList, ListTextRoundTrips) {
    const std::vector<std::string> ports = {"ttyUSB0", "ttyACM0", "/dev/pts/4"};
    EXPECT_EQ(PortListText(ports), "ttyUSB0\r\nttyACM0\r\n/dev/pts/4\r\n");
    EXPECT_EQ(PortListNames(PortListText(ports)), ports);
    EXPECT_TRUE(PortListNames("").empty());
}

TEST(PortList, RefreshPortComboReselectsTheShownEntry) {
    EXPECT_EQ(RefreshPortCombo({"COM1", "COM3"}, "COM3").Selected, 1);
    EXPECT_EQ(RefreshPortCombo({"COM1", "COM3"}, "COM4").Selected, -1);
    EXPECT_EQ(RefreshPortCombo({}, "").Selected, -1);
}

TEST(PortList, DeviceChanges) {
    struct Case {
        const char* name;
        std::vector<std::string> before;
        std::vector<std::string> now;
        std::string shown;
        bool portOpen;
        bool epoOpen;
        bool changed;
        int selected;
        std::vector<std::string> lines;
        bool front;
        bool disconnect;
    };
    const std::vector<Case> cases = {
        {"same list",
         {"COM1", "COM3"},
         {"COM1", "COM3"},
         "COM3",
         true,
         false,
         false,
         -1,
         {},
         false,
         false},
        {"plug in while closed selects it",
         {"COM1"},
         {"COM1", "COM5"},
         "COM1",
         false,
         false,
         true,
         1,
         {" (COM5) Plug In !   "},
         true,
         false},
        {"plug in while open keeps the shown port",
         {"COM1"},
         {"COM5", "COM1"},
         "COM1",
         true,
         false,
         true,
         1,
         {" (COM5) Plug In !   "},
         true,
         false},
        {"open shown port removed",
         {"COM1", "COM3"},
         {"COM1"},
         "COM3",
         true,
         false,
         true,
         0,
         {" (COM3) Remove !   "},
         true,
         true},
        {"other port removed",
         {"COM1", "COM3"},
         {"COM3"},
         "COM3",
         true,
         false,
         true,
         0,
         {" (COM1) Remove !   "},
         true,
         false},
        {"last port removed",
         {"ttyUSB0"},
         {},
         "ttyUSB0",
         false,
         false,
         true,
         -1,
         {" (ttyUSB0) Remove !   ", "No any COM Port exist !"},
         true,
         false},
        {"swap keeps count: nothing reported",
         {"COM1", "COM3"},
         {"COM1", "COM4"},
         "COM1",
         false,
         false,
         true,
         0,
         {},
         false,
         false},
        {"swap drops the shown port",
         {"COM1", "COM3"},
         {"COM1", "COM4"},
         "COM3",
         false,
         false,
         true,
         -1,
         {},
         false,
         false},
        {"epo window open: not to front",
         {},
         {"COM2", "COM6"},
         "",
         false,
         true,
         true,
         1,
         {" (COM2) Plug In !   ", " (COM6) Plug In !   "},
         false,
         false},
    };
    for (const auto& c : cases) {
        DeviceChangeInput input;
        input.PreviousListText = PortListText(c.before);
        input.Ports = c.now;
        input.ShownPort = c.shown;
        input.PortOpen = c.portOpen;
        input.EpoWindowOpen = c.epoOpen;
        const DeviceChangeResult r = HandleDeviceChange(input);
        EXPECT_EQ(r.ListChanged, c.changed) << c.name;
        EXPECT_EQ(r.NewListText, PortListText(c.now)) << c.name;
        EXPECT_EQ(r.ShowEventWindow, c.changed) << c.name;
        if (c.changed) {
            EXPECT_EQ(r.Combo.Items, c.now) << c.name;
            EXPECT_EQ(r.Combo.Selected, c.selected) << c.name;
        }
        EXPECT_EQ(r.EventLines, c.lines) << c.name;
        EXPECT_EQ(r.BringToFront, c.front) << c.name;
        EXPECT_EQ(r.Disconnect, c.disconnect) << c.name;
    }
}

}  // namespace
}  // namespace gnss
