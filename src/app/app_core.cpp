#include "app/app_core.h"

#include <utility>

#include "link/port_list.h"
#include "logging/map_link.h"
#include "nmea/sentence_kind.h"

namespace gnss {

namespace {

constexpr int kPanelPort = 2;
constexpr int kPanelLog = 8;
constexpr std::size_t kMonitorStepBufferCut = 512;

std::vector<std::string> BaudItems() {
    return {kBaudRateItems.begin(), kBaudRateItems.end()};
}

LogRecorder::Options RecorderOptions(const AppServices& services, ReceiverPort& port,
                                     const MainWindowModel& window) {
    LogRecorder::Options options;
    options.ProgramFolder = services.ProgramFolder;
    options.RunFromReadOnlyMedia = services.RunFromReadOnlyMedia;
    options.PortName = [&port] { return port.PortName(); };
    options.BaudRate = [&port] { return static_cast<int>(port.BaudRate()); };
    options.WindowCaption = [&window] { return window.Caption(); };
    return options;
}

}  // namespace

AppCore::AppCore(const AppServices& services)
    : Pipeline(services.Port, services.SystemClock, services.Timers, services.Prompts),
      Recorder(services.SystemClock, services.Prompts, services.Dialogs, Pipeline.Shared,
               RecorderOptions(services, services.Port, Window)),
      Monitor(services.SystemClock, Pipeline.Shared, Pipeline.Receiver, Recorder, MonitorHooks()),
      Connection(Pipeline.Shared, Pipeline.Receiver, services.Port, Pipeline.Dispatcher,
                 services.SystemClock, services.Timers, services.Prompts),
      Identification(Pipeline, Connection, services.Port, services.SystemClock, services.Timers),
      Navigation(NavigationPanel::Deps{Pipeline.Decoder, Pipeline.Receiver, Pipeline.Shared,
                                       services.SystemClock, services.ClockSetter}),
      clock_(services.SystemClock),
      port_(services.Port),
      ports_(services.Ports),
      desktop_(services.DesktopShell),
      prompts_(services.Prompts) {
    WireStatusBar();
    WireConnection();
    WireMonitorAndRecorder();
    WireDisplays();
    WireIdentification();
    Window.SetButtonEnabled(ToolButton::Map, true);
    if (Recorder.LoggingDisabled()) Window.DisableLogging();
}

AppCore::~AppCore() {
    Pipeline.Dispatcher.PauseProcessing();
}

void AppCore::ViewChanged() {
    if (OnViewChanged) OnViewChanged();
}

void AppCore::AddMemo(std::string_view text) {
    Memo.Add(clock_.NowLocal(), text);
    ViewChanged();
}

// --- wiring ---

void AppCore::WireStatusBar() {
    ReceiveHooks& hooks = Pipeline.Dispatcher.Hooks;
    hooks.SetStatusPanel = [this](int index, std::string text) {
        Window.StatusBar().SetStatusPanel(index, text);
    };
    hooks.RepaintStatusBar = [this] {
        Window.StatusBar().SetLinkState(Shared().PortOpen,
                                        Pipeline.Dispatcher.Counters().DataIndicator);
    };
    hooks.ConsumerError = [this](std::string_view what) { AddMemo(what); };
    Window.StatusBar().SetChangedCallback([this] { ViewChanged(); });
    Window.SetChangedCallback([this] { ViewChanged(); });
}

void AppCore::WireConnection() {
    Connection.Hooks.SetStatusPanel = Pipeline.Dispatcher.Hooks.SetStatusPanel;
    Connection.Hooks.SetStatusPanelLowered = [this](int index, bool lowered) {
        Window.StatusBar().SetPanelBevel(index, lowered ? PanelBevel::Lowered : PanelBevel::Raised);
    };
    Connection.Hooks.OnViewChanged = [this] { SyncConnectionView(); };
    Connection.Hooks.DebugMemo = [this](std::string line) { AddMemo(line); };
    Connection.Hooks.RefreshPortList = [this] { PortListDropDown(); };

    Connection.OnConnect([this] {
        Pipeline.ResetForConnect();
        Monitor.MonitorConnectReset();
        Window.SetFirmwareText("");
    });
    Connection.OnEveryAction([this] { Window.StatusBar().ClearPanels(10, 12); });
    Connection.OnDisconnect([this] {
        Window.SetPaused(false);
        Monitor.SetPause(false);
        Window.StatusBar().SetLinkState(false, false);
    });
    Connection.OnSecond([this] {
        Recorder.OnSecondTick();
        Window.StatusBar().SetLinkState(Shared().PortOpen,
                                        Pipeline.Dispatcher.Counters().DataIndicator);
    });
}

NmeaMonitor::Hooks AppCore::MonitorHooks() {
    // Called while the members are being built: the hooks only run later.
    NmeaMonitor::Hooks hooks;
    hooks.SentenceKind = [](std::string_view line) { return ClassifyText(line); };
    hooks.TrimRxBuffer = [this] { Pipeline.Dispatcher.CutRxBufferTo(kMonitorStepBufferCut); };
    hooks.SecondTickRunning = [this] { return Pipeline.Dispatcher.SecondTimerEnabled(); };
    hooks.PortName = [this] { return port_.PortName(); };
    hooks.BaudRate = [this] { return static_cast<int>(port_.BaudRate()); };
    hooks.RefreshNavigationPanel = [this] {
        Navigation.RefreshNavigationPanel(Pipeline.Dispatcher.Counters().KindsSeen);
    };
    hooks.ClearSatelliteViews = [this] { Satellites.ClearSatelliteViews(); };
    return hooks;
}

void AppCore::WireMonitorAndRecorder() {
    Pipeline.Dispatcher.Chain().Register(ChainSlot::Monitor, [this](SentenceContext& ctx) {
        ctx.Shown = Monitor.MonitorReceived(ctx.Line);
        return ChainStep::Continue;
    });
    Pipeline.OnSentenceDecoded = [this](SentenceKind kind, std::string_view) {
        if (kind != 0) Monitor.MarkNewSentence();
    };
    Pipeline.Dispatcher.Hooks.MonitorStep = [this] {
        Monitor.MonitorStep();
        ViewChanged();
    };
    Pipeline.Dispatcher.Hooks.RawCaptureAppend = [this](std::string_view chunk) {
        Recorder.LogRaw(chunk);
    };
    Recorder.OnViewChanged = [this] {
        Window.SetLogging(Recorder.Button().Down);
        Window.StatusBar().SetStatusPanel(kPanelLog, Recorder.StatusPanelText());
        ViewChanged();
    };
}

void AppCore::WireDisplays() {
    Navigation.AddMonitorLine = [this](std::string_view line) { Monitor.MonitorAddLogged(line); };
    Navigation.AddDebugLine = [this](std::string_view line) { AddMemo(line); };
    ReceiveHooks& hooks = Pipeline.Dispatcher.Hooks;
    hooks.ShowRmcTime = [this] { Navigation.ShowRmcTime(); };
    hooks.ShowGgaTime = [this] { Navigation.ShowGgaTime(); };
    Pipeline.OnSatellitesRefreshed = [this] { RefreshSatellites(); };

    SentenceChain& chain = Pipeline.Dispatcher.Chain();
    chain.Register(ChainSlot::FixKindLabel, [this](SentenceContext& ctx) {
        if (ctx.Line.find("GGA") != std::string_view::npos) Navigation.ShowDgpsLabel();
        return ChainStep::Continue;
    });
    chain.Register(ChainSlot::RtkDfHeading, [this](SentenceContext& ctx) {
        if (Shared().Family != ReceiverFamily::RTK_DF) return ChainStep::Continue;
        if (ctx.Line.find("$PMDR,DIST") != std::string_view::npos) {
            Navigation.GaugesModelRef().ShowAntennaDistance(ctx.Line);
        } else if (ctx.Line.find("$GPHDT,") != std::string_view::npos) {
            Navigation.GaugesModelRef().ShowDualAntennaHeading(ctx.Line);
        }
        return ChainStep::Continue;
    });

    Connection.OnConnect([this] {
        Navigation.ClearForConnect();
        Satellites.ResetForConnect();
    });
    Connection.OnSecond([this] { Navigation.DgpsLabelTick(); });
}

void AppCore::WireIdentification() {
    IdentificationHooks& hooks = Identification.Identification.Hooks;
    hooks.SetWindowTitle = [this](const std::string& title) {
        // The title is the program's caption, with " (firmware)" or " (??)" after it.
        const std::string base = WindowCaption("");
        std::string suffix;
        if (title.size() > base.size() + 3 && title.compare(0, base.size(), base) == 0 &&
            title.back() == ')') {
            suffix = title.substr(base.size() + 2, title.size() - base.size() - 3);
        }
        Window.SetFirmwareText(suffix);
    };
    hooks.SetStatusPanel = Pipeline.Dispatcher.Hooks.SetStatusPanel;
    hooks.SetSkyBackground = [this](SkyBackground sky) { Satellites.SetSkyBackground(sky); };
    hooks.SetGnssViewFilter = [this](int filter) { Satellites.SelectGnssView(filter); };
    hooks.OnIdentified = [this] {
        const ReceiverFamily family = Shared().Family;
        if (family == ReceiverFamily::CMS || family == ReceiverFamily::CM2) {
            Navigation.SetCourseRowLayout(2);
        }
        AddMemo("Receiver identified: " + std::string(FamilyDisplayName(family)) + " (" +
                Identification.Identification.Result.FirmwareText + ")");
    };

    UbxHdReceptionHooks& reception = Identification.Reception.Hooks;
    reception.MonitorAddLine = [this](const std::string& line) { Monitor.MonitorAddLine(line); };
    reception.MonitorAddStamped = [this](const std::string& text) {
        Monitor.MonitorAddStamped(text);
    };
}

void AppCore::RefreshSatellites() {
    SatelliteViewInputs in;
    in.List = &Pipeline.Decoder.DisplayList();
    in.BdsGsvSeen = Pipeline.Decoder.BdsGsvSeen();
    in.GalileoGsvSeen = Pipeline.Decoder.GalileoGsvSeen();
    in.Family = Shared().Family;
    in.ReceiverIdentified = Shared().ReceiverIdentified;
    in.AntennaStatusExpected = Shared().AntennaStatusExpected;
    in.AntennaState = Shared().AntennaState;
    Satellites.RefreshSatelliteViews(in);
    if (OnSatellitesRefreshed) OnSatellitesRefreshed();
    ViewChanged();
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
    Window.StatusBar().SetLinkState(Shared().PortOpen,
                                    Pipeline.Dispatcher.Counters().DataIndicator);
    ViewChanged();
}

void AppCore::ApplyPauseView() {
    const MonitorPauseView& pause = Monitor.PauseView();
    Window.SetPaused(pause.Paused);
    if (!pause.PortStatusText.empty()) {
        Window.StatusBar().SetStatusPanel(kPanelPort, pause.PortStatusText);
        Window.StatusBar().SetPanelBevel(
            kPanelPort, pause.PortStatusLowered ? PanelBevel::Lowered : PanelBevel::Raised);
    }
}

// --- start-up and shut-down ---

void AppCore::Start() {
    const std::vector<std::string> present = ports_.PresentPorts();
    previousPortList_ = PortListText(present);
    Window.SetPortNames(present);
    Window.SelectBaudRate("9600");
    Window.StatusBar().SetStatusPanel(3, std::string(LinkStateName(LinkState::Closed)));
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
            Recorder.LogButtonReleased(ctrlHeld);
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
    if (result.BringToFront && OnBringToFront) OnBringToFront();
    if (result.ShowEventWindow && OnShowPortEvents) OnShowPortEvents();
    ViewChanged();
}

}  // namespace gnss
