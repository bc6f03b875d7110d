#pragma once

#include <QObject>
#include <QTimer>

#include "app/app_core.h"
#include "platform/qt_correction_source.h"
#include "platform/qt_process_runner.h"

namespace gnss::ui {

class CorrectionsPanelWidget;
class MainWindow;
class NtripClientDialog;

// The corrections in the window: gives the core its TCP and program adapters, puts the RTCM
// panel under the monitor, opens the NTRIP client dialog from the toolbar button and the panel,
// and checks the client program once a second.
class CorrectionsWiring final : public QObject {
  public:
    static constexpr int kClientCheckMs = 1000;

    CorrectionsWiring(MainWindow& window, AppCore& core);
    ~CorrectionsWiring() override;
    CorrectionsWiring(const CorrectionsWiring&) = delete;
    CorrectionsWiring& operator=(const CorrectionsWiring&) = delete;

    // Repaints the panel, the toolbar button and the dialog from the core.
    void Refresh();

    [[nodiscard]] CorrectionsPanelWidget* Panel() const { return panel_; }
    [[nodiscard]] NtripClientDialog* Dialog() const { return dialog_; }
    // Opens (or brings to the front) the NTRIP client dialog.
    void ShowClientDialog();

  private:
    MainWindow& window_;
    AppCore& core_;
    QtCorrectionSource source_;
    QtProcessRunner runner_;
    CorrectionsPanelWidget* panel_ = nullptr;
    NtripClientDialog* dialog_ = nullptr;  // made when first opened
    QTimer clientCheck_;
};

}  // namespace gnss::ui
