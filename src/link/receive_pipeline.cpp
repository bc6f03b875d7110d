#include "link/receive_pipeline.h"

namespace gnss {

ReceivePipeline::ReceivePipeline(ReceiverPort& port, Clock& clock, Scheduler& scheduler,
                                 UserPrompts& prompts)
    : Dispatcher(Shared, Receiver, port, clock, scheduler, prompts),
      Decoder(Receiver, Shared.Family) {
    Dispatcher.SetDecoder(&Decoder);
}

void ReceivePipeline::ResetForConnect() {
    Decoder.ResetDecoder();
    Decoder.ClearTalkerFlags();
    Receiver.FixMode = 0;
    Receiver.FixValid = false;
    Receiver.DgpsStationText.clear();
    Receiver.LastGgaSecond = 0;
}

}  // namespace gnss
