#include "ui/gauge_widgets.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "ui/sat_artwork.h"

namespace gnss::ui {

namespace {

struct DialScale {
    int Maximum;  // the last labelled value
    int Major;    // labelled every
    int Minor;    // tick every
    const char* Unit;
};

// Labelled scales of the three dials; the angle of a value follows the speedometer formula.
DialScale ScaleOf(SpeedometerFace face) {
    switch (face) {
        case SpeedometerFace::Kilometres:
            return {360, 40, 10, "km/h"};
        case SpeedometerFace::Miles:
            return {240, 40, 10, "mph"};
        case SpeedometerFace::NauticalMiles:
            return {60, 10, 2, "knots"};
    }
    return {360, 40, 10, "km/h"};
}

int ScaleConstant(SpeedometerFace face) {
    for (const SpeedUnit& unit : kSpeedUnits) {
        if (unit.Face == face) return unit.SpeedometerScale;
    }
    return 121;
}

QFont DialFont(double pixelSize, bool bold = true) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(6, static_cast<int>(std::lround(pixelSize))));
    font.setBold(bold);
    return font;
}

// Bezel and face shared by the three meters; returns the face radius.
double PaintFace(QPainter& p, QPointF c, double radius) {
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient bezel(c, radius);
    bezel.setColorAt(0.86, QColor(0x5A, 0x63, 0x6E));
    bezel.setColorAt(0.93, QColor(0xC9, 0xD1, 0xDA));
    bezel.setColorAt(1.0, QColor(0x2A, 0x30, 0x38));
    p.setPen(Qt::NoPen);
    p.setBrush(bezel);
    p.drawEllipse(c, radius, radius);
    const double face = radius * 0.88;
    QRadialGradient dial(c - QPointF(0, face * 0.3), face * 1.3);
    dial.setColorAt(0.0, QColor(0x2C, 0x33, 0x3C));
    dial.setColorAt(1.0, QColor(0x0C, 0x0F, 0x13));
    p.setBrush(dial);
    p.drawEllipse(c, face, face);
    return face;
}

void PaintNeedle(QPainter& p, QPointF c, double length, double angle, const QColor& color,
                 const QColor& fill, double width) {
    p.save();
    p.translate(c);
    p.rotate(angle);
    QPainterPath needle;
    needle.moveTo(0, -length);
    needle.lineTo(width, 0);
    needle.lineTo(width * 0.6, length * 0.18);
    needle.lineTo(-width * 0.6, length * 0.18);
    needle.lineTo(-width, 0);
    needle.closeSubpath();
    p.setPen(QPen(color.lighter(150), 0.8));
    p.setBrush(fill);
    p.drawPath(needle);
    p.restore();
    QRadialGradient hub(c, width * 1.6);
    hub.setColorAt(0.0, QColor(0xE8, 0xEC, 0xF0));
    hub.setColorAt(1.0, QColor(0x50, 0x58, 0x62));
    p.setPen(Qt::NoPen);
    p.setBrush(hub);
    p.drawEllipse(c, width * 1.5, width * 1.5);
}

// A compass card: ticks every 5 degrees, the four directions and figures every 30.
void PaintCompassCard(QPainter& p, QPointF c, double face, const QColor& accent) {
    for (int a = 0; a < 360; a += 5) {
        const bool major = a % 30 == 0;
        const double inner = face * (major ? 0.80 : a % 10 == 0 ? 0.85 : 0.89);
        p.setPen(QPen(major ? QColor(0xF0, 0xF0, 0xF0) : QColor(0xA0, 0xA8, 0xB0),
                      major ? face * 0.025 : face * 0.012));
        p.drawLine(DialPoint(c, inner, a), DialPoint(c, face * 0.94, a));
    }
    const std::array<const char*, 4> letters = {"N", "E", "S", "W"};
    p.setFont(DialFont(face * 0.2));
    for (int i = 0; i < 4; ++i) {
        const QPointF at = DialPoint(c, face * 0.62, i * 90);
        p.setPen(i == 0 ? accent : QColor(0xF0, 0xF0, 0xF0));
        p.drawText(QRectF(at.x() - face * 0.2, at.y() - face * 0.15, face * 0.4, face * 0.3),
                   Qt::AlignCenter, QString::fromLatin1(letters[i]));
    }
    p.setFont(DialFont(face * 0.11, false));
    p.setPen(QColor(0xB8, 0xC0, 0xC8));
    for (int a = 30; a < 360; a += 30) {
        if (a % 90 == 0) continue;
        const QPointF at = DialPoint(c, face * 0.66, a);
        p.drawText(QRectF(at.x() - face * 0.15, at.y() - face * 0.08, face * 0.3, face * 0.16),
                   Qt::AlignCenter, QString::number(a / 10));
    }
}

void PaintHeadingText(QPainter& p, QPointF c, double face, int heading, const QString& title) {
    const int shown = ((heading % 360) + 360) % 360;
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(std::max(7, static_cast<int>(face * 0.16)));
    mono.setBold(true);
    p.setFont(mono);
    const QRectF box(c.x() - face * 0.3, c.y() + face * 0.3, face * 0.6, face * 0.22);
    p.setPen(QPen(QColor(0x40, 0x48, 0x52), 1));
    p.setBrush(QColor(0x05, 0x08, 0x0B));
    p.drawRoundedRect(box, 3, 3);
    p.setPen(QColor(0xF0, 0xF0, 0xF0));
    p.drawText(box, Qt::AlignCenter, QStringLiteral("%1\u00B0").arg(shown, 3, 10, QChar('0')));
    p.setFont(DialFont(face * 0.1, false));
    p.setPen(QColor(0x90, 0x98, 0xA0));
    p.drawText(QRectF(c.x() - face * 0.4, c.y() - face * 0.42, face * 0.8, face * 0.14),
               Qt::AlignCenter, title);
}

struct Square {
    QPointF Centre;
    double Radius;
};
Square SquareOf(QSizeF size) {
    const double radius = std::min(size.width(), size.height()) / 2.0 - 1.0;
    return {QPointF(size.width() / 2.0, size.height() / 2.0), radius};
}

}  // namespace

QPointF DialPoint(QPointF centre, double radius, double angle) {
    const double a = angle * std::numbers::pi / 180.0;
    return {centre.x() + radius * std::sin(a), centre.y() - radius * std::cos(a)};
}

SpeedometerWidget::SpeedometerWidget(QWidget* parent) : QWidget(parent) {
    setVisible(false);
}

void SpeedometerWidget::SetView(const GaugesView& view) {
    view_ = view;
    setVisible(view.SpeedometerVisible);
    update();
}

void SpeedometerWidget::Paint(QPainter& p, const GaugesView& view, QSizeF size) {
    const auto [c, radius] = SquareOf(size);
    const double face = PaintFace(p, c, radius);
    const DialScale scale = ScaleOf(view.Face);
    const int constant = ScaleConstant(view.Face);
    const auto angleOf = [constant](double value) {
        return value * 90.0 / constant + kSpeedometerZeroAngle;
    };

    // The last fifth of the dial is the upper range, drawn as a red band.
    const double bandRadius = face * 0.86;
    const QRectF band(c.x() - bandRadius, c.y() - bandRadius, 2 * bandRadius, 2 * bandRadius);
    const auto qtAngle = [](double clockwiseFromTop) { return (90.0 - clockwiseFromTop) * 16.0; };
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x3A, 0x8F, 0xD8, 170), face * 0.05, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(band, static_cast<int>(qtAngle(kSpeedometerZeroAngle)),
              static_cast<int>(-216.0 * 16.0));
    p.setPen(QPen(QColor(0xE0, 0x30, 0x40, 200), face * 0.05, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(band, static_cast<int>(qtAngle(kSpeedometerZeroAngle + 216.0)),
              static_cast<int>(-54.0 * 16.0));

    for (int v = 0; v <= scale.Maximum; v += scale.Minor) {
        const bool major = v % scale.Major == 0;
        const double angle = angleOf(v);
        p.setPen(QPen(major ? QColor(0xF2, 0xF2, 0xF2) : QColor(0x9A, 0xA2, 0xAA),
                      major ? face * 0.03 : face * 0.014));
        p.drawLine(DialPoint(c, face * (major ? 0.74 : 0.8), angle),
                   DialPoint(c, face * 0.9, angle));
        if (major) {
            const QPointF at = DialPoint(c, face * 0.6, angle);
            p.setFont(DialFont(face * 0.105));
            p.drawText(QRectF(at.x() - face * 0.2, at.y() - face * 0.08, face * 0.4, face * 0.16),
                       Qt::AlignCenter, QString::number(v));
        }
    }
    p.setFont(DialFont(face * 0.12, false));
    p.setPen(QColor(0xB0, 0xB8, 0xC0));
    p.drawText(QRectF(c.x() - face * 0.4, c.y() + face * 0.32, face * 0.8, face * 0.18),
               Qt::AlignCenter, QString::fromLatin1(scale.Unit));

    const QColor color = ToQColor(view.SpeedometerColor);
    PaintNeedle(p, c, face * 0.84, view.SpeedometerAngle, color, color, face * 0.06);
}

void SpeedometerWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    Paint(painter, view_, size());
}

HeadingMeterWidget::HeadingMeterWidget(QWidget* parent) : QWidget(parent) {
    setVisible(false);
}

void HeadingMeterWidget::SetView(const GaugesView& view) {
    view_ = view;
    setVisible(view.HeadingMeterVisible);
    update();
}

void HeadingMeterWidget::Paint(QPainter& p, const GaugesView& view, QSizeF size) {
    const auto [c, radius] = SquareOf(size);
    const double face = PaintFace(p, c, radius);
    PaintCompassCard(p, c, face, QColor(0xFF, 0x6B, 0x6B));
    PaintHeadingText(p, c, face, view.Heading, QStringLiteral("COG"));
    PaintNeedle(p, c, face * 0.8, view.Heading, ToQColor(view.HeadingNeedleColor),
                ToQColor(view.HeadingArrowColor), face * 0.07);
}

void HeadingMeterWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    Paint(painter, view_, size());
}

CompassMeterWidget::CompassMeterWidget(QWidget* parent) : QWidget(parent) {
    setVisible(false);
}

void CompassMeterWidget::SetView(const GaugesView& view) {
    view_ = view;
    setVisible(view.CompassMeterVisible);
    update();
}

void CompassMeterWidget::Paint(QPainter& p, const GaugesView& view, QSizeF size) {
    const auto [c, radius] = SquareOf(size);
    const double face = PaintFace(p, c, radius);
    PaintCompassCard(p, c, face, ToQColor(view.CompassColor));
    PaintHeadingText(p, c, face, view.CompassHeading, QStringLiteral("HEADING"));
    const QColor color = ToQColor(view.CompassColor);
    PaintNeedle(p, c, face * 0.8, view.CompassHeading, color, color, face * 0.07);
}

void CompassMeterWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    Paint(painter, view_, size());
}

OdometerWidget::OdometerWidget(QWidget* parent) : QWidget(parent) {}

void OdometerWidget::SetView(const GaugesView& view) {
    if (view.OdometerValue == value_) return;
    value_ = view.OdometerValue;
    update();
}

void OdometerWidget::Paint(QPainter& p, int value, QSizeF size) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x5A, 0x63, 0x6E), 1));
    p.setBrush(QColor(0x1A, 0x1E, 0x23));
    p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 4, 4);
    const int shown = ((value % 10000) + 10000) % 10000;
    const double margin = 3.0;
    const double gap = 2.0;
    const double cell = (size.width() - 2 * margin - 3 * gap) / 4.0;
    const double height = size.height() - 2 * margin;
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(std::max(7, static_cast<int>(height * 0.72)));
    mono.setBold(true);
    p.setFont(mono);
    for (int i = 0; i < 4; ++i) {
        int divisor = 1;
        for (int k = i; k < 3; ++k) divisor *= 10;
        const int digit = shown / divisor % 10;
        const QRectF drum(margin + i * (cell + gap), margin, cell, height);
        QLinearGradient shade(drum.topLeft(), drum.bottomLeft());
        shade.setColorAt(0.0, QColor(0x05, 0x05, 0x05));
        shade.setColorAt(0.5, i == 3 ? QColor(0xF4, 0xF0, 0xE8) : QColor(0x30, 0x33, 0x38));
        shade.setColorAt(1.0, QColor(0x05, 0x05, 0x05));
        p.setPen(Qt::NoPen);
        p.setBrush(shade);
        p.drawRoundedRect(drum, 2, 2);
        p.setPen(i == 3 ? QColor(0xD0, 0x10, 0x20) : QColor(0xF2, 0xF2, 0xF2));
        p.drawText(drum, Qt::AlignCenter, QString::number(digit));
    }
    // The decimal point before the tenths.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF2, 0xF2, 0xF2));
    p.drawEllipse(QPointF(margin + 3 * (cell + gap) - gap / 2, margin + height - 3), 1.2, 1.2);
}

void OdometerWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    Paint(painter, value_, size());
}

}  // namespace gnss::ui
