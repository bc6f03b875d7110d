#include "ui/signal_chart_widget.h"

#include <QFont>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <numeric>

#include "ui/sat_artwork.h"
#include "ui/ui_style.h"

namespace gnss::ui {

namespace {

QFont ChartFont(int pixelSize, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QFont NumberFont(int pixelSize, bool bold = false) {
    QFont font = FixedFont(9);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace

SignalChartWidget::SignalChartWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(400, 110);
}

void SignalChartWidget::SetView(const SignalChartView& view) {
    view_ = view;
    update();
}

void SignalChartWidget::Paint(QPainter& painter, const SignalChartView& view, QSizeF size) {
    PaintFrame(painter, view, size);
    PaintBars(painter, view, size);
}

void SignalChartWidget::PaintFrame(QPainter& painter, const SignalChartView& view, QSizeF size) {
    const qreal sx = size.width() / kChartWidth;
    const qreal sy = size.height() / kChartHeight;
    const auto X = [sx](double x) { return x * sx; };
    const auto Y = [sy](double y) { return y * sy; };

    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor background = ToQColor(view.Background);
    painter.fillRect(QRectF(QPointF(0, 0), size), background);
    // The plot area a shade darker than the frame, so that the bars stand out.
    const QRectF plot(QPointF(X(kChartLeft), Y(ChartYForCno(kChartMaxCno))),
                      QPointF(X(kChartLeft + kChartPlotWidth), Y(kChartBarBottom)));
    painter.fillRect(plot, background.darker(135));

    // Left axis: a line every 10 dB-Hz, ticks every 5 (14 ticks, 0..65).
    painter.setFont(NumberFont(9));
    for (int i = 0; i < kChartCnoTicks; ++i) {
        const int cno = i * 5;
        const qreal y = Y(ChartYForCno(cno));
        const bool major = cno % 10 == 0;
        painter.setPen(QPen(QColor(255, 255, 255, major ? 40 : 18), 1, Qt::DashLine));
        if (cno > 0) painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(QColor(0xD8, 0xC8, 0xE0));
        painter.drawLine(QPointF(plot.left() - (major ? 4 : 2), y), QPointF(plot.left(), y));
        if (major) {
            painter.drawText(QRectF(X(10), y - 6, plot.left() - X(10) - 5, 12),
                             Qt::AlignRight | Qt::AlignVCenter, QString::number(cno));
        }
    }
    painter.save();
    painter.translate(X(6), plot.center().y());
    painter.rotate(-90);
    painter.setFont(ChartFont(9, true));
    painter.setPen(QColor(0xD8, 0xC8, 0xE0));
    painter.drawText(QRectF(-30, -6, 60, 12), Qt::AlignCenter,
                     QString::fromStdString(view.AxisTitle));
    painter.restore();

    // Bottom axis with a tick between the columns.
    painter.setPen(QColor(0xD8, 0xC8, 0xE0));
    painter.drawLine(QPointF(plot.left(), plot.bottom()), QPointF(plot.right(), plot.bottom()));
    painter.drawLine(QPointF(plot.left(), plot.top()), QPointF(plot.left(), plot.bottom()));
    for (int i = 0; i <= view.Columns; ++i) {
        const qreal x = X(kChartLeft + i * view.Pitch);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
    }
}

void SignalChartWidget::PaintBars(QPainter& painter, const SignalChartView& view, QSizeF size) {
    const qreal sx = size.width() / kChartWidth;
    const qreal sy = size.height() / kChartHeight;
    const auto X = [sx](double x) { return x * sx; };
    const auto Y = [sy](double y) { return y * sy; };

    // The bars: the lower part of the gradient, as tall as the bar. The gradient is scaled once
    // for the chart's size; each bar copies its part at whole pixels.
    const QTransform toDevice = painter.worldTransform();
    const QSize gradientSize(qRound(X(view.BarWidth) * toDevice.m11()),
                             qRound(Y(kChartGradientHeight) * toDevice.m22()));
    const bool plainCopy = toDevice.type() <= QTransform::TxScale && !view.Bars.empty() &&
                           gradientSize.width() > 0 && gradientSize.height() > 0;
    const QImage& gradient = plainCopy ? SatArtwork::Instance().BarGradientScaled(gradientSize)
                                       : SatArtwork::Instance().BarGradient();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const SignalBar& bar : view.Bars) {
        const QRectF target(QPointF(X(bar.Left), Y(bar.Top)), QPointF(X(bar.Right), Y(bar.Bottom)));
        painter.setOpacity(bar.UseState == kSatUsed ? 1.0 : 0.5);
        if (plainCopy) {
            const qreal rowScale = gradientSize.height() / static_cast<qreal>(kChartGradientHeight);
            const int top = qRound(bar.GradientTop * rowScale);
            const QRectF source(0, top, gradientSize.width(), gradientSize.height() - top);
            painter.save();
            painter.resetTransform();
            const QPointF at = toDevice.map(target.topLeft());
            painter.drawImage(QPoint(qRound(at.x()), qRound(at.y())), gradient, source.toRect());
            painter.restore();
        } else {
            const QRectF source(SatArtwork::kGradientFirstColumn, bar.GradientTop,
                                SatArtwork::kGradientColumns,
                                kChartGradientHeight - bar.GradientTop);
            painter.drawImage(target, gradient, source);
        }
        painter.setOpacity(1.0);
        // Constellation cap; used satellites get a bright outline.
        const qreal cap = std::min<qreal>(3.0, target.height());
        painter.fillRect(QRectF(target.left(), target.top(), target.width(), cap),
                         ToQColor(bar.ConstellationColor));
        if (bar.UseState == kSatUsed) {
            painter.setPen(QPen(QColor(0xBB, 0xFF, 0x77, 200), 1));
        } else {
            painter.setPen(QPen(QColor(0x80, 0xBF, 0xFF, 160), 1, Qt::DotLine));
        }
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(target.adjusted(0, 0, -1, -1));
    }

    // Second-signal C/No above the bars.
    painter.setPen(ToQColor(kChartSecondSignalText));
    for (const SecondSignalText& text : view.SecondSignals) {
        painter.setFont(NumberFont(text.FontSize * 4 / 3 - 1, true));
        painter.drawText(QRectF(X(text.CenterX) - 20, Y(text.Top), 40, 13),
                         Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(text.Text));
    }
}

void SignalChartWidget::paintEvent(QPaintEvent* /*event*/) {
    // The frame (axes, grid, labels) changes only with the size, the background, the column
    // count and the axis title; its dashed lines are slow to draw, so it is kept as a picture.
    const qreal dpr = devicePixelRatioF();
    const FrameKey key{size(), dpr, view_.Background, view_.Columns, view_.Pitch, view_.AxisTitle};
    if (frame_.isNull() || !(key == frameKey_)) {
        frame_ = QPixmap((QSizeF(size()) * dpr).toSize());
        frame_.setDevicePixelRatio(dpr);
        QPainter framePainter(&frame_);
        PaintFrame(framePainter, view_, size());
        frameKey_ = key;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, frame_);
    PaintBars(painter, view_, size());
}

void SignalChartWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    emit doubleClicked();
    event->accept();
}

SatGridWidget::SatGridWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    layout_ = ChartColumnLayoutFor(12);
}

void SatGridWidget::SetView(const SatGridView& grid, const ChartColumnLayout& layout) {
    grid_ = grid;
    layout_ = layout;
    update();
}

QSize SatGridWidget::sizeHint() const {
    const int width = layout_.HeaderWidth +
                      std::accumulate(layout_.ColumnWidths.begin(), layout_.ColumnWidths.end(), 0) +
                      1;
    return {width, 4 * kRowHeight + 1};
}

void SatGridWidget::Paint(QPainter& painter, const SatGridView& grid,
                          const ChartColumnLayout& layout, QSizeF size) {
    const qreal natural = layout.HeaderWidth + std::accumulate(layout.ColumnWidths.begin(),
                                                               layout.ColumnWidths.end(), 0);
    const qreal sx = natural > 0 ? size.width() / natural : 1.0;
    const qreal rowHeight = size.height() / 4.0;
    painter.fillRect(QRectF(QPointF(0, 0), size), ToQColor(kSatGridColor));

    // Header column.
    const QColor lines(0x2A, 0x00, 0x2A);
    QFont header(QStringLiteral("DejaVu Sans"));
    header.setPixelSize(std::max(8, static_cast<int>(rowHeight * 0.62)));
    header.setBold(true);
    painter.setFont(header);
    for (int row = 0; row < 4; ++row) {
        const QRectF cell(0, row * rowHeight, layout.HeaderWidth * sx, rowHeight);
        painter.fillRect(cell, QColor(0x30, 0x00, 0x30));
        painter.setPen(QColor(0xFF, 0xFF, 0xCE));
        painter.drawText(cell.adjusted(3, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromUtf8(kSatGridRowTitles[row].data(),
                                           static_cast<int>(kSatGridRowTitles[row].size())));
    }

    QFont number = FixedFont(9);
    qreal x = layout.HeaderWidth * sx;
    const std::size_t columns =
        std::min<std::size_t>(layout.ColumnWidths.size(), grid.Rows[0].size());
    for (std::size_t column = 0; column < columns; ++column) {
        const qreal width = layout.ColumnWidths[column] * sx;
        for (int row = 0; row < 4; ++row) {
            const GridCell& cell = grid.Rows[row][column];
            const QRectF rect(x, row * rowHeight, width, rowHeight);
            painter.fillRect(rect, ToQColor(cell.Background));
            if (cell.Text.empty()) continue;
            // Point sizes at 96 dots per inch, limited to what the row holds.
            number.setPixelSize(std::clamp(cell.FontSize * 4 / 3, 6, static_cast<int>(rowHeight)));
            number.setBold(row <= 1);
            painter.setFont(number);
            painter.setPen(ToQColor(cell.TextColor));
            painter.drawText(rect.adjusted(1, 0, -2, 0), Qt::AlignRight | Qt::AlignVCenter,
                             QString::fromStdString(cell.Text));
        }
        x += width;
    }
    // Cell borders.
    painter.setPen(lines);
    for (int row = 1; row < 4; ++row) {
        painter.drawLine(QPointF(0, row * rowHeight), QPointF(size.width(), row * rowHeight));
    }
    x = layout.HeaderWidth * sx;
    for (std::size_t column = 0; column < layout.ColumnWidths.size(); ++column) {
        painter.drawLine(QPointF(x, 0), QPointF(x, size.height()));
        x += layout.ColumnWidths[column] * sx;
    }
}

void SatGridWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    Paint(painter, grid_, layout_, size());
}

}  // namespace gnss::ui
