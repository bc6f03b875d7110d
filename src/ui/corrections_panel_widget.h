#pragma once

#include <QWidget>

#include "corrections/rtcm_forwarding.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace gnss::ui {

// The RTCM panel under the monitor: the "Ntrip_TCPIP" switch, the status, seconds, size and
// step-time lines, the table of received message types with the station and the frame counts,
// the NTRIP client button and the panel's own three-part status bar. It paints RtcmPanelView
// and reports the switch and the button.
class CorrectionsPanelWidget : public QWidget {
    Q_OBJECT
  public:
    explicit CorrectionsPanelWidget(QWidget* parent = nullptr);

    void Refresh(const RtcmPanelView& view);

    [[nodiscard]] QCheckBox* LinkBox() const { return link_; }

  signals:
    void LinkToggled(bool ticked);
    void NtripClientClicked();

  private:
    QCheckBox* link_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* seconds_ = nullptr;
    QLabel* size_ = nullptr;
    QLabel* step_ = nullptr;
    QLabel* frames_ = nullptr;
    QLabel* station_ = nullptr;
    QTableWidget* types_ = nullptr;
    QPushButton* client_ = nullptr;
    QLabel* bar_[3] = {nullptr, nullptr, nullptr};
};

}  // namespace gnss::ui
