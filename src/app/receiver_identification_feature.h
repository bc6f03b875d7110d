#pragma once

#include "base/clock.h"
#include "base/scheduler.h"
#include "control/receiver_identification.h"
#include "control/ubx_hd_reception.h"
#include "link/connection_control.h"
#include "link/receive_pipeline.h"
#include "link/receiver_port.h"

namespace gnss {

// Receiver identification and the UBX/HD frame handling attached to a receive pipeline and
// its connection control. Constructing it fills these dispatcher hooks: IdentifyReceiver,
// IdentificationLineWatch, PrcrRewriteActive, StartIdentification, UbxMonitor, HandleUbxFrame,
// HandleHdFrame, and NmeaSecondDuties (the identification second runs first, then whatever
// the hook held before). It registers the connect reset and the reset of every connect and
// disconnect action with the connection control. The feature's own hooks
// (Identification.Hooks, Reception.Hooks) stay free for the application; BeidouReported and
// OneSecondTimerRunning are answered from the pipeline.
//
// Must outlive neither the pipeline nor the connection control: it is built after them and
// destroyed before them.
class ReceiverIdentificationFeature {
  public:
    ReceiverIdentificationFeature(ReceivePipeline& pipeline, ConnectionControl& control,
                                  ReceiverPort& port, Clock& clock, Scheduler& scheduler);
    ReceiverIdentificationFeature(const ReceiverIdentificationFeature&) = delete;
    ReceiverIdentificationFeature& operator=(const ReceiverIdentificationFeature&) = delete;

    ReceiverIdentification Identification;
    UbxHdReception Reception;
};

}  // namespace gnss
