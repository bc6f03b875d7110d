// The EPO window in the real program against gnss-sim on a pseudo-terminal: opened from the
// toolbar, a file uploaded with its gauge running, and the receiver's new status shown after.
// With GNSS_SCREENSHOT_DIR set, the window is saved before, during and after the upload.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <cstdlib>

#include "doubles/epo_file_maker.h"
#include "ui/epo_window.h"
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

QString LabelText(QWidget& window, const char* name) {
    auto* label = window.findChild<QLabel*>(name);
    return label == nullptr ? QString() : label->text();
}

TEST(EpoWindow, UploadsToASimulatedMtkReceiverWithTheGaugeRunning) {
    SimProcess sim({"--family", "mtk", "--variant", "g", "--power-on-ms", "1000"});
    ASSERT_TRUE(sim.started);
    WindowProgram program;
    program.window.resize(1218, 680);
    program.window.show();
    EXPECT_FALSE(program.window.ToolButtonOf(ToolButton::Assistance)->isEnabled());
    program.Connect(sim);
    ASSERT_TRUE(WaitFor([&] { return program.core.Shared().ReceiverIdentified; }, 15000));
    ASSERT_TRUE(WaitFor(
        [&] { return program.window.ToolButtonOf(ToolButton::Assistance)->isEnabled(); }, 5000));

    program.window.ToolButtonOf(ToolButton::Assistance)->click();
    EpoWindow* epo = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            epo = program.window.findChild<EpoWindow*>("fmEPO");
            return epo != nullptr && epo->isVisible();
        },
        3000));
    auto* update = epo->findChild<QPushButton*>("btnUpdate");
    ASSERT_TRUE(WaitFor([&] { return update->isEnabled(); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return LabelText(*epo, "lbl_EASY_Status") == "EASY : On"; }, 8000));
    EXPECT_EQ(epo->windowTitle(), "AGPS Data Update");
    EXPECT_EQ(LabelText(*epo, "lblEPOSec"), "7d");
    EXPECT_TRUE(LabelText(*epo, "lblEPOddhh").endsWith("AGPS data is empty !"));
    Save(*epo, "epo_before.png");

    const QDateTime origin(QDate(1980, 1, 6), QTime(0, 0), Qt::UTC);
    const auto hour = static_cast<uint32_t>(origin.secsTo(QDateTime::currentDateTimeUtc()) / 3600);
    ASSERT_TRUE(program.core.Epo.UploadBytes(gnss::testing::MakeEpoIISevenDays(hour - hour % 6)));
    auto* gauge = epo->findChild<QProgressBar*>("ggEPO");
    ASSERT_TRUE(WaitFor([&] { return gauge->isVisible() && gauge->value() > 100; }, 20000));
    EXPECT_FALSE(update->isEnabled());
    EXPECT_TRUE(epo->findChild<QPushButton*>("btnCancel")->isEnabled());
    Save(*epo, "epo_during.png");

    ASSERT_TRUE(
        WaitFor([&] { return program.core.Epo.LastOutcome() == "Update success !"; }, 30000));
    ASSERT_TRUE(WaitFor([&] { return LabelText(*epo, "lblEPOddhh").contains("valid for"); }, 5000));
    EXPECT_TRUE(update->isEnabled());
    EXPECT_EQ(gauge->value(), gauge->maximum());
    Save(*epo, "epo_after.png");
    Save(program.window, "epo_main_window_after.png");
}

}  // namespace
}  // namespace gnss::ui
