#pragma once

#include <QWidget>

#include "views/gauges_model.h"

namespace gnss::ui {

// The round meters and the digit counter beside the navigation panel. Each paints its part of
// GaugesView; SetView also applies the visibility the model gives.

class SpeedometerWidget : public QWidget {
    Q_OBJECT
  public:
    explicit SpeedometerWidget(QWidget* parent = nullptr);
    void SetView(const GaugesView& view);
    [[nodiscard]] QSize sizeHint() const override { return {150, 150}; }
    static void Paint(QPainter& painter, const GaugesView& view, QSizeF size);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    GaugesView view_;
};

// Course over ground: a compass card with the course needle.
class HeadingMeterWidget : public QWidget {
    Q_OBJECT
  public:
    explicit HeadingMeterWidget(QWidget* parent = nullptr);
    void SetView(const GaugesView& view);
    [[nodiscard]] QSize sizeHint() const override { return {150, 150}; }
    static void Paint(QPainter& painter, const GaugesView& view, QSizeF size);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    GaugesView view_;
};

// Magnetic north or the dual-antenna heading.
class CompassMeterWidget : public QWidget {
    Q_OBJECT
  public:
    explicit CompassMeterWidget(QWidget* parent = nullptr);
    void SetView(const GaugesView& view);
    [[nodiscard]] QSize sizeHint() const override { return {150, 150}; }
    static void Paint(QPainter& painter, const GaugesView& view, QSizeF size);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    GaugesView view_;
};

// Four digit drums, the last (tenths) in red.
class OdometerWidget : public QWidget {
    Q_OBJECT
  public:
    explicit OdometerWidget(QWidget* parent = nullptr);
    void SetView(const GaugesView& view);
    [[nodiscard]] QSize sizeHint() const override { return {104, 34}; }
    static void Paint(QPainter& painter, int value, QSizeF size);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int value_ = 0;
};

// The point of a dial at `angle` degrees clockwise from the top.
[[nodiscard]] QPointF DialPoint(QPointF centre, double radius, double angle);

}  // namespace gnss::ui
