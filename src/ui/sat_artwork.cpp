#include "ui/sat_artwork.h"

#include <algorithm>

#include "views/sat_chart_model.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace gnss::ui {

namespace {

constexpr std::array<SkyIconGroup, 7> kGroups = {kIconGps,     kIconGlonass, kIconBds,  kIconSbas,
                                                 kIconGalileo, kIconQzss,    kIconIrnss};

QPixmap NewPixmap(int size, qreal dpr) {
    QPixmap pixmap(QSize(size, size) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// The point of the sky image where elevation 90 lands (see SkyPosition).
QPointF SkyCentre() {
    const SkyPoint zenith = SkyPosition(90, 0, 180);
    return {zenith.X + 0.5, zenith.Y + 0.5};
}

// Where a group's artwork puts the satellite inside its 24x24 icon, so that the label the sky
// plot writes at the satellite's point sits in the middle of the disc.
QPointF DiscCentre(SkyIconGroup group) {
    // The icon corner is (x - 9 + dx, y - 8 + dy); the label is centred at x + labelDx with its
    // top at y - 5 + labelDy, its middle about 5.5 pixels lower.
    int dx = 0, dy = 0, labelDx = 0, labelDy = 0;
    switch (group) {
        case kIconGlonass:
            labelDy = 1;
            break;
        case kIconSbas:
        case kIconGalileo:
            labelDx = 1;
            break;
        case kIconQzss:
            dx = -2;
            labelDx = 1;
            break;
        case kIconIrnss:
            dx = -3;
            dy = -2;
            break;
        default:
            break;
    }
    return {9.0 - dx + labelDx + 0.5, 8.0 - dy - 5 + labelDy + 5.5 + 0.5};
}

}  // namespace

SatArtwork& SatArtwork::Instance() {
    static SatArtwork artwork;
    return artwork;
}

QColor SatArtwork::GroupColor(SkyIconGroup group) {
    switch (group) {
        case kIconGps:
            return QColor(0xA4, 0xD1, 0xFF);
        case kIconGlonass:
            return QColor(0xFF, 0xC2, 0xA6);
        case kIconBds:
            return QColor(0xFF, 0xBB, 0xDD);
        case kIconSbas:
            return QColor(0xFF, 0xFF, 0x8E);
        case kIconGalileo:
            return QColor(0xC8, 0xFF, 0xCE);
        case kIconQzss:
            return QColor(0xD5, 0xAA, 0xFF);
        case kIconIrnss:
            return QColor(0xEC, 0xCB, 0x13);
    }
    return QColor(0x80, 0x80, 0x80);
}

QString SatArtwork::GroupName(SkyIconGroup group) {
    switch (group) {
        case kIconGps:
            return QStringLiteral("GPS");
        case kIconGlonass:
            return QStringLiteral("GLO");
        case kIconBds:
            return QStringLiteral("BDS");
        case kIconSbas:
            return QStringLiteral("SBAS");
        case kIconGalileo:
            return QStringLiteral("GAL");
        case kIconQzss:
            return QStringLiteral("QZSS");
        case kIconIrnss:
            return QStringLiteral("IRNSS");
    }
    return {};
}

const QPixmap& SatArtwork::SkyBackground(gnss::SkyBackground kind, qreal dpr) {
    const auto key = std::make_pair(static_cast<int>(kind), dpr);
    auto it = skies_.find(key);
    if (it == skies_.end()) it = skies_.emplace(key, RenderSky(kind, dpr)).first;
    return it->second;
}

const QPixmap& SatArtwork::SatelliteIcon(int index, qreal dpr) {
    const auto key = std::make_pair(index, dpr);
    auto it = icons_.find(key);
    if (it == icons_.end()) it = icons_.emplace(key, RenderIcon(index, dpr)).first;
    return it->second;
}

const QPixmap& SatArtwork::AntennaBadge(int index, qreal dpr) {
    const auto key = std::make_pair(index, dpr);
    auto it = badges_.find(key);
    if (it == badges_.end()) it = badges_.emplace(key, RenderBadge(index, dpr)).first;
    return it->second;
}

QPixmap SatArtwork::RenderSky(gnss::SkyBackground kind, qreal dpr) {
    const int size = kSkyImageSize;
    QPixmap pixmap = NewPixmap(size, dpr);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // The frame around the sky.
    QLinearGradient frame(0, 0, 0, size);
    frame.setColorAt(0, QColor(0x1A, 0x22, 0x2E));
    frame.setColorAt(1, QColor(0x0C, 0x11, 0x18));
    p.fillRect(QRectF(0, 0, size, size), frame);

    const QPointF c = SkyCentre();
    const double horizon = SkyScale(kind) / 2.0;
    const auto ring = [&](int elevation) { return (90.0 - elevation) / 90.0 * horizon; };

    // The sky: lighter at the zenith, deep blue at the horizon.
    QRadialGradient sky(c, horizon);
    sky.setColorAt(0.0, QColor(0x2B, 0x4F, 0x7A));
    sky.setColorAt(0.75, QColor(0x17, 0x33, 0x55));
    sky.setColorAt(1.0, QColor(0x0F, 0x24, 0x3D));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawEllipse(c, horizon, horizon);

    // Azimuth spokes every 30 degrees, the four main directions stronger.
    for (int az = 0; az < 360; az += 30) {
        const double a = az * std::numbers::pi / 180.0;
        const QPointF end(c.x() + horizon * std::sin(a), c.y() - horizon * std::cos(a));
        p.setPen(QPen(QColor(0x8F, 0xB8, 0xE0, az % 90 == 0 ? 95 : 45), 1.0));
        p.drawLine(c, end);
    }
    // Elevation rings: 15-degree steps faint, 30 and 60 marked.
    p.setBrush(Qt::NoBrush);
    for (int el : {15, 45, 75}) {
        p.setPen(QPen(QColor(0x8F, 0xB8, 0xE0, 40), 1.0));
        p.drawEllipse(c, ring(el), ring(el));
    }
    for (int el : {30, 60}) {
        p.setPen(QPen(QColor(0x9F, 0xC8, 0xF0, 110), 1.0, Qt::DashLine));
        p.drawEllipse(c, ring(el), ring(el));
    }
    // The horizon with tick marks every 10 degrees outside it.
    p.setPen(QPen(QColor(0xA8, 0xD0, 0xF5), 1.5));
    p.drawEllipse(c, horizon, horizon);
    for (int az = 0; az < 360; az += 10) {
        const double a = az * std::numbers::pi / 180.0;
        const double len = az % 30 == 0 ? 4.0 : 2.0;
        p.setPen(QPen(QColor(0xA8, 0xD0, 0xF5, az % 30 == 0 ? 200 : 120), 1.0));
        p.drawLine(
            QPointF(c.x() + horizon * std::sin(a), c.y() - horizon * std::cos(a)),
            QPointF(c.x() + (horizon + len) * std::sin(a), c.y() - (horizon + len) * std::cos(a)));
    }

    // Elevation figures along the north-east spoke.
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(8);
    p.setFont(small);
    p.setPen(QColor(0xB8, 0xD4, 0xF0, 170));
    for (int el : {30, 60}) {
        const double a = 45.0 * std::numbers::pi / 180.0;
        const QPointF at(c.x() + ring(el) * std::sin(a) + 1, c.y() - ring(el) * std::cos(a) - 1);
        p.drawText(at, QStringLiteral("%1\u00B0").arg(el));
    }

    // Compass directions just outside the horizon.
    QFont letters(QStringLiteral("DejaVu Sans"));
    letters.setPixelSize(kind == gnss::SkyBackground::Gps ? 11 : 12);
    letters.setBold(true);
    p.setFont(letters);
    const double labelRadius = horizon + (kind == gnss::SkyBackground::Gps ? 11.5 : 14.0);
    const std::array<std::pair<int, QString>, 4> directions = {{{0, QStringLiteral("N")},
                                                                {90, QStringLiteral("E")},
                                                                {180, QStringLiteral("S")},
                                                                {270, QStringLiteral("W")}}};
    for (const auto& [az, text] : directions) {
        const double a = az * std::numbers::pi / 180.0;
        const QPointF at(c.x() + labelRadius * std::sin(a), c.y() - labelRadius * std::cos(a));
        p.setPen(az == 0 ? QColor(0xFF, 0x6B, 0x6B) : QColor(0xD8, 0xE6, 0xF5));
        p.drawText(QRectF(at.x() - 8, at.y() - 8, 16, 16), Qt::AlignCenter, text);
    }

    if (kind == gnss::SkyBackground::MultiGnss) {
        // Constellation legend in the lower corners.
        QFont legend(QStringLiteral("DejaVu Sans"));
        legend.setPixelSize(8);
        legend.setBold(true);
        p.setFont(legend);
        for (std::size_t i = 0; i < kGroups.size(); ++i) {
            const bool left = i < 4;
            const int row = left ? static_cast<int>(i) : static_cast<int>(i) - 4 + 1;
            const double y = size - 8.0 - (3 - row) * 10.0;
            const double x = left ? 5.0 : size - 37.0;
            p.setPen(QPen(QColor(0, 0, 0, 160), 0.8));
            p.setBrush(GroupColor(kGroups[i]));
            p.drawEllipse(QPointF(x + 3, y - 3), 3.2, 3.2);
            p.setPen(QColor(0xD8, 0xE6, 0xF5));
            p.drawText(QPointF(x + 9, y), GroupName(kGroups[i]));
        }
    }
    return pixmap;
}

QPixmap SatArtwork::RenderIcon(int index, qreal dpr) {
    QPixmap pixmap = NewPixmap(kSkyIconSize, dpr);
    if (index < 0 || index >= kSkyIconCount) return pixmap;
    const auto group = static_cast<SkyIconGroup>(index / 3 * 3);
    const int state = index % 3;  // 0 used, 1 tracked, 2 no signal
    const QColor base = GroupColor(group);
    const QPointF c = DiscCentre(group);
    const double r = 8.5;

    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (state == 2) {
        p.setBrush(QColor(0x34, 0x3C, 0x48, 230));
        p.setPen(QPen(base, 1.3, Qt::DashLine));
        p.drawEllipse(c, r - 0.5, r - 0.5);
        return pixmap;
    }
    if (state == 0) {
        // Used in the fix: a soft halo and a bright ring.
        QRadialGradient halo(c, r + 3.5);
        halo.setColorAt(0.6, QColor(0xBB, 0xFF, 0x77, 150));
        halo.setColorAt(1.0, QColor(0xBB, 0xFF, 0x77, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(c, r + 3.5, r + 3.5);
    }
    QRadialGradient fill(c + QPointF(-3, -3), r * 1.6);
    fill.setColorAt(0.0, base.lighter(state == 0 ? 118 : 108));
    fill.setColorAt(1.0, state == 0 ? base : base.darker(125));
    p.setBrush(fill);
    p.setPen(state == 0 ? QPen(QColor(0xE8, 0xFF, 0xD0), 1.6)
                        : QPen(QColor(0x10, 0x18, 0x22), 1.0));
    p.drawEllipse(c, r - 0.5, r - 0.5);
    return pixmap;
}

QPixmap SatArtwork::RenderBadge(int index, qreal dpr) {
    QPixmap pixmap = NewPixmap(kAntennaBadgeSize, dpr);
    if (index < 1 || index > 3) return pixmap;
    const QColor colors[] = {
        {}, QColor(0x4C, 0xD9, 0x64), QColor(0xFF, 0xB0, 0x20), QColor(0xFF, 0x45, 0x45)};
    const QString texts[] = {
        {}, QStringLiteral("OK"), QStringLiteral("OPEN"), QStringLiteral("SHORT")};
    const QColor color = colors[index];
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color.darker(160), 1.0));
    p.setBrush(QColor(0x0A, 0x10, 0x18, 210));
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 5, 5);

    // Antenna: a mast with a dish of waves on top.
    p.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap));
    const QPointF top(16, 9);
    if (index == 2) {
        p.drawLine(QPointF(16, 12), QPointF(16, 15));  // a broken mast: open circuit
        p.drawLine(QPointF(16, 18), QPointF(16, 21));
    } else {
        p.drawLine(QPointF(16, 12), QPointF(16, 21));
    }
    p.drawLine(QPointF(12, 21), QPointF(20, 21));
    p.setBrush(color);
    p.drawEllipse(top, 1.6, 1.6);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color, 1.3, Qt::SolidLine, Qt::RoundCap));
    for (double radius : {4.0, 7.0}) {
        p.drawArc(QRectF(top.x() - radius, top.y() - radius, 2 * radius, 2 * radius), 35 * 16,
                  110 * 16);
    }
    if (index == 3) {
        // A short: a spark across the mast.
        QPainterPath spark;
        spark.moveTo(11, 13);
        spark.lineTo(17, 16);
        spark.lineTo(15, 17);
        spark.lineTo(21, 20);
        p.setPen(QPen(QColor(0xFF, 0xF0, 0x60), 1.4));
        p.drawPath(spark);
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(index == 3 ? 6 : 7);
    font.setBold(true);
    p.setFont(font);
    p.setPen(color);
    p.drawText(QRectF(1, 22, 30, 9), Qt::AlignCenter, texts[index]);
    return pixmap;
}

const QImage& SatArtwork::BarGradient() {
    if (!gradient_.isNull()) return gradient_;
    gradient_ = QImage(kGradientWidth, kChartGradientHeight, QImage::Format_ARGB32_Premultiplied);
    gradient_.fill(Qt::transparent);
    QPainter p(&gradient_);
    // Row 0 stands for the strongest signal (65 dB-Hz), the last row for the weakest.
    QLinearGradient strength(0, 0, 0, kChartGradientHeight);
    strength.setColorAt(0.00, QColor(0x2E, 0xF0, 0x6A));
    strength.setColorAt(0.38, QColor(0x9B, 0xE8, 0x3C));
    strength.setColorAt(0.62, QColor(0xF5, 0xD9, 0x3A));
    strength.setColorAt(0.82, QColor(0xFF, 0x8A, 0x1E));
    strength.setColorAt(1.00, QColor(0xE8, 0x2A, 0x3A));
    p.fillRect(gradient_.rect(), strength);
    // Rounded shading across the bar columns.
    QLinearGradient shade(kGradientFirstColumn, 0, kGradientFirstColumn + kGradientColumns, 0);
    shade.setColorAt(0.0, QColor(0, 0, 0, 90));
    shade.setColorAt(0.35, QColor(255, 255, 255, 60));
    shade.setColorAt(0.55, QColor(255, 255, 255, 20));
    shade.setColorAt(1.0, QColor(0, 0, 0, 110));
    p.fillRect(QRect(kGradientFirstColumn, 0, kGradientColumns, kChartGradientHeight), shade);
    return gradient_;
}

const QImage& SatArtwork::BarGradientScaled(QSize size) {
    if (scaledGradient_.size() == size) return scaledGradient_;
    scaledGradient_ = BarGradient()
                          .copy(kGradientFirstColumn, 0, kGradientColumns, kChartGradientHeight)
                          .scaled(std::max(1, size.width()), std::max(1, size.height()),
                                  Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return scaledGradient_;
}

}  // namespace gnss::ui
