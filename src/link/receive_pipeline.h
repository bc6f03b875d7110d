#pragma once

#include "base/clock.h"
#include "base/scheduler.h"
#include "base/user_prompts.h"
#include "link/receive_dispatch.h"
#include "link/receiver_port.h"
#include "link/shared_state.h"
#include "nmea/nmea_decoder.h"
#include "nmea/receiver_state.h"

namespace gnss {

// The receive path as one piece: the shared flags, the receiver state, the receive dispatcher on
// the given port and the NMEA decoder plugged into it. Per line that passes the line filter the
// dispatcher decodes it (keeping the previous kind in its counters), then closes the blocks it
// ends: the end of a GSA block copies the block's used count into the satellite display list;
// the end of a GSV block rebuilds the display list and marks the table consumed, and at most
// every 400 ms (not while the monitor is paused) asks for the satellite views to be redrawn.
// The dispatcher itself keeps PrevKind, KindsSeen and NewSentenceFlag, sets ReceiverUtcTime
// after every GGA and clears FixValid on "$GPRMC,,*4B".
//
// The live program and the offline tools both build on this class; they plug their features
// into Dispatcher (AddListener, Chain, SetController).
class ReceivePipeline {
  public:
    ReceivePipeline(ReceiverPort& port, Clock& clock, Scheduler& scheduler, UserPrompts& prompts);
    ReceivePipeline(const ReceivePipeline&) = delete;
    ReceivePipeline& operator=(const ReceivePipeline&) = delete;

    SharedState Shared;
    ReceiverState Receiver;
    ReceiveDispatcher Dispatcher;
    NmeaDecoder Decoder;

    // The decoding side of a connect: records, satellite table and display list, block counters
    // and talker flags back to their start, DOPs "not reported", FixMode 0, FixValid false, no
    // differential station text, LastGgaSecond 0. The link side (Dispatcher.ResetLink, timers,
    // link state, SecondsCounter, family) belongs to the connection control.
    void ResetForConnect();
};

}  // namespace gnss
