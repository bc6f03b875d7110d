#pragma once

#include <string>
#include <string_view>

#include "base/receiver_family.h"
#include "nmea/nmea_checksum.h"
#include "nmea/nmea_decoder.h"
#include "nmea/receiver_state.h"

namespace gnss::testing {

// "$GPGGA,..." without checksum -> the same with "*hh" appended.
inline std::string WithChecksum(std::string_view body) {
    return std::string(body) + NmeaChecksumSuffix(body);
}

// A decoder wired as the receive dispatch wires it: PrevKind follows the known kinds and the
// block ends are closed after each decoded line.
struct DecoderHarness {
    ReceiverState State;
    ReceiverFamily Family = ReceiverFamily::Unknown;
    NmeaDecoder Decoder{State, Family};
    SentenceKind PrevKind = SentenceKind::None;

    // Decodes a sentence given without its checksum.
    SentenceKind Feed(std::string_view body) { return FeedLine(WithChecksum(body)); }
    // Decodes a line exactly as given.
    SentenceKind FeedLine(std::string_view line) {
        const SentenceKind kind = Decoder.DecodeSentence(line, PrevKind);
        if (kind != SentenceKind::None) {
            Decoder.CloseEndedBlocks(kind, PrevKind);
            PrevKind = kind;
        }
        return kind;
    }
};

}  // namespace gnss::testing
