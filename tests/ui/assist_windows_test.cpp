// The SGEE window and the HD page in the real window against gnss-sim on a pseudo-terminal:
// an upload runs, the gauge moves, the final texts show. With GNSS_SCREENSHOT_DIR set, both are
// saved during and after the upload.

#include <gtest/gtest.h>

#include <QProgressBar>

#include "frames/binary_frame.h"
#include "ui/assist_windows.h"
#include "ui/sim_window_harness.h"

namespace gnss::ui {
namespace {

using testing::SimProcess;
using testing::WaitFor;
using testing::WindowProgram;

void Save(QWidget& widget, const char* name) {
    if (const char* folder = std::getenv("GNSS_SCREENSHOT_DIR")) {
        widget.grab().save(QString(folder) + "/" + name);
    }
}

TEST(AssistWindows, SgeeWindowFollowsAnUpload) {
    SimProcess sim({"--family", "sirf4", "--variant", "sdk", "--power-on-ms", "1000"});
    ASSERT_TRUE(sim.started);
    WindowProgram program;
    program.window.show();
    program.Connect(sim);
    ASSERT_TRUE(WaitFor([&] { return program.core.Shared().ReceiverIdentified; }, 15000));
    program.core.Sgee.OpenWindow();
    auto* window = program.window.findChild<SgeeWindow*>("fmSGEE");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitFor([&] { return !program.core.Sgee.Status().Expected; }, 6000));
    std::string file(10050, '\0');
    for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<char>(i * 7 + 3);
    ASSERT_TRUE(program.core.Sgee.UploadFile(file));
    ASSERT_TRUE(WaitFor([&] { return program.core.Sgee.View().GaugePosition > 50; }, 15000));
    WaitFor([] { return false; }, 200);
    EXPECT_TRUE(window->isVisible());
    Save(*window, "sgee_window_during.png");
    ASSERT_TRUE(WaitFor([&] { return !program.core.Sgee.Running(); }, 20000));
    ASSERT_TRUE(WaitFor(
        [&] {
            return program.core.Sgee.View().ValidityText ==
                   "AGPS data is valid for 7 day(s) 0 hour(s)";
        },
        6000));
    WaitFor([] { return false; }, 300);
    Save(*window, "sgee_window_after.png");
    program.core.Sgee.CloseWindow();
    program.window.close();
}

TEST(AssistWindows, HdPageFollowsAnUpload) {
    SimProcess sim({"--family", "hd", "--power-on-ms", "1000", "--ack-delay-ms", "150"});
    ASSERT_TRUE(sim.started);
    WindowProgram program;
    program.window.resize(1218, 720);
    program.window.show();
    program.Connect(sim);
    ASSERT_TRUE(WaitFor([&] { return program.core.Shared().ReceiverIdentified; }, 15000));
    auto* page = program.window.findChild<HdAssistPage*>("tsHD");
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(WaitFor([&] { return page->isVisible(); }, 3000));
    std::string gnss;
    for (int i = 0; i < 100; ++i) gnss += BuildHdFrame(0x0B, 0x01, std::string(65, char(i)));
    program.core.Hd.SetDownloaded(HdbKind::Gnss, gnss, "2026-12-09_10:00:00");
    std::string beidou;
    for (int i = 0; i < 10; ++i) beidou += BuildHdFrame(0x0B, 0x01, std::string(92, char(i)));
    program.core.Hd.SetDownloaded(HdbKind::Beidou, beidou, "2026-12-09_10:00:00");
    ASSERT_TRUE(program.core.Hd.UploadDownloaded());
    ASSERT_TRUE(WaitFor([&] { return program.core.Hd.View().Gauges[0].Position >= 50; }, 10000));
    WaitFor([] { return false; }, 200);
    Save(program.window, "hd_page_during.png");
    ASSERT_TRUE(WaitFor(
        [&] {
            return program.core.Hd.View().Gauges[1].Position == 10 &&
                   !program.core.Hd.UploadActive();
        },
        15000));
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(page->findChild<QProgressBar*>("ggBDS")->value(), 10);
    Save(program.window, "hd_page_after.png");
    program.window.close();
}

}  // namespace
}  // namespace gnss::ui
