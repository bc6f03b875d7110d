#include "views/sat_chart_model.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace gnss {

namespace {

struct LayoutRow {
    int Columns;
    int FontSize;
    int HeaderWidth;
    int Extra;          // k: base width = 136 / n + k
    int WiderEvery;     // a: +1 on every a-th column (0: none)
    int NarrowerEvery;  // b: -1 on every b-th column (0: none)
};

constexpr std::array<LayoutRow, 9> kLayouts = {{
    {12, 9, 32, 49, 3, 7},
    {16, 9, 31, 37, 0, 0},
    {20, 9, 32, 30, 0, 4},
    {24, 9, 32, 25, 10, 2},
    {28, 8, 32, 21, 2, 4},
    {32, 8, 30, 18, 25, 0},
    {36, 7, 31, 16, 2, 20},
    {40, 6, 31, 14, 2, 10},
    {44, 6, 31, 13, 11, 3},
}};

// Upper bounds of the buckets of the shrinking rule: n <= 12, 13..16, ... 41..44.
std::size_t BucketOf(int inView) {
    for (std::size_t i = 0; i < kChartColumnChoices.size(); ++i) {
        if (inView <= kChartColumnChoices[i]) return i;
    }
    return kChartColumnChoices.size();
}

}  // namespace

ChartColumnLayout ChartColumnLayoutFor(int columns) {
    const LayoutRow* row = &kLayouts.back();
    for (const LayoutRow& candidate : kLayouts) {
        if (columns <= candidate.Columns) {
            row = &candidate;
            break;
        }
    }
    ChartColumnLayout layout;
    layout.Columns = row->Columns;
    layout.FontSize = row->FontSize;
    layout.HeaderWidth = row->HeaderWidth;
    const int base = 136 / row->Columns + row->Extra;
    for (int column = 1; column <= row->Columns; ++column) {
        int width = base;
        if (row->WiderEvery != 0 && column % row->WiderEvery == 0) ++width;
        if (row->NarrowerEvery != 0 && column % row->NarrowerEvery == 0) --width;
        layout.ColumnWidths.push_back(width);
    }
    return layout;
}

int ChartColumnCounter::Update(int inView) {
    if (inView > columns_) {
        const std::size_t bucket = std::min(BucketOf(inView), kChartColumnChoices.size() - 1);
        columns_ = std::max(columns_, kChartColumnChoices[bucket]);
    }
    const std::size_t bucket = BucketOf(inView);
    // More satellites than columns can exist: the counters stay, and so do the 44 columns
    // (an older count of a smaller bucket must not shrink them).
    if (bucket >= bucketHits_.size()) return columns_;
    for (std::size_t i = 0; i < bucketHits_.size(); ++i) {
        bucketHits_[i] = i == bucket ? bucketHits_[i] + 1 : 0;
    }
    for (std::size_t i = 0; i < bucketHits_.size(); ++i) {
        if (bucketHits_[i] >= 2) {
            columns_ = kChartColumnChoices[i];
            break;
        }
    }
    return columns_;
}

void ChartColumnCounter::Reset() {
    columns_ = 12;
    bucketHits_.fill(0);
}

std::optional<int> SignalBarTop(int cno) {
    const int height = static_cast<int>(std::trunc(1.95 * cno - 3.0));
    const int top = kChartGradientHeight - height;
    if (top >= 133) return std::nullopt;
    return std::max(top, kChartBarMinTop);
}

double ChartYForCno(double cno) {
    return kChartGradientHeight - (1.95 * cno - 3.0);
}

SignalChartView BuildSignalChart(const SatDisplayList& list, int columns, ReceiverFamily family) {
    SignalChartView chart;
    chart.Columns = columns;
    chart.Pitch = kChartPlotWidth / columns;
    chart.BarWidth = static_cast<int>(std::lround(0.45 * chart.Pitch));
    const int offset = static_cast<int>(std::lround(0.28 * chart.Pitch));
    const int count = std::min<int>(list.EntryCount, columns);
    const int fontSize = list.EntryCount > 20 ? 8 : 9;
    for (int i = 0; i < count; ++i) {
        const SatEntry& sat = list.Entries[i];
        const std::optional<int> top = SignalBarTop(sat.Cno);
        if (!top) continue;
        SignalBar bar;
        bar.Entry = i;
        bar.Left = static_cast<int>(std::lround(i * chart.Pitch)) + offset + kChartLeft;
        bar.Top = *top;
        bar.Right = bar.Left + chart.BarWidth;
        bar.GradientTop = kChartGradientHeight + bar.Top - kChartBarBottom;
        bar.UseState = list.UseStates[i];
        bar.Group = ConstellationOf(sat.Number, family);
        bar.ConstellationColor = ConstellationColor(sat.Number, family);
        chart.Bars.push_back(bar);
        if (sat.SecondCno > 0) {
            chart.SecondSignals.push_back({std::to_string(sat.SecondCno),
                                           bar.Left + chart.BarWidth / 2, bar.Top - 13, fontSize});
        }
    }
    return chart;
}

}  // namespace gnss
