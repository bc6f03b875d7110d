#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/receiver_family.h"
#include "control/identification_listener.h"
#include "control/receiver_identification.h"
#include "link/connection_listener.h"
#include "link/sentence_chain.h"
#include "link/shared_state.h"
#include "views/main_window_model.h"
#include "views/sample_window.h"
#include "views/view_change_listener.h"

namespace gnss {

// The pictures an indicator light of the attitude window can show.
enum class IndicatorPicture : uint8_t { Off, On, Amber, Green, Blue };

using AttitudeRows = std::array<std::array<double, 3>, 3>;

// The window's geometry and the texts it shows in fixed places.
inline constexpr int kAttitudeWindowWidth = 195;
inline constexpr int kAttitudeWindowHeight = 522;
inline constexpr int kAttitudeViewSide = 192;      // the 3-D view at its normal size
inline constexpr int kSensorWindowTopOffset = 27;  // below the main window's top
inline constexpr double kAttitudeMaxSceneScale = 4.53;
inline constexpr int kIntensityFullScale = 360;  // field intensity that fills the bar
inline constexpr double kAccelerationChartLimitG = 2.5;
inline constexpr Rgb kPositiveAccelerationColor = 0x3CBFFF;
inline constexpr Rgb kNegativeAccelerationColor = 0xFF80C0;
inline constexpr Rgb kPanelCalibratedColor = 0x444444;
inline constexpr Rgb kPanelUncalibratedColor = 0xAD0718;
inline constexpr std::string_view kAttitudeWindowTitle = "CMS";
inline constexpr std::string_view kAttitudeViewTitle = " Attitude ";
inline constexpr std::string_view kInformationPanelTitle = " Information Panel ";
inline constexpr std::string_view kNoOpenGlText =
    "No OpenGL on this display:\nthe 3-D view is not available.";
// Where the compass letters stand in the scene (north at -Z, east at +X).
struct CompassLetter {
    std::string_view Text;
    float X, Z;
};
inline constexpr std::array<CompassLetter, 4> kCompassLetters{{
    {"MN", 0.0F, -4.0F},
    {"E", 4.0F, 0.0F},
    {"S", 0.0F, 4.0F},
    {"W", -4.0F, 0.0F},
}};
inline constexpr std::array<float, 3> kAttitudeEye{5.0F, 9.0F, 18.0F};

// Raw accelerometer counts to G: 511 counts are +2 G, -512 counts are -2 G.
[[nodiscard]] double AccelerationG(int32_t raw);
// " +1.234 G " for values >= 0, " -1.234 G " below.
[[nodiscard]] std::string AccelerationText(double g);
// Filled height of an intensity bar `fullHeight` pixels high for the field value `level`
// (limited to 0..360).
[[nodiscard]] int IntensityBarFill(int fullHeight, int level);
// The scene scale of the 3-D view placed in `width` x `height` pixels: 1 at 192, larger places
// scale up to 4.53.
[[nodiscard]] double AttitudeSceneScale(int width, int height);
// Where the attitude window goes: 27 pixels below the main window's top, at its right edge.
[[nodiscard]] ScreenRect AttitudeWindowRect(const ScreenRect& mainFrame);

// Where the 3-D view goes when the user drags it and lets go at (x, y): onto the main window's
// NMEA monitor panel (`monitor`, both in screen coordinates) when over it, anywhere else back
// into the attitude window.
enum class AttitudeViewPlace : uint8_t { AttitudeWindow, MonitorPanel };
[[nodiscard]] AttitudeViewPlace AttitudeViewDropPlace(const ScreenRect& monitor, int x, int y);

// What the attitude window shows.
struct AttitudeWindowView {
    bool Visible = false;
    std::array<std::string, 3> AccelerationTexts;  // X, Y, Z
    std::array<Rgb, 3> AccelerationColors{kPositiveAccelerationColor, kPositiveAccelerationColor,
                                          kPositiveAccelerationColor};
    std::string IntensityText;
    int IntensityLevel = 0;  // 0..360, see IntensityBarFill
    Rgb PanelColor = kPanelUncalibratedColor;
    std::array<IndicatorPicture, 3> Lights{IndicatorPicture::Off, IndicatorPicture::Off,
                                           IndicatorPicture::Off};
    // The model's orientation, row-major 4 x 4: rows 1 to 3 are the model's own X, Y and Z axes
    // in scene coordinates (X east, Y up, Z south). The model starts at rest: its X axis toward
    // north, Z toward east.
    std::array<float, 16> Orientation{0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    uint64_t OrientationRevision = 0;
    SampleWindow<21> Accelerations;  // the three strip charts, in G
};

// The window of attitude-and-compass modules (families CMS and CM2): the model turned by the
// sensor's rotation matrix, the accelerations, field intensity and status lights of its
// information sentence, and strip charts of the accelerations. It also routes the maker's
// "$PMDR,24" sensor sentences, the information sentence first to the main window's magnetic
// north display.
class SensorAttitudeWindow final : public ConnectionListener, public IdentificationListener {
  public:
    struct Deps {
        const SharedState& Shared;
        const IdentificationResult& Identification;
        // The main window's magnetic-north display, given every information sentence.
        std::function<void(std::string_view)> ShowMagneticNorth;
        ViewChangeListener* Changes = nullptr;
    };
    explicit SensorAttitudeWindow(Deps deps);

    // Its position in the sentence chain: the "$PMDR,24" sentences.
    void JoinSentenceChain(SentenceChain& chain);
    // IdentificationListener: attitude modules show the window.
    void OnReceiverIdentified() override;
    // ConnectionListener: a disconnect clears the charts and hides the window.
    void OnDisconnected() override;

    void RouteSensorSentence(std::string_view line);
    // The information sentence ($PMDR,245,1,...): all or nothing.
    void ShowSensorInfo(std::string_view sentence);
    // The rotation-matrix sentence ($PMDR,245,2,...).
    void ShowAttitude(std::string_view sentence);
    void ResetAttitudeWindow();
    void Show();
    void Hide();

    [[nodiscard]] const AttitudeWindowView& View() const { return view_; }
    [[nodiscard]] const AttitudeRows& LastAppliedAttitude() const { return lastApplied_; }
    [[nodiscard]] uint8_t IndicatorState() const { return indicatorState_; }

  private:
    void SetLights(uint8_t state);
    void Changed();

    Deps deps_;
    AttitudeWindowView view_;
    AttitudeRows lastApplied_{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    uint8_t indicatorState_ = 0;
};

}  // namespace gnss
