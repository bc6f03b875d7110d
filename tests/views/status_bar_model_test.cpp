#include "views/status_bar_model.h"

#include <gtest/gtest.h>

#include <vector>

namespace gnss {
namespace {

TEST(StatusBarModel, StartsWithEighteenPanelsOfTheirWidthsAndTheDisconnectedPort) {
    StatusBarModel bar;
    ASSERT_EQ(bar.Panels().size(), 18u);
    const std::vector<int> widths = {20, 132, 140, 54, 90, 110, 55, 52, 60,
                                     18, 56,  75,  20, 20, 20,  20, 92, 50};
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(bar.Panel(i).WidthPx, widths[static_cast<std::size_t>(i)]) << "panel " << i;
        EXPECT_EQ(bar.Panel(i).Bevel, PanelBevel::Lowered) << "panel " << i;
        if (i != 2) {
            EXPECT_EQ(bar.PanelText(i), "") << "panel " << i;
        }
    }
    EXPECT_EQ(bar.PanelText(2), "COM Port  (disconnect)");
    EXPECT_EQ(StatusBarModel::TotalWidthPx(), 1084);
    EXPECT_EQ(bar.Icon(), LinkIcon::Disconnected);
}

TEST(StatusBarModel, WritesCountOnlyRealChangesAndIgnoreIndexesOutsideTheBar) {
    StatusBarModel bar;
    int notified = 0;
    bar.SetChangedCallback([&] { ++notified; });

    bar.SetStatusPanel(4, " Rx(Bps):1024");
    bar.SetStatusPanel(4, " Rx(Bps):1024");  // same text: nothing to repaint
    bar.SetStatusPanel(-1, "x");
    bar.SetStatusPanel(18, "x");
    bar.SetPanelBevel(2, PanelBevel::Raised);
    bar.SetPanelBevel(2, PanelBevel::Raised);
    bar.SetPanelBevel(40, PanelBevel::Raised);

    EXPECT_EQ(notified, 2);
    EXPECT_EQ(bar.Revision(), 2u);
    EXPECT_EQ(bar.PanelText(4), " Rx(Bps):1024");
    EXPECT_EQ(bar.Panel(2).Bevel, PanelBevel::Raised);
    // Reading outside the bar gives an empty panel, not a crash.
    EXPECT_EQ(bar.PanelText(99), "");
    EXPECT_EQ(bar.Panel(-5).WidthPx, 0);
}

TEST(StatusBarModel, ClearPanelsEmptiesTheRangeClippedToTheBar) {
    StatusBarModel bar;
    for (int i = 9; i < 18; ++i) bar.SetStatusPanel(i, "t" + std::to_string(i));
    const uint64_t before = bar.Revision();
    bar.ClearPanels(10, 12);
    EXPECT_EQ(bar.Revision(), before + 1);  // one repaint for the whole range
    EXPECT_EQ(bar.PanelText(9), "t9");
    EXPECT_EQ(bar.PanelText(10), "");
    EXPECT_EQ(bar.PanelText(12), "");
    EXPECT_EQ(bar.PanelText(13), "t13");
    bar.ClearPanels(16, 40);
    EXPECT_EQ(bar.PanelText(17), "");
    const uint64_t cleared = bar.Revision();
    bar.ClearPanels(10, 12);  // already empty
    EXPECT_EQ(bar.Revision(), cleared);
}

TEST(StatusBarModel, LinkIconFollowsThePortAndTheDataLamp) {
    struct Row {
        bool PortOpen;
        bool Data;
        LinkIcon Expected;
    };
    const Row rows[] = {
        {false, false, LinkIcon::Disconnected},
        {false, true, LinkIcon::Disconnected},  // a late lamp after closing shows nothing
        {true, true, LinkIcon::ConnectedLampOn},
        {true, false, LinkIcon::ConnectedLampOff},
    };
    StatusBarModel bar;
    for (const Row& row : rows) {
        bar.SetLinkState(row.PortOpen, row.Data);
        EXPECT_EQ(bar.Icon(), row.Expected) << row.PortOpen << row.Data;
    }
}

}  // namespace
}  // namespace gnss
