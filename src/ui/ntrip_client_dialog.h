#pragma once

#include <QDialog>

#include "corrections/ntrip_client.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace gnss::ui {

// The NTRIP client dialog: caster host, port, mount point, user, password, whether the
// receiver's position goes to the caster, whether the password is remembered, and the client
// program; "Start" and "Stop", with the program's state and its last output line. It is not
// modal: the receive path keeps running while it is open.
class NtripClientDialog : public QDialog {
    Q_OBJECT
  public:
    explicit NtripClientDialog(QWidget* parent = nullptr);

    // Fills the fields from the settings (when the dialog opens).
    void Load(const NtripClientSettings& settings);
    // The settings as the fields hold them.
    [[nodiscard]] NtripClientSettings Fields() const;
    // The program's state, its output and which of Start and Stop is enabled.
    void ShowState(const std::string& state, const std::string& output, bool running);

  signals:
    void StartClicked();
    void StopClicked();

  private:
    QLineEdit* host_ = nullptr;
    QSpinBox* port_ = nullptr;
    QLineEdit* mount_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QCheckBox* sendPosition_ = nullptr;
    QCheckBox* remember_ = nullptr;
    QLineEdit* program_ = nullptr;
    QLabel* state_ = nullptr;
    QLabel* output_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
};

}  // namespace gnss::ui
