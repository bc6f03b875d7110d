#pragma once

#include <QPixmap>
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

    // Paints into a rectangle of `size` logical pixels: the frame (background, axes, grid and
    // labels), then the bars.
    static void Paint(QPainter& painter, const SignalChartView& view, QSizeF size);
    static void PaintFrame(QPainter& painter, const SignalChartView& view, QSizeF size);
    static void PaintBars(QPainter& painter, const SignalChartView& view, QSizeF size);

  signals:
    void doubleClicked();  // shows or hides the title strip

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    struct FrameKey {
        QSize Size;
        qreal Dpr = 0;
        Rgb Background = 0;
        int Columns = 0;
        double Pitch = 0;
        std::string AxisTitle;
        bool operator==(const FrameKey&) const = default;
    };

    SignalChartView view_;
    QPixmap frame_;  // the frame as last painted, for frameKey_
    FrameKey frameKey_;
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
