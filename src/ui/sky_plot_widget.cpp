#include "ui/sky_plot_widget.h"

#include <QFont>
#include <QPainter>

#include <algorithm>

#include "ui/sat_artwork.h"
#include "ui/ui_style.h"

namespace gnss::ui {

SkyPlotWidget::SkyPlotWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SkyPlotWidget::SetView(const SkyPlotView& view) {
    view_ = view;
    update();
}

void SkyPlotWidget::Paint(QPainter& painter, const SkyPlotView& view, qreal dpr) {
    SatArtwork& art = SatArtwork::Instance();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(0, 0, art.SkyBackground(view.Background, dpr));

    QFont font = LabelFont(8, true);
    for (const SkyIcon& icon : view.Icons) {
        painter.drawPixmap(icon.IconLeft, icon.IconTop, art.SatelliteIcon(icon.IconIndex, dpr));
        // Point sizes of the design are at 96 dots per inch; here one unit is one pixel.
        font.setPixelSize(std::max(1, icon.LabelFontSize * 4 / 3));
        painter.setFont(font);
        painter.setPen(ToQColor(icon.LabelColor));
        painter.drawText(QRectF(icon.LabelCenterX - 20, icon.LabelTop, 40, 14),
                         Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(icon.Label));
    }
    if (view.AntennaBadge != AntennaState::Unknown) {
        painter.drawPixmap(0, 0, art.AntennaBadge(static_cast<int>(view.AntennaBadge), dpr));
    }
}

void SkyPlotWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x0C, 0x11, 0x18));
    const qreal scale = std::min(width(), height()) / static_cast<qreal>(kSkyImageSize);
    painter.translate((width() - kSkyImageSize * scale) / 2,
                      (height() - kSkyImageSize * scale) / 2);
    painter.scale(scale, scale);
    Paint(painter, view_, devicePixelRatioF() * scale);
}

}  // namespace gnss::ui
