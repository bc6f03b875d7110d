#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "base/desktop.h"
#include "base/monitor_output.h"
#include "control/identification_listener.h"
#include "link/connection_listener.h"
#include "link/receive_listeners.h"
#include "link/sentence_chain.h"
#include "link/shared_state.h"
#include "nmea/nmea_decoder.h"
#include "nmea/receiver_state.h"
#include "views/gauges_model.h"
#include "views/speed_units.h"

namespace gnss {

// Colours of the navigation panel.
inline constexpr Rgb kNaviBackground = 0x152B21;
inline constexpr Rgb kNaviCaptionColor = 0xFFFFCE;
inline constexpr Rgb kNaviLiveColor = 0xFFB3B3;   // value labels while a position is shown
inline constexpr Rgb kNaviStaleColor = 0x808080;  // value labels without a fix
inline constexpr Rgb kDgpsFreshColor = 0xBBFF77;
inline constexpr Rgb kDgpsOldColor = 0x808080;
inline constexpr Rgb kSogFixMovingBackground = 0x6504A6;  // above 1.5 km/h
inline constexpr Rgb kSogFixStillBackground = 0x000000;

// Fix-quality names of GGA (0..8) and fix-mode names of GSA (0..3) as the fix field shows them.
inline constexpr std::array<std::string_view, 9> kFixQualityNames = {
    "non-Fix",     "Fix", "DGPS Fix", "PPS Fix",   "RTK (Fix)",
    "RTK (Float)", "DR",  "Manual",   "Simulation"};
inline constexpr std::array<std::string_view, 4> kFixModeNames = {" ", "not Fix", "2D", "3D"};
// Texts of the DGPS label by GGA quality (0..6; others are empty).
inline constexpr std::array<std::string_view, 7> kDgpsLabelTexts = {
    "", "GNSS fix", "DGPS", "PPS fix", "RTK fix", "Float RTK", "DR"};

inline constexpr std::string_view kClockSyncRequestLine =
    "   ..... [Update System Time by GPS Time] ....";
inline constexpr std::string_view kClockSyncDoneLine = "   ====== Update SystemTime OK !! =====";

// The caption labels, in Arial #FFFFCE.
inline constexpr std::array<std::string_view, 12> kNaviCaptions = {
    "Latitude :",  "Longitude : ", "Fix Mode :",     "Number of SVs Used :",
    "Altitude :",  "UTC   Time:",  "Course (COG) :", "Speed (SOG) :",
    "Local Time:", "PDOP:",        "HDOP:",          "VDOP:"};

// The three arrangements of the course row (`CourseRowLayoutIndex`).
struct CourseRowLayout {
    std::string_view Caption;               // "Course (COG) :" or "COG :"
    bool CogWide = true;                    // `CourseText` spans the row
    bool MagneticNorthVisible = false;      // `MagneticNorthText`
    bool MagneticVariationVisible = false;  // `MagneticVariationText`
};
inline constexpr std::array<CourseRowLayout, 3> kCourseRowLayouts = {{
    {"Course (COG) :", true, false, false},
    {"Course (COG) :", false, false, true},
    {"COG :", false, true, true},
}};

// The position last shown, kept to redraw it in the other notation and for the clipboard.
struct ShownPosition {
    double Latitude = 0.0;  // signed degrees, negative south
    char LatitudeLetter = 0;
    double Longitude = 0.0;  // signed degrees, negative west
    char LongitudeLetter = 0;
};

// Everything the navigation panel shows, as texts and colours. Field names are the labels'.
struct NavigationPanelView {
    std::string LatitudeText, LongitudeText, AltitudeText, FixText, SpeedText, CourseText,
        GaugeCourseText, SatellitesUsedText;
    std::string UtcTimeText, LocalTimeText;
    std::string PdopText, HdopText, VdopText;
    std::string MagneticNorthText, MagneticVariationText;
    Rgb ValueColor = kNaviLiveColor;  // all value labels
    Rgb DopColor = kNaviLiveColor;    // the three DOP labels
    bool DopRowVisible = true;

    std::string CalibrationSpeedText;  // speed for the dead-reckoning calibration, or "non-Fix"
    Rgb CalibrationSpeedBackground = kSogFixStillBackground;

    std::string SpeedUnitText = "Km/H";  // the unit label
    Rgb SpeedUnitColor = 0xFFFF00;
    int SpeedUnitIndex = 0;  // the unit selector
    bool DmsMode = false;

    std::string FixKindLabel;
    bool FixKindLabelVisible = false;
    Rgb FixKindLabelColor = kDgpsOldColor;

    int CourseRowLayoutIndex = 0;  // course row layout, index into kCourseRowLayouts
    [[nodiscard]] const CourseRowLayout& CourseRow() const {
        return kCourseRowLayouts[CourseRowLayoutIndex];
    }

    bool operator==(const NavigationPanelView&) const = default;
};

// The latitude or longitude text: "N  24.5000000°" or, in degrees-minutes-seconds,
// "N  24°30'0.000\"". `degrees` is the absolute value.
[[nodiscard]] std::string PositionText(char letter, double degrees, bool dmsMode);
// The fix field from the fix state, the GGA quality and the GSA mode.
[[nodiscard]] std::string FixFieldText(bool fixValid, int quality, int mode);
// A DOP value: "%3.2f", or "--.--" for "not reported" (99.7 or more) while the fix is valid.
[[nodiscard]] std::string DopText(double dop, bool fixValid);
// The clipboard text of a position: "Lon:%7.8f, Lat:%7.6f".
[[nodiscard]] std::string PositionClipboardText(const ShownPosition& position);

// The navigation panel (`Panel10`): position, altitude, fix, speed, course, satellites used,
// receiver and local time, DOPs, the DGPS label; and the clock synchronisation from the
// receiver's time. Owns the gauges, which are updated in the same step.
class NavigationPanel final : public LineListener,
                              public ConnectionListener,
                              public IdentificationListener {
  public:
    struct Deps {
        const NmeaDecoder& Decoder;
        ReceiverState& State;  // ReceiverUtcTime is written here
        const SharedState& Shared;
        const Clock& Time;
        SystemClockSetter& ClockSetter;
        MonitorOutput& Output;  // the clock synchronisation's lines
    };
    explicit NavigationPanel(const Deps& deps);

    // Its positions in the sentence chain: the dual-antenna lines of RTK_DF receivers for the
    // gauges, and every GGA for the DGPS label.
    void JoinSentenceChain(SentenceChain& chain);
    // LineListener: the receiver's time of every RMC and GGA.
    void OnSentenceDecoded(SentenceKind kind, std::string_view line) override;
    // ConnectionListener: cleared at each connect; the DGPS label ages each second.
    void OnConnecting() override { ClearForConnect(); }
    void OnLinkSecond() override { DgpsLabelTick(); }
    // IdentificationListener: CMS and CM2 modules show the magnetic course row.
    void OnReceiverIdentified() override;

    [[nodiscard]] const NavigationPanelView& View() const { return view_; }
    [[nodiscard]] const GaugesView& Gauges() const { return gauges_.View(); }
    [[nodiscard]] GaugesModel& GaugesModelRef() { return gauges_; }

    // The once-per-second refresh. `kindsSeen` are this second's flags: they are consumed (kept
    // as the previous second's, see PreviousKindsSeen) and cleared.
    void RefreshNavigationPanel(KindFlags& kindsSeen);
    [[nodiscard]] const KindFlags& PreviousKindsSeen() const { return previousKindsSeen_; }
    [[nodiscard]] uint32_t LastRefreshTick() const { return lastRefreshTick_; }

    // Per decoded RMC and GGA sentence.
    void ShowRmcTime();
    void ShowGgaTime();
    // Per GGA sentence; and the one-second tick ages its colour.
    void ShowDgpsLabel();
    void DgpsLabelTick();
    // "$PMDR,24,..." sensor sentence: refresh with this second's flags (not consumed), then
    // magnetic north in `MagneticNorthText` and on the compass meter.
    void ShowMagneticNorth(std::string_view sentence, const KindFlags& kindsSeen);

    // The unit selector: a new unit refreshes the panel at once.
    void SetSpeedUnitIndex(int index, KindFlags& kindsSeen);
    // Stored settings at start-up ("Unit" "Index" and "DDMMSS"), without a refresh.
    void LoadUnitSettings(int speedUnitIndex, bool dmsMode);
    [[nodiscard]] int SpeedUnitIndex() const { return view_.SpeedUnitIndex; }
    [[nodiscard]] bool DmsMode() const { return view_.DmsMode; }

    // Double click on a position label.
    void ToggleDmsMode();
    // Double click on a position caption: what goes on the clipboard.
    [[nodiscard]] std::string PositionClipboard() const;
    [[nodiscard]] const ShownPosition& LastShownPosition() const { return lastShown_; }
    // Double click on a time label: asks for the clock to be set from the next valid RMC.
    // False when there is no valid fix or a request is already pending.
    bool RequestClockSync();
    [[nodiscard]] bool ClockSyncRequest() const { return clockSyncRequest_; }

    void SetCourseRowLayout(int index);  // `CourseRowLayoutIndex`
    void SetDopPanelVisible(bool visible);
    // The clearing routine of each connect attempt (course row 0, gauges hidden too).
    void ClearForConnect();

    // The speed in km/h of the last RMC shown, for the dead-reckoning calibration.
    [[nodiscard]] double SpeedKmh() const { return speedKmh_; }

  private:
    void RunNmeaPath(const KindFlags& kindsSeen);
    void ShowMagneticVariation();
    bool ShowPosition(const KindFlags& kindsSeen);
    void ShowSpeedAndCourse(const KindFlags& kindsSeen);
    void SetLive(bool live);
    void RedrawPosition();
    void UpdateGaugesNow(const KindFlags& kindsSeen);
    void TrySetSystemClock(DateTime utc);

    Deps deps_;
    GaugesModel gauges_;
    NavigationPanelView view_;
    ShownPosition lastShown_;
    KindFlags previousKindsSeen_{};
    uint32_t lastRefreshTick_ = 0;
    bool live_ = true;
    bool clockSyncRequest_ = false;
    bool clockSyncFailureReported_ = false;
    int32_t dgpsColouredSecond_ = -1;
    double speedKmh_ = 0.0;
};

}  // namespace gnss
