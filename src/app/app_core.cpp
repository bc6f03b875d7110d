#include "app/app_core.h"

#include <utility>

#include "logging/map_link.h"
#include "nmea/sentence_kind.h"
#include "views/port_list.h"

namespace gnss {

namespace {

constexpr std::size_t kMonitorStepBufferCut = 512;

std::vector<std::string> BaudItems() {
    return {kReceiverBaudItems.begin(), kReceiverBaudItems.end()};
}

}  // namespace

AppCore::AppCore(const AppServices& services)
    : Pipeline(services.Port, services.SystemClock, services.Timers, services.Prompts),
      Recorder(services.SystemClock, services.Prompts, services.Dialogs, Pipeline.Shared,
               services.Port,
               LogRecorder::Options{services.ProgramFolder, services.RunFromReadOnlyMedia}),
      Monitor(services.SystemClock, Pipeline.Shared, Pipeline.Receiver, Recorder, services.Port),
      Connection(Pipeline.Shared, Pipeline.Receiver, services.Port, Pipeline.Dispatcher,
                 services.SystemClock, services.Timers, services.Prompts),
      Identification(Pipeline, services.Port, services.Timers),
      Reception(Pipeline.Shared, Pipeline.Receiver, services.SystemClock, Identification.Result,
                *this),
      Navigation(NavigationPanel::Deps{Pipeline.Decoder, Pipeline.Receiver, Pipeline.Shared,
                                       services.SystemClock, services.ClockSetter, *this}),
      clock_(services.SystemClock),
      port_(services.Port),
      ports_(services.Ports),
      desktop_(services.DesktopShell),
      prompts_(services.Prompts),
      statusBar_(Window.StatusBar(), Pipeline.Dispatcher, Connection, Identification, services.Port,
                 Pipeline.Shared),
      satellitesFeed_(Satellites, Pipeline.Decoder, Pipeline.Shared, Identification.Result) {
    // The order of registration is the order in which listeners hear of an event: the core's
    // own reactions first (the monitor's step before identification's second), then the
    // status bar, then the features.
    PlugInSelf();
    PlugIn(statusBar_);
    PlugIn(Monitor);
    PlugIn(Recorder);
    PlugIn(Identification);
    PlugIn(Reception);
    PlugIn(Navigation);
    PlugIn(satellitesFeed_);

    Recorder.SetListener(this);
    Window.SetButtonEnabled(ToolButton::Map, true);
    if (Recorder.LoggingDisabled()) Window.DisableLogging();
}

AppCore::~AppCore() {
    Pipeline.Dispatcher.PauseProcessing();
}

void AppCore::PlugInSelf() {
    Pipeline.Dispatcher.AddListener(static_cast<LinkListener&>(*this));
    Pipeline.Dispatcher.AddListener(static_cast<SatelliteListener&>(*this));
    Connection.AddListener(*this);
    Identification.AddListener(*this);
}

void AppCore::ViewChanged() {
    if (listener_ != nullptr) listener_->OnViewChanged();
}

void AppCore::AddMemo(std::string_view text) {
    Memo.Add(clock_.NowLocal(), text);
    ViewChanged();
}

// --- what the features report ---

void AppCore::AddMonitorLine(std::string_view line) {
    Monitor.MonitorAddLine(line);
}

void AppCore::AddLoggedMonitorLine(std::string_view line) {
    Monitor.MonitorAddLogged(line);
}

void AppCore::AddStampedMonitorLine(std::string_view text) {
    Monitor.MonitorAddStamped(text);
}

void AppCore::OnLogStateChanged() {
    Window.SetLogging(Recorder.Button().Down);
    statusBar_.ShowLogState(Recorder.StateText());
    ViewChanged();
}

void AppCore::OnNmeaSecond(bool) {
    switch (Monitor.MonitorStep()) {
        case MonitorStepResult::NewSentences:
            if (Shared().ReceiverIdentified) {
                Navigation.RefreshNavigationPanel(Pipeline.Dispatcher.Counters().KindsSeen);
            }
            break;
        case MonitorStepResult::Quiet:
            Pipeline.Dispatcher.CutRxBufferTo(kMonitorStepBufferCut);
            break;
        case MonitorStepResult::Paused:
            break;
    }
    ViewChanged();
}

void AppCore::OnConnecting() {
    Pipeline.ResetForConnect();
    Window.SetFirmwareText("");
}

void AppCore::OnDisconnected() {
    Window.SetPaused(false);
    Monitor.SetPause(false);
}

void AppCore::OnReceiverIdentified() {
    OnIdentificationChanged();
    AddMemo("Receiver identified: " + std::string(FamilyDisplayName(Shared().Family)) + " (" +
            Identification.Result.FirmwareText + ")");
}

void AppCore::OnIdentificationChanged() {
    Window.SetFirmwareText(Identification.Result.FirmwareLabel);
}

// --- connection view <-> window model ---

void AppCore::SyncBoxesToConnection() {
    Connection.SetShownPort(Window.Ports().Text());
    Connection.SetShownBaud(Window.BaudRates().Text());
}

void AppCore::SyncConnectionView() {
    const ConnectionView& view = Connection.View();
    if (Shared().PortOpen) {
        if (!Window.Button(ToolButton::Connect).Down) {
            Window.ConnectionOpened();
            Satellites.PortOpened();
        }
    } else if (Window.Button(ToolButton::Connect).Down) {
        Window.ConnectionClosed();
    } else {
        Window.ConnectionFailed();
    }
    Window.SetConnectBusy(!view.OpenButtonEnabled);
    Window.SetButtonEnabled(ToolButton::Pause, Shared().PortOpen && view.PauseButtonEnabled);
    if (view.ShownBaud != Window.BaudRates().Text()) Window.SelectBaudRate(view.ShownBaud);
    statusBar_.ShowLinkLamp();
    ViewChanged();
}

void AppCore::ApplyPauseView() {
    const MonitorPauseView& pause = Monitor.PauseView();
    Window.SetPaused(pause.Paused);
    statusBar_.ShowPause(pause);
}

// --- start-up and shut-down ---

void AppCore::Start() {
    const std::vector<std::string> present = ports_.PresentPorts();
    previousPortList_ = PortListText(present);
    Window.SetPortNames(present);
    Window.SelectBaudRate("9600");
    statusBar_.ShowClosedLink();
}

void AppCore::LoadSettings(const std::filesystem::path& path) {
    SettingsLists lists;
    lists.Ports = Window.Ports().Items();
    lists.BaudRates = BaudItems();
    const AppSettings settings = gnss::LoadSettings(path, lists);
    if (settings.ComPortIndex >= 0) Window.SelectPort(settings.ComPort);
    if (settings.BaudRateIndex >= 0) {
        Window.SelectBaudRate(lists.BaudRates[static_cast<std::size_t>(settings.BaudRateIndex)]);
    }
    Window.SetUnitIndex(settings.SpeedUnitIndex);
    Navigation.LoadUnitSettings(settings.SpeedUnitIndex, settings.DmsMode);
    commandHistory_ = settings.CommandHistory;
    windowPlacement_ = settings.Window;
    if (!Window.Ports().Text().empty()) port_.SetPortName(Window.Ports().Text());
    if (Window.SelectedBaudRate() > 0)
        port_.SetBaudRate(static_cast<uint32_t>(Window.SelectedBaudRate()));
    ViewChanged();
}

AppSettings AppCore::CurrentSettings() const {
    AppSettings settings;
    settings.ComPort = Window.Ports().Text();
    settings.ComPortIndex = settings.ComPort.empty() ? -1 : 0;
    settings.BaudRate = static_cast<int>(port_.BaudRate());
    settings.BaudRateIndex = 0;
    settings.SpeedUnitIndex = Navigation.SpeedUnitIndex();
    settings.DmsMode = Navigation.DmsMode();
    settings.Window = windowPlacement_;
    return settings;
}

void AppCore::Shutdown(const std::filesystem::path& settingsPath) {
    if (Shared().PortOpen) Connection.ToggleConnection();
    if (!settingsPath.empty()) SaveSettings(settingsPath, CurrentSettings());
    Pipeline.Dispatcher.PauseProcessing();
    port_.Close();
    Recorder.Shutdown();
}

// --- the user's actions ---

void AppCore::ToolButtonClicked(ToolButton id, bool ctrlHeld) {
    switch (id) {
        case ToolButton::Connect:
            if (!Window.Button(ToolButton::Connect).Enabled) return;
            SyncBoxesToConnection();
            Connection.ConnectButtonPressed(ctrlHeld);
            SyncConnectionView();
            break;
        case ToolButton::Pause:
            if (!Shared().PortOpen) return;
            Monitor.SetPause(!Shared().MonitorPaused);
            ApplyPauseView();
            break;
        case ToolButton::Log:
            Recorder.ToggleLog();
            Recorder.LogButtonReleased(ctrlHeld, Window.Caption());
            break;
        case ToolButton::Map:
            OpenMapLink(ctrlHeld, Receiver().FixValid, Pipeline.Decoder.Rmc(), prompts_, desktop_);
            break;
        default:
            break;
    }
    ViewChanged();
}

void AppCore::PortTextChanged(std::string_view text) {
    Window.SetPortText(text);
}

void AppCore::PortListDropDown() {
    Window.RefreshPortNames(ports_.PresentPorts());
}

void AppCore::BaudRateChosen(std::string_view text) {
    Window.SelectBaudRate(text);
}

void AppCore::UnitChosen(int index) {
    Window.SetUnitIndex(index);
    Navigation.SetSpeedUnitIndex(index, Pipeline.Dispatcher.Counters().KindsSeen);
    ViewChanged();
}

void AppCore::PositionLabelDoubleClicked() {
    Navigation.ToggleDmsMode();
    ViewChanged();
}

void AppCore::PositionCaptionDoubleClicked() {
    desktop_.SetClipboardText(Navigation.PositionClipboard());
}

void AppCore::TimeLabelDoubleClicked() {
    Navigation.RequestClockSync();
    ViewChanged();
}

void AppCore::SignalChartDoubleClicked() {
    Satellites.ToggleTitleStrip();
    ViewChanged();
}

void AppCore::FilterTextChanged(std::string_view text) {
    Monitor.SetFilterText(text);
}

void AppCore::MonitorClearRequested() {
    Monitor.MonitorClear();
    // Without a running connection nothing else would clear the satellite views.
    if (!Pipeline.Dispatcher.SecondTimerEnabled()) Satellites.ClearSatelliteViews();
    ViewChanged();
}

void AppCore::PortListPolled() {
    DeviceChangeInput input;
    input.PreviousListText = previousPortList_;
    input.Ports = ports_.PresentPorts();
    input.ShownPort = Window.Ports().Text();
    input.PortOpen = Shared().PortOpen;
    const DeviceChangeResult result = HandleDeviceChange(input);
    if (!result.ListChanged) return;
    previousPortList_ = result.NewListText;
    const std::string shown = Window.Ports().Text();
    Window.SetPortNames(result.Combo.Items);
    if (result.Combo.Selected >= 0) {
        Window.SelectPort(result.Combo.Items[static_cast<std::size_t>(result.Combo.Selected)]);
    } else if (!shown.empty()) {
        Window.SetPortText(shown);
    }
    if (result.Disconnect) {
        Connection.PortRemoved();
        SyncConnectionView();
    }
    Window.PortEvents().AddAll(result.EventLines);
    Window.PortEventsChanged();
    if (result.BringToFront && listener_ != nullptr) listener_->OnBringToFront();
    if (result.ShowEventWindow && listener_ != nullptr) listener_->OnShowPortEvents();
    ViewChanged();
}

}  // namespace gnss
