#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/baud_rates.h"
#include "views/status_bar_model.h"
#include "views/view_change_listener.h"

namespace gnss {

// The product's name and version as the window, the about box and reports show them.
inline constexpr std::string_view kProductTitle = "MERIDAN GPSVaro ";
inline constexpr std::string_view kProductVersion = "V:0.99v8";
inline constexpr std::string_view kProductVersionSuffix = "_HD only";
inline constexpr std::string_view kLogoText = "MERIDAN GPSVaro";
inline constexpr std::string_view kLogoHint = "Click here to visit MERIDAN web site  ...";
// The maker's web page, opened by the logo strip and the about box's link.
inline constexpr std::string_view kMakerWebAddress = "https://example.com/";

// Colours as 0xRRGGBB.
using Rgb = uint32_t;
inline constexpr Rgb kPanelColor = 0x480048;         // panels and the satellite grid
inline constexpr Rgb kMonitorBackground = 0x282828;  // the monitor list
inline constexpr Rgb kLogoTextColor = 0xFFFFB9;      // logo strip text, on black
inline constexpr Rgb kLogoFrameColor = 0x808080;     // logo strip frame
inline constexpr Rgb kLinkLampOnColor = 0x32E632;    // data flowing
inline constexpr Rgb kLinkLampOffColor = 0x0F6E1E;   // connected, no data this moment
inline constexpr Rgb kLinkLampDisconnectedColor = 0x9A9A9A;
inline constexpr Rgb kDebugMemoBackground = 0x101418;
inline constexpr Rgb kDebugMemoText = 0xB8C4CC;

// The frames of the window's feature panels: control name, the title shown while the frame
// waits for its content, and the background.
struct PanelFrame {
    std::string_view Name;
    std::string_view Title;
    Rgb Background;
};
inline constexpr PanelFrame kNavigationFrame = {"plNaviInfo", "Navigation", 0x152B21};
inline constexpr PanelFrame kSignalChartFrame = {"sp_GPSSI", "Signal level  (dB-Hz)", 0x000040};
inline constexpr PanelFrame kSkyPlotFrame = {"Image3", "Sky view", 0x000000};
inline constexpr PanelFrame kGaugesFrame = {"plGauges", "Speed and heading", 0x000000};
inline constexpr Rgb kFrameTitleColor = 0x8C8CA0;

// Window caption: title + version + suffix, then " (" + firmware + ")" once identified.
[[nodiscard]] std::string WindowCaption(std::string_view firmware);

// Where the main window opens: 1218 x 620, reduced to the screen height - 42 and moved to
// y = 3 when the screen cannot hold it.
struct WindowGeometry {
    int Width = 0;
    int Height = 0;
    std::optional<int> Top;  // set when the window is moved to the top of the screen
};
inline constexpr int kDefaultWindowWidth = 1218;
inline constexpr int kDefaultWindowHeight = 620;
[[nodiscard]] WindowGeometry InitialWindowGeometry(int screenHeight);

// A rectangle on the desktop, in pixels.
struct ScreenRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const ScreenRect&) const = default;
};

// Where the main window was when it last closed (its client area), kept in the settings.
struct WindowPlacement {
    ScreenRect Area;
    bool Maximized = false;
    bool operator==(const WindowPlacement&) const = default;
};
inline constexpr int kMinWindowSide = 200;

// The saved placement made to fit the screen available now: no larger than it, at least
// kMinWindowSide (or the screen) on each side, and moved inside it, so that a window closed on
// a screen that is gone opens where it can be seen.
[[nodiscard]] WindowPlacement FitWindowPlacement(const WindowPlacement& saved,
                                                 const ScreenRect& available);

// The toolbar buttons, in their order on the toolbar.
enum class ToolButton : uint8_t {
    Connect,
    Pause,
    Log,
    HotStart,
    WarmStart,
    ColdStart,
    FactoryReset,
    Map,
    Assistance,
    Corrections,
    About,
};
inline constexpr int kToolButtonCount = 11;

struct ToolButtonState {
    ToolButton Id = ToolButton::Connect;
    std::string_view Name;  // the control's name
    std::string Hint;
    bool Enabled = true;
    bool Visible = true;
    bool Checkable = false;  // a button that stays down (connect, pause, log)
    bool Down = false;
    bool SeparatorBefore = false;  // a group starts here
};

// Texts of the about box, set when it is activated.
struct AboutBoxTexts {
    std::string Caption;
    std::string Title;
    std::string VersionLine;
    std::string Description;
    std::string LinkText;     // the link label
    std::string LinkAddress;  // what the link label opens
    std::string CloseButton;
};
[[nodiscard]] AboutBoxTexts AboutBoxContents();

// A drop-down list: its items, the selected index (-1 none) and the text shown. The port list
// is editable: a typed name (a device path) is the shown text without a selected item.
class ChoiceList {
  public:
    ChoiceList() = default;
    ChoiceList(std::vector<std::string> items, int selected);

    [[nodiscard]] const std::vector<std::string>& Items() const { return items_; }
    [[nodiscard]] int Selected() const { return selected_; }
    [[nodiscard]] const std::string& Text() const { return text_; }

    // Replaces the items and selects the entry equal to the shown text; when it is gone, none
    // is selected and the text stays.
    void SetItems(std::vector<std::string> items);
    // Selects the entry whose text equals `text`; false (nothing changed) when there is none.
    bool SelectText(std::string_view text);
    bool SelectIndex(int index);
    // What the user typed into an editable list: selects the equal entry if there is one.
    void SetText(std::string_view text);

  private:
    std::vector<std::string> items_;
    int selected_ = -1;
    std::string text_;
};

// The receiver baud-rate items of the baud box and the one selected at start. "Auto" has a
// connect find the receiver's rate.
inline constexpr std::array<std::string_view, 11> kReceiverBaudItems = {
    "2400",   "4800",   "9600",   "19200",  "38400",      "57600",
    "115200", "230400", "460800", "921600", kAutoBaudText};
inline constexpr std::string_view kReceiverBaudStart = "9600";

// The unit selector.
inline constexpr std::array<std::string_view, 3> kUnitItems = {"KM", "ML", "NM"};

// The port-event window: one line per plugged or removed port.
class PortEventLog {
  public:
    static constexpr std::string_view kCaption = "COM Port Event";
    static constexpr std::size_t kMaxLines = 500;

    void Add(std::string_view line);
    void AddAll(std::span<const std::string> lines);
    void Clear();
    [[nodiscard]] const std::vector<std::string>& Lines() const { return lines_; }
    // The last line is selected whenever lines are added; -1 for an empty list.
    [[nodiscard]] int Selected() const { return static_cast<int>(lines_.size()) - 1; }
    void SetVisible(bool visible) { visible_ = visible; }
    [[nodiscard]] bool Visible() const { return visible_; }

  private:
    std::vector<std::string> lines_;
    bool visible_ = false;
};

// Everything the main window shows that is not a feature's own panel: the caption, the
// toolbar, the two port boxes, the unit selector, the status bar and the port-event window.
// Events from the rest of the program are method calls; the window repaints on the callback.
class MainWindowModel final : private ViewChangeListener {
  public:
    static constexpr std::string_view kFilterHint =
        "filter: allow for display certain messages (empty for all message)";
    static constexpr std::string_view kLogDisabledHint =
        "The Log function was disabled when run the utility from CD-ROM !";

    MainWindowModel();

    // Caption.
    [[nodiscard]] std::string Caption() const { return WindowCaption(firmware_); }
    void SetFirmwareText(std::string_view firmware);

    // Toolbar.
    [[nodiscard]] const ToolButtonState& Button(ToolButton id) const;
    [[nodiscard]] std::span<const ToolButtonState> Buttons() const { return buttons_; }

    // Connection results: the port opened; closed by a disconnect; or failed to open.
    void ConnectionOpened();
    void ConnectionClosed();
    void ConnectionFailed();
    // The connect button is disabled while a connect or disconnect runs.
    void SetConnectBusy(bool busy);
    void SetPaused(bool paused);
    void SetLogging(bool recording);
    // Logging is not available (program started from a read-only medium).
    void DisableLogging();
    // Restart buttons follow the link and identification; each one may be held off.
    void SetRestartButtons(bool hot, bool warm, bool cold, bool factory);
    void SetButtonEnabled(ToolButton id, bool enabled);
    void SetButtonVisible(ToolButton id, bool visible);
    // The receiver's rate box and its "Go" follow the restart buttons.
    void SetReceiverRateEnabled(bool enabled);
    [[nodiscard]] bool ReceiverRateEnabled() const { return receiverRateEnabled_; }

    // Port and baud boxes.
    [[nodiscard]] const ChoiceList& Ports() const { return ports_; }
    [[nodiscard]] const ChoiceList& BaudRates() const { return baudRates_; }
    // Start-up fill of the port list: the first entry is selected.
    void SetPortNames(std::vector<std::string> names);
    // A refresh of an existing list keeps the shown port when it is still there.
    void RefreshPortNames(std::vector<std::string> names);
    bool SelectPort(std::string_view name);
    void SetPortText(std::string_view text);
    bool SelectBaudRate(std::string_view rate);
    // The number shown in the baud box, 0 when it is not a number.
    [[nodiscard]] int SelectedBaudRate() const;

    // Unit selector.
    [[nodiscard]] int UnitIndex() const { return unitIndex_; }
    void SetUnitIndex(int index);

    StatusBarModel& StatusBar() { return statusBar_; }
    [[nodiscard]] const StatusBarModel& StatusBar() const { return statusBar_; }
    PortEventLog& PortEvents() { return portEvents_; }
    [[nodiscard]] const PortEventLog& PortEvents() const { return portEvents_; }

    [[nodiscard]] uint64_t Revision() const { return revision_; }
    // Told after every change, the status bar's included.
    void SetChangeListener(ViewChangeListener* listener) { listener_ = listener; }
    // Marks a change made directly on the port-event log.
    void PortEventsChanged() { Changed(); }

  private:
    ToolButtonState& Mutable(ToolButton id);
    void Changed();
    void OnViewChanged() override { Changed(); }  // the status bar changed

    std::string firmware_;
    std::array<ToolButtonState, kToolButtonCount> buttons_;
    ChoiceList ports_;
    ChoiceList baudRates_;
    int unitIndex_ = 0;
    bool receiverRateEnabled_ = false;
    StatusBarModel statusBar_;
    PortEventLog portEvents_;
    uint64_t revision_ = 0;
    ViewChangeListener* listener_ = nullptr;
};

}  // namespace gnss
