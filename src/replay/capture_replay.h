#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/receiver_family.h"
#include "link/link_state.h"
#include "nmea/nmea_decoder.h"
#include "nmea/sentence_kind.h"

namespace gnss {

// How a capture is played back.
struct ReplayOptions {
    static constexpr uint32_t kDefaultBaudRate = 115200;
    // Slower rates are replayed at this one (it still brings at least a byte per tick).
    static constexpr uint32_t kMinBaudRate = 300;
    uint32_t BaudRate = kDefaultBaudRate;  // sets how many bytes arrive per processing tick
    ReceiverFamily Family = ReceiverFamily::Unknown;
    // A text log stored with LF line ends: a CR is put before every LF that has none, so its
    // lines end as a receiver ends them. Off by default, since only CR LF ends a line and
    // binary frames may hold LF bytes.
    bool LfLineEnds = false;
};

// What a whole replay saw.
struct ReplaySummary {
    uint64_t Bytes = 0;         // size of the stream replayed (after adding CRs, when asked)
    uint64_t BytesFed = 0;      // bytes that arrived at the port before the replay ended
    uint64_t BytesLeft = 0;     // bytes still in the receive buffer at the end (not processed)
    uint64_t Lines = 0;         // every CR LF-ended line cut from the stream
    uint64_t DecodedLines = 0;  // lines that passed the line filter and reached the decoder
    // Decoder lines of kind None, by reason. InvalidLines = BadChecksumLines + NotSentenceLines;
    // valid sentences of kinds the decoder does not read (ZDA, GST, TXT, vendor sentences) are
    // UnknownKindLines.
    uint64_t InvalidLines = 0;
    uint64_t BadChecksumLines = 0;  // "$...*hh" whose checksum does not match
    uint64_t NotSentenceLines = 0;  // no "$" start or no "*hh" end
    uint64_t UnknownKindLines = 0;  // a valid sentence of no decoded kind
    PerSentenceKind<uint64_t> LinesPerKind;
    uint64_t OverlongLines = 0;  // lines longer than 100 characters
    uint64_t SatelliteBlocks = 0;
    uint64_t RingOverruns = 0;
    uint64_t MissedEvents = 0;
    uint64_t ConsumerErrors = 0;
    uint64_t ReplayedMs = 0;  // virtual time from the start to the last processing tick
    LinkState FinalLinkState = LinkState::Closed;
    bool Disconnected = false;  // the receive path asked for a disconnect (ends the replay)
};

// Receives the events of a replay in stream order. Decoder references are valid only during
// the call.
class ReplayObserver {
  public:
    virtual ~ReplayObserver() = default;
    // A decoded line of a known kind; the decoder's record of that kind holds its fields.
    virtual void Sentence(uint64_t timeMs, SentenceKind kind, std::string_view line,
                          const NmeaDecoder& decoder) = 0;
    // A GSV block ended: the satellite table and the rebuilt display list.
    virtual void Satellites(uint64_t timeMs, const NmeaDecoder& decoder) = 0;
    // A question or message the receive path put to the user (answered "No").
    virtual void Prompt(uint64_t timeMs, std::string_view text) = 0;
    virtual void Summary(const ReplaySummary& summary) = 0;
};

// Bytes that a port at `baudRate` (8N1: baudRate / 10 bytes per second) has delivered after
// `ticks` processing ticks of 70 ms.
[[nodiscard]] uint64_t BytesDeliveredBy(uint64_t ticks, uint32_t baudRate);

// Plays `bytes` (a raw capture, a text log, any file) through the receive path exactly as a
// receiver would deliver it: the port is opened, the link starts as a fresh connect leaves it
// ("UNKNOW", processing timer running) and finds NMEA by itself; every 70 ms tick of virtual
// time the bytes the baud rate carries arrive. After the last byte, a link not yet found to
// carry NMEA gets one more second (its next detection check), and the complete lines still in
// the receive buffer get one more processing pass, as the next data of a live receiver would
// give them. A disconnect asked for by the receive path ends the replay at once. Returns the
// summary that was also handed to the observer.
ReplaySummary ReplayCapture(std::string_view bytes, const ReplayOptions& options,
                            ReplayObserver& observer);

// `bytes` with a CR put before every LF that is not already preceded by one.
[[nodiscard]] std::string AddCrBeforeLf(std::string_view bytes);

// The family whose display name is `name` ("unknow", "SiRF", "ublox", ...; case-insensitive,
// "unknown" accepted too); nothing when no family has that name.
[[nodiscard]] std::optional<ReceiverFamily> FamilyFromName(std::string_view name);

}  // namespace gnss
