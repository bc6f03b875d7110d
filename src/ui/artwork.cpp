#include "ui/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <functional>

#include "ui/ui_style.h"

namespace gnss::ui {

namespace {

using Draw = std::function<void(QPainter&)>;

// Renders a drawing made on a 24 x 24 grid at the given pixel size.
QPixmap Render(const Draw& draw, int sizePx) {
    QPixmap pixmap(sizePx, sizePx);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(sizePx / 24.0, sizePx / 24.0);
    draw(painter);
    return pixmap;
}

QIcon MakeIcon(const Draw& draw) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) icon.addPixmap(Render(draw, size));
    return icon;
}

QLinearGradient Vertical(qreal top, qreal bottom, const QColor& light, const QColor& dark) {
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, light);
    gradient.setColorAt(1, dark);
    return gradient;
}

QPen Outline(const QColor& color, qreal width = 1.0) {
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void DrawPlug(QPainter& p, bool connected) {
    const QColor body = connected ? QColor(0x2E, 0x9E, 0x4F) : QColor(0x3B, 0x6E, 0xB5);
    const qreal shift = connected ? 4.0 : 0.0;  // the socket moves onto the prongs
    // Cables.
    p.setPen(Outline(QColor(0x40, 0x40, 0x40), 2.2));
    p.drawLine(QPointF(0.8, 12), QPointF(4.5, 12));
    p.drawLine(QPointF(19.5 - shift, 12), QPointF(23.2, 12));
    // Prongs.
    p.setPen(Outline(QColor(0x55, 0x55, 0x55), 0.7));
    p.setBrush(QColor(0xD8, 0xD8, 0xD8));
    p.drawRect(QRectF(10.5, 8.6, 5.0, 2.0));
    p.drawRect(QRectF(10.5, 13.4, 5.0, 2.0));
    // Plug body.
    p.setPen(Outline(body.darker(160), 0.9));
    p.setBrush(Vertical(6, 18, body.lighter(140), body));
    p.drawRoundedRect(QRectF(3.5, 6.0, 7.5, 12.0), 2.0, 2.0);
    // Socket.
    const QColor socket(0x5C, 0x5C, 0x5C);
    p.setPen(Outline(socket.darker(170), 0.9));
    p.setBrush(Vertical(5, 19, socket.lighter(150), socket));
    p.drawRoundedRect(QRectF(16.0 - shift, 5.5, 5.5, 13.0), 1.6, 1.6);
    if (!connected) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x20, 0x20, 0x20));
        p.drawRect(QRectF(16.0, 9.0, 1.6, 1.6));
        p.drawRect(QRectF(16.0, 13.6, 1.6, 1.6));
    }
}

void DrawPause(QPainter& p, bool paused) {
    if (paused) {
        // Paused: the button offers to continue.
        QPainterPath triangle;
        triangle.moveTo(7, 4.5);
        triangle.lineTo(19.5, 12);
        triangle.lineTo(7, 19.5);
        triangle.closeSubpath();
        p.setPen(Outline(QColor(0x1C, 0x6E, 0x2F), 1.0));
        p.setBrush(Vertical(4, 20, QColor(0x8B, 0xE0, 0x8F), QColor(0x2E, 0x9E, 0x4F)));
        p.drawPath(triangle);
        return;
    }
    const QColor bar(0x3A, 0x7B, 0xD5);
    p.setPen(Outline(bar.darker(170), 0.9));
    p.setBrush(Vertical(4, 20, bar.lighter(150), bar));
    p.drawRoundedRect(QRectF(6.0, 4.5, 4.2, 15.0), 1.3, 1.3);
    p.drawRoundedRect(QRectF(13.8, 4.5, 4.2, 15.0), 1.3, 1.3);
}

void DrawLog(QPainter& p, bool recording) {
    // A page with a folded corner and written lines.
    QPainterPath page;
    page.moveTo(4, 2.5);
    page.lineTo(14.5, 2.5);
    page.lineTo(19, 7);
    page.lineTo(19, 21.5);
    page.lineTo(4, 21.5);
    page.closeSubpath();
    p.setPen(Outline(QColor(0x70, 0x70, 0x70), 0.9));
    p.setBrush(Vertical(2, 22, QColor(0xFF, 0xFF, 0xFF), QColor(0xE4, 0xE8, 0xEE)));
    p.drawPath(page);
    p.setBrush(QColor(0xC8, 0xCC, 0xD4));
    QPainterPath fold;
    fold.moveTo(14.5, 2.5);
    fold.lineTo(14.5, 7);
    fold.lineTo(19, 7);
    fold.closeSubpath();
    p.drawPath(fold);
    p.setPen(Outline(QColor(0x7A, 0x9C, 0xC8), 1.0));
    for (qreal y : {9.5, 12.5, 15.5}) p.drawLine(QPointF(6.5, y), QPointF(y < 15 ? 16 : 11, y));
    // The record lamp.
    const QPointF centre(17.0, 17.5);
    if (recording) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xFF, 0x40, 0x40, 90));
        p.drawEllipse(centre, 6.2, 6.2);
    }
    QRadialGradient lamp(centre - QPointF(1.2, 1.2), 5.0);
    const QColor red = recording ? QColor(0xFF, 0x20, 0x20) : QColor(0xB0, 0x2A, 0x2A);
    lamp.setColorAt(0, red.lighter(170));
    lamp.setColorAt(1, red);
    p.setPen(Outline(QColor(0xFF, 0xFF, 0xFF), 1.0));
    p.setBrush(lamp);
    p.drawEllipse(centre, 4.4, 4.4);
}

// A circular arrow around a letter: the restart buttons.
void DrawRestart(QPainter& p, const QColor& color, const QString& letter) {
    const QRectF ring(3.0, 3.0, 18.0, 18.0);
    p.setPen(Outline(color.darker(115), 2.6));
    p.setBrush(Qt::NoBrush);
    p.drawArc(ring, 115 * 16, 290 * 16);
    // Arrow head at the arc's start (top, pointing left-down along the circle).
    QPainterPath head;
    head.moveTo(7.0, 1.2);
    head.lineTo(12.6, 3.8);
    head.lineTo(7.6, 7.6);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(color.darker(115));
    p.drawPath(head);
    QFont font = SansFont(8, true);
    font.setPixelSize(10);
    p.setFont(font);
    p.setPen(color.darker(150));
    p.drawText(QRectF(5.0, 5.5, 14.0, 13.0), Qt::AlignCenter, letter);
}

void DrawMap(QPainter& p) {
    // A folded map in three panels.
    const QColor panels[3] = {QColor(0xB9, 0xE0, 0xA5), QColor(0xE9, 0xF3, 0xD8),
                              QColor(0xB9, 0xE0, 0xA5)};
    const qreal xs[4] = {2, 8, 14.5, 21.5};
    p.setPen(Outline(QColor(0x6B, 0x8E, 0x5A), 0.8));
    for (int i = 0; i < 3; ++i) {
        QPolygonF panel;
        const qreal top = i % 2 == 0 ? 6.0 : 4.0;
        const qreal nextTop = i % 2 == 0 ? 4.0 : 6.0;
        panel << QPointF(xs[i], top) << QPointF(xs[i + 1], nextTop)
              << QPointF(xs[i + 1], nextTop + 15) << QPointF(xs[i], top + 15);
        p.setBrush(panels[i]);
        p.drawPolygon(panel);
    }
    p.setPen(Outline(QColor(0x4F, 0x8F, 0xD0), 1.2));
    p.drawLine(QPointF(3, 17), QPointF(20, 12));
    // The pin.
    QPainterPath pin;
    pin.moveTo(12, 17.5);
    pin.cubicTo(8.5, 12.5, 7.5, 10.5, 7.5, 8.5);
    pin.arcTo(QRectF(7.5, 4.0, 9.0, 9.0), 180, -180);
    pin.cubicTo(16.5, 10.5, 15.5, 12.5, 12, 17.5);
    p.setPen(Outline(QColor(0x8E, 0x12, 0x12), 0.8));
    p.setBrush(Vertical(4, 18, QColor(0xFF, 0x6A, 0x5A), QColor(0xD0, 0x1E, 0x1E)));
    p.drawPath(pin);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(12, 8.5), 1.8, 1.8);
}

void DrawSatellite(QPainter& p, QPointF centre, qreal scale) {
    p.save();
    p.translate(centre);
    p.rotate(-35);
    p.scale(scale, scale);
    p.setPen(Outline(QColor(0x33, 0x3A, 0x4D), 0.7));
    p.setBrush(Vertical(-5, 5, QColor(0x7F, 0xB2, 0xF0), QColor(0x2C, 0x5E, 0xB0)));
    p.drawRect(QRectF(-9.5, -2.6, 6.0, 5.2));
    p.drawRect(QRectF(3.5, -2.6, 6.0, 5.2));
    p.setBrush(Vertical(-3, 3, QColor(0xF6, 0xD8, 0x6B), QColor(0xC8, 0x9A, 0x1E)));
    p.drawRoundedRect(QRectF(-3.0, -3.0, 6.0, 6.0), 1.0, 1.0);
    p.restore();
}

void DrawAssist(QPainter& p) {
    DrawSatellite(p, QPointF(9.5, 8.5), 1.0);
    // Download arrow.
    QPainterPath arrow;
    arrow.moveTo(15.0, 10.5);
    arrow.lineTo(19.0, 10.5);
    arrow.lineTo(19.0, 16.0);
    arrow.lineTo(22.0, 16.0);
    arrow.lineTo(17.0, 22.0);
    arrow.lineTo(12.0, 16.0);
    arrow.lineTo(15.0, 16.0);
    arrow.closeSubpath();
    p.setPen(Outline(QColor(0x1C, 0x6E, 0x2F), 0.8));
    p.setBrush(Vertical(10, 22, QColor(0x8B, 0xE0, 0x8F), QColor(0x2E, 0x9E, 0x4F)));
    p.drawPath(arrow);
}

void DrawMast(QPainter& p) {
    p.setPen(Outline(QColor(0x55, 0x55, 0x60), 1.4));
    p.drawLine(QPointF(12, 9), QPointF(7, 22));
    p.drawLine(QPointF(12, 9), QPointF(17, 22));
    p.drawLine(QPointF(9.2, 16.5), QPointF(14.8, 16.5));
    p.setPen(Outline(QColor(0xE0, 0x6A, 0x1E), 1.5));
    p.setBrush(Qt::NoBrush);
    for (qreal r : {4.0, 7.5}) {
        p.drawArc(QRectF(12 - r, 7 - r, 2 * r, 2 * r), 30 * 16, 120 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE0, 0x6A, 0x1E));
    p.drawEllipse(QPointF(12, 8), 2.0, 2.0);
}

void DrawAbout(QPainter& p) {
    const QColor blue(0x2A, 0x6F, 0xD0);
    QRadialGradient fill(QPointF(9, 8), 14);
    fill.setColorAt(0, blue.lighter(160));
    fill.setColorAt(1, blue);
    p.setPen(Outline(blue.darker(150), 0.9));
    p.setBrush(fill);
    p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(12, 7.4), 1.6, 1.6);
    p.drawRoundedRect(QRectF(10.6, 10.0, 2.8, 8.0), 0.8, 0.8);
}

void DrawGlobe(QPainter& p) {
    const QPointF centre(12, 12.5);
    QRadialGradient sea(QPointF(9, 9), 13);
    sea.setColorAt(0, QColor(0x8C, 0xC8, 0xFF));
    sea.setColorAt(1, QColor(0x14, 0x4E, 0xA0));
    p.setPen(Outline(QColor(0x0E, 0x36, 0x70), 0.8));
    p.setBrush(sea);
    p.drawEllipse(centre, 8.5, 8.5);
    // Grid of the globe.
    p.setPen(Outline(QColor(0xFF, 0xFF, 0xFF, 120), 0.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, 3.8, 8.5);
    p.drawLine(QPointF(centre.x(), 4.0), QPointF(centre.x(), 21.0));
    p.drawLine(QPointF(3.5, centre.y()), QPointF(20.5, centre.y()));
    p.drawLine(QPointF(5.0, 8.5), QPointF(19.0, 8.5));
    p.drawLine(QPointF(5.0, 16.5), QPointF(19.0, 16.5));
    // Orbit and satellite.
    p.save();
    p.translate(centre);
    p.rotate(-25);
    p.setPen(Outline(QColor(0xFF, 0xD2, 0x4A), 1.3));
    p.drawEllipse(QPointF(0, 0), 11.2, 4.2);
    p.restore();
    DrawSatellite(p, QPointF(19.2, 6.0), 0.55);
}

}  // namespace

QPixmap ProgramPixmap(int sizePx) {
    return Render(DrawGlobe, sizePx);
}

QIcon ProgramIcon() {
    return MakeIcon(DrawGlobe);
}

QIcon ToolIcon(ToolButton id, bool down) {
    switch (id) {
        case ToolButton::Connect:
            return MakeIcon([down](QPainter& p) { DrawPlug(p, down); });
        case ToolButton::Pause:
            return MakeIcon([down](QPainter& p) { DrawPause(p, down); });
        case ToolButton::Log:
            return MakeIcon([down](QPainter& p) { DrawLog(p, down); });
        case ToolButton::HotStart:
            return MakeIcon([](QPainter& p) { DrawRestart(p, QColor(0xE0, 0x45, 0x2B), "H"); });
        case ToolButton::WarmStart:
            return MakeIcon([](QPainter& p) { DrawRestart(p, QColor(0xEE, 0x93, 0x1A), "W"); });
        case ToolButton::ColdStart:
            return MakeIcon([](QPainter& p) { DrawRestart(p, QColor(0x2F, 0x8F, 0xE0), "C"); });
        case ToolButton::FactoryReset:
            return MakeIcon([](QPainter& p) { DrawRestart(p, QColor(0x80, 0x80, 0x88), "F"); });
        case ToolButton::Map:
            return MakeIcon(DrawMap);
        case ToolButton::Assistance:
            return MakeIcon(DrawAssist);
        case ToolButton::Corrections:
            return MakeIcon(DrawMast);
        case ToolButton::About:
            return MakeIcon(DrawAbout);
    }
    return {};
}

QPixmap LinkLampPixmap(LinkIcon icon, int sizePx) {
    const Rgb rgb = icon == LinkIcon::ConnectedLampOn    ? kLinkLampOnColor
                    : icon == LinkIcon::ConnectedLampOff ? kLinkLampOffColor
                                                         : kLinkLampDisconnectedColor;
    const QColor color = ToColor(rgb);
    const bool lit = icon == LinkIcon::ConnectedLampOn;
    return Render(
        [&](QPainter& p) {
            const QPointF centre(12, 12);
            if (lit) {
                QRadialGradient glow(centre, 11.5);
                glow.setColorAt(0.55, QColor(color.red(), color.green(), color.blue(), 140));
                glow.setColorAt(1.0, QColor(color.red(), color.green(), color.blue(), 0));
                p.setPen(Qt::NoPen);
                p.setBrush(glow);
                p.drawEllipse(centre, 11.5, 11.5);
            }
            QRadialGradient body(QPointF(9.5, 9.0), 9.0);
            body.setColorAt(0, color.lighter(lit ? 170 : 135));
            body.setColorAt(1, color.darker(lit ? 110 : 125));
            p.setPen(Outline(color.darker(220), 1.2));
            p.setBrush(body);
            p.drawEllipse(centre, 7.5, 7.5);
            // Highlight.
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255, lit ? 200 : 110));
            p.drawEllipse(QPointF(9.6, 9.2), 2.2, 1.6);
        },
        sizePx);
}

}  // namespace gnss::ui
