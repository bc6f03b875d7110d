#include "ui/corrections_wiring.h"

#include <QToolButton>

#include "ui/corrections_panel_widget.h"
#include "ui/main_window.h"
#include "ui/ntrip_client_dialog.h"

namespace gnss::ui {

CorrectionsWiring::CorrectionsWiring(MainWindow& window, AppCore& core)
    : QObject(&window), window_(window), core_(core) {
    core_.Corrections.SetSource(source_);
    core_.NtripClient.SetRunner(runner_);
    panel_ = new CorrectionsPanelWidget(&window_);
    window_.AddBelowMonitor(panel_);
    connect(panel_, &CorrectionsPanelWidget::LinkToggled, this,
            [this](bool ticked) { core_.Corrections.SetLinkTicked(ticked); });
    connect(panel_, &CorrectionsPanelWidget::NtripClientClicked, this,
            [this] { ShowClientDialog(); });
    connect(&window_, &MainWindow::CorrectionsPanelMenuToggled, this,
            [this] { core_.CorrectionsPanelMenuToggled(); });
    connect(&window_, &MainWindow::NtripButtonClicked, this, [this] { ShowClientDialog(); });
    connect(&clientCheck_, &QTimer::timeout, this, [this] { core_.NtripClientSecond(); });
    clientCheck_.start(kClientCheckMs);
    Refresh();
}

CorrectionsWiring::~CorrectionsWiring() {
    // The core may outlive the window: it must not keep the adapters that end here.
    core_.NtripClient.Stop();
    core_.Corrections.SetLinkTicked(false);
    core_.Corrections.ResetSource();
    core_.NtripClient.ResetRunner();
}

void CorrectionsWiring::ShowClientDialog() {
    if (dialog_ == nullptr) {
        dialog_ = new NtripClientDialog(&window_);
        connect(dialog_, &NtripClientDialog::StartClicked, this, [this] {
            core_.NtripClient.Settings = dialog_->Fields();
            core_.StartNtripClient();
            Refresh();
        });
        connect(dialog_, &NtripClientDialog::StopClicked, this, [this] {
            core_.StopNtripClient();
            Refresh();
        });
    }
    if (core_.NtripClient.ButtonClicked() == NtripClientLauncher::ButtonAction::OpenDialog) {
        dialog_->Load(core_.NtripClient.Settings);
    }
    Refresh();
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void CorrectionsWiring::Refresh() {
    panel_->Refresh(core_.Corrections.PanelView());
    window_.ShowNtripButton(core_.NtripButtonVisible(), core_.NtripButtonEnabled());
    if (dialog_ != nullptr && dialog_->isVisible()) {
        dialog_->ShowState(core_.NtripClient.StateText(), core_.NtripClient.LastOutputLine(),
                           core_.NtripClient.Running());
    }
}

}  // namespace gnss::ui
