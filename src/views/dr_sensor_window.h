#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "control/receiver_identification.h"
#include "link/connection_listener.h"
#include "link/sentence_chain.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"
#include "views/main_window_model.h"
#include "views/sample_window.h"
#include "views/view_change_listener.h"

namespace gnss {

inline constexpr std::size_t kDrSensorSamples = 200;
inline constexpr int kDrSensorHideSeconds = 3;
inline constexpr int kDrSensorWindowWidth = 420;
inline constexpr int kDrSensorWindowHeight = 522;
inline constexpr int kDrSensorWindowTopOffset = 27;  // below the main window's top
inline constexpr std::string_view kAccelerometerTitle = " Accelerometer  ";
inline constexpr std::string_view kGyroTitle = " Gyro  ";

// The dead-reckoning features of the connected receiver: ST modules with dead-reckoning firmware
// (calibration drive and the "SENMSG" sensor messages) and TDK modules (their DR status and the
// "$PINVMIMU," inertial sentences).
[[nodiscard]] bool StDrFeatureOn(const SharedState& shared,
                                 const IdentificationResult& identification);
[[nodiscard]] bool TdkDrFeatureOn(const SharedState& shared);

// Where the sensor window goes: 27 pixels below the main window's top, one pixel right of the
// attitude window when that one is shown (`attitude`), else at the main window's right edge.
[[nodiscard]] ScreenRect DrSensorWindowRect(const ScreenRect& mainFrame,
                                            const std::optional<ScreenRect>& attitude);

// What the sensor window shows: the raw accelerometer and gyro readings, X/Y/Z each.
struct DrSensorWindowView {
    bool Visible = false;
    SampleWindow<kDrSensorSamples> Accelerometer;
    SampleWindow<kDrSensorSamples> Gyro;
};

// The window of dead-reckoning receivers that plots their inertial sensor readings while they
// arrive: ST modules ("SENMSG,30," accelerometer, "SENMSG,31," gyro) and TDK modules
// ("$PINVMIMU," with both). It shows itself with the first reading and hides (and empties)
// three seconds after the last.
class DrSensorWindow final : public ConnectionListener {
  public:
    struct Deps {
        const ReceiverState& State;  // SecondsCounter
        const SharedState& Shared;
        const IdentificationResult& Identification;
        ViewChangeListener* Changes = nullptr;
    };
    explicit DrSensorWindow(const Deps& deps);

    // Its position in the sentence chain: the sensor sentences of dead-reckoning receivers.
    void JoinSentenceChain(SentenceChain& chain);
    // ConnectionListener: connect and disconnect hide and empty it; the link's second hides it
    // when the readings stopped.
    void OnConnectionChanging() override { HideAndReset(); }
    void OnLinkSecond() override { DrSensorSecond(); }

    // A sensor sentence of either kind; shows the window.
    void ShowDrSensorSample(std::string_view sentence);
    void ResetDrSensorCharts();
    // Hides the window (when shown) and empties the charts: calibration done, connect and
    // disconnect.
    void HideAndReset();
    // Hides the window (when shown) and keeps its charts; the next reading shows it again.
    void Hide();
    void DrSensorSecond();

    [[nodiscard]] const DrSensorWindowView& View() const { return view_; }
    [[nodiscard]] int32_t HideSecond() const { return hideSecond_; }

  private:
    [[nodiscard]] bool TakesSensorSentence(std::string_view line) const;
    void Changed();

    Deps deps_;
    DrSensorWindowView view_;
    int32_t hideSecond_ = 0;  // SecondsCounter value at which the window hides; 0 none
};

}  // namespace gnss
