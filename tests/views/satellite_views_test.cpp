#include "views/satellite_views.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <numeric>

namespace gnss {
namespace {

struct Sat {
    int Number;
    int Elevation;
    int Azimuth;
    int Cno;
    uint8_t Use = kSatTracked;
    int SecondCno = 0;
};

SatDisplayList ListOf(std::initializer_list<Sat> sats, int inView = -1) {
    SatDisplayList list;
    int i = 0;
    for (const Sat& s : sats) {
        list.Entries[i] = {static_cast<int16_t>(s.Number), static_cast<int8_t>(s.Elevation),
                           static_cast<int16_t>(s.Azimuth), static_cast<int8_t>(s.Cno),
                           static_cast<int8_t>(s.SecondCno)};
        list.UseStates[i] = s.Use;
        ++i;
    }
    list.EntryCount = static_cast<uint8_t>(i);
    list.InView = inView < 0 ? i : inView;
    return list;
}

SatDisplayList ManySats(int count) {
    SatDisplayList list;
    for (int i = 0; i < std::min(count, kMaxSatellites); ++i) {
        list.Entries[i] = {static_cast<int16_t>(i + 1), 45, 180, 30, 0};
        list.UseStates[i] = kSatTracked;
    }
    list.EntryCount = static_cast<uint8_t>(std::min(count, kMaxSatellites));
    list.InView = count;
    return list;
}

TEST(ChartColumnCounter, GrowsAtOnceAndShrinksAfterTwoRefreshes) {
    ChartColumnCounter c;
    const std::pair<int, int> steps[] = {
        {12, 12}, {13, 16}, {12, 16}, {12, 12},            // two refreshes with 12 or fewer
        {30, 32}, {17, 32}, {25, 32}, {17, 32}, {17, 20},  // the counters restart on a change
        {44, 44}, {50, 44}, {50, 44},                      // beyond 44 nothing shrinks
        {41, 44}, {5, 44},  {5, 12},
    };
    for (const auto& [inView, columns] : steps) {
        EXPECT_EQ(c.Update(inView), columns) << "in view " << inView;
    }
}

TEST(ChartColumnLayout, WidthsFollowTheTable) {
    struct Case {
        int Columns;
        int FontSize;
        int Header;
        std::vector<int> FirstWidths;
        int Total;
    };
    const Case cases[] = {
        {12, 9, 32, {60, 60, 61, 60, 60, 61, 59}, 723},
        {16, 9, 31, {45, 45, 45, 45}, 720},
        {20, 9, 32, {36, 36, 36, 35}, 715},
        {24, 9, 32, {30, 29, 30, 29, 30, 29, 30, 29, 30, 30}, 710},
        {44, 6, 31, {16, 16, 15}, 44 * 16 - 14 + 4},
    };
    for (const Case& c : cases) {
        const ChartColumnLayout layout = ChartColumnLayoutFor(c.Columns);
        EXPECT_EQ(layout.Columns, c.Columns);
        EXPECT_EQ(layout.FontSize, c.FontSize);
        EXPECT_EQ(layout.HeaderWidth, c.Header);
        ASSERT_EQ(layout.ColumnWidths.size(), static_cast<std::size_t>(c.Columns));
        for (std::size_t i = 0; i < c.FirstWidths.size(); ++i) {
            EXPECT_EQ(layout.ColumnWidths[i], c.FirstWidths[i]) << c.Columns << " col " << i + 1;
        }
        EXPECT_EQ(std::accumulate(layout.ColumnWidths.begin(), layout.ColumnWidths.end(), 0),
                  c.Total)
            << c.Columns;
    }
}

TEST(SignalChart, BarGeometry) {
    struct Case {
        int Cno;
        std::optional<int> Top;
    };
    const Case cases[] = {{0, std::nullopt}, {-5, std::nullopt},
                          {1, 131},          {2, 130},
                          {40, 55},          {66, 5},
                          {67, 5},           {99, 5}};
    for (const Case& c : cases) EXPECT_EQ(SignalBarTop(c.Cno), c.Top) << c.Cno;

    const SatDisplayList list = ListOf({{1, 10, 10, 2}, {2, 10, 10, 0}, {3, 10, 10, 40}});
    const SignalChartView chart = BuildSignalChart(list, 12, ReceiverFamily::MTK);
    EXPECT_DOUBLE_EQ(chart.Pitch, 61.25);
    EXPECT_EQ(chart.BarWidth, 28);  // round(27.5625)
    ASSERT_EQ(chart.Bars.size(), 2u);
    EXPECT_EQ(chart.Bars[0].Left, 17 + 34);  // offset round(17.15)
    EXPECT_EQ(chart.Bars[0].Top, 130);
    EXPECT_EQ(chart.Bars[0].Bottom - chart.Bars[0].Top, 5);
    EXPECT_EQ(chart.Bars[0].GradientTop, 125);
    EXPECT_EQ(chart.Bars[1].Entry, 2);
    EXPECT_EQ(chart.Bars[1].Left, 123 + 17 + 34);  // round(2 * 61.25) = 123 (half away from 0)
    EXPECT_EQ(chart.Bars[1].Right - chart.Bars[1].Left, 28);
}

TEST(SignalChart, SecondSignalWrittenAboveItsBar) {
    const SatDisplayList list = ListOf({{5, 10, 10, 40, kSatUsed, 35}, {6, 10, 10, 30}});
    const SignalChartView chart = BuildSignalChart(list, 12, ReceiverFamily::MTK);
    ASSERT_EQ(chart.SecondSignals.size(), 1u);
    EXPECT_EQ(chart.SecondSignals[0].Text, "35");
    EXPECT_EQ(chart.SecondSignals[0].Top, chart.Bars[0].Top - 13);
    EXPECT_EQ(chart.SecondSignals[0].CenterX, chart.Bars[0].Left + 14);
    EXPECT_EQ(chart.SecondSignals[0].FontSize, 9);
    const SignalChartView busy = BuildSignalChart(
        [] {
            SatDisplayList l = ManySats(21);
            l.Entries[0].SecondCno = 20;
            return l;
        }(),
        24, ReceiverFamily::MTK);
    EXPECT_EQ(busy.SecondSignals.at(0).FontSize, 8);
}

TEST(SkyPlot, GeometryOfElevationAndAzimuth) {
    const int size = kSkyImageSize;
    struct Case {
        int Elevation;
        int Azimuth;
        int Scale;
        int X;
        int Y;
    };
    const Case cases[] = {
        {90, 0, 180, size / 2 - 1, size / 2 - 4},       // the centre
        {0, 0, 180, size / 2 - 1, size / 2 - 90 - 4},   // north on the horizon: R/2 up
        {0, 90, 180, size / 2 + 90 - 1, size / 2 - 4},  // east: to the right
        {0, 180, 162, size / 2 - 1, size / 2 + 81 - 4},
        {0, 270, 162, size / 2 - 81 - 1, size / 2 - 3},  // cos 270° is just below 0
        {45, 90, 180, size / 2 + 45 - 1, size / 2 - 4},
    };
    for (const Case& c : cases) {
        const SkyPoint p = SkyPosition(c.Elevation, c.Azimuth, c.Scale);
        EXPECT_EQ(p.X, c.X) << c.Elevation << "/" << c.Azimuth;
        EXPECT_EQ(p.Y, c.Y) << c.Elevation << "/" << c.Azimuth;
    }
}

TEST(SkyPlot, FilterTable) {
    struct Case {
        GnssSet Filter;
        ReceiverFamily Family;
        int Number;
        bool Shown;
    };
    using F = ReceiverFamily;
    using G = GnssSet;
    const Case cases[] = {
        {G::Gps, F::MTK, 5, true},
        {G::Gps, F::MTK, 70, false},
        {G::Gps, F::MTK, 0, true},
        {G::Glonass, F::MTK, 70, true},
        {G::Glonass, F::MTK, 5, false},
        {G::Bds, F::MTK, 201, true},
        {G::Bds, F::MTK, 370, true},
        {G::Bds, F::MTK, 150, false},
        {G::Bds, F::SiRF5, 150, true},
        {G::Bds, F::ST, 130, true},
        {G::Bds, F::ST, 201, false},
        {G::Bds, F::HED, 170, true},
        {G::Bds, F::Uni, 201, true},
        {G::Galileo, F::MTK, 305, true},
        {G::Irnss, F::MTK, 410, true},
        {G::GpsGlonass, F::MTK, 70, true},
        {G::GpsGlonass, F::MTK, 201, false},
        {G::GpsBds, F::ST, 201, true},
        {G::GpsBds, F::SiRF5, 201, false},
        {G::GpsBds, F::HED, 170, true},
        {G::GlonassBds, F::MTK, 70, true},
        {G::GlonassBds, F::MTK, 5, false},
        {G::GpsGlonassBds, F::MTK, 999, true},
        {G::All, F::MTK, 70, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SkyFilterAdmits(c.Filter, c.Family, c.Number), c.Shown)
            << "filter " << GnssSetName(c.Filter) << " family " << static_cast<int>(c.Family)
            << " #" << c.Number;
    }
}

TEST(SkyPlot, IconsLabelsAndDrawingOrder) {
    const SatDisplayList list = ListOf({
        {3, 90, 0, 40, kSatUsed},
        {70, 0, 90, 0, kSatInView},
        {201, 45, 180, 30, kSatTracked},
        {195, 30, 0, 30, kSatTracked},
        {405, 30, 0, 30, kSatUsed},
        {-1, 30, 0, 30, kSatTracked},
    });
    SkyPlotInputs in;
    in.List = &list;
    in.BdsGsvSeen = true;
    in.Family = ReceiverFamily::MTK;
    const SkyPlotView sky = BuildSkyPlot(in, SkyBackground::Gps, GnssSet::All);
    ASSERT_EQ(sky.Icons.size(), 6u);
    EXPECT_EQ(sky.Icons.back().Entry, 0) << "the first satellite is drawn last, on top";
    const SkyIcon& gps = sky.Icons[5];
    EXPECT_EQ(gps.IconIndex, 0);
    EXPECT_EQ(gps.IconLeft, gps.X - 9);
    EXPECT_EQ(gps.IconTop, gps.Y - 8);
    EXPECT_EQ(gps.Label, "3");
    EXPECT_EQ(gps.LabelTop, gps.Y - 5);
    const SkyIcon& glonass = sky.Icons[4];
    EXPECT_EQ(glonass.IconIndex, kIconGlonass + 2);
    EXPECT_EQ(glonass.LabelColor, kSkyLabelNoSignalColor);
    EXPECT_EQ(glonass.LabelTop, glonass.Y - 4);
    const SkyIcon& bds = sky.Icons[3];
    EXPECT_EQ(bds.IconIndex, kIconBds + 1);
    EXPECT_EQ(bds.Label, "1");
    EXPECT_EQ(bds.LabelColor, kSatBdsHighlight);
    const SkyIcon& qzss = sky.Icons[2];
    EXPECT_EQ(qzss.IconIndex, kIconQzss + 1);
    EXPECT_EQ(qzss.IconLeft, qzss.X - 11);
    EXPECT_EQ(qzss.LabelFontSize, 7) << "three characters";
    const SkyIcon& irnss = sky.Icons[1];
    EXPECT_EQ(irnss.IconIndex, kIconIrnss);
    EXPECT_EQ(irnss.Label, "5");
    EXPECT_EQ(irnss.IconTop, irnss.Y - 10);
    EXPECT_EQ(sky.Icons[0].Label, "?");

    in.BdsGsvSeen = false;
    in.LogicalDpi = 120;
    const SkyPlotView plain = BuildSkyPlot(in, SkyBackground::MultiGnss, GnssSet::Gps);
    ASSERT_EQ(plain.Icons.size(), 2u) << "the GPS filter keeps GPS and the unnumbered entry";
    EXPECT_EQ(plain.Scale, 162);
    EXPECT_EQ(plain.Icons[1].LabelFontSize, 7);
}

TEST(SkyPlot, IconGroupsWithFamilyExceptions) {
    EXPECT_EQ(SkyIconGroupOf(130, ReceiverFamily::MTK), kIconBds);
    EXPECT_EQ(SkyIconGroupOf(130, ReceiverFamily::HED), kIconSbas);
    EXPECT_EQ(SkyIconGroupOf(40, ReceiverFamily::MTK), kIconSbas);
    EXPECT_EQ(SkyIconGroupOf(310, ReceiverFamily::MTK), kIconGalileo);
    EXPECT_EQ(SkyIconGroupOf(600, ReceiverFamily::MTK), kIconGps);
}

TEST(SkyPlot, AntennaBadgeOnlyWhenReported) {
    SkyPlotInputs in;
    in.Antenna = AntennaState::Short;
    EXPECT_EQ(BuildSkyPlot(in, SkyBackground::Gps, GnssSet::All).AntennaBadge,
              AntennaState::Unknown);
    in.AntennaStatusExpected = true;
    EXPECT_EQ(BuildSkyPlot(in, SkyBackground::Gps, GnssSet::All).AntennaBadge, AntennaState::Short);
    in.Antenna = AntennaState::Unknown;
    EXPECT_EQ(BuildSkyPlot(in, SkyBackground::Gps, GnssSet::All).AntennaBadge,
              AntennaState::Unknown);
}

TEST(SatGrid, DisplayNumbers) {
    struct Case {
        int Number;
        bool Bds;
        bool Galileo;
        const char* Grid;
        const char* Sky;
    };
    const Case cases[] = {
        {201, true, false, "1", "1"},     {201, false, false, "201", "201"},
        {396, true, false, "196", "196"}, {397, true, false, "397", "197"},
        {305, false, true, "5", "5"},     {305, false, false, "305", "305"},
        {400, false, false, "400", "?"},  {405, false, false, "5", "5"},
        {200, true, false, "?", "?"},     {0, false, false, "?", "?"},
        {-3, false, false, "?", "?"},     {12, true, true, "12", "12"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GridDisplayNumber(c.Number, c.Bds, c.Galileo), c.Grid) << c.Number;
        EXPECT_EQ(SkyDisplayNumber(c.Number, c.Bds, c.Galileo), c.Sky) << c.Number;
    }
}

TEST(SatGrid, ConstellationColoursAndFamilyExceptions) {
    struct Case {
        int Number;
        ReceiverFamily Family;
        Rgb Color;
    };
    using F = ReceiverFamily;
    const Case cases[] = {
        {1, F::MTK, 0xA4D1FF},     {33, F::MTK, 0xFFFF8E},  {130, F::MTK, 0xFFFF8E},
        {130, F::SiRF5, 0xFFBBDD}, {170, F::MTK, 0x808080}, {170, F::HED, 0xFFBBDD},
        {70, F::MTK, 0xFFC2A6},    {201, F::MTK, 0xFFBBDD}, {195, F::MTK, 0xD5AAFF},
        {301, F::MTK, 0xC8FFCE},   {401, F::MTK, 0xECCB13}, {0, F::MTK, 0x808080},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConstellationColor(c.Number, c.Family), c.Color) << c.Number;
    }
}

TEST(SatGrid, FillAndColours) {
    const SatDisplayList list = ListOf({{5, 45, 120, 42, kSatUsed}, {201, 30, 200, 0, kSatInView}});
    SatGridInputs in{&list, true, false, ReceiverFamily::MTK, false};
    const SatGridView plain = FillSatGrid(in, 12, 9);
    EXPECT_EQ(plain.Rows[1][1].Text, "1");
    EXPECT_EQ(plain.Rows[1][1].TextColor, kSatGridPlainText) << "no colours before identification";
    EXPECT_EQ(plain.Rows[0][11].Text, "");

    in.ReceiverIdentified = true;
    const SatGridView grid = FillSatGrid(in, 12, 9);
    EXPECT_EQ(grid.Rows[0][0].Text, "42");
    EXPECT_EQ(grid.Rows[2][0].Text, "120");
    EXPECT_EQ(grid.Rows[3][0].Text, "45");
    EXPECT_EQ(grid.Rows[0][0].Background, 0xBBFF77u);
    EXPECT_EQ(grid.Rows[0][0].TextColor, kSatGridText);
    EXPECT_EQ(grid.Rows[1][0].Background, 0xA4D1FFu);
    EXPECT_EQ(grid.Rows[0][1].Background, 0xFF80C0u);
    EXPECT_EQ(grid.Rows[0][1].TextColor, kSatBdsHighlight);
    EXPECT_EQ(grid.Rows[1][1].Text, "1");
    EXPECT_EQ(grid.Rows[1][1].TextColor, kSatBdsHighlight);
    EXPECT_EQ(grid.Rows[2][1].TextColor, kSatAzimuthText);
    EXPECT_EQ(grid.Rows[3][1].TextColor, kSatElevationText);
    EXPECT_EQ(grid.Rows[1][0].FontSize, 9);

    const SatGridView wide = FillSatGrid(in, 44, 6);
    EXPECT_EQ(wide.Rows[1][0].FontSize, 7) << "short texts a size larger in the widest grids";
    EXPECT_EQ(wide.Rows[2][0].FontSize, 6);
}

TEST(SatelliteViews, RefreshClearAndConnectDefaults) {
    SatelliteViews views;
    const SatDisplayList list13 = ManySats(13);
    SatelliteViewInputs in;
    in.List = &list13;
    in.Family = ReceiverFamily::MTK;
    in.ReceiverIdentified = false;
    views.RefreshSatelliteViews(in);
    EXPECT_EQ(views.ChartColumns(), 12) << "the column count follows only once identified";
    EXPECT_TRUE(views.Sky().Icons.empty());

    in.ReceiverIdentified = true;
    views.RefreshSatelliteViews(in);
    EXPECT_EQ(views.ChartColumns(), 16);
    EXPECT_EQ(views.Grid().Rows[0].size(), 16u);
    EXPECT_EQ(views.Chart().Bars.size(), 13u);
    EXPECT_EQ(views.Sky().Icons.size(), 13u);

    views.SelectGnssView(
        GnssSet::Glonass);  // GLONASS only: the sky empties at once, the grid stays
    EXPECT_TRUE(views.Sky().Icons.empty());
    EXPECT_EQ(views.Grid().Rows[1][0].Text, "1");

    views.ResetForConnect();
    EXPECT_EQ(views.GnssViewFilter(), GnssSet::GpsGlonass);
    EXPECT_EQ(views.Chart().Background, kSatGridColor);
    EXPECT_TRUE(views.Chart().Bars.empty());
    EXPECT_EQ(views.Grid().Rows[1][0].Text, "");
    views.SetSkyBackground(SkyBackground::MultiGnss);
    views.PortOpened();
    EXPECT_EQ(views.ChartColumns(), 12);
    EXPECT_EQ(views.GnssViewFilter(), GnssSet::All);
    EXPECT_EQ(views.Background(), SkyBackground::Gps);
    EXPECT_EQ(views.Sky().Scale, 180);
}

TEST(SatelliteViews, NewRevisionOnlyWhenSomethingDrawnChanges) {
    SatelliteViews views;
    SatDisplayList list = ListOf({{5, 40, 120, 38, kSatUsed}, {12, 20, 300, 30}});
    SatelliteViewInputs in;
    in.List = &list;
    in.Family = ReceiverFamily::ublox;
    in.ReceiverIdentified = true;
    views.RefreshSatelliteViews(in);
    const uint64_t first = views.Revision();
    EXPECT_GT(first, 0u);

    // The same epoch again: nothing to repaint.
    views.RefreshSatelliteViews(in);
    EXPECT_EQ(views.Revision(), first);

    // Each of C/No, position and use changes a display.
    list.Entries[1].Cno = 31;
    views.RefreshSatelliteViews(in);
    EXPECT_EQ(views.Revision(), first + 1);
    list.Entries[0].Azimuth = 121;
    views.RefreshSatelliteViews(in);
    EXPECT_EQ(views.Revision(), first + 2);
    list.UseStates[1] = kSatUsed;
    views.RefreshSatelliteViews(in);
    EXPECT_EQ(views.Revision(), first + 3);

    // So do the user's choices, and a new column layout.
    views.SelectGnssView(GnssSet::Glonass);
    EXPECT_EQ(views.Revision(), first + 4);
    views.SelectGnssView(GnssSet::Glonass);
    EXPECT_EQ(views.Revision(), first + 4);
    const SatDisplayList many = ManySats(20);
    in.List = &many;
    views.RefreshSatelliteViews(in);
    EXPECT_EQ(views.Revision(), first + 5);
    EXPECT_GT(views.ChartColumns(), 12);
}

}  // namespace
}  // namespace gnss
