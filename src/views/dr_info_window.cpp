#include "views/dr_info_window.h"

namespace gnss {

DrInfoWindow::DrInfoWindow(Scheduler& scheduler) : countdown_(scheduler.CreateTimer()) {
    countdown_->SetIntervalMs(1000);
    countdown_->OnTimeout = [this] { Tick(); };
}

void DrInfoWindow::Show(DrInfoIcon icon, const std::vector<std::string_view>& lines,
                        DrInfoMode mode, bool modal, int seconds) {
    icon_ = icon;
    mode_ = mode;
    modal_ = modal;
    lines_.clear();
    for (std::string_view line : lines) {
        std::string padded(line);
        if (padded.size() < kDrInfoLineWidth) padded.append(kDrInfoLineWidth - padded.size(), ' ');
        lines_.push_back(std::move(padded));
    }
    visible_ = true;
    ++shows_;
    countdown_->Stop();
    if (mode == DrInfoMode::Countdown) {
        secondsLeft_ = seconds > 0 ? seconds : kDrInfoCountdownSeconds;
        countdown_->Start();
    } else {
        secondsLeft_ = 0;
    }
    Changed();
}

void DrInfoWindow::Close(DrInfoResult result) {
    countdown_->Stop();
    if (!visible_) return;
    visible_ = false;
    modal_ = false;
    Changed();
    if (OnClosed) OnClosed(result);
}

std::string DrInfoWindow::Text() const {
    std::string text;
    for (const std::string& line : lines_) {
        if (!text.empty()) text += "\n\n";
        text += line;
    }
    return text;
}

void DrInfoWindow::Tick() {
    if (--secondsLeft_ <= 0) {
        secondsLeft_ = 0;
        Close(DrInfoResult::TimedOut);
        return;
    }
    Changed();
}

void DrInfoWindow::Changed() {
    if (OnChanged) OnChanged();
}

DrInfoWindow::Point DrInfoWindow::Placement(int mainLeft, int mainTop, int monitorWidth,
                                            int ownWidth) {
    return Point{mainLeft + monitorWidth - ownWidth - 2, mainTop + 300};
}

}  // namespace gnss
