// Renders each display widget of the satellite views, the navigation panel and the gauges into
// an image from a sample model and checks pixels where the model puts things. With
// GNSS_WIDGET_PNG_DIR set, the images are also saved there to be looked at.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>

#include <cstdlib>

#include "ui/gauge_widgets.h"
#include "ui/navigation_panel_widget.h"
#include "ui/sat_artwork.h"
#include "ui/signal_chart_widget.h"
#include "ui/sky_plot_widget.h"
#include "views/gauges_model.h"
#include "views/navigation_panel.h"
#include "views/satellite_views.h"

namespace gnss::ui {
namespace {

// The QApplication comes from the shared test environment of this folder.

void MaybeSave(const QImage& image, const char* name) {
    if (const char* dir = std::getenv("GNSS_WIDGET_PNG_DIR")) {
        QDir().mkpath(QString::fromLocal8Bit(dir));
        image.save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
    }
}

QImage NewImage(int width, int height, qreal dpr = 1.0) {
    QImage image(QSize(width, height) * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::black);
    return image;
}

struct Sat {
    int Number, Elevation, Azimuth, Cno;
    uint8_t Use;
    int SecondCno = 0;
};

SatDisplayList SampleList(std::initializer_list<Sat> sats) {
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
    list.InView = i;
    return list;
}

const SatDisplayList& BusySky() {
    static const SatDisplayList list = SampleList({
        {3, 90, 0, 47, kSatUsed},
        {6, 52, 48, 44, kSatUsed},
        {12, 33, 130, 40, kSatUsed, 38},
        {19, 12, 300, 28, kSatTracked},
        {24, 4, 210, 0, kSatInView},
        {40, 45, 200, 35, kSatTracked},
        {67, 65, 250, 42, kSatUsed},
        {78, 20, 95, 31, kSatUsed, 27},
        {81, 8, 20, 0, kSatInView},
        {196, 70, 170, 45, kSatUsed},
        {203, 40, 330, 39, kSatUsed},
        {219, 25, 80, 36, kSatTracked, 33},
        {235, 58, 140, 41, kSatUsed},
        {305, 30, 275, 37, kSatUsed},
        {326, 15, 180, 22, kSatTracked},
        {402, 50, 110, 30, kSatTracked},
    });
    return list;
}

double Brightness(QColor c) {
    return (c.red() + c.green() + c.blue()) / 3.0;
}

TEST(SkyPlotWidget, SatelliteAtTheZenithIsDrawnAtTheCentre) {
    const SatDisplayList list = SampleList({{3, 90, 0, 45, kSatUsed}, {6, 0, 90, 40, kSatTracked}});
    SkyPlotInputs in;
    in.List = &list;
    in.Family = ReceiverFamily::MTK;
    const SkyPlotView view = BuildSkyPlot(in, SkyBackground::Gps, GnssSet::All);
    QImage image = NewImage(kSkyImageSize, kSkyImageSize);
    {
        QPainter painter(&image);
        SkyPlotWidget::Paint(painter, view, 1.0);
    }
    MaybeSave(image, "sky_two_sats");
    const SkyPoint zenith = SkyPosition(90, 0, 180);
    EXPECT_EQ(zenith.X, kSkyImageSize / 2 - 1);
    // Inside the disc beside the label: the light GPS colour (blue above red).
    const QColor atZenith = image.pixelColor(zenith.X - 6, zenith.Y + 1);
    EXPECT_GT(Brightness(atZenith), 150) << atZenith.name().toStdString();
    EXPECT_GT(atZenith.blue(), atZenith.red());
    // East on the horizon: to the right, R/2 from the centre.
    const QColor east = image.pixelColor(zenith.X + 90 - 6, zenith.Y + 1);
    EXPECT_GT(Brightness(east), 120) << east.name().toStdString();
    // Halfway out at north-west, no satellite: the dark sky.
    EXPECT_LT(Brightness(image.pixelColor(zenith.X - 40, zenith.Y - 40)), 110);
}

TEST(SkyPlotWidget, BusySkyAndAntennaBadge) {
    SkyPlotInputs in;
    in.List = &BusySky();
    in.Family = ReceiverFamily::MTK;
    in.BdsGsvSeen = true;
    in.GalileoGsvSeen = true;
    in.AntennaStatusExpected = true;
    in.Antenna = AntennaState::Ok;
    for (auto [background, name] : {std::pair{SkyBackground::Gps, "sky_gps"},
                                    std::pair{SkyBackground::MultiGnss, "sky_multi_gnss"}}) {
        const SkyPlotView view = BuildSkyPlot(in, background, GnssSet::All);
        QImage image = NewImage(kSkyImageSize, kSkyImageSize, 2.0);
        {
            QPainter painter(&image);
            SkyPlotWidget::Paint(painter, view, 2.0);
        }
        MaybeSave(image, name);
        // The badge (OK: green) in the top-left corner.
        const QColor badge = image.pixelColor(2 * 16, 2 * 24);
        EXPECT_GT(badge.green(), badge.red()) << badge.name().toStdString();
    }
}

TEST(SignalChartWidget, BarsWhereTheModelPutsThem) {
    const SatDisplayList& list = BusySky();
    const SignalChartView chart = [&] {
        SignalChartView c = BuildSignalChart(list, 16, ReceiverFamily::MTK);
        c.Background = kSatGridColor;
        return c;
    }();
    QImage image = NewImage(kChartWidth, kChartHeight);
    {
        QPainter painter(&image);
        SignalChartWidget::Paint(painter, chart, QSizeF(kChartWidth, kChartHeight));
    }
    MaybeSave(image, "signal_chart");
    const SignalBar& strong = chart.Bars.at(0);  // C/No 47, used
    const QColor inBar = image.pixelColor((strong.Left + strong.Right) / 2, strong.Top + 10);
    EXPECT_GT(inBar.green(), 150) << inBar.name().toStdString();
    // Entry 4 has no signal: nothing drawn in its column.
    const int emptyX = static_cast<int>(kChartLeft + 4.5 * chart.Pitch);
    const QColor empty = image.pixelColor(emptyX, kChartBarBottom - 3);
    EXPECT_LT(Brightness(empty), 60) << empty.name().toStdString();
}

TEST(SatGridWidget, CellColoursOfTheModel) {
    SatGridInputs in{&BusySky(), true, true, ReceiverFamily::MTK, true};
    const ChartColumnLayout layout = ChartColumnLayoutFor(16);
    const SatGridView grid = FillSatGrid(in, layout.Columns, layout.FontSize);
    const int width = layout.HeaderWidth + 720;
    const int height = 4 * SatGridWidget::kRowHeight;
    QImage image = NewImage(width, height);
    {
        QPainter painter(&image);
        SatGridWidget::Paint(painter, grid, layout, QSizeF(width, height));
    }
    MaybeSave(image, "sat_grid");
    // Row 0, first satellite (used): the used colour at the cell's left edge.
    EXPECT_EQ(image.pixelColor(layout.HeaderWidth + 3, 3), QColor(0xBB, 0xFF, 0x77));
    // Row 1: the GPS constellation colour.
    EXPECT_EQ(image.pixelColor(layout.HeaderWidth + 3, SatGridWidget::kRowHeight + 3),
              QColor(0xA4, 0xD1, 0xFF));
}

TEST(GaugeWidgets, NeedlesPointWhereTheModelSays) {
    GaugesView view;
    view.SpeedometerVisible = true;
    view.HeadingMeterVisible = true;
    view.CompassMeterVisible = true;
    const SpeedometerReading over = SpeedometerAngle(70.0, 2);
    view.SpeedometerAngle = over.Angle;
    view.SpeedometerColor = kSpeedometerOverRangeColor;
    view.Face = SpeedometerFace::NauticalMiles;
    view.Heading = 54;
    view.CompassHeading = 300;
    view.OdometerValue = 1852;

    const int size = 160;
    QImage speed = NewImage(size, size);
    {
        QPainter painter(&speed);
        SpeedometerWidget::Paint(painter, view, QSizeF(size, size));
    }
    MaybeSave(speed, "speedometer_over_range");
    const QPointF c(size / 2.0, size / 2.0);
    const QPointF onNeedle = DialPoint(c, size * 0.25, 135);
    const QColor needle = speed.pixelColor(onNeedle.toPoint());
    EXPECT_GT(needle.red(), 200) << needle.name().toStdString();
    EXPECT_LT(needle.green(), 80);

    view.SpeedometerAngle = SpeedometerAngle(50.0, 2).Angle;
    view.SpeedometerColor = kSpeedometerNormalColor;
    view.Face = SpeedometerFace::Kilometres;
    QImage normal = NewImage(size, size);
    {
        QPainter painter(&normal);
        SpeedometerWidget::Paint(painter, view, QSizeF(size, size));
    }
    MaybeSave(normal, "speedometer");

    QImage heading = NewImage(size, size);
    {
        QPainter painter(&heading);
        HeadingMeterWidget::Paint(painter, view, QSizeF(size, size));
    }
    MaybeSave(heading, "heading_meter");
    const QColor yellow = heading.pixelColor(DialPoint(c, size * 0.2, 54).toPoint());
    EXPECT_GT(yellow.red(), 200) << yellow.name().toStdString();
    EXPECT_GT(yellow.green(), 200);
    EXPECT_LT(yellow.blue(), 100);

    QImage compass = NewImage(size, size);
    {
        QPainter painter(&compass);
        CompassMeterWidget::Paint(painter, view, QSizeF(size, size));
    }
    MaybeSave(compass, "compass_meter");

    QImage odometer = NewImage(104, 34);
    {
        QPainter painter(&odometer);
        OdometerWidget::Paint(painter, view.OdometerValue, QSizeF(104, 34));
    }
    MaybeSave(odometer, "odometer");
    // Some red in the last drum (the tenths), none in the first.
    const auto redPixels = [&odometer](int fromX, int toX) {
        int count = 0;
        for (int x = fromX; x < toX; ++x) {
            for (int y = 0; y < odometer.height(); ++y) {
                const QColor p = odometer.pixelColor(x, y);
                if (p.red() > 150 && p.green() < 80) ++count;
            }
        }
        return count;
    };
    EXPECT_GT(redPixels(78, 101), 5);
    EXPECT_EQ(redPixels(3, 26), 0);
}

TEST(NavigationPanelWidget, LiveValuesOnThePanelColour) {
    NavigationPanelView view;
    view.LatitudeText = "N 25.0336000\u00B0";
    view.LongitudeText = "E 121.5646000\u00B0";
    view.AltitudeText = "100.0 m ";
    view.FixText = "DGPS Fix(3D)";
    view.SatellitesUsedText = "9 ";
    view.UtcTimeText = "2021/10/18 12:35:19.250 ";
    view.LocalTimeText = "2021/10/18 20:35:19.250 ";
    view.SpeedText = "18.5 Km/H ";
    view.CourseText = "54.7\u00B0";
    view.PdopText = "1.80";
    view.HdopText = "0.90";
    view.VdopText = "1.50";
    view.FixKindLabel = "DGPS(0136)";
    view.FixKindLabelVisible = true;
    view.FixKindLabelColor = kDgpsFreshColor;
    QImage image = NewImage(640, 136);
    {
        QPainter painter(&image);
        NavigationPanelWidget::Paint(painter, view, QSizeF(640, 136));
    }
    MaybeSave(image, "navigation_panel");
    EXPECT_EQ(image.pixelColor(1, 1), QColor(0x15, 0x2B, 0x21));
    int live = 0;
    for (int x = 150; x < 320; ++x) {
        for (int y = 8; y < 30; ++y) {
            const QColor p = image.pixelColor(x, y);
            if (p.red() > 200 && p.green() > 140 && p.green() < 200) ++live;
        }
    }
    EXPECT_GT(live, 20) << "latitude text in the live colour";
    EXPECT_EQ(NavigationPanelWidget::SpotAt(QPointF(200, 20), QSizeF(640, 136)),
              NavigationPanelWidget::Spot::PositionValue);
    EXPECT_EQ(NavigationPanelWidget::SpotAt(QPointF(40, 40), QSizeF(640, 136)),
              NavigationPanelWidget::Spot::PositionCaption);
    EXPECT_EQ(NavigationPanelWidget::SpotAt(QPointF(500, 44), QSizeF(640, 136)),
              NavigationPanelWidget::Spot::TimeValue);
}

}  // namespace
}  // namespace gnss::ui
