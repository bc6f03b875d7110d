#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/receiver_extra.h"

namespace gnss::sim {

// One FM station of the scripted band. Frequencies are in units of 10 kHz (10777: 107.77 MHz).
struct FmStation {
    int Frequency;
    int StrengthDbuv;
    std::string_view Name;
    int MessagesPerSecond;  // traffic messages it broadcasts
};
inline constexpr std::array<FmStation, 5> kFmStations = {{
    {8810, 38, "RADIO 1", 2},
    {9230, 27, "CLASSIC", 0},
    {9810, 45, "NEWS 98", 3},
    {10170, 22, "JAZZ FM", 1},
    {10777, 41, "TRAFFIC", 4},
}};
inline constexpr std::string_view kFmCountryCode = "E";
inline constexpr int kFmBandLow = 8750;
inline constexpr int kFmBandHigh = 10800;
// A seek moves this far each second until it reaches a station.
inline constexpr int kSeekStep = 50;

// A traffic-message radio: it seeks across the band, stops on stations, reports its tuning and
// signal strength once a second, names the station and its country, passes on the station's
// traffic messages, and obeys the tuning commands "$PQTCM,+", "-", "A1", "A2" and "H2,<freq>".
class TrafficBand final : public ReceiverExtra {
  public:
    TrafficBand();

    void OnSecond(uint64_t elapsedMs, std::vector<std::string>& lines) override;
    bool OnCommand(std::string_view line, uint64_t elapsedMs,
                   std::vector<std::string>& replies) override;
    [[nodiscard]] bool Motion(uint64_t, VehicleMotion&) const override { return false; }

    [[nodiscard]] int TunedFrequency() const { return tuned_; }
    [[nodiscard]] bool Seeking() const { return seekDirection_ != 0; }
    [[nodiscard]] bool AutoTuning() const { return auto_; }

    // Strength heard at a frequency: the station's, or low noise between stations.
    [[nodiscard]] static int StrengthAt(int frequency);
    [[nodiscard]] static const FmStation* StationAt(int frequency);

  private:
    void StepSeek();

    int tuned_ = kFmBandLow;
    int seekDirection_ = 1;  // +1 up, -1 down, 0 tuned
    bool auto_ = true;       // a weak or silent station makes the radio seek on
};

}  // namespace gnss::sim
