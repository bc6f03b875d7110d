// Receivers that no identification rule knows still have a fix: once identification gives up,
// the navigation panel, the sky plot and the signal chart follow them.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/app_core.h"
#include "base/virtual_time.h"
#include "doubles/listed_ports.h"
#include "doubles/recording_desktop.h"
#include "doubles/scripted_file_dialogs.h"
#include "doubles/scripted_prompts.h"
#include "doubles/temp_folder.h"
#include "link/memory_receiver_port.h"
#include "sim/capture_replayer.h"
#include "sim/memory_port_attachment.h"
#include "sim/simulated_receiver.h"

namespace gnss {
namespace {

std::string Capture(const std::string& name) {
    std::ifstream in(std::string(GNSS_TESTDATA_DIR) + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Station {
    // A capture replayed at `baud`, or (empty capture) a simulated receiver of `family`.
    Station(const std::string& capture, uint32_t baud, const std::string& family = "") {
        if (capture.empty()) {
            sim::SimConfig config;
            config.Family = family;
            config.Gnss = "gps,glonass";
            config.Baud = baud;
            source = std::make_unique<sim::SimulatedReceiver>(time, time, config);
        } else {
            source = std::make_unique<sim::CaptureReplayer>(
                time, Capture(capture), sim::CaptureReplayer::Options{baud, false});
        }
        attachment = std::make_unique<sim::MemoryPortAttachment>(*source, port);
        source->Start();
        core.Start();
        core.PortTextChanged("ttyUSB0");
        core.BaudRateChosen(std::to_string(baud));
        core.ToolButtonClicked(ToolButton::Connect, false);
    }

    gnss::testing::TempFolder folder;
    VirtualTime time;
    MemoryReceiverPort port;
    gnss::testing::ScriptedPrompts prompts;
    gnss::testing::ScriptedFileDialogs dialogs;
    gnss::testing::ListedPorts ports{{"ttyUSB0"}};
    gnss::testing::RecordingDesktop desktop;
    gnss::testing::RecordingClockSetter clockSetter;
    AppCore core{AppServices{port, time, time, prompts, dialogs, ports, desktop, clockSetter,
                             folder.Path(), false}};
    std::unique_ptr<sim::SimSource> source;
    std::unique_ptr<sim::MemoryPortAttachment> attachment;
};

TEST(UnidentifiedReceiver, DisplaysFollowAReceiverOfNoParticularFamily) {
    // A SkyTraq receiver (GPS, BeiDou and Galileo, RTK float) replayed from a capture, and a
    // simulated receiver that names no chip: neither answers anything identification asks.
    struct Case {
        std::string Capture;
        uint32_t Baud;
        std::string Family;
    };
    for (const Case& c : {Case{"skytraq_px1172rh_nmea_psti_gb-ga_ths-hdt.log", 2400, ""},
                          Case{"", 9600, "plain"}}) {
        SCOPED_TRACE(c.Capture + c.Family);
        Station s(c.Capture, c.Baud, c.Family);
        s.time.Advance(5000);
        // The quiet time before identification stays as it is.
        EXPECT_TRUE(s.core.Navigation.View().LatitudeText.empty());
        for (int i = 0; i < 200 && !s.core.Shared().IdentificationGaveUp; ++i) s.time.Advance(100);
        ASSERT_TRUE(s.core.Shared().IdentificationGaveUp);
        EXPECT_FALSE(s.core.Shared().ReceiverIdentified);
        EXPECT_NE(s.core.Window.Caption().find("(?"
                                               "?)"),
                  std::string::npos);
        // The next satellite block after the give-up reaches the views.
        for (int i = 0; i < 300 && (s.core.Satellites.Chart().Bars.empty() ||
                                    s.core.Navigation.View().LatitudeText.empty());
             ++i) {
            s.time.Advance(100);
        }
        EXPECT_FALSE(s.core.Navigation.View().LatitudeText.empty());
        EXPECT_FALSE(s.core.Satellites.Sky().Icons.empty());
        EXPECT_FALSE(s.core.Satellites.Chart().Bars.empty());
        EXPECT_EQ(s.core.Identification.Result.Sky, SkyBackground::MultiGnss);
        // Family-specific controls stay off.
        EXPECT_FALSE(s.core.Window.Button(ToolButton::ColdStart).Enabled);
    }
}

}  // namespace
}  // namespace gnss
