// Lines of arbitrary bytes through the traffic-message panel and the dead-reckoning calibration
// as the sentence chain hands them over, with a one-second tick after every line. The first byte
// picks the receiver (TMC, ST with each speed input, TDK); the rest is split into lines at '\n'.
// The panels must keep their texts bounded and never crash.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/virtual_time.h"
#include "link/memory_receiver_port.h"
#include "views/dr_calibration.h"
#include "views/traffic_panel.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

struct SilentSounds final : gnss::SoundOutput {
    void Beep() override {}
    void PlayCompletionSound() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace gnss;
    if (size == 0) return 0;
    const int choice = data[0] % 5;
    std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

    VirtualTime time;
    SharedState shared;
    ReceiverState receiver;
    MemoryReceiverPort port;
    (void)port.Open();
    shared.PortOpen = true;
    IdentificationResult identification;
    identification.TrafficMessageMode = true;
    identification.StDrModule = true;
    identification.StDrSpeedInput = static_cast<DrSpeedInput>(choice % 4);
    shared.Family = choice == 4 ? ReceiverFamily::TDK_DR : ReceiverFamily::ST;
    SilentSounds sounds;
    TrafficPanel traffic{{shared, port, identification, [] { return true; }}};
    DrCalibration dr{{shared, receiver, port, identification, time, sounds, [] { return 40.0; },
                      [] { return true; }, [] { return 0; }}};
    traffic.OnReceiverIdentified();
    dr.OnReceiverIdentified();
    dr.StartCalibration();
    dr.Info().Close(DrInfoResult::Ok);

    while (!input.empty()) {
        const std::size_t end = input.find('\n');
        const std::string_view line = input.substr(0, end);
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
        traffic.HandleTrafficSentence(line);
        dr.DrStatusSentence(line);
        ++receiver.SecondsCounter;
        time.Advance(1000);
        dr.DrCalibrationSecond();
    }
    const TrafficPanelView& v = traffic.View();
    Check(v.FrequencyText.size() <= 16 && v.RssiText.size() <= 16);
    Check(v.Lines.size() <= size);
    return 0;
}
