#pragma once

#include <QWidget>
#include <array>

#include "base/sound_output.h"
#include "views/dr_calibration.h"

class QLabel;
class QPushButton;

namespace gnss::ui {

// The computer's sounds: the system beep for both.
class QtSounds final : public SoundOutput {
  public:
    void Beep() override;
    void PlayCompletionSound() override;
};

// The calibration panel of dead-reckoning receivers: "Start calibration", the three step
// labels, the count, the speed and odometer labels, the receiver's calibration values and
// lights, and the DR status of TDK modules. It paints the DrCalibration model.
class DrPanelWidget : public QWidget {
    Q_OBJECT
  public:
    explicit DrPanelWidget(const DrCalibration& model, QWidget* parent = nullptr);
    void Refresh();

  signals:
    void StartClicked();
    void StepHovered(gnss::DrStep step);
    void StepLeft();
    void CountDoubleClicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    const DrCalibration& model_;
    QPushButton* start_ = nullptr;
    std::array<QLabel*, 3> steps_{};
    QLabel* count_ = nullptr;
    QLabel* speed_ = nullptr;
    QLabel* odometer_ = nullptr;
    QLabel* message_ = nullptr;
    std::array<QLabel*, 4> values_{};
    std::array<QLabel*, 6> lights_{};
    QLabel* tdkSpeed_ = nullptr;
    QLabel* tdkState_ = nullptr;
};

// `TInfoSTDR` ("DR Calibration Info...."): the always-on-top window of instructions and errors.
class DrInfoWidget : public QWidget {
    Q_OBJECT
  public:
    explicit DrInfoWidget(DrInfoWindow& model, QWidget* parent = nullptr);
    // Shows, hides and fills the window from the model; `anchor` is the main window and
    // `monitorWidth` the monitor panel's width, for the placement.
    void Refresh(const QWidget* anchor, int monitorWidth);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    DrInfoWindow& model_;
    QLabel* icon_ = nullptr;
    QLabel* text_ = nullptr;
    QLabel* countdown_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    uint64_t shownCount_ = 0;
};

}  // namespace gnss::ui
