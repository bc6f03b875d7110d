#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "control/identification_listener.h"
#include "control/receiver_identification.h"
#include "link/connection_listener.h"
#include "link/receive_listeners.h"
#include "link/receiver_port.h"
#include "link/shared_state.h"
#include "views/view_change_listener.h"

namespace gnss {

using Rgb = uint32_t;

// Colours and captions of the traffic-message panel.
inline constexpr Rgb kTrafficPanelColour = 0x373737;
inline constexpr Rgb kTrafficLabelBackground = 0x000000;
inline constexpr Rgb kTrafficFrequencyColour = 0x80FF80;
inline constexpr Rgb kTrafficRssiColour = 0xF9C6D5;
inline constexpr Rgb kTrafficCountryColour = 0xF8F4BA;
inline constexpr Rgb kTrafficStationColour = 0xB1E4B3;
inline constexpr Rgb kTrafficRateColour = 0xFFD0A2;
inline constexpr Rgb kTrafficSeekColour = 0xFF8080;
inline constexpr Rgb kTrafficSeekingBackground = 0x008080;
inline constexpr std::string_view kTrafficRateHint = "TMC Message Rate : msg/s";
inline constexpr std::string_view kTrafficSeekHint = "Teal Color : Seeking Mode";
inline constexpr std::string_view kCountryCaption = "CC:";

// The spectrum plot: signal strength per FM frequency.
struct SpectrumStyle {
    double MinMhz = 87.3;
    double MaxMhz = 108.2;
    double MinStrength = 0.0;
    double MaxStrength = 52.0;
    int YTicks = 6;
    Rgb AxisColour = 0x00FF00;
    Rgb XGridColour = 0x0054A8;
    Rgb YGridColour = 0x0063C6;
    Rgb PlotColour = 0x480048;
    Rgb LineColour = 0xFF8080;
    Rgb MarkerColour = 0x00FF00;
};
inline constexpr SpectrumStyle kSpectrumStyle{};
// The x axis has 11 ticks on a narrow plot and 22 on a wide one.
[[nodiscard]] int SpectrumXTicks(int plotWidthPx);
// Axis labels: at most two decimals, trailing zeros dropped ("87.3", "108.2", "52").
[[nodiscard]] std::string SpectrumAxisLabel(double value);

struct SpectrumLine {
    double FrequencyMhz = 0.0;
    double Strength = 0.0;
};

// The buttons of the panel and the commands they send.
enum class TrafficButton : uint8_t { SearchDown, Stay, SearchUp };
struct TrafficButtonText {
    TrafficButton Button;
    std::string_view Hint;
    std::string_view CommandText;  // what goes through SendTrafficCommand
};
inline constexpr TrafficButtonText kTrafficButtons[] = {
    {TrafficButton::SearchDown, "Search down", "$PQTCM,- (Search Down)"},
    {TrafficButton::Stay, "Stay fixed on current frequency, auto tuning off", "$PQTCM,A1"},
    {TrafficButton::SearchUp, "Search up", "$PQTCM,+ (Search Up)"},
};
inline constexpr std::string_view kTuneToCaption = " Tune to ";
inline constexpr std::string_view kAutoCaption = "Auto";
inline constexpr std::string_view kAutoHint = "auto tuning";
// The frequency box, in units of 10 kHz.
inline constexpr int kTuneMin = 8750;
inline constexpr int kTuneMax = 10800;
inline constexpr int kTuneStep = 10;

// What the panel shows.
struct TrafficPanelView {
    bool Visible = false;
    bool NavigationHidden = false;     // a radio without a GNSS part
    bool TuningControlsShown = false;  // tune-to, auto and the frequency box
    std::string FrequencyText;
    std::string RssiText;
    std::string CountryText{kCountryCaption.data(), kCountryCaption.size()};
    std::string StationText;
    bool StationGreyed = false;
    std::string RateText;
    std::string SeekText;
    Rgb SeekBackground = kTrafficLabelBackground;
    std::vector<SpectrumLine> Lines;  // one per frequency heard, in order of first appearance
    bool HasMarker = false;
    SpectrumLine Marker;
    int TuneValue = kTuneMin;
};

// The panel of traffic-message radio receivers: follows the receiver's station, quality and
// message sentences, keeps the spectrum of the frequencies heard, and sends the tuning commands.
class TrafficPanel final : public LineListener,
                           public ConnectionListener,
                           public IdentificationListener {
  public:
    struct Deps {
        SharedState& Shared;
        ReceiverPort& Port;
        const IdentificationResult& Identification;
        // Whether typed commands end with CR LF (the command panel's option).
        std::function<bool()> AppendLineEnd;
    };
    explicit TrafficPanel(const Deps& deps);

    [[nodiscard]] const TrafficPanelView& View() const { return view_; }
    void SetChangeListener(ViewChangeListener* listener) { listener_ = listener; }

    // One received line while the panel is shown.
    void HandleTrafficSentence(std::string_view line);
    // Trims the text, cuts it before the first "(" and sends what is left.
    void SendTrafficCommand(std::string_view text);

    // The user's actions.
    void ButtonClicked(TrafficButton button);
    void SetTuneValue(int value) { view_.TuneValue = value; }
    // Tune to (or Enter in the box): the box is clamped to its range first.
    void TuneToClicked();
    void AutoClicked();
    // The monitor's "Clear": the frequency list restarts; the lines go too when no connection
    // runs (`connectionRunning` false).
    void ClearSpectrum(bool connectionRunning);

    // LineListener
    void OnLinePassedChain(std::string_view line) override;
    // ConnectionListener
    void OnConnecting() override { HideTuningControls(); }
    void OnDisconnected() override { HideTuningControls(); }
    // IdentificationListener
    void OnReceiverIdentified() override;

  private:
    void UpdateSpectrum();
    void HideTuningControls();
    void Changed();

    Deps deps_;
    TrafficPanelView view_;
    std::string tunedFrequency_;
    std::string rssi_;
    struct HeardFrequency {
        std::string Text;
        std::size_t Line;  // its line of the spectrum
    };
    std::vector<HeardFrequency> heard_;
    int messageCount_ = 0;
    bool stationSeen_ = false;
    ViewChangeListener* listener_ = nullptr;
};

}  // namespace gnss
