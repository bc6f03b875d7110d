#pragma once

#include <QWidget>

#include "views/traffic_panel.h"

class QLabel;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace gnss::ui {

// The spectrum plot (`sp_FMPlot`): one vertical line per frequency heard, the current marker (a
// triangle at the top and a line up to its strength), axes and grid.
class SpectrumPlotWidget : public QWidget {
  public:
    explicit SpectrumPlotWidget(const TrafficPanel& model, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const TrafficPanel& model_;
};

// `Panel13`, the traffic-message panel: the labels of the tuned station, the spectrum, and the
// tuning buttons. It paints the TrafficPanel model and reports the clicks.
class TrafficPanelWidget : public QWidget {
    Q_OBJECT
  public:
    explicit TrafficPanelWidget(const TrafficPanel& model, QWidget* parent = nullptr);
    void Refresh();

  signals:
    void ButtonClicked(gnss::TrafficButton button);
    void TuneValueChanged(int value);
    void TuneToClicked();
    void AutoClicked();

  private:
    const TrafficPanel& model_;
    QLabel* frequency_ = nullptr;
    QLabel* rssi_ = nullptr;
    QLabel* country_ = nullptr;
    QLabel* station_ = nullptr;
    QLabel* rate_ = nullptr;
    QLabel* seek_ = nullptr;
    SpectrumPlotWidget* plot_ = nullptr;
    QSpinBox* tuneBox_ = nullptr;
    QPushButton* tuneTo_ = nullptr;
    QPushButton* auto_ = nullptr;
};

}  // namespace gnss::ui
