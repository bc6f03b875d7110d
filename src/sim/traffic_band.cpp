#include "sim/traffic_band.h"

#include <algorithm>
#include <charconv>

#include "sim/sim_bytes.h"

namespace gnss::sim {

namespace {

constexpr std::string_view kCommandPrefix = "$PQTCM,";
// Below this strength an automatic radio does not stay on a station.
constexpr int kAutoStayDbuv = 25;

}  // namespace

TrafficBand::TrafficBand() = default;

const FmStation* TrafficBand::StationAt(int frequency) {
    for (const FmStation& s : kFmStations) {
        if (s.Frequency == frequency) return &s;
    }
    return nullptr;
}

int TrafficBand::StrengthAt(int frequency) {
    if (const FmStation* s = StationAt(frequency)) return s->StrengthDbuv;
    return 4 + static_cast<int>((static_cast<unsigned>(frequency) * 7919u) % 9u);
}

void TrafficBand::StepSeek() {
    if (seekDirection_ == 0) return;
    const int from = tuned_;
    int to = from + seekDirection_ * kSeekStep;
    // A station passed on the way stops the seek there.
    const FmStation* found = nullptr;
    for (const FmStation& s : kFmStations) {
        const bool passed = seekDirection_ > 0 ? (s.Frequency > from && s.Frequency <= to)
                                               : (s.Frequency < from && s.Frequency >= to);
        if (!passed || (auto_ && s.StrengthDbuv < kAutoStayDbuv)) continue;
        if (found == nullptr || (seekDirection_ > 0) == (s.Frequency < found->Frequency))
            found = &s;
    }
    if (found != nullptr) {
        tuned_ = found->Frequency;
        seekDirection_ = 0;
        return;
    }
    // The band wraps around at its ends.
    if (to > kFmBandHigh) to = kFmBandLow;
    if (to < kFmBandLow) to = kFmBandHigh;
    tuned_ = to;
}

void TrafficBand::OnSecond(uint64_t, std::vector<std::string>& lines) {
    const FmStation* station = seekDirection_ == 0 ? StationAt(tuned_) : nullptr;
    if (station != nullptr) {
        for (int i = 0; i < station->MessagesPerSecond; ++i) {
            lines.push_back(WithChecksum("$PQTTM,8," + std::to_string(i + 1) + ",1,D01F,4A52"));
        }
        lines.push_back(WithChecksum("$PQTCH,\"" + std::string(station->Name) + "\""));
        lines.push_back(WithChecksum("$PQTMT," + std::string(kFmCountryCode)));
    }
    const bool seeking = seekDirection_ != 0;
    lines.push_back(
        WithChecksum("$PQTTQ," + std::to_string(tuned_) + "," + std::to_string(StrengthAt(tuned_)) +
                     "," + (seeking ? "S" : "T") + "," + (seeking ? "0" : "1") + "," +
                     std::to_string(station != nullptr ? station->MessagesPerSecond : 0)));
    StepSeek();
    // An automatic radio leaves a frequency without a station for the next one.
    if (auto_ && seekDirection_ == 0 && StationAt(tuned_) == nullptr) seekDirection_ = 1;
}

bool TrafficBand::OnCommand(std::string_view line, uint64_t, std::vector<std::string>&) {
    if (line.substr(0, kCommandPrefix.size()) != kCommandPrefix) return false;
    std::string_view command = line.substr(kCommandPrefix.size());
    command = command.substr(0, std::min(command.find('*'), command.size()));
    if (command == "+") {
        seekDirection_ = 1;
    } else if (command == "-") {
        seekDirection_ = -1;
    } else if (command == "A1") {
        auto_ = false;
        seekDirection_ = 0;
    } else if (command == "A2") {
        auto_ = true;
    } else if (command.substr(0, 3) == "H2,") {
        const std::string_view digits = command.substr(3);
        int frequency = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), frequency);
        if (error != std::errc{} || end != digits.data() + digits.size()) return true;
        tuned_ = std::clamp(frequency, kFmBandLow, kFmBandHigh);
        seekDirection_ = 0;
        auto_ = false;
    }
    return true;
}

}  // namespace gnss::sim
