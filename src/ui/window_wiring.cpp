#include "ui/window_wiring.h"

#include <QDesktopServices>
#include <QInputDialog>
#include <QLineEdit>
#include <QTimer>
#include <QUrl>

#include "app/app_core.h"
#include "ui/assist_windows.h"
#include "ui/campaign_window.h"
#include "ui/command_panel_widget.h"
#include "ui/corrections_wiring.h"
#include "ui/display_wiring.h"
#include "ui/epo_window.h"
#include "ui/main_window.h"
#include "ui/sensor_windows.h"
#include "ui/small_windows.h"
#include "ui/special_panels_wiring.h"

namespace gnss::ui {

namespace {
constexpr int kRepaintCoalesceMs = 100;
}

WindowWiring::WindowWiring(MainWindow& window, AppCore& core, const PortEnumerator& ports,
                           int portPollMs, PortListWatch watch)
    : QObject(&window), window_(window), core_(core), portWatcher_(ports, portPollMs) {
    displays_ = new DisplayWiring(window_, core_);
    sensorWindows_ = new SensorWindowsWiring(window_, core_);
    core_.SetListener(this);
    connect(&portWatcher_, &PortWatcher::PortsChanged, this, [this] { core_.PortListPolled(); });
    if (watch == PortListWatch::DeviceFolder) {
        portWatcher_.WatchDeviceFolder(PortWatcher::kDeviceFolder, PortWatcher::kWatchedPollMs);
    }
    portWatcher_.Start();

    connect(&window_, &MainWindow::ToolButtonClicked, this,
            [this](ToolButton id, Qt::KeyboardModifiers modifiers) {
                if (id == ToolButton::About) {
                    window_.AboutBoxWindow()->show();
                    window_.AboutBoxWindow()->raise();
                    return;
                }
                core_.ToolButtonClicked(id, modifiers.testFlag(Qt::ControlModifier),
                                        modifiers.testFlag(Qt::AltModifier));
            });
    connect(&window_, &MainWindow::PortTextChanged, this,
            [this](const QString& text) { core_.PortTextChanged(text.toStdString()); });
    connect(&window_, &MainWindow::PortListAboutToDropDown, this,
            [this] { core_.PortListDropDown(); });
    connect(&window_, &MainWindow::BaudRateChosen, this,
            [this](const QString& text) { core_.BaudRateChosen(text.toStdString()); });
    connect(&window_, &MainWindow::UnitChosen, this,
            [this](int index) { core_.UnitChosen(index); });
    connect(&window_, &MainWindow::FilterTextChanged, this,
            [this](const QString& text) { core_.FilterTextChanged(text.toStdString()); });
    connect(&window_, &MainWindow::MonitorClearRequested, this,
            [this] { core_.MonitorClearRequested(); });
    connect(&window_, &MainWindow::AboutLinkActivated, this,
            [](const QString& address) { QDesktopServices::openUrl(QUrl(address)); });
    WireReceiverControls();
    corrections_ = new CorrectionsWiring(window_, core_);
    specialPanels_ = new SpecialPanelsWiring(window_, core_);
    WireAssistance();
}

void WindowWiring::WireAssistance() {
    sgeeWindow_ = new SgeeWindow(core_.Sgee, &window_);
    connect(sgeeWindow_, &SgeeWindow::UpdateClicked, this, [this] { core_.SgeeUpdateClicked(); });
    connect(sgeeWindow_, &SgeeWindow::CheckAgeClicked, this,
            [this] { core_.SgeeCheckAgeClicked(); });
    connect(sgeeWindow_, &SgeeWindow::CloseClicked, this, [this] { core_.SgeeCloseClicked(); });
    hdPage_ = new HdAssistPage(core_.Hd, &window_);
    window_.AddBelowMonitor(hdPage_);
    connect(hdPage_, &HdAssistPage::UpdateOnlineClicked, this,
            [this] { core_.HdUpdateOnlineClicked(); });
    connect(hdPage_, &HdAssistPage::UpdateFromFileClicked, this,
            [this] { core_.HdUpdateFromFileClicked(); });
    connect(hdPage_, &HdAssistPage::GetClicked, this, [this] { core_.HdGetClicked(); });
    connect(hdPage_, &HdAssistPage::NamedFileClicked, this,
            [this] { core_.Hd.UpdateFromNamedFile(); });
}

void WindowWiring::WireReceiverControls() {
    commandPanel_ = new CommandPanelWidget(core_.Commands, &window_);
    window_.AddBelowMonitor(commandPanel_);
    connect(commandPanel_, &CommandPanelWidget::TextEdited, this,
            [this](const QString& text) { core_.CommandTextEdited(text.toStdString()); });
    connect(commandPanel_, &CommandPanelWidget::EnterPressed, this,
            [this] { core_.CommandEnterPressed(); });
    connect(commandPanel_, &CommandPanelWidget::SendPressed, this,
            [this] { core_.CommandSendPressed(); });
    connect(commandPanel_, &CommandPanelWidget::NoChecksumToggled, this,
            [this](bool on) { core_.Commands.SetNoChecksum(on); });
    connect(commandPanel_, &CommandPanelWidget::CrLfToggled, this,
            [this](bool on) { core_.Commands.SetCrLf(on); });
    connect(&window_, &MainWindow::CommandPanelMenuToggled, this,
            [this] { core_.CommandPanelMenuToggled(); });
    connect(&window_, &MainWindow::CampaignMenuChosen, this, [this] { ShowCampaignWindow(); });
    connect(&window_, &MainWindow::ReceiverRateChosen, this,
            [this](const QString& rate) { core_.ReceiverRateChosen(rate.toStdString()); });
    connect(&window_, &MainWindow::ReceiverRateApplyClicked, this,
            [this] { core_.ReceiverRateApplyClicked(); });
    connect(&window_, &MainWindow::StatusPanelClicked, this,
            [this](int index, Qt::KeyboardModifiers modifiers) {
                core_.StatusPanelClicked(static_cast<StatusPanel>(index),
                                         modifiers.testFlag(Qt::ControlModifier));
            });
    connect(&window_, &MainWindow::StatusPanelDoubleClicked, this, [this](int index) {
        if (index == static_cast<int>(StatusPanel::TestTimer)) core_.TestPanelDoubleClicked();
    });
    connect(&window_, &MainWindow::LogoPressed, this, [this](Qt::KeyboardModifiers modifiers) {
        if (modifiers.testFlag(Qt::ControlModifier)) {
            AskAccessWord();
        } else {
            QDesktopServices::openUrl(
                QUrl(QString::fromUtf8(kMakerWebAddress.data(), kMakerWebAddress.size())));
        }
    });
    window_.ShowReceiverRate(QString::fromStdString(core_.BaudChange.SelectedRate()));
}

void WindowWiring::AskAccessWord() {
    // Opened without blocking: the receive path keeps running while the box is up.
    auto* dialog = new QInputDialog(&window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(tr("GPSVaro"));
    dialog->setLabelText(tr("Word:"));
    dialog->setTextEchoMode(QLineEdit::Password);
    connect(dialog, &QInputDialog::textValueSelected, this,
            [this](const QString& word) { core_.AccessWordEntered(word.toStdString()); });
    dialog->open();
}
void WindowWiring::ShowCampaignWindow() {
    if (campaignWindow_ == nullptr)
        campaignWindow_ = new CampaignWindow(core_.CampaignView, &window_);
    campaignWindow_->ShowBeside(&window_);
}

WindowWiring::~WindowWiring() {
    core_.SetListener(nullptr);
}

void WindowWiring::OnBringToFront() {
    window_.raise();
    window_.activateWindow();
}

void WindowWiring::OnShowPortEvents() {
    window_.PortEventsWindow()->show();
}

void WindowWiring::RequestRepaint() {
    if (repaintPending_) return;
    repaintPending_ = true;
    QTimer::singleShot(kRepaintCoalesceMs, this, [this] {
        repaintPending_ = false;
        window_.RefreshFromModel();
        window_.ShowReceiverRate(QString::fromStdString(core_.BaudChange.SelectedRate()));
        commandPanel_->Refresh();
        corrections_->Refresh();
        window_.CampaignEntry()->setEnabled(core_.CampaignView.MenuEntryEnabled());
        if (campaignWindow_ != nullptr && campaignWindow_->isVisible()) campaignWindow_->Refresh();
        displays_->Refresh();
        sensorWindows_->Refresh();
        sgeeWindow_->Refresh();
        hdPage_->Refresh();
        RefreshEpoWindow();
        specialPanels_->Refresh();
    });
}

void WindowWiring::RefreshEpoWindow() {
    if (epoWindow_ == nullptr) {
        if (!core_.Epo.View().Visible) return;
        epoWindow_ = new EpoWindow(core_.Epo, &window_);
        EpoAssistant& epo = core_.Epo;
        connect(epoWindow_, &EpoWindow::UpdateClicked, this, [&epo] { epo.UpdateClicked(); });
        connect(epoWindow_, &EpoWindow::FromFileChosen, this, [&epo](const QString& path) {
            epo.UploadFileClicked(std::filesystem::path(path.toStdString()));
        });
        connect(epoWindow_, &EpoWindow::CancelClicked, this, [&epo] { epo.CancelClicked(); });
        connect(epoWindow_, &EpoWindow::CloseRequested, this, [&epo] { epo.CloseWindow(); });
        connect(epoWindow_, &EpoWindow::EasyOffClicked, this, [&epo] { epo.EasyOffClicked(); });
        connect(epoWindow_, &EpoWindow::EpoIToggled, this,
                [&epo](bool checked) { epo.SetEpoIChecked(checked); });
        connect(epoWindow_, &EpoWindow::ServersClicked, this, [this] {
            auto* dialog = new AssistServersDialog(core_.AssistServers, epoWindow_);
            connect(
                dialog, &AssistServersDialog::AddressesChosen, this,
                [this](const AssistServerAddresses& chosen) { core_.SetAssistServers(chosen); });
            dialog->open();
        });
    }
    epoWindow_->Refresh();
}

}  // namespace gnss::ui
