#include "views/status_bar_model.h"

#include <gtest/gtest.h>

#include <vector>

#include "doubles/counting_view_listener.h"

namespace gnss {
namespace {

TEST(StatusBarModel, StartsWithEighteenPanelsOfTheirWidthsAndTheDisconnectedPort) {
    StatusBarModel bar;
    ASSERT_EQ(bar.Panels().size(), 18u);
    const std::vector<int> widths = {20, 132, 140, 54, 90, 110, 55, 52, 60,
                                     18, 56,  75,  20, 20, 20,  20, 92, 50};
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const StatusPanelState& panel = bar.Panels()[i];
        EXPECT_EQ(panel.WidthPx, widths[i]) << "panel " << i;
        EXPECT_EQ(panel.Bevel, PanelBevel::Lowered) << "panel " << i;
        if (i != 2) {
            EXPECT_EQ(panel.Text, "") << "panel " << i;
        }
    }
    EXPECT_EQ(bar.Text(StatusPanel::Port), "COM Port  (disconnect)");
    EXPECT_EQ(bar.Panel(StatusPanel::Correction).WidthPx, 92);
    EXPECT_EQ(bar.Panel(StatusPanel::RestartMode).WidthPx, 50);
    EXPECT_EQ(StatusBarModel::TotalWidthPx(), 1084);
    EXPECT_EQ(bar.Icon(), LinkIcon::Disconnected);
}

TEST(StatusBarModel, WritesCountOnlyRealChanges) {
    StatusBarModel bar;
    testing::CountingViewListener changes;
    bar.SetChangeListener(&changes);

    bar.SetText(StatusPanel::ReceiveRate, " Rx(Bps):1024");
    bar.SetText(StatusPanel::ReceiveRate, " Rx(Bps):1024");  // same text: nothing to repaint
    bar.SetBevel(StatusPanel::Port, PanelBevel::Raised);
    bar.SetBevel(StatusPanel::Port, PanelBevel::Raised);

    EXPECT_EQ(changes.Count, 2);
    EXPECT_EQ(bar.Revision(), 2u);
    EXPECT_EQ(bar.Text(StatusPanel::ReceiveRate), " Rx(Bps):1024");
    EXPECT_EQ(bar.Panel(StatusPanel::Port).Bevel, PanelBevel::Raised);
}

TEST(StatusBarModel, ClearPanelsEmptiesTheRangeAtOnce) {
    StatusBarModel bar;
    for (std::size_t i = 9; i < 18; ++i) {
        bar.SetText(static_cast<StatusPanel>(i), "t" + std::to_string(i));
    }
    const uint64_t before = bar.Revision();
    bar.ClearPanels(StatusPanel::Family, StatusPanel::SpareA);
    EXPECT_EQ(bar.Revision(), before + 1);  // one repaint for the whole range
    EXPECT_EQ(bar.Text(StatusPanel::NoData), "t9");
    EXPECT_EQ(bar.Text(StatusPanel::Family), "");
    EXPECT_EQ(bar.Text(StatusPanel::ChipTag), "");
    EXPECT_EQ(bar.Text(StatusPanel::SpareA), "");
    EXPECT_EQ(bar.Text(StatusPanel::SpareB), "t13");
    bar.ClearPanels(StatusPanel::Correction, StatusPanel::RestartMode);
    EXPECT_EQ(bar.Text(StatusPanel::RestartMode), "");
    const uint64_t cleared = bar.Revision();
    bar.ClearPanels(StatusPanel::Family, StatusPanel::SpareA);  // already empty
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
