// The campaign window's model driving a real campaign against a simulated receiver on virtual
// time: the form, the controls, the rows as they arrive, the summary, the status and the
// exports.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app_core_station.h"
#include "views/campaign_view_model.h"

namespace gnss {
namespace {

using testing::AppCoreStation;

sim::SimConfig QuickMtk() {
    sim::SimConfig config;
    config.Family = "mtk";
    config.HotMs = 2000;
    config.ColdMs = 4000;
    return config;
}

struct CountingListener final : ViewChangeListener {
    void OnViewChanged() override { ++changes; }
    int changes = 0;
};

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(CampaignViewScenario, FormControlsRowsSummaryAndStatusFollowACampaign) {
    AppCoreStation station(QuickMtk());
    CampaignViewModel& view = station.core.CampaignView;
    CountingListener listener;
    view.SetChangeListener(&listener);

    // Nothing can start before the receiver is identified.
    EXPECT_FALSE(view.MenuEntryEnabled());
    EXPECT_FALSE(view.Controls().StartEnabled);
    EXPECT_NE(view.StatusText().find("identified"), std::string::npos);
    ASSERT_TRUE(station.Identify());
    EXPECT_TRUE(view.MenuEntryEnabled());

    // The form clamps what it is given; cold is chosen by default.
    view.SetRunCount(0);
    EXPECT_EQ(view.RunCount(), 1);
    view.SetRunCount(20000);
    EXPECT_EQ(view.RunCount(), CampaignSettings::kMaxRuns);
    view.SetPauseS(-3);
    EXPECT_EQ(view.PauseS(), 0);
    view.SetTimeoutS(0);
    EXPECT_EQ(view.TimeoutS(), 1);
    view.SetKindChosen(RestartKind::Cold, false);
    EXPECT_FALSE(view.Controls().StartEnabled);  // no kind chosen
    view.SetKindChosen(RestartKind::Hot, true);
    view.SetKindChosen(RestartKind::Cold, true);
    view.SetRunCount(4);
    view.SetTimeoutS(60);
    view.SetPauseS(1);
    const CampaignSettings settings = view.ChosenSettings();
    EXPECT_EQ(settings.Kinds, (std::vector<RestartKind>{RestartKind::Hot, RestartKind::Cold}));
    EXPECT_EQ(settings.Runs, 4);
    EXPECT_EQ(settings.TimeoutMs, 60000U);
    EXPECT_EQ(settings.PauseMs, 1000U);

    ASSERT_TRUE(view.Controls().StartEnabled);
    EXPECT_FALSE(view.Controls().ExportEnabled);
    const uint64_t generation = view.TableGeneration();
    view.StartPressed();
    EXPECT_NE(view.TableGeneration(), generation);
    const CampaignControls running = view.Controls();
    EXPECT_FALSE(running.StartEnabled);
    EXPECT_TRUE(running.StopEnabled);
    EXPECT_FALSE(running.SettingsEnabled);
    EXPECT_FALSE(running.KindEnabled[0]);
    EXPECT_NE(view.StatusText().find("of 4"), std::string::npos);

    int rowsSeen = 0;
    for (int i = 0; i < 2000 && station.core.Campaign.Running(); ++i) {
        station.time.Advance(100);
        // Rows only ever grow during a campaign: a window can append them.
        ASSERT_GE(view.RowCount(), rowsSeen);
        rowsSeen = view.RowCount();
    }
    ASSERT_FALSE(station.core.Campaign.Running());
    ASSERT_EQ(view.RowCount(), 4);
    EXPECT_GT(listener.changes, 4);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(view.CellText(row, CampaignColumn::Number), std::to_string(row + 1));
        EXPECT_EQ(view.CellText(row, CampaignColumn::Kind), row % 2 == 0 ? "hot" : "cold");
        EXPECT_EQ(view.CellText(row, CampaignColumn::Outcome), "fix") << row;
        EXPECT_FALSE(view.CellText(row, CampaignColumn::TtffFromAck).empty());
        EXPECT_TRUE(view.PointOf(row).Fix);
    }
    EXPECT_EQ(view.CellText(4, CampaignColumn::Number), "");  // past the end: nothing
    ASSERT_EQ(view.SummaryRows().size(), 2U);
    EXPECT_EQ(view.SummaryRows()[0][0], "hot");
    EXPECT_EQ(view.SummaryRows()[0][2], "2");  // fixes
    EXPECT_EQ(view.SummaryRows()[1][0], "cold");
    int histogramCount = 0;
    for (const HistogramBin& bin : view.Histogram().Bins) {
        histogramCount += bin.Counts[0] + bin.Counts[2];
    }
    EXPECT_EQ(histogramCount, 4);
    EXPECT_EQ(view.StatusText().rfind("Finished: 4 runs", 0), 0U) << view.StatusText();
    EXPECT_TRUE(view.Controls().StartEnabled);
    EXPECT_TRUE(view.Controls().ExportEnabled);

    // Exports: the dialog proposes a name, the file holds the campaign's text.
    const std::filesystem::path csv = station.folder.Path() / "runs.csv";
    station.dialogs.answers.push_back(csv.string());
    view.ExportCsvPressed();
    ASSERT_EQ(station.dialogs.requests.size(), 1U);
    EXPECT_EQ(station.dialogs.requests[0].defaultExtension, "csv");
    EXPECT_EQ(station.dialogs.requests[0].proposedName.rfind("ttff-campaign-", 0), 0U);
    EXPECT_EQ(ReadText(csv), CampaignCsv(station.core.Campaign));
    EXPECT_EQ(view.ExportMessage(), "Saved 4 runs to " + csv.string());
    const std::filesystem::path json = station.folder.Path() / "runs.json";
    station.dialogs.answers.push_back(json.string());
    view.ExportJsonPressed();
    EXPECT_EQ(ReadText(json), CampaignJson(station.core.Campaign));
    // A folder that does not exist: said so, nothing claimed.
    station.dialogs.answers.push_back((station.folder.Path() / "missing" / "x.csv").string());
    view.ExportCsvPressed();
    EXPECT_EQ(view.ExportMessage().rfind("Could not write", 0), 0U);
    // Cancelled: nothing written, the message stays.
    view.ExportCsvPressed();
    EXPECT_EQ(view.ExportMessage().rfind("Could not write", 0), 0U);
    view.SetChangeListener(nullptr);
}

TEST(CampaignViewScenario, StopEndsTheCampaignAndANewOneStartsTheTableOver) {
    AppCoreStation station(QuickMtk());
    CampaignViewModel& view = station.core.CampaignView;
    ASSERT_TRUE(station.Identify());
    view.SetRunCount(50);
    view.SetPauseS(0);
    view.StartPressed();
    ASSERT_TRUE(station.core.Campaign.Running());
    for (int i = 0; i < 2000 && view.RowCount() < 2; ++i) station.time.Advance(100);
    ASSERT_GE(view.RowCount(), 2);
    view.StopPressed();
    EXPECT_FALSE(station.core.Campaign.Running());
    EXPECT_FALSE(view.Controls().StopEnabled);
    EXPECT_EQ(view.StatusText().rfind("Stopped after", 0), 0U) << view.StatusText();
    const int rowsAtStop = view.RowCount();
    station.time.Advance(20000);
    EXPECT_EQ(view.RowCount(), rowsAtStop);  // nothing runs after Stop

    const uint64_t generation = view.TableGeneration();
    view.SetRunCount(1);
    view.StartPressed();
    EXPECT_NE(view.TableGeneration(), generation);
    EXPECT_EQ(view.RowCount(), 0);
    for (int i = 0; i < 2000 && station.core.Campaign.Running(); ++i) station.time.Advance(100);
    EXPECT_EQ(view.RowCount(), 1);
}

TEST(CampaignViewScenario, ALostLinkIsARowAndTheStatusWaitsForTheReceiver) {
    AppCoreStation station(QuickMtk());
    CampaignViewModel& view = station.core.CampaignView;
    ASSERT_TRUE(station.Identify());
    view.SetRunCount(3);
    view.SetPauseS(1);
    view.StartPressed();
    station.time.Advance(500);  // the first run is under way
    ASSERT_EQ(station.core.Campaign.CurrentRun(), 1);
    station.core.ToolButtonClicked(ToolButton::Connect, false);  // disconnect
    ASSERT_EQ(view.RowCount(), 1);
    EXPECT_EQ(view.CellText(0, CampaignColumn::Outcome), RunOutcomeName(RunOutcome::LinkLost));
    EXPECT_NE(view.RowColor(0), CampaignRowColor(RunOutcome::Fix));
    EXPECT_FALSE(view.PointOf(0).Fix);
    EXPECT_EQ(view.StatusText().rfind("Waiting for the receiver to come back (1 of 3 done)", 0), 0U)
        << view.StatusText();
    EXPECT_TRUE(view.Controls().StopEnabled);
    EXPECT_TRUE(view.MenuEntryEnabled());  // the window stays reachable while it runs

    view.StopPressed();
    EXPECT_EQ(view.StatusText().rfind("Stopped after 1 run - 0 fixes, 1 failure", 0), 0U)
        << view.StatusText();
    EXPECT_TRUE(view.Controls().ExportEnabled);
}

}  // namespace
}  // namespace gnss
