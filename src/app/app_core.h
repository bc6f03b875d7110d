#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/receiver_identification_feature.h"
#include "app/settings.h"
#include "base/clock.h"
#include "base/desktop.h"
#include "base/file_dialogs.h"
#include "base/scheduler.h"
#include "base/user_prompts.h"
#include "link/connection_control.h"
#include "link/port_enumerator.h"
#include "link/receive_pipeline.h"
#include "link/receiver_port.h"
#include "logging/log_recorder.h"
#include "views/debug_memo.h"
#include "views/main_window_model.h"
#include "views/navigation_panel.h"
#include "views/nmea_monitor.h"
#include "views/satellite_views.h"

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
    std::function<bool()> RunFromReadOnlyMedia;  // logging is disabled on read-only media
};

// The program without its windows: the receive path, connection control, monitor, recorder,
// window model and status bar, wired together. The window program and the command-line monitor
// both run on it; the window only paints its models and reports the user's actions here.
class AppCore {
  public:
    explicit AppCore(const AppServices& services);
    ~AppCore();
    AppCore(const AppCore&) = delete;
    AppCore& operator=(const AppCore&) = delete;

    // --- the parts ---
    ReceivePipeline Pipeline;  // Shared, Receiver, Dispatcher, Decoder
    MainWindowModel Window;
    DebugMemo Memo;
    LogRecorder Recorder;
    NmeaMonitor Monitor;
    ConnectionControl Connection;
    ReceiverIdentificationFeature Identification;
    NavigationPanel Navigation;  // with the gauges
    SatelliteViews Satellites;

    SharedState& Shared() { return Pipeline.Shared; }
    ReceiverState& Receiver() { return Pipeline.Receiver; }

    // --- start-up and shut-down ---
    // Fills the port box from the system's list (first entry selected).
    void Start();
    // Reads the settings file and applies it.
    void LoadSettings(const std::filesystem::path& path);
    // The close sequence: disconnect, settings (when `settingsPath` is not empty), timers off,
    // the log question and the writer's end.
    void Shutdown(const std::filesystem::path& settingsPath);
    [[nodiscard]] AppSettings CurrentSettings() const;

    // --- the user's actions ---
    void ToolButtonClicked(ToolButton id, bool ctrlHeld);
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
    // The system's port list, polled once a second: plug-in and removal.
    void PortListPolled();

    // Something visible changed (models, monitor lines, memo): the window schedules a repaint.
    std::function<void()> OnViewChanged;
    // The main window should come to the front / show the port-event window.
    std::function<void()> OnBringToFront;
    std::function<void()> OnShowPortEvents;
    // The satellite views should be redrawn (rate-limited by the receive path).
    std::function<void()> OnSatellitesRefreshed;

    void AddMemo(std::string_view text);

  private:
    void WireStatusBar();
    void WireConnection();
    void WireMonitorAndRecorder();
    void WireDisplays();
    void WireIdentification();
    void RefreshSatellites();
    NmeaMonitor::Hooks MonitorHooks();
    void SyncConnectionView();
    void SyncBoxesToConnection();
    void ApplyPauseView();
    void ViewChanged();

    Clock& clock_;
    ReceiverPort& port_;
    PortEnumerator& ports_;
    Desktop& desktop_;
    UserPrompts& prompts_;
    std::string previousPortList_;
    std::vector<std::string> commandHistory_;
};

}  // namespace gnss
