#pragma once

#include <functional>
#include <string_view>

#include "base/clock.h"
#include "base/scheduler.h"
#include "base/user_prompts.h"
#include "link/receive_dispatch.h"
#include "link/receiver_port.h"
#include "link/shared_state.h"
#include "nmea/nmea_decoder.h"
#include "nmea/receiver_state.h"

namespace gnss {

// The receive path as one piece: the shared flags, the receiver state, the receive dispatcher
// on the given port and the NMEA decoder, with the decoding steps of every line wired in:
//   - each line that passes the line filter is decoded (with the previous kind kept by the
//     dispatcher's counters);
//   - the end of a GSA block copies the block's used count into the satellite display list;
//   - the end of a GSV block rebuilds the display list, marks the table consumed (state 3) and,
//     at most every 400 ms and not while the monitor is paused, refreshes the satellite views.
// The dispatcher itself keeps PrevKind, KindsSeen and NewSentenceFlag, sets ReceiverUtcTime
// after every GGA and clears FixValid on "$GPRMC,,*4B".
//
// The live program and the offline tools both build on this class. The pipeline owns these
// dispatcher hooks: DecodeSentence, GsaBlockEnded, GsvCollectionState, SetGsvCollectionState,
// RebuildSatelliteList and RefreshSatelliteViews. An application must not overwrite them; it
// listens through the On... members below instead. Every other hook of Dispatcher.Hooks, the
// sentence chain and Decoder.OnGgaQuality are free for the application to fill.
class ReceivePipeline {
  public:
    ReceivePipeline(ReceiverPort& port, Clock& clock, Scheduler& scheduler, UserPrompts& prompts);
    ReceivePipeline(const ReceivePipeline&) = delete;
    ReceivePipeline& operator=(const ReceivePipeline&) = delete;

    SharedState Shared;
    ReceiverState Receiver;
    ReceiveDispatcher Dispatcher;
    NmeaDecoder Decoder;

    // --- what the application listens to (each may stay empty) ---
    // Every line that reached the decoder, with the kind it decoded to (0: not a valid
    // sentence or no known kind). Runs right after the decoder, before the block ends.
    std::function<void(SentenceKind kind, std::string_view line)> OnSentenceDecoded;
    // A GSA block ended; the display list holds the block's used count.
    std::function<void()> OnGsaBlockEnded;
    // A GSV block ended and the display list was rebuilt (every block, not rate-limited).
    std::function<void()> OnSatellitesRebuilt;
    // The satellite views should be redrawn from Decoder.DisplayList() (rate-limited to one per
    // 400 ms, skipped while the monitor is paused).
    std::function<void()> OnSatellitesRefreshed;

    // The decoding side of a connect: records, satellite table and display list, block counters
    // and talker flags back to their start, DOPs "not reported", FixMode 0, FixValid false, no
    // differential station text, LastGgaSecond 0. The link side (Dispatcher.ResetLink, timers,
    // link state, SecondsCounter, family) belongs to the connection control.
    void ResetForConnect();

  private:
    void WireDecodingHooks();
};

}  // namespace gnss
