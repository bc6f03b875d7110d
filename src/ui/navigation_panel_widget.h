#pragma once

#include <QRectF>
#include <QWidget>

#include <vector>

#include "views/navigation_panel.h"

namespace gnss::ui {

// The navigation panel (`Panel10`): captions in a proportional font, values in a fixed-pitch
// font so that changing figures do not jump. Paints NavigationPanelView and reports double
// clicks; the model decides everything else.
class NavigationPanelWidget : public QWidget {
    Q_OBJECT
  public:
    explicit NavigationPanelWidget(QWidget* parent = nullptr);

    void SetView(const NavigationPanelView& view);
    [[nodiscard]] const NavigationPanelView& View() const { return view_; }
    // The panel's own layout is this many pixels; other sizes scale it evenly.
    static constexpr int kNaturalWidth = 580;
    static constexpr int kNaturalHeight = 136;
    [[nodiscard]] QSize sizeHint() const override { return {kNaturalWidth, kNaturalHeight}; }

    static void Paint(QPainter& painter, const NavigationPanelView& view, QSizeF size);

    // What a point of the panel is, for double clicks (in the panel's natural layout, scaled
    // to the widget).
    enum class Spot { None, PositionValue, PositionCaption, TimeValue };
    [[nodiscard]] static Spot SpotAt(QPointF point, QSizeF size);

  signals:
    void positionDoubleClicked();         // `LatitudeText`, `LongitudeText`: toggles DmsMode
    void positionCaptionDoubleClicked();  // "Latitude :", "Longitude : ": copy the position
    void timeDoubleClicked();             // `UtcTimeText`, `LocalTimeText`: clock sync request

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    NavigationPanelView view_;
};

}  // namespace gnss::ui
