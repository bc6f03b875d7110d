#pragma once

#include <QWidget>
#include <array>

#include "views/status_bar_model.h"

namespace gnss::ui {

// `StatusBar1`: paints the 18 panels of the status-bar model side by side, each at its own
// width with its bevel, and the link lamp in panel 0. A text longer than its panel is cut with
// an ellipsis and shown in full as the panel's tooltip.
class StatusBarWidget : public QWidget {
    Q_OBJECT
  public:
    explicit StatusBarWidget(const StatusBarModel& model, QWidget* parent = nullptr);

    // Repaints the panels that changed since the last paint (only those: the data lamp blinks
    // several times a second).
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
    // What each panel showed when its repaint was asked for.
    std::array<StatusPanelState, StatusBarModel::kPanelCount> shown_{};
    LinkIcon shownIcon_ = LinkIcon::Disconnected;
};

}  // namespace gnss::ui
