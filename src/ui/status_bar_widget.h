#pragma once

#include <QWidget>

#include "views/status_bar_model.h"

namespace gnss::ui {

// `StatusBar1`: paints the 18 panels of the status-bar model side by side, each at its own
// width with its bevel, and the link lamp in panel 0. A text longer than its panel is cut with
// an ellipsis and shown in full as the panel's tooltip.
class StatusBarWidget : public QWidget {
    Q_OBJECT
  public:
    explicit StatusBarWidget(const StatusBarModel& model, QWidget* parent = nullptr);

    // Repaints when the model changed since the last paint.
    void Refresh();

    // The rectangle of panel `index` in widget coordinates.
    [[nodiscard]] QRect PanelRect(int index) const;
    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

  signals:
    void PanelDoubleClicked(int index);
    void PanelClicked(int index, Qt::KeyboardModifiers modifiers);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    [[nodiscard]] int PanelAt(const QPoint& point) const;

  private:
    const StatusBarModel& model_;
    uint64_t paintedRevision_ = 0;
    bool painted_ = false;
};

}  // namespace gnss::ui
