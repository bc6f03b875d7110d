#pragma once

#include <QWidget>

#include "views/sky_plot_model.h"

namespace gnss::ui {

// The sky plot (`Image3`): background, satellite icons with their numbers and the antenna
// badge, as the model places them in its kSkyImageSize square; the square is scaled to fit.
class SkyPlotWidget : public QWidget {
    Q_OBJECT
  public:
    explicit SkyPlotWidget(QWidget* parent = nullptr);

    void SetView(const SkyPlotView& view);
    [[nodiscard]] const SkyPlotView& View() const { return view_; }
    [[nodiscard]] QSize sizeHint() const override { return {kSkyImageSize, kSkyImageSize}; }
    [[nodiscard]] QSize minimumSizeHint() const override { return {160, 160}; }

    // Paints the plot in the model's own pixels (0..kSkyImageSize); the painter's transform
    // does any scaling. `dpr` is the device pixel ratio the images are rendered for.
    static void Paint(QPainter& painter, const SkyPlotView& view, qreal dpr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    SkyPlotView view_;
};

}  // namespace gnss::ui
