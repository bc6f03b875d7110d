#include "views/traffic_panel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "link/receiver_link.h"
#include "nmea/number_parse.h"
#include "nmea/text_fields.h"

namespace gnss {

namespace {

// The sentences the panel follows, in the order they are tried.
enum class TrafficSentence : uint8_t { Message, Country, Station, Quality };
struct TrafficMarker {
    std::string_view Address;
    TrafficSentence Kind;
};
constexpr TrafficMarker kTrafficMarkers[] = {
    {"PQTTM", TrafficSentence::Message},
    {"PQTMT", TrafficSentence::Country},
    {"PQTCH", TrafficSentence::Station},
    {"PQTTQ", TrafficSentence::Quality},
};

// A quality report holds five data fields before its checksum.
constexpr int kQualitySeparators = 6;
constexpr std::size_t kStoredFieldLength = 5;
// Frequencies at or below this (in 10 kHz) are not on the FM band.
constexpr double kLowestFrequency = 80.0;
constexpr int kNarrowPlotPx = 350;

// "%*s": right-aligned in `width` characters.
std::string PadLeft(std::string_view text, std::size_t width) {
    std::string out;
    if (text.size() < width) out.assign(width - text.size(), ' ');
    out.append(text);
    return out;
}

// 10777 gives "FM:107.77 MHz".
std::string FrequencyLabel(std::string_view text) {
    const std::size_t cut = text.size() > 2 ? text.size() - 2 : 0;
    return "FM:" + PadLeft(text.substr(0, cut), 3) + "." + PadLeft(text.substr(cut), 2) + " MHz";
}

}  // namespace

int SpectrumXTicks(int plotWidthPx) {
    return plotWidthPx <= kNarrowPlotPx ? 11 : 22;
}

std::string SpectrumAxisLabel(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", std::round(value * 100.0) / 100.0);
    std::string out = text;
    while (!out.empty() && out.back() == '0') out.pop_back();
    if (!out.empty() && out.back() == '.') out.pop_back();
    if (out == "-0") out = "0";
    return out;
}

TrafficPanel::TrafficPanel(const Deps& deps) : deps_(deps) {}

void TrafficPanel::Changed() {
    if (listener_ != nullptr) listener_->OnViewChanged();
}

void TrafficPanel::OnLinePassedChain(std::string_view line) {
    if (view_.Visible) HandleTrafficSentence(line);
}

void TrafficPanel::HandleTrafficSentence(std::string_view line) {
    const auto marker =
        std::find_if(std::begin(kTrafficMarkers), std::end(kTrafficMarkers),
                     [&](const TrafficMarker& m) { return Contains(line, m.Address); });
    if (marker == std::end(kTrafficMarkers)) return;
    switch (marker->Kind) {
        case TrafficSentence::Message:
            ++messageCount_;
            return;
        case TrafficSentence::Country: {
            const std::string shown =
                std::string(kCountryCaption) + std::string(ExtractField(2, line, kCommaStar));
            if (shown != view_.CountryText) {
                view_.CountryText = shown;
                Changed();
            }
            return;
        }
        case TrafficSentence::Station: {
            stationSeen_ = true;
            std::string_view name = ExtractField(2, line, kCommaStar);
            name = name.size() >= 2 ? name.substr(1, name.size() - 2) : std::string_view{};
            if (name != view_.StationText) {
                view_.StationText = std::string(name);
                Changed();
            }
            return;
        }
        case TrafficSentence::Quality:
            break;
    }

    view_.StationGreyed = !stationSeen_;
    stationSeen_ = false;
    char rate[16];
    std::snprintf(rate, sizeof rate, "%2d", messageCount_);
    view_.RateText = rate;
    messageCount_ = 0;
    if (CountDelimiters(line, kCommaStar) == kQualitySeparators) {
        bool spectrumChanged = false;
        const std::string_view frequency = ExtractField(2, line, kCommaStar);
        if (frequency != tunedFrequency_) {
            tunedFrequency_ = std::string(frequency.substr(0, kStoredFieldLength));
            view_.FrequencyText = FrequencyLabel(tunedFrequency_);
            spectrumChanged = true;
        }
        const std::string_view rssi = ExtractField(3, line, kCommaStar);
        if (rssi != rssi_) {
            rssi_ = std::string(rssi.substr(0, kStoredFieldLength));
            view_.RssiText = "RSSI:" + PadLeft(rssi_, 3) + " dBuV";
            spectrumChanged = true;
        }
        view_.SeekText = std::string(ExtractField(4, line, kCommaStar));
        view_.SeekBackground = ExtractField(5, line, kCommaStar) == "0" ? kTrafficSeekingBackground
                                                                        : kTrafficLabelBackground;
        if (spectrumChanged) UpdateSpectrum();
    }
    Changed();
}

void TrafficPanel::UpdateSpectrum() {
    const std::optional<double> frequency = TryParseFloat(tunedFrequency_);
    if (!frequency || !std::isfinite(*frequency) || *frequency <= kLowestFrequency) return;
    const std::optional<double> strength = TryParseFloat(rssi_);
    if (!strength || !std::isfinite(*strength)) return;
    view_.HasMarker = true;
    view_.Marker = SpectrumLine{*frequency / 100.0, *strength};
    const auto known = std::find_if(heard_.begin(), heard_.end(), [&](const HeardFrequency& h) {
        return h.Text == tunedFrequency_;
    });
    if (known == heard_.end()) {
        heard_.push_back(HeardFrequency{tunedFrequency_, view_.Lines.size()});
        view_.Lines.push_back(view_.Marker);
    } else {
        view_.Lines[known->Line] = view_.Marker;
    }
}

void TrafficPanel::ClearSpectrum(bool connectionRunning) {
    heard_.clear();
    if (!connectionRunning) {
        view_.Lines.clear();
        view_.HasMarker = false;
    }
    Changed();
}

void TrafficPanel::SendTrafficCommand(std::string_view text) {
    text = Trim(text);
    text = Trim(text.substr(0, std::min(text.find('('), text.size())));
    if (text.empty()) return;
    std::string bytes(text);
    if (deps_.AppendLineEnd && deps_.AppendLineEnd()) bytes += "\r\n";
    (void)SendToReceiver(deps_.Shared, deps_.Port, bytes);
}

void TrafficPanel::ButtonClicked(TrafficButton button) {
    for (const auto& b : kTrafficButtons) {
        if (b.Button == button) SendTrafficCommand(b.CommandText);
    }
}

void TrafficPanel::TuneToClicked() {
    view_.TuneValue = std::clamp(view_.TuneValue, kTuneMin, kTuneMax);
    Changed();
    if (!deps_.Shared.PortOpen) return;
    SendTrafficCommand("$PQTCM,H2," + std::to_string(view_.TuneValue));
}

void TrafficPanel::AutoClicked() {
    if (!deps_.Shared.PortOpen) return;
    SendTrafficCommand("$PQTCM,A2");
}

void TrafficPanel::OnReceiverIdentified() {
    view_.Visible = deps_.Identification.TrafficMessageMode;
    view_.NavigationHidden = view_.Visible && deps_.Shared.Family == ReceiverFamily::TMC;
    view_.TuningControlsShown = view_.Visible && deps_.Shared.PortOpen;
    Changed();
}

void TrafficPanel::HideTuningControls() {
    view_.TuningControlsShown = false;
    Changed();
}

}  // namespace gnss
