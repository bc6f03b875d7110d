// Feeds arbitrary lines to the attitude window and the dead-reckoning sensor window, as the
// sentence chain hands them over: nothing may crash, and the model's orientation must stay a set
// of finite unit rows whatever the matrix sentence says.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "views/dr_sensor_window.h"
#include "views/sensor_attitude_window.h"

using namespace gnss;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    SharedState shared;
    IdentificationResult identification;
    ReceiverState state;
    SensorAttitudeWindow attitude{SensorAttitudeWindow::Deps{shared, identification, {}, nullptr}};
    DrSensorWindow sensors{DrSensorWindow::Deps{state, shared, identification, nullptr}};
    attitude.Show();
    for (ReceiverFamily family :
         {ReceiverFamily::CMS, ReceiverFamily::CM2, ReceiverFamily::ST, ReceiverFamily::TDK_DR}) {
        shared.Family = family;
        attitude.RouteSensorSentence(text);
        attitude.ShowSensorInfo(text);
        attitude.ShowAttitude(text);
        sensors.ShowDrSensorSample(text);
    }
    for (float value : attitude.View().Orientation) {
        if (!std::isfinite(value) || std::fabs(value) > 1.0001F) std::abort();
    }
    return 0;
}
