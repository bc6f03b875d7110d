#include "views/main_window_model.h"

#include <algorithm>
#include <charconv>

namespace gnss {

namespace {

constexpr std::string_view kOpenHintStart = "Connect to GNSS Receiver";
constexpr std::string_view kOpenHintConnected = "Disconnect";
constexpr std::string_view kOpenHintClosed = "Connect to GPS";
constexpr std::string_view kPauseHintRunning = "Click to Pause";
constexpr std::string_view kPauseHintPaused = "Click to Continue";
constexpr std::string_view kLogHintIdle = "Start to Log data";
constexpr std::string_view kLogHintRecording = "Stop Log";

// The toolbar as it starts: name, hint, enabled, visible, checkable, separator before.
struct ButtonRow {
    ToolButton Id;
    std::string_view Name;
    std::string_view Hint;
    bool Enabled;
    bool Visible;
    bool Checkable;
    bool SeparatorBefore;
};
constexpr std::array<ButtonRow, kToolButtonCount> kButtonRows = {{
    {ToolButton::Connect, "TBOpen", kOpenHintStart, true, true, true, false},
    {ToolButton::Pause, "TBPause", kPauseHintRunning, false, true, true, false},
    {ToolButton::Log, "TBStartLog", kLogHintIdle, true, true, true, false},
    {ToolButton::HotStart, "TBHotStart", "Hot Start", false, true, false, true},
    {ToolButton::WarmStart, "TBWarmStart", "Warm Start", false, true, false, false},
    {ToolButton::ColdStart, "TBColdStart", "Cold Start", false, true, false, false},
    {ToolButton::FactoryReset, "TBFactory", "Factory Default", false, true, false, false},
    {ToolButton::Map, "TBGmap", "Link to Google Map", false, true, false, true},
    {ToolButton::Assistance, "TBAgps", "update AGPS data", false, true, false, false},
    // Shown only for the maker's RTK receivers.
    {ToolButton::Corrections, "btn_NTrip", "Start the NTRIP client", false, false, false, false},
    {ToolButton::About, "TBAbout", "About the GPS Utility .....  ", true, true, false, true},
}};

std::vector<std::string> BaudItems() {
    return {kReceiverBaudItems.begin(), kReceiverBaudItems.end()};
}

int BaudStartIndex() {
    const auto it =
        std::find(kReceiverBaudItems.begin(), kReceiverBaudItems.end(), kReceiverBaudStart);
    return static_cast<int>(it - kReceiverBaudItems.begin());
}

}  // namespace

std::string WindowCaption(std::string_view firmware) {
    std::string caption;
    caption.append(kProductTitle).append(kProductVersion).append(kProductVersionSuffix);
    if (!firmware.empty()) caption.append(" (").append(firmware).append(")");
    return caption;
}

WindowPlacement FitWindowPlacement(const WindowPlacement& saved, const ScreenRect& available) {
    WindowPlacement fitted = saved;
    ScreenRect& area = fitted.Area;
    const int roomWidth = std::max(available.Width, 1);
    const int roomHeight = std::max(available.Height, 1);
    area.Width = std::clamp(area.Width, std::min(kMinWindowSide, roomWidth), roomWidth);
    area.Height = std::clamp(area.Height, std::min(kMinWindowSide, roomHeight), roomHeight);
    area.Left = std::clamp(area.Left, available.Left, available.Left + roomWidth - area.Width);
    area.Top = std::clamp(area.Top, available.Top, available.Top + roomHeight - area.Height);
    return fitted;
}

WindowGeometry InitialWindowGeometry(int screenHeight) {
    WindowGeometry geometry{kDefaultWindowWidth, kDefaultWindowHeight, std::nullopt};
    const int available = screenHeight - 42;
    if (available < kDefaultWindowHeight) {
        geometry.Height = std::max(available, 1);
        geometry.Top = 3;
    }
    return geometry;
}

AboutBoxTexts AboutBoxContents() {
    AboutBoxTexts texts;
    texts.Caption = "About GPSVaro .......";
    texts.Title = "GPSVaro Utility ";
    texts.VersionLine.append("  Version : ").append(kProductVersion).append(kProductVersionSuffix);
    texts.Description =
        "Test and monitoring tool for GNSS receiver modules: NMEA monitor, satellite views, "
        "restarts with time to first fix, logging and assistance data.";
    texts.LinkText = "Visit the MERIDAN web site";
    texts.LinkAddress = std::string(kMakerWebAddress);
    texts.CloseButton = "OK";
    return texts;
}

// ---- ChoiceList ----

ChoiceList::ChoiceList(std::vector<std::string> items, int selected) : items_(std::move(items)) {
    SelectIndex(selected);
}

void ChoiceList::SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    const auto it = std::find(items_.begin(), items_.end(), text_);
    selected_ = it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

bool ChoiceList::SelectText(std::string_view text) {
    const auto it = std::find(items_.begin(), items_.end(), text);
    if (it == items_.end()) return false;
    selected_ = static_cast<int>(it - items_.begin());
    text_ = *it;
    return true;
}

bool ChoiceList::SelectIndex(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size())) return false;
    selected_ = index;
    text_ = items_[static_cast<std::size_t>(index)];
    return true;
}

void ChoiceList::SetText(std::string_view text) {
    if (SelectText(text)) return;
    selected_ = -1;
    text_.assign(text);
}

// ---- PortEventLog ----

void PortEventLog::Add(std::string_view line) {
    lines_.emplace_back(line);
    if (lines_.size() > kMaxLines) {
        lines_.erase(lines_.begin(),
                     lines_.begin() + static_cast<std::ptrdiff_t>(lines_.size() - kMaxLines));
    }
}

void PortEventLog::AddAll(std::span<const std::string> lines) {
    for (const std::string& line : lines) Add(line);
}

void PortEventLog::Clear() {
    lines_.clear();
}

// ---- MainWindowModel ----

MainWindowModel::MainWindowModel() : baudRates_(BaudItems(), BaudStartIndex()) {
    for (std::size_t i = 0; i < kButtonRows.size(); ++i) {
        const ButtonRow& row = kButtonRows[i];
        ToolButtonState& button = buttons_[i];
        button.Id = row.Id;
        button.Name = row.Name;
        button.Hint = std::string(row.Hint);
        button.Enabled = row.Enabled;
        button.Visible = row.Visible;
        button.Checkable = row.Checkable;
        button.SeparatorBefore = row.SeparatorBefore;
    }
    // Any status change repaints the window as a whole.
    statusBar_.SetChangeListener(this);
}

void MainWindowModel::SetFirmwareText(std::string_view firmware) {
    if (firmware_ == firmware) return;
    firmware_.assign(firmware);
    Changed();
}

const ToolButtonState& MainWindowModel::Button(ToolButton id) const {
    return buttons_[static_cast<std::size_t>(id)];
}

ToolButtonState& MainWindowModel::Mutable(ToolButton id) {
    return buttons_[static_cast<std::size_t>(id)];
}

void MainWindowModel::ConnectionOpened() {
    ToolButtonState& open = Mutable(ToolButton::Connect);
    open.Hint = std::string(kOpenHintConnected);
    open.Down = true;
    ToolButtonState& pause = Mutable(ToolButton::Pause);
    pause.Enabled = true;
    pause.Down = false;
    pause.Hint = std::string(kPauseHintRunning);
    firmware_.clear();
    Changed();
}

void MainWindowModel::ConnectionClosed() {
    ToolButtonState& open = Mutable(ToolButton::Connect);
    open.Hint = std::string(kOpenHintClosed);
    open.Down = false;
    ToolButtonState& pause = Mutable(ToolButton::Pause);
    pause.Down = false;
    pause.Enabled = false;
    pause.Hint = std::string(kPauseHintRunning);
    for (ToolButton id : {ToolButton::HotStart, ToolButton::WarmStart, ToolButton::ColdStart,
                          ToolButton::FactoryReset}) {
        Mutable(id).Enabled = false;
    }
    Changed();
}

void MainWindowModel::ConnectionFailed() {
    ToolButtonState& open = Mutable(ToolButton::Connect);
    open.Hint = std::string(kOpenHintClosed);
    open.Down = false;
    Changed();
}

void MainWindowModel::SetConnectBusy(bool busy) {
    SetButtonEnabled(ToolButton::Connect, !busy);
}

void MainWindowModel::SetPaused(bool paused) {
    ToolButtonState& pause = Mutable(ToolButton::Pause);
    pause.Down = paused;
    pause.Hint = std::string(paused ? kPauseHintPaused : kPauseHintRunning);
    Changed();
}

void MainWindowModel::SetLogging(bool recording) {
    ToolButtonState& log = Mutable(ToolButton::Log);
    if (!log.Enabled) return;
    log.Down = recording;
    log.Hint = std::string(recording ? kLogHintRecording : kLogHintIdle);
    Changed();
}

void MainWindowModel::DisableLogging() {
    ToolButtonState& log = Mutable(ToolButton::Log);
    log.Enabled = false;
    log.Down = false;
    log.Hint = std::string(kLogDisabledHint);
    Changed();
}

void MainWindowModel::SetRestartButtons(bool hot, bool warm, bool cold, bool factory) {
    Mutable(ToolButton::HotStart).Enabled = hot;
    Mutable(ToolButton::WarmStart).Enabled = warm;
    Mutable(ToolButton::ColdStart).Enabled = cold;
    Mutable(ToolButton::FactoryReset).Enabled = factory;
    Changed();
}

void MainWindowModel::SetReceiverRateEnabled(bool enabled) {
    if (receiverRateEnabled_ == enabled) return;
    receiverRateEnabled_ = enabled;
    Changed();
}

void MainWindowModel::SetButtonEnabled(ToolButton id, bool enabled) {
    if (Button(id).Enabled == enabled) return;
    Mutable(id).Enabled = enabled;
    Changed();
}

void MainWindowModel::SetButtonVisible(ToolButton id, bool visible) {
    if (Button(id).Visible == visible) return;
    Mutable(id).Visible = visible;
    Changed();
}

void MainWindowModel::SetPortNames(std::vector<std::string> names) {
    ports_ = ChoiceList(std::move(names), 0);
    Changed();
}

void MainWindowModel::RefreshPortNames(std::vector<std::string> names) {
    ports_.SetItems(std::move(names));
    Changed();
}

bool MainWindowModel::SelectPort(std::string_view name) {
    if (!ports_.SelectText(name)) return false;
    Changed();
    return true;
}

void MainWindowModel::SetPortText(std::string_view text) {
    if (ports_.Text() == text) return;
    ports_.SetText(text);
    Changed();
}

bool MainWindowModel::SelectBaudRate(std::string_view rate) {
    if (!baudRates_.SelectText(rate)) return false;
    Changed();
    return true;
}

int MainWindowModel::SelectedBaudRate() const {
    const std::string& text = baudRates_.Text();
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return 0;
    return value;
}

void MainWindowModel::SetUnitIndex(int index) {
    if (index < 0 || index >= static_cast<int>(kUnitItems.size())) index = 0;
    if (index == unitIndex_) return;
    unitIndex_ = index;
    Changed();
}

void MainWindowModel::Changed() {
    ++revision_;
    if (listener_ != nullptr) listener_->OnViewChanged();
}

}  // namespace gnss
