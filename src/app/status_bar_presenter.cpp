#include "app/status_bar_presenter.h"

#include <array>
#include <string>

namespace gnss {

namespace {

// Where each status text of the connection is shown.
struct ConnectionPanel {
    ConnectionStatusItem Item;
    StatusPanel Panel;
};
constexpr std::array<ConnectionPanel, kConnectionStatusTextCount> kConnectionPanels = {{
    {ConnectionStatusItem::PortText, StatusPanel::Port},
    {ConnectionStatusItem::Elapsed, StatusPanel::Elapsed},
    {ConnectionStatusItem::NoData, StatusPanel::NoData},
    {ConnectionStatusItem::ReceiveRate, StatusPanel::ReceiveRate},
    {ConnectionStatusItem::Detection, StatusPanel::Message},
}};

}  // namespace

StatusBarPresenter::StatusBarPresenter(StatusBarModel& bar, const ReceiveDispatcher& dispatcher,
                                       const ConnectionControl& connection,
                                       const ReceiverIdentification& identification,
                                       const ReceiverPort& port, const SharedState& shared)
    : bar_(bar),
      dispatcher_(dispatcher),
      connection_(connection),
      identification_(identification),
      port_(port),
      shared_(shared) {}

void StatusBarPresenter::ShowClosedLink() {
    bar_.SetText(StatusPanel::LinkState, LinkStateName(LinkState::Closed));
}

void StatusBarPresenter::ShowLogState(std::string_view text) {
    bar_.SetText(StatusPanel::Log, text);
}

void StatusBarPresenter::ShowMessage(std::string_view text) {
    bar_.SetText(StatusPanel::Message, text);
}

void StatusBarPresenter::ShowTtffDebug(std::string_view text) {
    bar_.SetText(StatusPanel::RestartMode, text);
}

void StatusBarPresenter::ShowCorrectionCounts(std::string_view text) {
    bar_.SetText(StatusPanel::RestartMode, text);
}

void StatusBarPresenter::ShowTestProgress(std::string_view text) {
    bar_.SetText(StatusPanel::TestTimer, text);
}

void StatusBarPresenter::ShowPause(const MonitorPauseView& pause) {
    if (pause.PortStatusText.empty()) return;
    bar_.SetText(StatusPanel::Port, pause.PortStatusText);
    bar_.SetBevel(StatusPanel::Port,
                  pause.PortStatusLowered ? PanelBevel::Lowered : PanelBevel::Raised);
}

void StatusBarPresenter::ShowLinkLamp() {
    bar_.SetLinkState(shared_.PortOpen, dispatcher_.Counters().DataIndicator);
}

// --- the link ---

void StatusBarPresenter::OnLinkRecognised(LinkState state) {
    if (state == LinkState::Nmea) {
        const std::string_view found = connection_.RateFoundAutomatically() ? " (auto)" : "";
        bar_.SetText(StatusPanel::Message,
                     "Baud Rate :" + std::to_string(port_.BaudRate()) + std::string(found));
    }
    bar_.SetText(StatusPanel::LinkState, LinkStateName(state));
}

void StatusBarPresenter::OnDataLampChanged(bool lit) {
    bar_.SetLinkState(shared_.PortOpen, lit);
}

// --- the connection ---

void StatusBarPresenter::OnConnectionChanging() {
    bar_.ClearPanels(StatusPanel::Family, StatusPanel::SpareA);
}

void StatusBarPresenter::OnDisconnected() {
    bar_.SetLinkState(false, false);
}

void StatusBarPresenter::OnConnectionStatusChanged(ConnectionStatusItem item) {
    const ConnectionStatus& status = connection_.Status();
    if (item == ConnectionStatusItem::PortOpenLook) {
        bar_.SetBevel(StatusPanel::Port,
                      status.PortOpenLook ? PanelBevel::Raised : PanelBevel::Lowered);
        return;
    }
    for (const ConnectionPanel& shown : kConnectionPanels) {
        if (shown.Item == item) bar_.SetText(shown.Panel, status.Text(item));
    }
    // A detection moves the link state without announcing it; its messages show where it is.
    if (item == ConnectionStatusItem::Detection && shared_.PortOpen) {
        bar_.SetText(StatusPanel::LinkState, LinkStateName(dispatcher_.State()));
    }
}

// --- identification ---

void StatusBarPresenter::OnReceiverIdentified() {
    const IdentificationResult& result = identification_.Result;
    if (shared_.Family == ReceiverFamily::TMC) {
        bar_.SetText(StatusPanel::Message, "TMC Baud Rate :" + std::to_string(port_.BaudRate()));
    }
    bar_.SetText(StatusPanel::Family, result.FirmwareText.starts_with("RSC-")
                                          ? std::string_view("RSC")
                                          : FamilyDisplayName(shared_.Family));
    OnIdentificationChanged();
}

void StatusBarPresenter::OnIdentificationChanged() {
    const std::string& tag = identification_.Result.ChipTag;
    if (!tag.empty()) bar_.SetText(StatusPanel::ChipTag, tag);
}

}  // namespace gnss
