#include "ui/status_bar_widget.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "ui/artwork.h"
#include "ui/ui_style.h"

namespace gnss::ui {

namespace {

constexpr int kBarHeightPx = 22;
constexpr int kPanelGapPx = 2;
constexpr int kTextPaddingPx = 3;
constexpr qreal kMinSqueeze = 0.8;  // narrowest horizontal scale of a panel text

void DrawBevel(QPainter& p, const QRect& rect, PanelBevel bevel, const QPalette& palette) {
    const QColor dark = palette.color(QPalette::Dark);
    const QColor light = palette.color(QPalette::Light);
    const QColor topLeft = bevel == PanelBevel::Lowered ? dark : light;
    const QColor bottomRight = bevel == PanelBevel::Lowered ? light : dark;
    p.setPen(topLeft);
    p.drawLine(rect.topLeft(), rect.topRight());
    p.drawLine(rect.topLeft(), rect.bottomLeft());
    p.setPen(bottomRight);
    p.drawLine(rect.bottomLeft(), rect.bottomRight());
    p.drawLine(rect.topRight(), rect.bottomRight());
}

}  // namespace

StatusBarWidget::StatusBarWidget(const StatusBarModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName("StatusBar1");
    setFont(NarrowFont(8));
    setFixedHeight(kBarHeightPx);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StatusBarWidget::Refresh() {
    if (painted_ && model_.Revision() == paintedRevision_) return;
    const auto panels = model_.Panels();
    // A panel that changes its width moves the ones after it: then the whole bar repaints.
    bool whole = !painted_;
    for (int i = 0; i < StatusBarModel::kPanelCount; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        whole = whole || panels[slot].WidthPx != shown_[slot].WidthPx;
    }
    for (int i = 0; i < StatusBarModel::kPanelCount; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        const bool iconChanged =
            i == static_cast<int>(StatusPanel::LinkIcon) && model_.Icon() != shownIcon_;
        if (!whole && panels[slot] == shown_[slot] && !iconChanged) continue;
        shown_[slot] = panels[slot];
        if (!whole) update(PanelRect(i));
    }
    shownIcon_ = model_.Icon();
    if (whole) update();
}

QRect StatusBarWidget::PanelRect(int index) const {
    if (index < 0 || index >= StatusBarModel::kPanelCount) return {};
    int left = 0;
    const auto panels = model_.Panels();
    for (int i = 0; i < index; ++i) left += panels[static_cast<std::size_t>(i)].WidthPx;
    const int width = panels[static_cast<std::size_t>(index)].WidthPx;
    // The gap between panels comes out of each panel's own width, so that panel i starts
    // exactly at the sum of the widths before it.
    return QRect(left + 1, 2, width - kPanelGapPx, height() - 3);
}

int StatusBarWidget::PanelAt(const QPoint& point) const {
    for (int i = 0; i < StatusBarModel::kPanelCount; ++i) {
        if (PanelRect(i).contains(point)) return i;
    }
    return -1;
}

void StatusBarWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    const int index = PanelAt(event->position().toPoint());
    if (index >= 0) emit PanelDoubleClicked(index);
}

void StatusBarWidget::mousePressEvent(QMouseEvent* event) {
    const int index = PanelAt(event->position().toPoint());
    if (index >= 0) emit PanelClicked(index, event->modifiers());
}

QSize StatusBarWidget::sizeHint() const {
    return {StatusBarModel::TotalWidthPx(), kBarHeightPx};
}

QSize StatusBarWidget::minimumSizeHint() const {
    return {200, kBarHeightPx};
}

void StatusBarWidget::paintEvent(QPaintEvent* event) {
    paintedRevision_ = model_.Revision();
    painted_ = true;
    QPainter p(this);
    p.fillRect(event->rect(), palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(0, 0, width(), 0);
    p.setFont(font());
    const QFontMetrics metrics(font());
    const auto panels = model_.Panels();
    for (int i = 0; i < StatusBarModel::kPanelCount; ++i) {
        const QRect panel = PanelRect(i);
        if (panel.left() >= width()) break;
        if (!event->region().intersects(panel.adjusted(-1, -2, 1, 1))) continue;
        const StatusPanelState& state = panels[static_cast<std::size_t>(i)];
        DrawBevel(p, panel, state.Bevel, palette());
        const QRect inner = panel.adjusted(1, 1, -1, -1);
        if (i == static_cast<int>(StatusPanel::LinkIcon)) {
            const int size = std::min(inner.width(), inner.height()) + 2;
            const QPixmap lamp = LinkLampPixmap(model_.Icon(), size * devicePixelRatio());
            QPixmap scaled = lamp;
            scaled.setDevicePixelRatio(devicePixelRatio());
            p.drawPixmap(QRect(inner.center().x() - size / 2 + 1, inner.center().y() - size / 2 + 1,
                               size, size),
                         scaled);
            continue;
        }
        const QString text = QString::fromStdString(state.Text);
        if (text.isEmpty()) continue;
        const QRect textRect = inner.adjusted(kTextPaddingPx - 1, 0, -1, 0);
        p.setPen(palette().color(QPalette::WindowText));
        // A text a little too long for its panel is drawn condensed; a much longer one is
        // cut with an ellipsis (the tooltip shows it in full).
        const int natural = metrics.horizontalAdvance(text);
        const qreal squeeze =
            natural > textRect.width()
                ? std::max(kMinSqueeze, static_cast<qreal>(textRect.width()) / natural)
                : 1.0;
        p.save();
        p.translate(textRect.left(), textRect.top());
        p.scale(squeeze, 1.0);
        const int room = static_cast<int>(textRect.width() / squeeze);
        p.drawText(QRect(0, 0, room, textRect.height()), Qt::AlignVCenter | Qt::AlignLeft,
                   metrics.elidedText(text, Qt::ElideRight, room));
        p.restore();
    }
}

bool StatusBarWidget::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        for (int i = 1; i < StatusBarModel::kPanelCount; ++i) {
            if (!PanelRect(i).contains(help->pos())) continue;
            const QString text =
                QString::fromStdString(model_.Panels()[static_cast<std::size_t>(i)].Text);
            if (!text.trimmed().isEmpty()) {
                QToolTip::showText(help->globalPos(), text, this, PanelRect(i));
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

}  // namespace gnss::ui
