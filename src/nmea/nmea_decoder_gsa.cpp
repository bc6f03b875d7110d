// GSA: the satellites used in the fix and the DOPs, one record per block of consecutive GSA
// sentences (one per constellation on multi-GNSS receivers).

#include <algorithm>
#include <array>

#include "nmea/nmea_decoder.h"
#include "nmea/sentence_fields.h"

namespace gnss {

namespace {

// Families whose continuation GSA sentences (the second and later of a block) list BeiDou
// satellites when the sentence carries no system id.
constexpr std::array kBeiDouContinuationFamilies = {
    ReceiverFamily::ublox,  ReceiverFamily::SimpleTec, ReceiverFamily::TTT,
    ReceiverFamily::RTK_DF, ReceiverFamily::TDK_DR,    ReceiverFamily::MXT,
};

struct SystemIdShift {
    char SystemId;
    int Add;
};
// NMEA 4.11 system ids moved into the program's numbering: Galileo, BeiDou, NavIC.
constexpr std::array<SystemIdShift, 3> kSystemIdShifts{{{'3', 300}, {'4', 200}, {'6', 400}}};

constexpr int kSatelliteFieldsPerGsa = 12;

int ShiftForSystemId(char systemId) {
    for (const auto& shift : kSystemIdShifts) {
        if (shift.SystemId == systemId) return shift.Add;
    }
    return 0;
}

float DopOrNotReported(const std::optional<double>& value) {
    return value ? static_cast<float>(*value) : ReceiverState::kDopNotReported;
}

}  // namespace

// $GNGSA,A,3,29,20,18,16,51,13,44,26,,,,,0.99,0.54,0.83,1*0E   (19 delimiters, system id 1)
// $GPGSA,A,3,05,02,26,27,09,04,15,,,,,,1.8,1.0,1.5*33           (18 delimiters)
void NmeaDecoder::DecodeGsa(const SentenceFields& fields, SentenceKind prevKind) {
    const int delimiters = fields.Delimiters();
    if (delimiters != 18 && delimiters != 19) return;
    gsaUsedOffset_ = 0;

    const SentenceKind kind = currentKind_;
    const ReceiverFamily family = family_;
    char systemId = 0;
    if (delimiters == 19) {
        const std::string_view id = Trim(fields.Field(19));
        if (!id.empty()) systemId = id.front();
    }
    const bool hasSystemId = systemId != 0;
    // With a system id the id alone says which constellation the sentence lists; the family
    // rules below are for receivers that do not send one.
    bool countsAsBeiDou = hasSystemId
                              ? systemId == '4'
                              : kind == SentenceKind::GbGsa && family == ReceiverFamily::ublox;

    gsaBlockCount_ = prevKind == SentenceKind::GnGsa ? gsaBlockCount_ + 1 : 1;

    if (!IsGsaKind(prevKind)) {
        gsa_ = {};
        gsa_.SelectionMode = fields.Letter(2);
        gsa_.FixMode = static_cast<uint8_t>(fields.IntOr(3, 0));
        const auto pdop = fields.Float(16);
        const auto hdop = fields.Float(17);
        const auto vdop = fields.Float(18);
        gsa_.Pdop = pdop.value_or(0.0);
        gsa_.Hdop = hdop.value_or(0.0);
        gsa_.Vdop = vdop.value_or(0.0);
        state_.FixMode = gsa_.FixMode;
        state_.FixValid = gsa_.FixMode > 1;
        state_.Pdop = DopOrNotReported(pdop);
        state_.Hdop = DopOrNotReported(hdop);
        state_.Vdop = DopOrNotReported(vdop);
    } else {
        gsaUsedOffset_ = gsa_.UsedCount;
        if (!hasSystemId &&
            std::find(kBeiDouContinuationFamilies.begin(), kBeiDouContinuationFamilies.end(),
                      family) != kBeiDouContinuationFamilies.end()) {
            countsAsBeiDou = true;
        }
    }
    gsa_.Sentence.Assign(fields.Line());

    const bool bdsNumbering = kind == SentenceKind::BdGsa && family != ReceiverFamily::Uni;
    const bool galileoNumbering =
        kind == SentenceKind::GaGsa || (kind == SentenceKind::GnGsa && gsaBlockCount_ == 3);
    for (int i = 1; i <= kSatelliteFieldsPerGsa; ++i) {
        const int position = gsaUsedOffset_ + i;  // 1-based place in the used list
        const auto parsed = fields.Int(i + 3);
        if (!parsed) {
            if (position <= kMaxSatellites) gsa_.UsedSatellites[position - 1] = 0;
            continue;
        }
        int64_t number = *parsed;
        if (hasSystemId) {
            number += ShiftForSystemId(systemId);
        } else {
            if (bdsNumbering && number < 100) number += 200;
            if (galileoNumbering && number <= 140) number += 300;
        }
        if (countsAsBeiDou && number < 100) number += 200;
        if (position > kMaxSatellites) continue;
        // A satellite the block already lists (some receivers repeat the $GPGSA satellites in
        // the $GNGSA that follows) counts once, like an empty field.
        const auto satellite = static_cast<int16_t>(number);
        const auto listed = gsa_.UsedSatellites.begin() + (position - 1);
        if (satellite != 0 && std::find(gsa_.UsedSatellites.begin(), listed, satellite) != listed) {
            gsa_.UsedSatellites[position - 1] = 0;
            continue;
        }
        gsa_.UsedSatellites[position - 1] = satellite;
        ++gsa_.UsedCount;
    }
    gsaUsedOffset_ = gsa_.UsedCount;
}

}  // namespace gnss
