#pragma once

#include <string_view>

#include "nmea/sentence_kind.h"

namespace gnss {

// The blocks that a decoded line closed besides itself.
struct BlockEnds {
    bool GsaBlockEnded = false;      // the display list holds the GSA block's used count
    bool SatellitesRebuilt = false;  // a GSV block ended: display list rebuilt, table consumed
};

// How the receive path decodes the lines that pass its line filter. The program has one
// implementation, NmeaDecoder; tests may plug in their own.
class SentenceDecoder {
  public:
    virtual ~SentenceDecoder() = default;
    // Classifies and parses a line; `previous` is the kind of the previously decoded line.
    virtual SentenceKind DecodeSentence(std::string_view line, SentenceKind previous) = 0;
    // The block ends that a line of the known `kind` brings when the previous decoded line was
    // of kind `previous`.
    virtual BlockEnds CloseEndedBlocks(SentenceKind kind, SentenceKind previous) = 0;
};

}  // namespace gnss
