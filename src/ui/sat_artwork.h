#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>

#include <array>
#include <map>

#include "views/sky_plot_model.h"
#include "views/speed_units.h"

namespace gnss::ui {

[[nodiscard]] inline QColor ToQColor(Rgb rgb) {
    return QColor::fromRgb(static_cast<QRgb>(0xFF000000u | rgb));
}

// The artwork of the satellite views, drawn by the program itself for the sizes the views fix:
// the two sky backgrounds (kSkyImageSize square), the 21 satellite icons (24x24: seven
// constellation groups x used / tracked / no signal), the antenna badges (32x32: 1 OK, 2 open,
// 3 short) and the bar gradient (61x130; the bars use its columns 47..60). Images are rendered
// for a device pixel ratio and kept.
class SatArtwork {
  public:
    static SatArtwork& Instance();

    const QPixmap& SkyBackground(gnss::SkyBackground kind, qreal dpr);
    const QPixmap& SatelliteIcon(int index, qreal dpr);
    const QPixmap& AntennaBadge(int index, qreal dpr);
    const QImage& BarGradient();
    // The bars' columns of the gradient scaled once to `size` (a bar's width and the whole
    // gradient's height at the chart's scale), so that each bar is a plain copy of its lower
    // part; the last size asked for is kept.
    const QImage& BarGradientScaled(QSize size);

    // The fill colour of a constellation group's icons.
    static QColor GroupColor(SkyIconGroup group);
    static QString GroupName(SkyIconGroup group);

    // Gradient geometry.
    static constexpr int kGradientWidth = 61;
    static constexpr int kGradientFirstColumn = 47;
    static constexpr int kGradientColumns = 14;

  private:
    SatArtwork() = default;
    static QPixmap RenderSky(gnss::SkyBackground kind, qreal dpr);
    static QPixmap RenderIcon(int index, qreal dpr);
    static QPixmap RenderBadge(int index, qreal dpr);

    std::map<std::pair<int, qreal>, QPixmap> skies_;
    std::map<std::pair<int, qreal>, QPixmap> icons_;
    std::map<std::pair<int, qreal>, QPixmap> badges_;
    QImage gradient_;
    QImage scaledGradient_;
};

}  // namespace gnss::ui
