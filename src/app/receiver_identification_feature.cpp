#include "app/receiver_identification_feature.h"

#include <utility>

namespace gnss {

ReceiverIdentificationFeature::ReceiverIdentificationFeature(ReceivePipeline& pipeline,
                                                             ConnectionControl& control,
                                                             ReceiverPort& port, Clock& clock,
                                                             Scheduler& scheduler)
    : Identification(pipeline.Shared, pipeline.Receiver, port, scheduler),
      Reception(pipeline.Shared, pipeline.Receiver, clock, Identification.Result) {
    Identification.Hooks.OneSecondTimerRunning = [&pipeline] {
        return pipeline.Dispatcher.SecondTimerEnabled();
    };
    Identification.Hooks.BeidouReported = [&pipeline] { return pipeline.Decoder.BdsGsvSeen(); };

    ReceiveHooks& hooks = pipeline.Dispatcher.Hooks;
    hooks.IdentifyReceiver = [this](std::string_view buffer) {
        (void)Identification.IdentifyReceiver(buffer);
    };
    hooks.IdentificationLineWatch = [this](std::string_view line) {
        Identification.LineWatch(line);
    };
    hooks.PrcrRewriteActive = [this] { return Identification.PrcrRewriteActive(); };
    hooks.StartIdentification = [this] { Identification.ArmIdentification(); };
    hooks.UbxMonitor = [this](uint8_t cls, uint8_t id, uint16_t, std::string_view payload) {
        Reception.UbxMonitor(cls, id, payload);
    };
    hooks.HandleUbxFrame = [this](std::string_view frame) { Reception.HandleUbxFrame(frame); };
    hooks.HandleHdFrame = [this](std::string_view frame) { Reception.HandleHdFrame(frame); };
    hooks.NmeaSecondDuties = [this, previous = std::move(hooks.NmeaSecondDuties)] {
        Identification.OnSecond();
        if (previous) previous();
    };

    control.OnEveryAction([this] { Identification.ResetForEveryAction(); });
    control.OnConnect([this] { Identification.ResetForConnect(); });
}

}  // namespace gnss
