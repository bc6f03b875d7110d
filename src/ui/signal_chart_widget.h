#pragma once

#include <QWidget>

#include "views/sat_chart_model.h"
#include "views/sat_grid_model.h"

namespace gnss::ui {

// The signal chart (`sp_GPSSI`): one bar per satellite, height by C/No, drawn from the bar
// gradient; the constellation colour caps each bar and bars of satellites not used in the fix
// are drawn dimmer. The model's kChartWidth x kChartHeight pixels are stretched to the widget.
class SignalChartWidget : public QWidget {
    Q_OBJECT
  public:
    explicit SignalChartWidget(QWidget* parent = nullptr);

    void SetView(const SignalChartView& view);
    [[nodiscard]] const SignalChartView& View() const { return view_; }
    [[nodiscard]] QSize sizeHint() const override { return {kChartWidth, kChartHeight}; }

    // Paints into a rectangle of `size` logical pixels.
    static void Paint(QPainter& painter, const SignalChartView& view, QSizeF size);

  signals:
    void doubleClicked();  // shows or hides the title strip

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    SignalChartView view_;
};

// The four-row grid under the chart (`xgGPSSI`): C/No, SV, Az, El per satellite column.
class SatGridWidget : public QWidget {
    Q_OBJECT
  public:
    explicit SatGridWidget(QWidget* parent = nullptr);

    void SetView(const SatGridView& grid, const ChartColumnLayout& layout);
    [[nodiscard]] const SatGridView& Grid() const { return grid_; }
    [[nodiscard]] QSize sizeHint() const override;

    static constexpr int kRowHeight = 15;
    static void Paint(QPainter& painter, const SatGridView& grid, const ChartColumnLayout& layout,
                      QSizeF size);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    SatGridView grid_;
    ChartColumnLayout layout_;
};

}  // namespace gnss::ui
