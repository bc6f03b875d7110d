#include "ui/chart_title_strip.h"

#include <QFontMetrics>
#include <QPainter>

#include <array>

#include "ui/sat_artwork.h"
#include "ui/ui_style.h"

namespace gnss::ui {

namespace {

// The legend's constellations, in the order users look for them.
constexpr std::array<SkyIconGroup, 7> kLegendGroups = {
    kIconGps, kIconGlonass, kIconGalileo, kIconBds, kIconQzss, kIconSbas, kIconIrnss};

const QColor kStripBackground(0x30, 0x00, 0x30);
const QColor kStripText(0xD8, 0xC8, 0xE0);
const QColor kUsedOutline(0xBB, 0xFF, 0x77);
const QColor kTrackedOutline(0x80, 0xBF, 0xFF);

}  // namespace

ChartTitleStrip::ChartTitleStrip(const QString& title, QWidget* parent)
    : QWidget(parent), title_(title) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ChartTitleStrip::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.fillRect(rect(), kStripBackground);
    p.setRenderHint(QPainter::Antialiasing);

    QFont titleFont = SansFont(9, true);
    titleFont.setPixelSize(11);
    p.setFont(titleFont);
    p.setPen(kStripText);
    const QRect textRect = rect().adjusted(6, 0, -6, 0);
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, title_);
    const int titleRight = textRect.left() + QFontMetrics(titleFont).horizontalAdvance(title_);

    // The legend, right-aligned: swatches of the constellation colours, then the two bar styles.
    QFont legendFont = SansFont(8);
    legendFont.setPixelSize(10);
    const QFontMetrics metrics(legendFont);
    p.setFont(legendFont);
    const int swatch = 8;
    const int gap = 10;
    const int cy = height() / 2;
    int width = 0;
    for (SkyIconGroup group : kLegendGroups) {
        width += swatch + 3 + metrics.horizontalAdvance(SatArtwork::GroupName(group)) + gap;
    }
    const QString used = tr("used");
    const QString tracked = tr("tracked");
    width += gap + 2 * (swatch + 3) + metrics.horizontalAdvance(used) + gap +
             metrics.horizontalAdvance(tracked);
    int x = textRect.right() - width;
    if (x < titleRight + 2 * gap) return;  // no room: the title alone

    for (SkyIconGroup group : kLegendGroups) {
        p.setPen(QPen(QColor(0, 0, 0, 160), 0.8));
        p.setBrush(SatArtwork::GroupColor(group));
        p.drawRect(QRectF(x, cy - swatch / 2.0, swatch, swatch));
        x += swatch + 3;
        p.setPen(kStripText);
        const QString name = SatArtwork::GroupName(group);
        p.drawText(QRect(x, 0, metrics.horizontalAdvance(name) + 1, height()),
                   Qt::AlignLeft | Qt::AlignVCenter, name);
        x += metrics.horizontalAdvance(name) + gap;
    }
    x += gap;
    const auto barSample = [&](const QPen& outline, double opacity, const QString& text) {
        p.setBrush(QColor(0xE0, 0x60, 0x40));
        p.setOpacity(opacity);
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(x, cy - swatch / 2.0, swatch, swatch));
        p.setOpacity(1.0);
        p.setPen(outline);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(x, cy - swatch / 2.0, swatch, swatch));
        x += swatch + 3;
        p.setPen(kStripText);
        p.drawText(QRect(x, 0, metrics.horizontalAdvance(text) + 1, height()),
                   Qt::AlignLeft | Qt::AlignVCenter, text);
        x += metrics.horizontalAdvance(text) + gap;
    };
    barSample(QPen(kUsedOutline, 1), 1.0, used);
    barSample(QPen(kTrackedOutline, 1, Qt::DotLine), 0.5, tracked);
}

}  // namespace gnss::ui
