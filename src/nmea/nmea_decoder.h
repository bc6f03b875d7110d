#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "base/receiver_family.h"
#include "nmea/nmea_records.h"
#include "nmea/receiver_state.h"
#include "nmea/sat_display_list.h"
#include "nmea/sentence_decoder.h"
#include "nmea/sentence_kind.h"

namespace gnss {

class SentenceFields;

// The one NMEA decoder of the program. Classifies each received line, parses the standard
// position, fix, satellite and velocity sentences into records that always hold the last
// sentence of their kind, assembles the satellite table from the GSV groups of several
// constellations, and writes the receiver-state values that come straight from sentences.
//
// Per line the dispatch calls, in this order:
//     kind = decoder.DecodeSentence(line, prevKind);
//     if (kind != SentenceKind::None) {
//         ends = decoder.CloseEndedBlocks(kind, prevKind);
//         prevKind = kind;
//     }
// Decoding allocates nothing (a station-id field longer than a short string's inline capacity
// aside).
class NmeaDecoder final : public SentenceDecoder {
  public:
    // The decoder writes `state` and reads the receiver family through `family` (which must
    // outlive it, e.g. the family field of the shared state).
    NmeaDecoder(ReceiverState& state, const ReceiverFamily& family);

    // Classifies `line` (None unless it is a valid sentence), updates the talker flags, sets
    // CurrentKind and parses the line into its record. `prevKind` is the kind of the previous
    // decoded line, owned by the dispatch.
    SentenceKind DecodeSentence(std::string_view line, SentenceKind prevKind) override;

    // Zeroes every record, the satellite table and display list and the block counters, and
    // sets the receiver state's DOPs to "not reported". The talker flags stay.
    void ResetDecoder();
    // Clears BdsGsvSeen and GalileoGsvSeen (done when connecting).
    void ClearTalkerFlags();

    // The block ends that a decoded line of `kind` closes, when the previous decoded line was
    // `prevKind`: the end of a GSA block copies the used count into the display list; the end
    // of a GSV block rebuilds the display list and marks the table consumed (after which the
    // satellite views may be refreshed). A GSV block followed by a GSA block ends with that
    // GSA block, so that its used satellites are marked (when a GSV line ends that GSA block,
    // both ends were done before that line was decoded and are reported here).
    BlockEnds CloseEndedBlocks(SentenceKind kind, SentenceKind prevKind) override;
    // The display list's used count = the GSA record's used count.
    void EndGsaBlock();
    // Display list from the satellite table and the GSA used list; resets the GSA used count.
    void RebuildSatDisplayList();

    [[nodiscard]] const GgaRecord& Gga() const { return gga_; }
    [[nodiscard]] const RmcRecord& Rmc() const { return rmc_; }
    [[nodiscard]] const GllRecord& Gll() const { return gll_; }
    [[nodiscard]] const VtgRecord& Vtg() const { return vtg_; }
    [[nodiscard]] const GsaRecord& Gsa() const { return gsa_; }
    [[nodiscard]] const MssRecord& Mss() const { return mss_; }
    [[nodiscard]] const SatTable& Sats() const { return satTable_; }
    [[nodiscard]] const SatDisplayList& DisplayList() const { return displayList_; }
    // The dispatch marks a finished block as consumed (state 3) through this.
    void SetGsvCollectionState(uint8_t state) { satTable_.CollectionState = state; }
    // Forgets the used count (also done by every rebuild of the display list).
    void ResetGsaUsedCount() { gsa_.UsedCount = 0; }

    [[nodiscard]] SentenceKind CurrentKind() const { return currentKind_; }
    [[nodiscard]] int32_t GsvInViewTotal() const { return gsvInViewTotal_; }
    [[nodiscard]] char GsvSkipTalker() const { return gsvSkipTalker_; }  // '\0' when none
    [[nodiscard]] int GsaBlockCount() const { return gsaBlockCount_; }
    [[nodiscard]] int GsaUsedOffset() const { return gsaUsedOffset_; }
    [[nodiscard]] bool BdsGsvSeen() const { return bdsGsvSeen_; }
    [[nodiscard]] bool GalileoGsvSeen() const { return galileoGsvSeen_; }

  private:
    // Decodes a valid sentence of `kind` (None: nothing to decode).
    SentenceKind DecodeValid(SentenceKind kind, const SentenceFields& fields,
                             SentenceKind prevKind);
    void DecodeGga(const SentenceFields& fields);
    void DecodeRmc(const SentenceFields& fields);
    void DecodeGll(const SentenceFields& fields);
    void DecodeVtg(const SentenceFields& fields);
    void DecodeGsa(const SentenceFields& fields, SentenceKind prevKind);
    void DecodeGsv(const SentenceFields& fields, SentenceKind prevKind);
    void EmptySatTable();
    // A GSV block has satellites whose display list is not yet built.
    [[nodiscard]] bool GsvBlockPending() const;
    // Index of satellite `number` among the entries stored in this block; -1 when not there.
    [[nodiscard]] int FindStored(int16_t number) const;
    // A satellite of a merged group: a further signal of a stored satellite, or a new entry.
    void MergeSatellite(const SatEntry& seen, bool secondSignal);

    ReceiverState& state_;
    const ReceiverFamily& family_;

    GgaRecord gga_;
    RmcRecord rmc_;
    GllRecord gll_;
    VtgRecord vtg_;
    GsaRecord gsa_;
    MssRecord mss_;
    SatTable satTable_;
    SatDisplayList displayList_;
    // Entries that so far came only from a second-signal group (their Cno is that signal's).
    std::array<bool, kMaxSatellites> secondSignalOnly_{};

    SentenceKind currentKind_ = SentenceKind::None;
    int32_t gsvInViewTotal_ = 0;
    char gsvSkipTalker_ = 0;
    bool gsvGroupMerges_ = false;  // the group being collected is merged satellite by satellite
    int gsvGroupRepeats_ = 0;      // satellites of that group merged into stored entries
    int gsvStored_ = 0;            // table entries written in this block
    bool blocksEndedBeforeLine_ = false;  // the GSA and GSV blocks ended before decoding a GSV
    int gsaBlockCount_ = 0;
    int gsaUsedOffset_ = 0;
    bool bdsGsvSeen_ = false;
    bool galileoGsvSeen_ = false;
};

}  // namespace gnss
