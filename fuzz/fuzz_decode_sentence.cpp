// Lines of arbitrary bytes through the NMEA decoder as the receive dispatch feeds them. The
// first byte picks the receiver family (low bits) and whether every line gets a correct
// checksum (high bit), so that mutated sentences still reach the parsers; the rest is split
// into lines at '\n'.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/receiver_family.h"
#include "nmea/nmea_checksum.h"
#include "nmea/nmea_decoder.h"
#include "nmea/receiver_state.h"
#include "nmea/sentence_kind.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace gnss;
    if (size == 0) return 0;
    ReceiverState state;
    const ReceiverFamily family =
        static_cast<ReceiverFamily>((data[0] & 0x7F) % kReceiverFamilyCount);
    const bool repairChecksums = (data[0] & 0x80) != 0;
    std::string repaired;
    NmeaDecoder decoder(state, family);
    SentenceKind prevKind = SentenceKind::None;

    std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    while (!input.empty()) {
        const std::size_t end = input.find('\n');
        std::string_view line = input.substr(0, end);
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (repairChecksums) {
            const std::size_t star = line.rfind('*');
            repaired.assign(star == std::string_view::npos ? line : line.substr(0, star));
            repaired += NmeaChecksumSuffix(repaired);
            line = repaired;
        }

        const SentenceKind kind = decoder.DecodeSentence(line, prevKind);
        Check(KindIndex(kind) < kSentenceKindCount);
        Check(KindIndex(ClassifyText(line)) < kSentenceKindCount);
        if (kind != SentenceKind::None) {
            decoder.CloseEndedBlocks(kind, prevKind);
            prevKind = kind;
        }
        // Now and then a forced rebuild, as after a monitor clear.
        if (line.size() % 7 == 3) decoder.RebuildSatDisplayList();

        const SatTable& table = decoder.Sats();
        Check(table.CollectionState <= kGsvSequenceError);
        Check(decoder.GsvInViewTotal() >= 0);
        Check(decoder.Gsa().UsedCount <= kMaxSatellites);
        Check(decoder.GsaUsedOffset() >= 0 && decoder.GsaUsedOffset() <= kMaxSatellites);
        Check(decoder.DisplayList().EntryCount <= kMaxSatellites);
        Check(decoder.Gga().Sentence.Length <= 100);
        Check(decoder.Gga().ModeText.Length <= 5);
    }
    return 0;
}
