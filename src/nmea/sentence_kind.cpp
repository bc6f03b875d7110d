#include "nmea/sentence_kind.h"

#include "nmea/nmea_checksum.h"

namespace gnss {

SentenceKind ClassifyText(std::string_view text) {
    SentenceKindMatcher matcher;
    for (std::size_t pos = 0; pos < text.size() && !matcher.Settled(); ++pos) {
        matcher.Step(text, pos);
    }
    return matcher.Kind();
}

SentenceKind ClassifySentence(std::string_view line) {
    return IsValidSentence(line) ? ClassifyText(line) : SentenceKind::None;
}

}  // namespace gnss
