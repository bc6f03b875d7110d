#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>

#include "link/link_state.h"
#include "nmea/sentence_kind.h"

namespace gnss {

// The typed interfaces through which features follow the receive path. A feature implements the
// ones it needs and registers once with ReceiveDispatcher::AddListener; the listeners of one
// interface are called in the order they were registered. Every method does nothing by default,
// so a feature overrides only what it uses. Listeners run on the program's thread, inside the
// processing pass or the timer tick that found the event; they may ask the dispatcher for buffer
// changes, which take effect when the pass ends.

// The bytes as they arrive, and the receive buffer as a whole.
class StreamListener {
  public:
    virtual ~StreamListener() = default;
    // Every chunk the processing tick takes from the ring and keeps (bytes that arrive in the
    // short discard after a rate change of the baud-rate detection are not kept).
    virtual void OnBytesReceived(std::string_view /*chunk*/) {}
    // Once per processing pass, before frames and lines are cut: the whole receive buffer.
    virtual void OnReceiveBuffer(std::string_view /*buffer*/) {}
};

// The binary frames a processing pass finds.
class FrameListener {
  public:
    virtual ~FrameListener() = default;
    // While the receiver family is u-blox: every complete UBX frame with a valid checksum. The
    // frame stays in the buffer.
    virtual void OnUbxFrameSeen(uint8_t /*cls*/, uint8_t /*id*/, std::string_view /*payload*/) {}
    // A UBX frame (valid length and checksum) taken out of the buffer while the UBX reply window
    // is open.
    virtual void OnUbxFrame(std::string_view /*frame*/) {}
    // An HD frame (valid length and checksum) taken out of the buffer, handed over at the end of
    // the pass while the HD reply window is open.
    virtual void OnHdFrame(std::string_view /*frame*/) {}
};

// The lines of a processing pass, in the order the pass handles each of them:
// OnLineReceived, the line filter, the sentence chain (see SentenceChain), OnLinePassedChain,
// the decoder, OnSentenceDecoded, the block ends (SatelliteListener), OnSentenceHandled.
class LineListener {
  public:
    virtual ~LineListener() = default;
    // While any listener answers true, "$PRCR" lines are unwrapped (the text after the second
    // "$" becomes the line) before anyone sees them.
    [[nodiscard]] virtual bool UnwrapsPrcrLines() const { return false; }
    // Every complete line, before the line filter.
    virtual void OnLineReceived(std::string_view /*line*/) {}
    // A line past the filter that went through the whole sentence chain (not while the monitor
    // is paused, and not when a consumer ended the chain).
    virtual void OnLinePassedChain(std::string_view /*line*/) {}
    // Right after the decoder: every line past the filter with the kind it decoded to (None:
    // no valid sentence of a known kind).
    virtual void OnSentenceDecoded(SentenceKind /*kind*/, std::string_view /*line*/) {}
    // A sentence of a known kind, once the receive path has handled it (block ends, the
    // receiver's clock after GGA, the empty RMC, the kind flags).
    virtual void OnSentenceHandled(SentenceKind /*kind*/) {}
};

// What GSA and GSV blocks bring.
class SatelliteListener {
  public:
    virtual ~SatelliteListener() = default;
    // A GSA block ended: the satellite display list holds the block's used count.
    virtual void OnGsaBlockEnded() {}
    // A GSV block ended: the display list was rebuilt and the table marked consumed.
    virtual void OnSatellitesRebuilt() {}
    // A rebuilt display list is ready to be shown (at most every 400 ms, not while the monitor
    // is paused).
    virtual void OnSatellitesRefresh() {}
};

// What the receive path tells about the link as a whole.
class LinkListener {
  public:
    virtual ~LinkListener() = default;
    // The receive path recognised by itself what the link carries: NMEA sentences
    // (LinkState::Nmea; the one-second timer is running by then) or a SiRF binary stream.
    virtual void OnLinkRecognised(LinkState /*state*/) {}
    // The data lamp went on (data arrived) or off (two lamp ticks without data).
    virtual void OnDataLampChanged(bool /*lit*/) {}
    // Once per second while the link carries NMEA, after the link's supervision.
    // `recognisedThisSecond`: the supervision itself found NMEA in this tick.
    virtual void OnNmeaSecond(bool /*recognisedThisSecond*/) {}
    // The processing timers were stopped (PauseProcessing).
    virtual void OnProcessingPaused() {}
    // A consumer failed on a line with an exception; the pass ended after that line.
    virtual void OnConsumerError(std::string_view /*what*/) {}
    // While any listener answers true, a link not yet recognised is taken for SiRF binary at
    // the next second (a SiRF binary reply is awaited).
    [[nodiscard]] virtual bool ExpectsSirfBinary() const { return false; }
    // The switch from SiRF binary to NMEA was sent and 150 ms have passed.
    virtual void OnSwitchedToNmea() {}
};

// True for a type that implements at least one of the interfaces above.
template <typename T>
inline constexpr bool kIsReceiveListener =
    std::is_base_of_v<StreamListener, T> || std::is_base_of_v<FrameListener, T> ||
    std::is_base_of_v<LineListener, T> || std::is_base_of_v<SatelliteListener, T> ||
    std::is_base_of_v<LinkListener, T>;

}  // namespace gnss
