#pragma once

#include <QWidget>

namespace gnss::ui {

// The title strip above the signal chart (`Panel21`): the chart's title and a legend of what
// the bars tell (constellation colours, used in the fix or only tracked).
class ChartTitleStrip : public QWidget {
    Q_OBJECT
  public:
    explicit ChartTitleStrip(const QString& title, QWidget* parent = nullptr);
    [[nodiscard]] QSize sizeHint() const override { return {600, kHeight}; }
    [[nodiscard]] QSize minimumSizeHint() const override { return {200, kHeight}; }

    static constexpr int kHeight = 18;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString title_;
};

}  // namespace gnss::ui
