#include "views/status_bar_model.h"

#include <algorithm>

namespace gnss {

namespace {

bool ValidIndex(int index) {
    return index >= 0 && index < StatusBarModel::kPanelCount;
}

}  // namespace

StatusBarModel::StatusBarModel() {
    for (int i = 0; i < kPanelCount; ++i) panels_[i].WidthPx = kPanelWidthsPx[i];
    panels_[kPortPanel].Text = std::string(kPortStartText);
}

void StatusBarModel::SetStatusPanel(int index, std::string_view text) {
    if (!ValidIndex(index) || panels_[index].Text == text) return;
    panels_[index].Text.assign(text);
    Changed();
}

void StatusBarModel::SetPanelBevel(int index, PanelBevel bevel) {
    if (!ValidIndex(index) || panels_[index].Bevel == bevel) return;
    panels_[index].Bevel = bevel;
    Changed();
}

void StatusBarModel::ClearPanels(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, kPanelCount - 1);
    bool any = false;
    for (int i = first; i <= last; ++i) {
        if (panels_[i].Text.empty()) continue;
        panels_[i].Text.clear();
        any = true;
    }
    if (any) Changed();
}

const StatusPanel& StatusBarModel::Panel(int index) const {
    static const StatusPanel kNone{};
    return ValidIndex(index) ? panels_[index] : kNone;
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
    if (changed_) changed_();
}

}  // namespace gnss
