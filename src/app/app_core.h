#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "app/settings.h"
#include "app/status_bar_presenter.h"
#include "assist/agps_update_route.h"
#include "assist/assist_fetch.h"
#include "assist/assist_servers.h"
#include "assist/epo_assistant.h"
#include "assist/epo_transfer.h"
#include "assist/hd_assist.h"
#include "assist/sgee_upload.h"
#include "base/clock.h"
#include "base/desktop.h"
#include "base/file_dialogs.h"
#include "base/monitor_output.h"
#include "base/scheduler.h"
#include "base/sound_output.h"
#include "base/user_prompts.h"
#include "control/forward_mode_escape.h"
#include "control/identification_listener.h"
#include "control/receiver_baud_change.h"
#include "control/receiver_identification.h"
#include "control/receiver_restart.h"
#include "control/restart_verification.h"
#include "control/ubx_hd_reception.h"
#include "corrections/ntrip_client.h"
#include "corrections/rtcm_forwarding.h"
#include "link/connection_control.h"
#include "link/port_enumerator.h"
#include "link/receive_listeners.h"
#include "link/receive_pipeline.h"
#include "link/receiver_port.h"
#include "logging/log_recorder.h"
#include "testruns/ttff_campaign.h"
#include "testruns/ttff_measurement.h"
#include "views/campaign_view_model.h"
#include "views/command_panel.h"
#include "views/debug_memo.h"
#include "views/dr_calibration.h"
#include "views/dr_sensor_window.h"
#include "views/main_window_model.h"
#include "views/navigation_panel.h"
#include "views/nmea_monitor.h"
#include "views/satellite_views.h"
#include "views/satellite_views_feed.h"
#include "views/sensor_attitude_window.h"
#include "views/traffic_panel.h"
#include "views/view_change_listener.h"

namespace gnss {

// What the application core needs from the platform.
struct AppServices {
    ReceiverPort& Port;
    Clock& SystemClock;
    Scheduler& Timers;
    UserPrompts& Prompts;
    FileDialogs& Dialogs;
    PortEnumerator& Ports;
    Desktop& DesktopShell;
    SystemClockSetter& ClockSetter;
    std::filesystem::path ProgramFolder;
    bool RunFromReadOnlyMedia = false;  // logging is disabled on read-only media
};

// What the window program hears from the core.
class AppCoreListener {
  public:
    virtual ~AppCoreListener() = default;
    // Something visible changed (models, monitor lines, memo): schedule a repaint.
    virtual void OnViewChanged() = 0;
    // The main window should come to the front.
    virtual void OnBringToFront() {}
    // The port-event window should be shown.
    virtual void OnShowPortEvents() {}
};

// The program without its windows, and the place where its features meet (the composition
// root). It builds the receive path, the connection control and the features, and plugs each
// feature into the sources it follows (PlugIn); the window program and the command-line monitor
// both run on it. The window only paints the view models here and reports the user's actions.
//
// A feature plugs in by implementing the listener interfaces it needs (receive_listeners.h,
// ConnectionListener, IdentificationListener, ReceiverReplyListener), by registering at its
// positions of the sentence chain in a JoinSentenceChain(SentenceChain&) when it consumes lines
// in order, and by one PlugIn call in the constructor.
class AppCore final : private MonitorOutput,
                      private LogRecorderListener,
                      private LinkListener,
                      private SatelliteListener,
                      private ConnectionListener,
                      private IdentificationListener,
                      private ViewChangeListener,
                      private TtffListener {
  public:
    explicit AppCore(const AppServices& services);
    ~AppCore() override;
    AppCore(const AppCore&) = delete;
    AppCore& operator=(const AppCore&) = delete;

    // --- the parts ---
    ReceivePipeline Pipeline;  // Shared, Receiver, Dispatcher, Decoder
    MainWindowModel Window;
    DebugMemo Memo;
    LogRecorder Recorder;
    NmeaMonitor Monitor;
    ConnectionControl Connection;
    ReceiverIdentification Identification;
    UbxHdReception Reception;
    NavigationPanel Navigation;  // with the gauges
    SatelliteViews Satellites;
    CommandPanel Commands;
    ReceiverRestart Restart;
    RestartVerification Verification;
    ReceiverBaudChange BaudChange;
    ForwardModeEscape Escape;
    TtffMeasurement Ttff;
    TtffCampaign Campaign;
    CampaignViewModel CampaignView;       // the campaign window's model
    SensorAttitudeWindow Attitude;        // the attitude window of CMS and CM2 modules
    DrSensorWindow DrSensors;             // the sensor charts of dead-reckoning receivers
    RtcmForwarding Corrections;           // the correction link and its panel
    NtripClientLauncher NtripClient;      // the external NTRIP client program
    AssistServerAddresses AssistServers;  // the user's assistance-data servers
    EpoTransfer EpoUpload;
    EpoAssistant Epo;                    // the EPO window's model
    AgpsUpdateRouter AgpsRouter;         // "update AGPS data": each assistance feature's handler
    SoundOutputRelay Sounds;             // the window program sets where the beeps go
    TrafficPanel Traffic;                // traffic-message radio receivers
    DrCalibration DrCal;                 // dead-reckoning calibration
    SgeeUpload Sgee;                     // the SGEE window
    HdAssist Hd;                         // the HD page
    std::unique_ptr<AssistFetch> Fetch;  // SGEE and HD downloads; null without a network

    SharedState& Shared() { return Pipeline.Shared; }
    ReceiverState& Receiver() { return Pipeline.Receiver; }

    // The window program; told about changes from now on.
    void SetListener(AppCoreListener* listener) { listener_ = listener; }

    // --- start-up and shut-down ---
    // Fills the port box from the system's list (first entry selected).
    void Start();
    // Reads the settings file and applies it.
    void LoadSettings(const std::filesystem::path& path);
    // The close sequence: disconnect, settings (when `settingsPath` is not empty), timers off,
    // the log question and the writer's end.
    void Shutdown(const std::filesystem::path& settingsPath);
    [[nodiscard]] AppSettings CurrentSettings() const;
    // The main window's placement: as the settings file had it, and as the window reports it
    // before the close sequence saves the settings.
    [[nodiscard]] const std::optional<WindowPlacement>& SavedWindowPlacement() const {
        return windowPlacement_;
    }
    void SetWindowPlacement(const WindowPlacement& placement) { windowPlacement_ = placement; }

    // --- the user's actions ---
    void ToolButtonClicked(ToolButton id, bool ctrlHeld, bool altHeld = false);
    void PortTextChanged(std::string_view text);
    void PortListDropDown();
    void BaudRateChosen(std::string_view text);
    void UnitChosen(int index);
    void FilterTextChanged(std::string_view text);
    void MonitorClearRequested();
    // Double clicks of the navigation panel: a position label toggles the position format, a
    // caption copies the position, a time label asks to set the computer's clock.
    void PositionLabelDoubleClicked();
    void PositionCaptionDoubleClicked();
    void TimeLabelDoubleClicked();
    void SignalChartDoubleClicked();
    // The command panel: the box's text as edited, Enter, "Send"; the menu entry that shows or
    // hides the panel; a word typed into the logo strip's box.
    void CommandTextEdited(std::string_view text);
    void CommandEnterPressed();
    void CommandSendPressed();
    void CommandPanelMenuToggled();
    void AccessWordEntered(std::string_view word);
    // The receiver's own rate: the box and its "Go".
    void ReceiverRateChosen(std::string_view rate);
    void ReceiverRateApplyClicked();
    // The test progress panel of the status bar: the forward-mode escape.
    void TestPanelDoubleClicked();
    // A click on a status panel; with Ctrl on panel 17 it steps the fix-time debug switch.
    void StatusPanelClicked(StatusPanel panel, bool ctrlHeld);
    // The system's port list, polled once a second: plug-in and removal.
    void PortListPolled();
    // The corrections: the panels menu entry, the NTRIP client toolbar button (visible for the
    // maker's RTK receivers, enabled when the client program exists), starting and stopping the
    // client from its dialog (the receiver's position goes along when asked for), and the
    // client's once-a-second check.
    void CorrectionsPanelMenuToggled();
    [[nodiscard]] bool NtripButtonVisible() const;
    [[nodiscard]] bool NtripButtonEnabled() const { return NtripClient.ProgramFound(); }
    bool StartNtripClient();
    void StopNtripClient();
    void NtripClientSecond();

    void AddMemo(std::string_view text);
    // The operating system's language code, for the calibration's instructions.
    void SetSystemLanguage(int language) { systemLanguage_ = language; }

    // --- assistance data ---
    // The network for downloads (the window program's Qt adapters; none in tests by default).
    void SetAssistNetwork(AssistDownloader* downloader, const NetworkStatus* network);
    // The settings dialog's addresses: kept, and written to the settings file at once when one
    // was loaded.
    void SetAssistServers(const AssistServerAddresses& servers);

    // --- assistance data of SiRF and HD receivers ---
    void SgeeUpdateClicked();
    void SgeeCloseClicked() { Sgee.CloseWindow(); }
    void SgeeCheckAgeClicked() { Sgee.QueryStatus(); }
    void HdUpdateOnlineClicked();
    void HdUpdateFromFileClicked();
    void HdGetClicked();

  private:
    // Registers a feature with every source whose listener interface it implements, and lets a
    // feature that consumes lines in order take its positions in the sentence chain.
    template <typename Feature>
    void PlugIn(Feature& feature) {
        if constexpr (kIsReceiveListener<Feature>) Pipeline.Dispatcher.AddListener(feature);
        if constexpr (requires(SentenceChain & chain) { feature.JoinSentenceChain(chain); }) {
            feature.JoinSentenceChain(Pipeline.Dispatcher.Chain());
        }
        if constexpr (std::is_base_of_v<ConnectionListener, Feature>) {
            Connection.AddListener(feature);
        }
        if constexpr (std::is_base_of_v<IdentificationListener, Feature>) {
            Identification.AddListener(feature);
        }
        if constexpr (std::is_base_of_v<ReceiverReplyListener, Feature>) {
            Reception.AddListener(feature);
        }
        if constexpr (std::is_base_of_v<RestartListener, Feature>) Restart.AddListener(feature);
        if constexpr (std::is_base_of_v<TtffListener, Feature>) Ttff.AddListener(feature);
    }
    void PlugInSelf();

    // MonitorOutput
    void AddMonitorLine(std::string_view line) override;
    void AddLoggedMonitorLine(std::string_view line) override;
    void AddStampedMonitorLine(std::string_view text) override;
    void AddEchoLine(std::string_view line) override;
    void AddDebugLine(std::string_view line) override { AddMemo(line); }
    // LogRecorderListener
    void OnLogStateChanged() override;
    // LinkListener
    void OnNmeaSecond(bool recognisedThisSecond) override;
    void OnConsumerError(std::string_view what) override { AddMemo(what); }
    // SatelliteListener: the satellite views were refreshed.
    void OnSatellitesRefresh() override { ViewChanged(); }
    // ConnectionListener
    void OnConnecting() override;
    void OnDisconnected() override;
    void OnConnectionViewChanged() override { SyncConnectionView(); }
    void OnPortOpenFailed() override { PortListDropDown(); }
    void OnConnectionNote(std::string_view line) override { AddMemo(line); }
    // IdentificationListener
    void OnReceiverIdentified() override;
    void OnIdentificationChanged() override;

    // TtffListener
    void OnTtffText(std::string_view text) override;
    void OnTtffStart(uint32_t tickMs) override;
    // ViewChangeListener: a feature's view model changed.
    void OnViewChanged() override { ViewChanged(); }

    void SyncConnectionView();
    void SyncReceiverControls();
    bool ReopenAtRate(uint32_t rate);
    void SyncBoxesToConnection();
    void ApplyPauseView();
    void ViewChanged();

    Clock& clock_;
    ReceiverPort& port_;
    PortEnumerator& ports_;
    Desktop& desktop_;
    UserPrompts& prompts_;
    FileDialogs& dialogs_;
    std::filesystem::path programFolder_;
    StatusBarPresenter statusBar_;
    SatelliteViewsFeed satellitesFeed_;
    AppCoreListener* listener_ = nullptr;
    std::string previousPortList_;
    std::optional<WindowPlacement> windowPlacement_;
    std::filesystem::path settingsPath_;  // the settings file loaded, for the assistance servers
    void SaveAssistServers(const std::filesystem::path& path) const;
    void SyncAssistButton();
    int systemLanguage_ = 0;
};

}  // namespace gnss
