// The receiver controls besides the restarts, through the application core against simulated
// receivers on virtual time: the HD rate change with its port-configuration round trip, the
// forward-mode escape, and the deferred command after an MTK factory reset.

#include <gtest/gtest.h>

#include <string>

#include "sim/app_core_station.h"

namespace gnss {
namespace {

using gnss::testing::AppCoreStation;

sim::SimConfig Family(const std::string& key, const std::string& variant = "") {
    sim::SimConfig config;
    config.Family = key;
    config.Variant = variant;
    return config;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(ReceiverControl, AnHdReceiverMovesToTheChosenRateAndTheLinkFollows) {
    AppCoreStation s(Family("hd"));
    ASSERT_TRUE(s.Identify());
    ASSERT_EQ(s.core.Shared().Family, ReceiverFamily::HED);
    const uint32_t before = s.port.BaudRate();
    const uint32_t target = before == 115200 ? 57600 : 115200;
    const std::string rate = std::to_string(target);
    s.core.ReceiverRateChosen(rate);
    s.core.ReceiverRateApplyClicked();
    EXPECT_TRUE(s.core.BaudChange.ReplyPending());
    for (int i = 0; i < 60 && s.port.BaudRate() == before; ++i) s.time.Advance(100);
    EXPECT_EQ(s.port.BaudRate(), target);
    EXPECT_EQ(s.simulated->BaudRate(), target);
    EXPECT_EQ(s.core.Window.BaudRates().Text(), rate);
    EXPECT_EQ(s.core.Window.StatusBar().Text(StatusPanel::Message), "Baud Rate :" + rate);
    s.time.Advance(4000);
    EXPECT_TRUE(s.MemoShows("Baud rate change: NMEA at " + rate + " bit/s"));
    EXPECT_FALSE(s.MemoShows("searching the receiver's rate"));
    EXPECT_TRUE(s.core.Shared().PortOpen);
}

TEST(ReceiverControl, RateChangesThatCannotHappenSayWhyAndSendNothing) {
    {
        AppCoreStation s(Family("mtk"));
        ASSERT_TRUE(s.Identify());
        const std::string written = s.port.WrittenBytes();
        s.core.ReceiverRateChosen(std::to_string(s.port.BaudRate()));
        s.core.ReceiverRateApplyClicked();
        EXPECT_TRUE(s.MemoShows(" GPS baud Rate no Change !"));
        s.core.ReceiverRateChosen("115200");
        s.core.ReceiverRateApplyClicked();
        EXPECT_TRUE(s.MemoShows("HD receivers only"));
        EXPECT_EQ(s.port.WrittenBytes(), written);
    }
    {
        // An HD receiver that never answers the poll: the rate stays, and the user is told.
        AppCoreStation s(Family("hd"));
        ASSERT_TRUE(s.Identify());
        const uint32_t before = s.port.BaudRate();
        s.attachment.reset();  // the receiver hears and says nothing any more
        s.core.ReceiverRateChosen(before == 115200 ? "57600" : "115200");
        s.core.ReceiverRateApplyClicked();
        s.time.Advance(4000);
        EXPECT_FALSE(s.core.BaudChange.ReplyPending());
        EXPECT_TRUE(s.MemoShows("did not answer the port-configuration poll"));
        EXPECT_EQ(s.port.BaudRate(), before);
    }
}

TEST(ReceiverControl, ForwardModeEscapeSendsFivePlusSignsAndIdentifiesAgain) {
    AppCoreStation s(Family("mtk", "a"));
    ASSERT_TRUE(s.Identify());
    ASSERT_TRUE(s.core.Identification.Result.ForwardMode);
    const std::size_t plusBefore = Count(s.port.WrittenBytes(), "+");
    s.core.TestPanelDoubleClicked();
    EXPECT_EQ(s.core.Window.StatusBar().Text(StatusPanel::TestTimer), "Escape from forward mode");
    s.time.Advance(1300);
    EXPECT_EQ(Count(s.port.WrittenBytes(), "+") - plusBefore, 2u);  // 600 ms apart
    s.time.Advance(1800);
    EXPECT_EQ(Count(s.port.WrittenBytes(), "+") - plusBefore, 5u);
    EXPECT_FALSE(s.core.Shared().ReceiverIdentified);
    EXPECT_TRUE(s.core.Shared().IdentificationPending);
    s.time.Advance(3000);
    EXPECT_EQ(Count(s.port.WrittenBytes(), "+") - plusBefore, 5u);
    EXPECT_TRUE(s.core.Window.StatusBar().Text(StatusPanel::TestTimer).empty());

    // Without forward mode the double click does nothing.
    AppCoreStation plain(Family("mtk"));
    ASSERT_TRUE(plain.Identify());
    const std::string written = plain.port.WrittenBytes();
    plain.core.TestPanelDoubleClicked();
    plain.time.Advance(4000);
    EXPECT_EQ(Count(plain.port.WrittenBytes(), "+"), Count(written, "+"));
}

TEST(ReceiverControl, MtkFactoryResetSendsTheDeferredEpoCommandFourSecondsLater) {
    AppCoreStation s(Family("mtk"));
    ASSERT_TRUE(s.Identify());
    ASSERT_EQ(s.core.Identification.Result.EpoPeriodDays, 14);
    // Identification's own EASY query (the same command) goes out first.
    s.time.Advance(3000);
    s.port.ClearWrites();
    s.core.ToolButtonClicked(ToolButton::FactoryReset, false);
    EXPECT_NE(s.port.WrittenBytes().find("$PMTK104*37\r\n"), std::string::npos);
    s.time.Advance(2500);
    EXPECT_EQ(s.port.WrittenBytes().find("$PMTK869,0*29"), std::string::npos);
    s.time.Advance(4000);
    EXPECT_EQ(Count(s.port.WrittenBytes(), "$PMTK869,0*29\r\n"), 1u);
}

}  // namespace
}  // namespace gnss
