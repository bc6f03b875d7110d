#include "views/status_bar_model.h"

namespace gnss {

StatusBarModel::StatusBarModel() {
    for (std::size_t i = 0; i < panels_.size(); ++i) panels_[i].WidthPx = kPanelWidthsPx[i];
    panels_[Index(StatusPanel::Port)].Text = std::string(kPortStartText);
}

void StatusBarModel::SetText(StatusPanel panel, std::string_view text) {
    StatusPanelState& state = panels_[Index(panel)];
    if (state.Text == text) return;
    state.Text.assign(text);
    Changed();
}

void StatusBarModel::SetBevel(StatusPanel panel, PanelBevel bevel) {
    StatusPanelState& state = panels_[Index(panel)];
    if (state.Bevel == bevel) return;
    state.Bevel = bevel;
    Changed();
}

void StatusBarModel::ClearPanels(StatusPanel first, StatusPanel last) {
    bool any = false;
    for (std::size_t i = Index(first); i <= Index(last); ++i) {
        if (panels_[i].Text.empty()) continue;
        panels_[i].Text.clear();
        any = true;
    }
    if (any) Changed();
}

void StatusBarModel::SetLinkState(bool portOpen, bool dataIndicator) {
    const LinkIcon icon = !portOpen       ? LinkIcon::Disconnected
                          : dataIndicator ? LinkIcon::ConnectedLampOn
                                          : LinkIcon::ConnectedLampOff;
    if (icon == icon_) return;
    icon_ = icon;
    Changed();
}

void StatusBarModel::Changed() {
    ++revision_;
    if (listener_ != nullptr) listener_->OnViewChanged();
}

}  // namespace gnss
