#include "app/app_core.h"

#include <utility>

#include "app/ini_file.h"
#include "app/ntrip_settings.h"
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
      Commands(CommandPanel::Deps{Pipeline.Shared, Pipeline.Receiver, services.Port,
                                  Identification.Result, services.Prompts, *this}),
      Restart(ReceiverRestart::Deps{Pipeline, services.Port, services.SystemClock, services.Timers,
                                    services.Prompts, Connection, Reception,
                                    Identification.Result}),
      Verification(Restart, Pipeline.Shared, Pipeline.Receiver, services.SystemClock, *this),
      BaudChange(ReceiverBaudChange::Deps{Pipeline, services.Port, services.Timers, *this,
                                          [this](uint32_t rate) { return ReopenAtRate(rate); },
                                          [this] { Connection.StartSteppingDetection(); }}),
      Escape(Identification, Pipeline.Shared, services.Port, services.Timers),
      Ttff(TtffMeasurement::Deps{Pipeline, services.SystemClock, Restart, Reception,
                                 Identification.Result, *this}),
      Campaign(TtffCampaign::Deps{Pipeline, services.SystemClock, services.Timers, Restart,
                                  Verification, Identification}),
      CampaignView(CampaignViewModel::Deps{Campaign, Restart, services.Dialogs}),
      Attitude(SensorAttitudeWindow::Deps{
          Pipeline.Shared, Identification.Result,
          [this](std::string_view sentence) {
              Navigation.ShowMagneticNorth(sentence, Pipeline.Dispatcher.Counters().KindsSeen);
          },
          this}),
      DrSensors(
          DrSensorWindow::Deps{Pipeline.Receiver, Pipeline.Shared, Identification.Result, this}),
      Corrections(RtcmForwarding::Deps{Pipeline.Shared, Pipeline.Receiver, services.Port,
                                       services.SystemClock, Identification.Result, *this}),
      EpoUpload(EpoTransfer::Deps{Pipeline, services.Port, services.Timers, services.SystemClock,
                                  *this,
                                  [this] {
                                      Connection.ToggleConnection();
                                      SyncConnectionView();
                                  }}),
      Epo(EpoAssistant::Deps{
          Pipeline, services.Port, services.Timers, services.SystemClock, services.Prompts, *this,
          Identification.Result, EpoUpload, AssistServers,
          [this](std::string_view text) { Window.StatusBar().SetText(StatusPanel::ChipTag, text); },
          [this] {
              SyncReceiverControls();
              ViewChanged();
          }}),
      Traffic(TrafficPanel::Deps{Pipeline.Shared, services.Port, Identification.Result,
                                 [this] { return Commands.CrLf(); }}),
      DrCal(DrCalibration::Deps{
          Pipeline.Shared, Pipeline.Receiver, services.Port, Identification.Result, services.Timers,
          Sounds, [this] { return Pipeline.Decoder.Rmc().SpeedKnots * 1.852; },
          [this] { return Pipeline.Receiver.FixValid; }, [this] { return systemLanguage_; }}),
      Sgee(SgeeUpload::Deps{Pipeline.Shared, Pipeline.Receiver, Pipeline.Dispatcher, services.Port,
                            services.SystemClock, services.Timers, services.Prompts, *this,
                            Identification.Result}),
      Hd(HdAssist::Deps{Pipeline.Shared, Pipeline.Receiver, Pipeline.Decoder, services.Port,
                        services.SystemClock, services.Prompts, *this, Restart,
                        services.ProgramFolder, services.ProgramFolder}),
      clock_(services.SystemClock),
      port_(services.Port),
      ports_(services.Ports),
      desktop_(services.DesktopShell),
      prompts_(services.Prompts),
      dialogs_(services.Dialogs),
      programFolder_(services.ProgramFolder),
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
    PlugIn(Commands);
    PlugIn(Restart);
    PlugIn(Verification);
    PlugIn(BaudChange);
    PlugIn(Escape);
    PlugIn(Ttff);
    Ttff.AddListener(*this);
    PlugIn(Campaign);
    PlugIn(Attitude);
    PlugIn(DrSensors);
    PlugIn(Corrections);
    Corrections.OnChanged = [this] { ViewChanged(); };
    Corrections.OnStatusBarText = [this](std::string_view text) {
        statusBar_.ShowCorrectionCounts(text);
    };
    PlugIn(EpoUpload);
    PlugIn(Epo);
    // Beside the logs (whose save dialog starts in the program's folder) when the current
    // folder takes no file.
    EpoUpload.SetReceivedFileFolders(std::filesystem::current_path(), services.ProgramFolder);
    AgpsRouter.SetHandler(AgpsRoute::Epo, [this] {
        Epo.ScheduleEasyQuery();
        Epo.OpenWindow();
    });
    PlugIn(Traffic);
    PlugIn(DrCal);
    PlugIn(Sgee);
    PlugIn(Hd);
    Sgee.SetChangeHandler([this] { ViewChanged(); });
    Hd.SetChangeHandler([this] { ViewChanged(); });
    Hd.SetOnlineUpdate([this](bool save) {
        if (Fetch) Fetch->UpdateHdOnline(save, std::filesystem::current_path());
    });
    AgpsRouter.SetHandler(AgpsRoute::Sgee, [this] { Sgee.OpenWindow(); });
    AgpsRouter.SetHandler(AgpsRoute::Hd, [this] {
        if (Fetch)
            Fetch->DownloadHd([this](bool ok) {
                if (ok) Hd.UploadDownloaded();
            });
    });
    Commands.SetChangeListener(this);
    Traffic.SetChangeListener(this);
    DrCal.SetChangeListener(this);
    DrCal.SetSensorWindow(&DrSensors);

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

void AppCore::AddEchoLine(std::string_view line) {
    Monitor.MonitorAddEcho(line);
    ViewChanged();
}

void AppCore::OnLogStateChanged() {
    Window.SetLogging(Recorder.Button().Down);
    statusBar_.ShowLogState(Recorder.StateText());
    ViewChanged();
}

void AppCore::OnNmeaSecond(bool) {
    SyncAssistButton();
    if (Escape.ProgressText().empty() &&
        Window.StatusBar().Text(StatusPanel::TestTimer) == ForwardModeEscape::kProgressText) {
        statusBar_.ShowTestProgress("");
    }
    switch (Monitor.MonitorStep()) {
        case MonitorStepResult::NewSentences:
            if (DisplaysFollowReceiver(Shared()) && !Traffic.View().NavigationHidden) {
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
    SyncReceiverControls();
}

void AppCore::OnReceiverIdentified() {
    OnIdentificationChanged();
    if (Shared().Family == ReceiverFamily::ublox || Shared().Family == ReceiverFamily::HED) {
        Commands.SetEditText(kHexCommandPrefix);
    }
    AddMemo("Receiver identified: " + std::string(FamilyDisplayName(Shared().Family)) + " (" +
            Identification.Result.FirmwareText + ")");
}

void AppCore::OnIdentificationChanged() {
    Window.SetFirmwareText(Identification.Result.FirmwareLabel);
    SyncReceiverControls();
}

void AppCore::SyncReceiverControls() {
    const ReceiverRestart::ButtonStates buttons = Restart.Buttons();
    Window.SetRestartButtons(buttons.Hot, buttons.Warm, buttons.Cold, buttons.Factory);
    Window.SetReceiverRateEnabled(Shared().PortOpen && Shared().ReceiverIdentified &&
                                  !Shared().MonitorPaused);
    SyncAssistButton();
    Commands.SyncEnabled();
}

bool AppCore::ReopenAtRate(uint32_t rate) {
    port_.Close();
    const bool open = Connection.OpenReceiverPort(port_.PortName(), rate);
    if (!open) {
        Connection.ToggleConnection();
        AddMemo("The port did not open again at " + std::to_string(rate) + " bit/s");
        return false;
    }
    Pipeline.Dispatcher.SetLinkState(LinkState::Unknown);
    Window.SelectBaudRate(std::to_string(rate));
    statusBar_.ShowMessage("Baud Rate :" + std::to_string(rate));
    ViewChanged();
    return true;
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
    SyncReceiverControls();
    ViewChanged();
}

void AppCore::ApplyPauseView() {
    const MonitorPauseView& pause = Monitor.PauseView();
    Window.SetPaused(pause.Paused);
    statusBar_.ShowPause(pause);
    SyncReceiverControls();
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
    lists.GpsBaudRates = {kReceiverRateItems.begin(), kReceiverRateItems.end()};
    const AppSettings settings = gnss::LoadSettings(path, lists);
    if (settings.ComPortIndex >= 0) Window.SelectPort(settings.ComPort);
    if (settings.BaudRateIndex >= 0) {
        Window.SelectBaudRate(lists.BaudRates[static_cast<std::size_t>(settings.BaudRateIndex)]);
    }
    Window.SetUnitIndex(settings.SpeedUnitIndex);
    Navigation.LoadUnitSettings(settings.SpeedUnitIndex, settings.DmsMode);
    Commands.LoadHistory(settings.CommandHistory);
    if (settings.GpsBaudRateIndex >= 0) {
        BaudChange.SelectRate(
            lists.GpsBaudRates[static_cast<std::size_t>(settings.GpsBaudRateIndex)]);
    }
    Identification.PollUbxVersion = settings.PollUbxVersion;
    windowPlacement_ = settings.Window;
    const CorrectionSettings corrections = LoadCorrectionSettings(path);
    Corrections.SetLocalPort(corrections.LocalPort);
    NtripClient.Settings = corrections.Client;
    settingsPath_ = path;
    if (const std::optional<IniFile> file = IniFile::Load(path)) {
        AssistServers.Load(
            [&](std::string_view key) { return file->Get(kAssistServersSection, key); });
    }
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
    // A connection at "Auto" shows the found rate only while it lasts; "Auto" is the choice.
    settings.AutoBaudRate = IsAutoBaudText(Window.BaudRates().Text()) ||
                            (Pipeline.Shared.PortOpen && Connection.RateFoundAutomatically());
    settings.SpeedUnitIndex = Navigation.SpeedUnitIndex();
    settings.DmsMode = Navigation.DmsMode();
    settings.Window = windowPlacement_;
    return settings;
}

void AppCore::Shutdown(const std::filesystem::path& settingsPath) {
    if (Shared().PortOpen) Connection.ToggleConnection();
    NtripClient.Stop();
    if (!settingsPath.empty()) {
        SaveSettings(settingsPath, CurrentSettings());
        SaveCorrectionSettings(settingsPath,
                               CorrectionSettings{Corrections.LocalPort(), NtripClient.Settings});
        SaveAssistServers(settingsPath);
    }
    Pipeline.Dispatcher.PauseProcessing();
    port_.Close();
    Recorder.Shutdown();
}

// --- the user's actions ---

void AppCore::ToolButtonClicked(ToolButton id, bool ctrlHeld, bool altHeld) {
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
        case ToolButton::HotStart:
        case ToolButton::WarmStart:
        case ToolButton::ColdStart:
        case ToolButton::FactoryReset: {
            const RestartKind kind = id == ToolButton::HotStart    ? RestartKind::Hot
                                     : id == ToolButton::WarmStart ? RestartKind::Warm
                                     : id == ToolButton::ColdStart ? RestartKind::Cold
                                                                   : RestartKind::Factory;
            Restart.RestartReceiver(kind);
            Restart.RecordHdAssistRequest(kind, ctrlHeld, altHeld);
            break;
        }
        case ToolButton::Map:
            OpenMapLink(ctrlHeld, Receiver().FixValid, Pipeline.Decoder.Rmc(), prompts_, desktop_);
            break;
        case ToolButton::Assistance:
            if (!Window.Button(ToolButton::Assistance).Enabled) return;
            AgpsRouter.UpdateAgpsData(Identification.Result, Shared().Family);
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
    Window.SelectBaudRate(IsAutoBaudText(text) ? kAutoBaudText : text);
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
    Traffic.ClearSpectrum(Pipeline.Dispatcher.SecondTimerEnabled());
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

namespace gnss {

void AppCore::CommandTextEdited(std::string_view text) {
    Commands.SetEditText(text);
}

void AppCore::CommandEnterPressed() {
    Commands.EnterPressed(Window.Caption());
}

void AppCore::CommandSendPressed() {
    Commands.SendPressed();
}

void AppCore::CommandPanelMenuToggled() {
    Commands.ShowPanel(!Commands.Visible());
}

void AppCore::AccessWordEntered(std::string_view word) {
    const AccessPanel panel = AccessPanelFor(word);
    if (panel == AccessPanel::CommandPanel) Commands.ShowPanel(true);
    if (panel == AccessPanel::CorrectionsPanel) Corrections.AccessWordEntered();
}

void AppCore::ReceiverRateChosen(std::string_view rate) {
    BaudChange.SelectRate(rate);
    ViewChanged();
}

void AppCore::ReceiverRateApplyClicked() {
    BaudChange.Apply();
    ViewChanged();
}

void AppCore::StatusPanelClicked(StatusPanel panel, bool ctrlHeld) {
    if (panel != StatusPanel::RestartMode || !ctrlHeld) return;
    statusBar_.ShowTtffDebug(Ttff.StepDebugSwitch());
    ViewChanged();
}

void AppCore::OnTtffText(std::string_view text) {
    statusBar_.ShowTestProgress(text);
    ViewChanged();
}

void AppCore::OnTtffStart(uint32_t) {
    Satellites.ClearSatelliteViews();
    ViewChanged();
}

void AppCore::SgeeUpdateClicked() {
    if (Fetch) Fetch->UpdateSgee();
}

void AppCore::HdUpdateOnlineClicked() {
    if (Fetch) Fetch->UpdateHdOnline(Hd.View().SaveTicked, std::filesystem::current_path());
}

void AppCore::HdUpdateFromFileClicked() {
    const auto path = dialogs_.ChooseOpenFile(
        "HDB bin File (*.hdb)|*.hdb|Local GPS EPH File (*.hex)|*.hex|Other type (*.*)|*.*",
        programFolder_.string());
    if (path) Hd.UpdateFromFile(*path);
}

void AppCore::HdGetClicked() {
    if (Fetch) Fetch->GetHdb(std::filesystem::current_path());
}

void AppCore::TestPanelDoubleClicked() {
    Escape.Start();
    statusBar_.ShowTestProgress(Escape.ProgressText());
    ViewChanged();
}

// --- assistance data ---

void AppCore::SyncAssistButton() {
    Window.SetButtonEnabled(ToolButton::Assistance,
                            Shared().PortOpen && Shared().ReceiverIdentified && !Epo.Busy() &&
                                !Sgee.Running() &&
                                AgpsRouter.CanUpdate(Identification.Result, Shared().Family));
}

void AppCore::SetAssistNetwork(AssistDownloader* downloader, const NetworkStatus* network) {
    Epo.SetNetwork(downloader, network);
    Fetch.reset();
    if (downloader != nullptr && network != nullptr) {
        Fetch = std::make_unique<AssistFetch>(
            AssistFetch::Deps{*downloader, *network, AssistServers, prompts_, Sgee, Hd});
    }
}

void AppCore::SetAssistServers(const AssistServerAddresses& servers) {
    AssistServers = servers;
    if (!settingsPath_.empty()) SaveAssistServers(settingsPath_);
}

void AppCore::SaveAssistServers(const std::filesystem::path& path) const {
    IniFile file = IniFile::Load(path).value_or(IniFile{});
    for (const auto& [key, value] : AssistServers.Stored(clock_.TickMs())) {
        file.Set(kAssistServersSection, key, value);
    }
    if (!file.Save(path)) prompts_.ShowError("The settings file could not be written");
}

}  // namespace gnss

namespace gnss {

void AppCore::CorrectionsPanelMenuToggled() {
    Corrections.TogglePanel();
}

bool AppCore::NtripButtonVisible() const {
    return Identification.Result.TakesNtripCorrections;
}

bool AppCore::StartNtripClient() {
    std::optional<CasterPosition> position;
    const GgaRecord& gga = Pipeline.Decoder.Gga();
    if (Receiver().FixValid && gga.LatitudeLetter != 0) {
        position = CasterPosition{gga.Latitude, gga.Longitude, gga.Altitude + gga.GeoidSeparation};
    }
    std::string logLine;
    const bool started = NtripClient.Start(position, Corrections.LocalPort(), logLine);
    if (!logLine.empty()) AddMemo(logLine);
    if (!started) AddMemo("NTRIP client: " + NtripClient.StateText());
    ViewChanged();
    return started;
}

void AppCore::StopNtripClient() {
    NtripClient.Stop();
    AddMemo("NTRIP client: stopped");
}

void AppCore::NtripClientSecond() {
    const std::string before = NtripClient.StateText();
    const std::string line = NtripClient.LastOutputLine();
    NtripClient.Poll();
    if (NtripClient.CasterUnreachable() && Corrections.LinkOn()) {
        Corrections.CasterUnreachable();
        AddMemo("NTRIP client: the caster is unreachable, the correction link ended");
    }
    if (NtripClient.StateText() != before || NtripClient.LastOutputLine() != line) ViewChanged();
}

}  // namespace gnss
