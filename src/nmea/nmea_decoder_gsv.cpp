// GSV: the satellites in view. The groups of every constellation that arrive back to back form
// one block, gathered into one table.

#include <algorithm>
#include <array>

#include "nmea/nmea_decoder.h"
#include "nmea/sentence_fields.h"

namespace gnss {

namespace {

struct GsvTalkerRule {
    SentenceKind Kind;
    int Shift;             // added to satellite numbers below 100
    bool UniKeepsNumbers;  // receivers of family Uni already send shifted numbers
    // One-character signal ids (last field in NMEA 4.10+) that describe a second signal of
    // satellites already listed by the primary group of the same constellation.
    std::string_view SecondSignalIds;
};

// GPS, GLONASS, BeiDou, QZSS and NavIC report their primary signal as 1 (0: no signal
// information). Galileo's primary signals are E1-A (6) and E1-BC (7).
constexpr std::string_view kSecondSignalIds = "23456789ABCDEF";
constexpr std::string_view kGalileoSecondSignalIds = "1234589ABCDEF";

constexpr std::array<GsvTalkerRule, 8> kGsvTalkerRules{{
    {SentenceKind::GnGsv, 0, false, kSecondSignalIds},
    {SentenceKind::QzGsv, 0, false, kSecondSignalIds},
    {SentenceKind::GpGsv, 0, false, kSecondSignalIds},
    {SentenceKind::GlGsv, 0, false, kSecondSignalIds},
    {SentenceKind::BdGsv, 200, true, kSecondSignalIds},
    {SentenceKind::GbGsv, 200, false, kSecondSignalIds},
    {SentenceKind::GaGsv, 300, false, kGalileoSecondSignalIds},
    {SentenceKind::GiGsv, 400, false, kSecondSignalIds},
}};

const GsvTalkerRule& RuleFor(SentenceKind kind) {
    return kGsvTalkerRules[KindIndex(kind) - KindIndex(SentenceKind::GnGsv)];
}

// Keeps the running count of a block far away from overflow whatever the sentences claim.
constexpr int64_t kInViewLimit = 1'000'000;

}  // namespace

void NmeaDecoder::EmptySatTable() {
    satTable_ = {};
    secondSignalOnly_.fill(false);
    gsvStored_ = 0;
}

int NmeaDecoder::FindStored(int16_t number) const {
    for (int k = 0; k < gsvStored_; ++k) {
        if (satTable_.Entries[static_cast<std::size_t>(k)].Number == number) return k;
    }
    return -1;
}

void NmeaDecoder::MergeSatellite(const SatEntry& seen, bool secondSignal) {
    const int k = FindStored(seen.Number);
    if (k < 0) {
        // Reported only by this signal (a B1C- or E5a-only satellite): a new entry with the
        // C/No it has. A merged group counts its new satellites itself; a sentence inside an
        // ordinary group is counted by that group's in-view number.
        if (gsvStored_ < kMaxSatellites) {
            satTable_.Entries[static_cast<std::size_t>(gsvStored_)] = seen;
            secondSignalOnly_[static_cast<std::size_t>(gsvStored_)] = secondSignal;
            ++gsvStored_;
        }
        if (gsvGroupMerges_) {
            gsvInViewTotal_ = std::min(gsvInViewTotal_ + 1, static_cast<int32_t>(kInViewLimit));
        }
        return;
    }
    ++gsvGroupRepeats_;
    SatEntry& entry = satTable_.Entries[static_cast<std::size_t>(k)];
    if (!secondSignal && secondSignalOnly_[static_cast<std::size_t>(k)]) {
        // The primary signal of a satellite first seen by its second one.
        const int8_t second = entry.Cno;
        entry = seen;
        entry.SecondCno = second;
        secondSignalOnly_[static_cast<std::size_t>(k)] = false;
        return;
    }
    entry.SecondCno = seen.Cno;
}

// $GPGSV,4,1,16,05,01,047,,10,29,224,,13,22,062,23,15,40,094,,1*65
// fields: total messages, message number, satellites in view, then per satellite number,
// elevation, azimuth, C/No; NMEA 4.10 adds a signal id before the checksum.
void NmeaDecoder::DecodeGsv(const SentenceFields& fields, SentenceKind prevKind) {
    const int delimiters = fields.Delimiters();
    if (delimiters < 4) return;
    const GsvTalkerRule& rule = RuleFor(currentKind_);

    bool secondSignal = false;
    if (delimiters % 4 == 1) {
        const std::string_view signalId = fields.Field(delimiters);
        secondSignal = signalId.size() == 1 &&
                       rule.SecondSignalIds.find(signalId[0]) != std::string_view::npos;
    }

    const auto total = fields.Int(2);
    const auto message = fields.Int(3);
    if (!total || !message || *total < 1 || *message < 1) return;
    // A negative count is no count.
    const int64_t inView = std::clamp<int64_t>(fields.IntOr(4, 0), 0, kInViewLimit);
    const std::string_view line = fields.Line();
    const char talker = line.size() > 2 ? line[2] : '\0';
    const bool prevWasGsv = IsGsvKind(prevKind);

    // Joined in the middle of a group: skip that talker until the next block.
    if (!prevWasGsv && *message != 1) {
        gsvSkipTalker_ = talker;
        EmptySatTable();
        gsvInViewTotal_ = 0;
        return;
    }
    if (prevWasGsv && gsvSkipTalker_ != '\0' && talker == gsvSkipTalker_) return;

    if (*message == 1) {
        if (gsvSkipTalker_ != '\0' || !prevWasGsv) {
            EmptySatTable();
            gsvSkipTalker_ = '\0';
            gsvInViewTotal_ = 0;
            satTable_.InView = static_cast<int32_t>(inView);
        } else if (satTable_.CollectionState == kGsvGroupComplete) {
            // Another constellation's group inside the same block: append.
            satTable_.CollectionState = kGsvEmpty;
        }
    } else {
        if (*message != static_cast<int64_t>(satTable_.MessageNumber) + 1) {
            satTable_.CollectionState = kGsvSequenceError;
            return;
        }
        // Nothing to continue: the group's start was missed or is out of sequence.
        if (satTable_.CollectionState == kGsvEmpty ||
            satTable_.CollectionState == kGsvSequenceError) {
            return;
        }
    }

    if (inView == 0) {
        satTable_.CollectionState = kGsvGroupComplete;
        return;
    }
    satTable_.TotalMessages = *total;
    satTable_.MessageNumber = *message;
    satTable_.TalkerLetter = talker;

    const int64_t count =
        *message == *total ? inView - 4 * (static_cast<int64_t>(*message) - 1) : 4;
    const bool uniKeeps = rule.UniKeepsNumbers && family_ == ReceiverFamily::Uni;
    const auto satelliteNumber = [&](int64_t j) {
        int64_t number = fields.IntOr(4 * j + 1, 0);
        if (number < 100 && !uniKeeps) number += rule.Shift;
        return static_cast<int16_t>(number);
    };
    const auto satellite = [&](int64_t j) {
        const int64_t field = 4 * j + 1;
        return SatEntry{satelliteNumber(j), static_cast<int8_t>(fields.IntOr(field + 1, 0)),
                        static_cast<int16_t>(fields.IntOr(field + 2, 0)),
                        static_cast<int8_t>(fields.IntOr(field + 3, 0)), 0};
    };

    // A group that lists satellites already collected in this block (u-blox F9 repeats each
    // BeiDou group with an empty signal id), and any sentence of a second signal (some receivers
    // end a group with one), describe further signals of satellites: they are merged satellite
    // by satellite, so that no satellite appears twice in a block. Whether a group repeats is
    // seen in its first sentence.
    if (*message == 1) {
        gsvGroupRepeats_ = 0;
        gsvGroupMerges_ = secondSignal;
        for (int64_t j = 1; j <= std::min<int64_t>(count, 4) && !gsvGroupMerges_; ++j) {
            gsvGroupMerges_ = gsvStored_ > 0 && FindStored(satelliteNumber(j)) >= 0;
        }
    }
    if (gsvGroupMerges_ || secondSignal) {
        // Only the satellites the sentence holds: four fields each, before the signal id.
        for (int64_t j = 1; j <= 4 && 4 * j + 4 <= delimiters; ++j) {
            if (fields.Field(4 * j + 1).empty()) continue;  // padding of the last sentence
            MergeSatellite(satellite(j), secondSignal);
        }
    } else {
        const int64_t before = gsvInViewTotal_ + 4 * (static_cast<int64_t>(*message) - 1);
        // A sentence may hold fewer satellites than its place in the group says (some send
        // three in a middle sentence): only the fields it has are read, never its checksum.
        for (int64_t j = 1; j <= count && 4 * j + 1 <= delimiters; ++j) {
            const int64_t place = before + j;
            // Beyond the table: the rest of this sentence is dropped, but the group still ends
            // normally, so that a later constellation's satellites already stored stay counted.
            if (place > kMaxSatellites) break;
            satTable_.Entries[static_cast<std::size_t>(place - 1)] = satellite(j);
            secondSignalOnly_[static_cast<std::size_t>(place - 1)] = false;
            gsvStored_ = std::max(gsvStored_, static_cast<int>(place));
        }
    }

    if (*message == *total) {
        if (!gsvGroupMerges_) {
            // The group's in-view number counts its second-signal sentences' satellites too.
            const int64_t added = std::max<int64_t>(inView - gsvGroupRepeats_, 0);
            gsvInViewTotal_ = static_cast<int32_t>(std::min(gsvInViewTotal_ + added, kInViewLimit));
        }
        satTable_.InView = gsvInViewTotal_;
        satTable_.CollectionState = kGsvGroupComplete;
    } else {
        satTable_.CollectionState = kGsvGroupInProgress;
    }
}

}  // namespace gnss
