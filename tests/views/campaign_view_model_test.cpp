// The campaign window's texts: table cells, summary rows, histogram bins and chart points.

#include <gtest/gtest.h>

#include "views/campaign_view_model.h"

namespace gnss {
namespace {

CampaignRun FixRun(int number, RestartKind kind, uint32_t ttffMs) {
    CampaignRun run;
    run.Number = number;
    run.Kind = kind;
    // 2026-12-09 13:30:05 on the day count that starts at 1899-12-30.
    run.Start =
        DateTime{static_cast<double>(DaysFromCivil(2026, 12, 9) - DaysFromCivil(1899, 12, 30)) +
                 (13 * 3600.0 + 30 * 60 + 5) / 86400.0};
    run.AckExpected = true;
    run.AckSeen = true;
    run.AckDelayMs = 180;
    run.FixDropped = true;
    run.HasTtff = true;
    run.TtffFromAck = true;
    run.TtffMs = ttffMs;
    run.FromCommandMs = ttffMs + 180;
    run.FixQuality = 1;
    run.SatellitesUsed = 9;
    run.Hdop = 0.94;
    run.HasPosition = true;
    run.LatitudeDeg = 48.1173;
    run.LongitudeDeg = -11.51667;
    run.DistanceFromMedianM = 3.26;
    run.Outcome = RunOutcome::Fix;
    return run;
}

CampaignRun FailedRun(int number, RunOutcome outcome) {
    CampaignRun run;
    run.Number = number;
    run.Kind = RestartKind::Cold;
    run.AckExpected = true;
    run.AckSeen = outcome != RunOutcome::NoAcknowledgement;
    run.Outcome = outcome;
    return run;
}

std::vector<std::string> Row(const CampaignRun& run) {
    std::vector<std::string> cells;
    for (std::size_t i = 0; i < kCampaignColumnCount; ++i) {
        cells.push_back(CampaignCellText(run, static_cast<CampaignColumn>(i)));
    }
    return cells;
}

TEST(CampaignTable, FixRowShowsEveryFigure) {
    const std::vector<std::string> expected = {"7",   "cold", "13:30:05", "yes",
                                               "180", "yes",  "35240",    "35420",
                                               "1",   "9",    "0.9",      "48.117300, -11.516670",
                                               "3.3", "fix"};
    EXPECT_EQ(Row(FixRun(7, RestartKind::Cold, 35240)), expected);
}

TEST(CampaignTable, FailedRowsLeaveTheFixColumnsEmpty) {
    for (RunOutcome outcome :
         {RunOutcome::Timeout, RunOutcome::NoAcknowledgement, RunOutcome::LinkLost}) {
        const std::vector<std::string> row = Row(FailedRun(3, outcome));
        for (CampaignColumn column :
             {CampaignColumn::TtffFromAck, CampaignColumn::TtffFromCommand, CampaignColumn::Quality,
              CampaignColumn::Satellites, CampaignColumn::Hdop, CampaignColumn::Position,
              CampaignColumn::Distance}) {
            EXPECT_EQ(row[static_cast<std::size_t>(column)], "") << RunOutcomeName(outcome);
        }
        EXPECT_EQ(row[static_cast<std::size_t>(CampaignColumn::Outcome)], RunOutcomeName(outcome));
        EXPECT_NE(CampaignRowColor(outcome), CampaignRowColor(RunOutcome::Fix));
    }
    EXPECT_EQ(CampaignCellText(FailedRun(3, RunOutcome::NoAcknowledgement), CampaignColumn::Ack),
              "no");
    EXPECT_EQ(
        CampaignCellText(FailedRun(3, RunOutcome::NoAcknowledgement), CampaignColumn::AckDelay),
        "");
}

TEST(CampaignTable, FamilyWithoutAcknowledgementIsMarkedAsCountedInSeconds) {
    CampaignRun run = FixRun(1, RestartKind::Hot, 3000);
    run.AckExpected = false;
    run.AckSeen = false;
    run.TtffFromAck = false;
    EXPECT_EQ(CampaignCellText(run, CampaignColumn::Ack), "-");
    EXPECT_EQ(CampaignCellText(run, CampaignColumn::AckDelay), "");
    EXPECT_EQ(CampaignCellText(run, CampaignColumn::TtffFromAck), "3000*");
}

TEST(CampaignTable, EveryColumnHasATitle) {
    for (std::size_t i = 0; i < kCampaignColumnCount; ++i) {
        EXPECT_FALSE(CampaignColumnOf(static_cast<CampaignColumn>(i)).Title.empty()) << i;
    }
}

TEST(CampaignSummary, SecondsWithOneDecimalAndDashesWithoutFixes) {
    KindSummary cold{RestartKind::Cold, 20, 19, 1, 30140, 35240, 35512.5, 39960, 41049};
    EXPECT_EQ(SummaryRowTexts(cold), (std::vector<std::string>{"cold", "20", "19", "1", "30.1",
                                                               "35.2", "35.5", "40.0", "41.0"}));
    KindSummary none{RestartKind::Factory, 2, 0, 2, 0, 0, 0, 0, 0};
    EXPECT_EQ(SummaryRowTexts(none),
              (std::vector<std::string>{"factory", "2", "0", "2", "-", "-", "-", "-", "-"}));
}

TEST(CampaignHistogram, RoundBinsCoverEveryFixCountedPerKind) {
    std::vector<CampaignRun> runs;
    runs.push_back(FixRun(1, RestartKind::Cold, 31200));
    runs.push_back(FixRun(2, RestartKind::Warm, 12900));
    runs.push_back(FixRun(3, RestartKind::Cold, 44990));
    runs.push_back(FixRun(4, RestartKind::Cold, 35000));
    runs.push_back(FailedRun(5, RunOutcome::Timeout));  // not in the histogram
    const TtffHistogram histogram = BuildTtffHistogram(runs, 20);
    // 12.9 .. 45.0 s over at most 20 bins: 2 s bins from 12 to 46.
    EXPECT_DOUBLE_EQ(histogram.BinWidthS, 2.0);
    ASSERT_EQ(histogram.Bins.size(), 17U);
    EXPECT_EQ(histogram.Bins.front().Label, "12");
    EXPECT_EQ(histogram.Bins.back().Label, "44");
    int cold = 0;
    int warm = 0;
    for (const HistogramBin& bin : histogram.Bins) {
        warm += bin.Counts[1];
        cold += bin.Counts[2];
    }
    EXPECT_EQ(warm, 1);
    EXPECT_EQ(cold, 3);
    EXPECT_EQ(histogram.Bins[0].Counts[1], 1);   // 12.9 s
    EXPECT_EQ(histogram.Bins[11].Counts[2], 1);  // 35.0 s falls into 34-36
    EXPECT_EQ(histogram.MaxCount, 1);
}

TEST(CampaignHistogram, EqualFiguresAndNoFixes) {
    std::vector<CampaignRun> runs = {FixRun(1, RestartKind::Cold, 35200),
                                     FixRun(2, RestartKind::Cold, 35200)};
    const TtffHistogram same = BuildTtffHistogram(runs);
    ASSERT_EQ(same.Bins.size(), 1U);
    EXPECT_EQ(same.Bins[0].Counts[2], 2);
    EXPECT_EQ(same.Bins[0].Label, "35.2");
    EXPECT_EQ(same.MaxCount, 2);
    EXPECT_TRUE(BuildTtffHistogram({FailedRun(1, RunOutcome::LinkLost)}).Bins.empty());
    EXPECT_TRUE(BuildTtffHistogram({}).Bins.empty());
}

TEST(CampaignHistogram, NeverMoreBinsThanAsked) {
    for (uint32_t spreadMs : {1U, 999U, 19999U, 20001U, 299999U}) {
        const std::vector<CampaignRun> runs = {FixRun(1, RestartKind::Cold, 1000),
                                               FixRun(2, RestartKind::Cold, 1000 + spreadMs)};
        const TtffHistogram histogram = BuildTtffHistogram(runs, 20);
        EXPECT_LE(histogram.Bins.size(), 20U) << spreadMs;
        EXPECT_GE(histogram.Bins.back().ToS, (1000 + spreadMs) / 1000.0) << spreadMs;
    }
}

TEST(CampaignChart, FixesAtTheirTtffFailuresOnTheAxis) {
    const RunPoint fix = RunPointOf(FixRun(4, RestartKind::Warm, 12960));
    EXPECT_TRUE(fix.Fix);
    EXPECT_EQ(fix.Number, 4);
    EXPECT_EQ(fix.Kind, RestartKind::Warm);
    EXPECT_DOUBLE_EQ(fix.TtffS, 12.96);
    const RunPoint failure = RunPointOf(FailedRun(5, RunOutcome::Timeout));
    EXPECT_FALSE(failure.Fix);
    EXPECT_DOUBLE_EQ(failure.TtffS, 0.0);
}

}  // namespace
}  // namespace gnss
