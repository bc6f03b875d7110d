#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "nmea/sat_display_list.h"
#include "views/sat_grid_model.h"
#include "views/speed_units.h"

namespace gnss {

inline constexpr std::array<int, 9> kChartColumnChoices = {12, 16, 20, 24, 28, 32, 36, 40, 44};

// Font size, header width and column widths of the grid for one column count.
struct ChartColumnLayout {
    int Columns = 12;
    int FontSize = 9;
    int HeaderWidth = 32;
    std::vector<int> ColumnWidths;  // satellite columns 1..Columns
    bool operator==(const ChartColumnLayout&) const = default;
};
// The layout of one of the column counts of kChartColumnChoices (others: the nearest above).
[[nodiscard]] ChartColumnLayout ChartColumnLayoutFor(int columns);

// The column count follows the number of satellites in view: it grows at once, and shrinks
// only after two refreshes in a row fit a smaller count.
class ChartColumnCounter {
  public:
    // One refresh with `inView` satellites; returns the column count to use.
    int Update(int inView);
    [[nodiscard]] int Columns() const { return columns_; }
    void SetColumns(int columns) { columns_ = columns; }
    void Reset();

  private:
    int columns_ = 12;
    std::array<int, 9> bucketHits_{};
};

// Geometry of the signal chart (`sp_GPSSI`), in the chart's own pixels.
inline constexpr double kChartPlotWidth = 735.0;  // the columns share this width
inline constexpr int kChartLeft = 34;             // x of the first column
inline constexpr int kChartBarBottom = 135;
inline constexpr int kChartGradientHeight = 130;  // the bar image is this tall
inline constexpr int kChartBarMinTop = 5;
inline constexpr int kChartWidth = kChartLeft + 735 + 6;
inline constexpr int kChartHeight = 152;  // bars, then the axis ticks
inline constexpr int kChartMaxCno = 65;   // the left axis "dB-Hz" runs 0..65
inline constexpr int kChartCnoTicks = 14;
inline constexpr Rgb kChartBackgroundUnused = 0x000040;  // until the first connection
inline constexpr Rgb kChartSecondSignalText = 0xFFFF00;

struct SignalBar {
    int Entry = 0;  // index into the display list, from 0
    int Left = 0;
    int Top = 0;
    int Right = 0;  // Left + bar width
    int Bottom = kChartBarBottom;
    // The bar shows rows GradientTop..130 of the gradient image (its lower part).
    int GradientTop = 0;
    uint8_t UseState = kSatTracked;
    Constellation Group = Constellation::Gps;
    Rgb ConstellationColor = 0;
    bool operator==(const SignalBar&) const = default;
};

// The C/No of the second signal of a satellite, written above its bar.
struct SecondSignalText {
    std::string Text;
    int CenterX = 0;
    int Top = 0;  // 13 pixels above the bar
    int FontSize = 9;
    bool operator==(const SecondSignalText&) const = default;
};

struct SignalChartView {
    int Columns = 12;
    double Pitch = kChartPlotWidth / 12;
    int BarWidth = 0;
    Rgb Background = kChartBackgroundUnused;
    std::vector<SignalBar> Bars;
    std::vector<SecondSignalText> SecondSignals;
    std::string AxisTitle = "dB-Hz";
    bool operator==(const SignalChartView&) const = default;
};

// Bar top for a C/No (dB-Hz): 130 − trunc(1.95·C/No − 3), at least 5; nothing when the bar would
// start at 133 or below (C/No 0 or less).
[[nodiscard]] std::optional<int> SignalBarTop(int cno);
// The y of a C/No value on the left axis (where its bar would end).
[[nodiscard]] double ChartYForCno(double cno);
// The bars and second-signal texts of the display list for `columns` columns.
[[nodiscard]] SignalChartView BuildSignalChart(const SatDisplayList& list, int columns,
                                               ReceiverFamily family);

}  // namespace gnss
