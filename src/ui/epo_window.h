#pragma once

#include <QDialog>
#include <vector>

#include "assist/epo_assistant.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace gnss::ui {

// The EPO window ("AGPS Data Update"): paints EpoWindowView and reports the buttons. It is
// application-modal but shown without a nested event loop, so the receive path and the upload's
// timer keep running while it is up.
class EpoWindow final : public QDialog {
    Q_OBJECT
  public:
    explicit EpoWindow(const EpoAssistant& model, QWidget* parent = nullptr);

    // Paints the model; shows or hides the window as the model says.
    void Refresh();

  signals:
    void UpdateClicked();
    void FromFileChosen(const QString& path);
    void ServersClicked();
    void CancelClicked();
    void CloseRequested();
    void EasyOffClicked();
    void EpoIToggled(bool checked);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void ChooseFile();

    const EpoAssistant& model_;
    QPushButton* update_;
    QPushButton* fromFile_;
    QPushButton* servers_;
    QPushButton* cancel_;
    QPushButton* close_;
    QPushButton* easyOff_;
    QCheckBox* epoI_;
    QLabel* period_;
    QLabel* validity_;
    QLabel* easy_;
    QLabel* activity_;
    QLabel* elapsed_;
    QProgressBar* gauge_;
};

// The assistance servers: one address per file, or a base address for all. Checks each address
// with the core's rules before it is taken.
class AssistServersDialog final : public QDialog {
    Q_OBJECT
  public:
    explicit AssistServersDialog(const AssistServerAddresses& current, QWidget* parent = nullptr);

  signals:
    void AddressesChosen(const gnss::AssistServerAddresses& addresses);

  private:
    void TryAccept();

    std::vector<QLineEdit*> edits_;
    QLabel* problem_;
};

}  // namespace gnss::ui
