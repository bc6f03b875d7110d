#pragma once

#include <QDialog>
#include <QWidget>
#include <array>

#include "assist/hd_assist.h"
#include "assist/sgee_upload.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace gnss::ui {

// The SGEE window ("SiRF AGPS Process"): the validity line, the gauge, the elapsed seconds and
// the buttons. It paints SgeeWindowView and reports the clicks.
class SgeeWindow : public QDialog {
    Q_OBJECT
  public:
    explicit SgeeWindow(const SgeeUpload& model, QWidget* parent = nullptr);
    void Refresh();

  signals:
    void UpdateClicked();
    void CheckAgeClicked();
    void CloseClicked();

  protected:
    void reject() override { emit CloseClicked(); }

  private:
    const SgeeUpload& model_;
    QLabel* validity_ = nullptr;
    QLabel* seconds_ = nullptr;
    QProgressBar* gauge_ = nullptr;
    QPushButton* update_ = nullptr;
    QPushButton* checkAge_ = nullptr;
    QPushButton* close_ = nullptr;
};

// The HD page under the monitor, shown for HD receivers only: the two gauges with their time
// labels, the file name and its button, the kinds to fetch, "Save HDB", the initial-aiding
// options and the three buttons.
class HdAssistPage : public QWidget {
    Q_OBJECT
  public:
    explicit HdAssistPage(HdAssist& model, QWidget* parent = nullptr);
    void Refresh();

  signals:
    void UpdateOnlineClicked();
    void UpdateFromFileClicked();
    void GetClicked();
    void NamedFileClicked();

  private:
    HdAssist& model_;
    std::array<QProgressBar*, 2> gauges_{};
    std::array<QLabel*, 2> times_{};
    QLineEdit* fileName_ = nullptr;
    QCheckBox* gps_ = nullptr;
    QCheckBox* bds_ = nullptr;
    QCheckBox* save_ = nullptr;
    QButtonGroup* aiding_ = nullptr;
    std::array<QPushButton*, 3> buttons_{};
};

}  // namespace gnss::ui
