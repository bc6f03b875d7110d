#include "nmea/nmea_decoder.h"

#include <cmath>

#include "nmea/nmea_checksum.h"
#include "nmea/sentence_fields.h"

namespace gnss {

namespace {

constexpr std::string_view kGnsModeLetters = "ADPRFEMS";

// ddmm.mmmm / dddmm.mmmm to degrees.
double DegreesFromNmea(double value) {
    const double degrees = std::trunc(value / 100.0);
    return degrees + (value - 100.0 * degrees) / 60.0;
}

// Signed degrees: positive only when the letter is `positiveLetter`; 0 when the number does
// not parse.
double SignedDegrees(const SentenceFields& fields, int valueField, char positiveLetter) {
    const auto value = fields.Float(valueField);
    if (!value) return 0.0;
    const double degrees = DegreesFromNmea(*value);
    const std::string_view letter = fields.Field(valueField + 1);
    const bool positive = letter.size() == 1 && letter[0] == positiveLetter;
    return positive || degrees == 0.0 ? degrees : -degrees;
}

// hhmmss.sss: characters 1-2 hour, 3-4 minute, the rest seconds; all 0 unless every part parses.
TimeOfFix ParseTimeOfFix(std::string_view field) {
    if (field.size() < 5) return {};
    const auto hour = TryParseInt(field.substr(0, 2));
    const auto minute = TryParseInt(field.substr(2, 2));
    const auto second = TryParseFloat(field.substr(4));
    if (!hour || !minute || !second) return {};
    return TimeOfFix{static_cast<uint8_t>(*hour), static_cast<uint8_t>(*minute), *second};
}

// ddmmyy; only a field of exactly 6 characters, all three parts parsing.
NmeaDate ParseDate(std::string_view field) {
    if (field.size() != 6) return {};
    const auto day = TryParseInt(field.substr(0, 2));
    const auto month = TryParseInt(field.substr(2, 2));
    const auto year = TryParseInt(field.substr(4, 2));
    if (!day || !month || !year) return {};
    return NmeaDate{static_cast<int16_t>(*year), static_cast<uint8_t>(*month),
                    static_cast<uint8_t>(*day)};
}

// The mode or status letter of a one-letter field; ' ' when the field is absent from the form.
char LetterOfForm(const SentenceFields& fields, int field, bool formHasIt) {
    return formHasIt ? fields.Letter(field) : ' ';
}

bool StatusMeansFix(char status) {
    return status == 'A' || status == 'D';
}

}  // namespace

NmeaDecoder::NmeaDecoder(ReceiverState& state, const ReceiverFamily& family)
    : state_(state), family_(family) {}

SentenceKind NmeaDecoder::DecodeSentence(std::string_view line, SentenceKind prevKind) {
    const std::size_t size = line.size();
    if (size < 4) return SentenceKind::None;
    if (line[0] != '$') {
        // The one kind of line that is valid without a checksum.
        if (!line.starts_with("@@Eq")) return SentenceKind::None;
        return DecodeValid(ClassifyText(line), SentenceFields(line), prevKind);
    }
    if (line[size - 3] != '*') return SentenceKind::None;
    // One pass over the line splits it, checksums it and finds its kind.
    LineDigest digest;
    const SentenceFields fields(line, digest);
    // The checksum covers the bytes between "$" and "*".
    const auto sum = static_cast<uint8_t>(digest.Xor ^ line[0] ^ line[size - 3] ^ line[size - 2] ^
                                          line[size - 1]);
    if (!ChecksumDigitsMatch(line, sum)) return SentenceKind::None;
    return DecodeValid(digest.Kind.Kind(), fields, prevKind);
}

SentenceKind NmeaDecoder::DecodeValid(SentenceKind kind, const SentenceFields& fields,
                                      SentenceKind prevKind) {
    if (kind == SentenceKind::None) return SentenceKind::None;
    const std::string_view line = fields.Line();
    // The satellites of a GSV block followed by a GSA block wait for that block's end (see
    // CloseEndedBlocks). When the next GSV block follows right away, both blocks end here,
    // before its first group replaces the table.
    if (IsGsvKind(kind) && IsGsaKind(prevKind) && GsvBlockPending()) {
        EndGsaBlock();
        RebuildSatDisplayList();
        satTable_.CollectionState = kGsvBlockComplete;
        blocksEndedBeforeLine_ = true;
    }

    if ((kind == SentenceKind::BdGsv || kind == SentenceKind::GbGsv) && !bdsGsvSeen_)
        bdsGsvSeen_ = true;
    if (kind == SentenceKind::GnGsv && bdsGsvSeen_) bdsGsvSeen_ = false;
    if (kind == SentenceKind::GaGsv) galileoGsvSeen_ = true;
    currentKind_ = kind;

    switch (kind) {
        case SentenceKind::Gga:
        case SentenceKind::Gns:
            DecodeGga(fields);
            break;
        case SentenceKind::Rmc:
            DecodeRmc(fields);
            break;
        case SentenceKind::Gll:
            DecodeGll(fields);
            break;
        case SentenceKind::Vtg:
            DecodeVtg(fields);
            break;
        case SentenceKind::Mss:
            mss_.Sentence.Assign(line);
            break;
        default:
            if (IsGsaKind(kind)) DecodeGsa(fields, prevKind);
            if (IsGsvKind(kind)) DecodeGsv(fields, prevKind);
            break;
    }
    return kind;
}

// $GPGGA,223745.00,3806.62964,N,12237.61382,W,2,12,0.54,83.1,M,-29.5,M,,0000*44  (15 delimiters)
// $GNGNS,015110.00,3854.99947,N,07705.75654,W,AAN,12,0.81,80.3,-34.8,,*54        (13 delimiters)
// $GNGNS,120213.000,5957.0062,N,01100.6429,E,NDD,11,1.3,168.9,39.5,,,V*57      (14 delimiters)
void NmeaDecoder::DecodeGga(const SentenceFields& fields) {
    gga_ = {};
    gga_.Sentence.Assign(fields.Line());
    // Whatever the form, this is the second of the last GGA.
    state_.LastGgaSecond = state_.SecondsCounter;

    // The form follows from the delimiter count, whichever of GGA and GNS matched. NMEA 4.10
    // adds the navigational status after the station id of GNS (14 delimiters); a GGA of that
    // count is no known form.
    const int delimiters = fields.Delimiters();
    if (delimiters == 13 || (delimiters == 14 && currentKind_ == SentenceKind::Gns)) {
        gga_.IsGns = true;
    } else if (delimiters != 15) {
        return;
    }
    const bool ggaForm = !gga_.IsGns;

    gga_.Time = ParseTimeOfFix(fields.Field(2));
    gga_.Latitude = SignedDegrees(fields, 3, 'N');
    gga_.LatitudeLetter = fields.Letter(4);
    gga_.Longitude = SignedDegrees(fields, 5, 'E');
    gga_.LongitudeLetter = fields.Letter(6);

    if (gga_.IsGns) {
        const std::string_view mode = Trim(fields.Field(7));
        gga_.ModeText.Assign(mode.substr(0, 5));
        for (char letter : mode) {
            const std::size_t pos = kGnsModeLetters.find(letter);
            if (pos != std::string_view::npos) {
                gga_.FixQuality = static_cast<uint8_t>(pos + 1);
                break;
            }
        }
    } else {
        const std::string_view quality = fields.Field(7);
        const auto value = quality.size() == 1 ? TryParseInt(quality) : std::nullopt;
        if (value) {
            gga_.FixQuality = static_cast<uint8_t>(*value);
            state_.FixQuality = gga_.FixQuality;
            state_.DrFix = gga_.FixQuality == 6;
            gga_.QualityReported = true;
        }
    }

    gga_.SatellitesUsed = static_cast<uint8_t>(fields.IntOr(8, 0));
    const auto hdop = fields.Float(9);
    gga_.Hdop = hdop.value_or(0.0);
    state_.Hdop = hdop ? static_cast<float>(*hdop) : ReceiverState::kDopNotReported;
    gga_.Altitude = fields.FloatOr(10, 0.0);

    if (ggaForm) {
        gga_.GeoidSeparation = fields.FloatOr(12, 0.0);
        gga_.DifferentialAge = fields.FloatOr(14, 0.0);
        const std::string_view station = fields.Field(15);
        const auto id = TryParseInt(station);
        gga_.StationId = id ? static_cast<int16_t>(*id) : int16_t{-1};
        state_.DgpsStationText.assign(station);
    } else {
        gga_.GeoidSeparation = fields.FloatOr(11, 0.0);
    }
}

// $GNRMC,223745.00,A,3806.62964,N,12237.61382,W,0.040,,110720,,,D,V*0E
void NmeaDecoder::DecodeRmc(const SentenceFields& fields) {
    rmc_ = {};
    rmc_.Sentence.Assign(fields.Line());
    const int delimiters = fields.Delimiters();
    if (delimiters < 12 || delimiters > 14) return;

    rmc_.Time = ParseTimeOfFix(fields.Field(2));
    rmc_.Status = fields.Letter(3);
    state_.FixValid = fields.Field(3).size() == 1 && StatusMeansFix(rmc_.Status);
    rmc_.Latitude = SignedDegrees(fields, 4, 'N');
    rmc_.LatitudeLetter = fields.Letter(5);
    rmc_.Longitude = SignedDegrees(fields, 6, 'E');
    rmc_.LongitudeLetter = fields.Letter(7);
    rmc_.SpeedKnots = fields.FloatOr(8, 0.0);
    rmc_.CourseDeg = fields.FloatOr(9, kCourseNotReported);
    rmc_.Date = ParseDate(fields.Field(10));
    rmc_.MagneticVariation = fields.FloatOr(11, 0.0);
    rmc_.MagneticVariationLetter = fields.Letter(12);
    rmc_.ModeLetter = LetterOfForm(fields, 13, delimiters == 13);
}

// $GPGLL,4916.45,N,12311.12,W,225444,A,A*5C
void NmeaDecoder::DecodeGll(const SentenceFields& fields) {
    gll_ = {};
    gll_.Sentence.Assign(fields.Line());
    const int delimiters = fields.Delimiters();
    if (delimiters != 7 && delimiters != 8) return;

    gll_.Latitude = SignedDegrees(fields, 2, 'N');
    gll_.LatitudeLetter = fields.Letter(3);
    gll_.Longitude = SignedDegrees(fields, 4, 'E');
    gll_.LongitudeLetter = fields.Letter(5);
    gll_.Time = ParseTimeOfFix(fields.Field(6));
    gll_.Status = LetterOfForm(fields, 7, delimiters == 8);
    // An empty (or longer) status field leaves the fix flag as it is.
    if (delimiters == 8 && fields.Field(7).size() == 1) {
        state_.FixValid = StatusMeansFix(gll_.Status);
    }
}

// $GNVTG,,T,,M,0.040,N,0.075,K,D*3E
void NmeaDecoder::DecodeVtg(const SentenceFields& fields) {
    vtg_ = {};
    vtg_.Sentence.Assign(fields.Line());
    const int delimiters = fields.Delimiters();
    if (delimiters != 9 && delimiters != 10) return;

    vtg_.CourseTrueDeg = fields.FloatOr(2, kCourseNotReported);
    vtg_.CourseMagneticDeg = fields.FloatOr(4, 0.0);
    vtg_.SpeedKnots = fields.FloatOr(6, 0.0);
    vtg_.SpeedKmh = fields.FloatOr(8, 0.0);
    vtg_.ModeLetter = LetterOfForm(fields, 10, delimiters == 10);
}

void NmeaDecoder::ResetDecoder() {
    gga_ = {};
    rmc_ = {};
    gll_ = {};
    vtg_ = {};
    gsa_ = {};
    mss_ = {};
    EmptySatTable();
    gsvGroupMerges_ = false;
    gsvGroupRepeats_ = 0;
    blocksEndedBeforeLine_ = false;
    displayList_ = {};
    currentKind_ = SentenceKind::None;
    gsvInViewTotal_ = 0;
    gsvSkipTalker_ = 0;
    gsaBlockCount_ = 0;
    gsaUsedOffset_ = 0;
    state_.Pdop = ReceiverState::kDopNotReported;
    state_.Hdop = ReceiverState::kDopNotReported;
    state_.Vdop = ReceiverState::kDopNotReported;
}

void NmeaDecoder::ClearTalkerFlags() {
    bdsGsvSeen_ = false;
    galileoGsvSeen_ = false;
}

BlockEnds NmeaDecoder::CloseEndedBlocks(SentenceKind kind, SentenceKind prevKind) {
    BlockEnds ends;
    if (kind == SentenceKind::None) return ends;
    if (blocksEndedBeforeLine_) {
        blocksEndedBeforeLine_ = false;
        ends.GsaBlockEnded = true;
        ends.SatellitesRebuilt = true;
        return ends;
    }
    if (!IsGsaKind(kind) && IsGsaKind(prevKind)) {
        EndGsaBlock();
        ends.GsaBlockEnded = true;
    }
    // A GSA block right after the satellites (some receivers send GSV before GSA) tells which
    // of them are used: the display list waits for that block's end.
    if (!IsGsvKind(kind) && !IsGsaKind(kind) && GsvBlockPending()) {
        RebuildSatDisplayList();
        satTable_.CollectionState = kGsvBlockComplete;
        ends.SatellitesRebuilt = true;
    }
    return ends;
}

bool NmeaDecoder::GsvBlockPending() const {
    return satTable_.CollectionState == kGsvGroupInProgress ||
           satTable_.CollectionState == kGsvGroupComplete;
}

void NmeaDecoder::EndGsaBlock() {
    displayList_.UsedCount = gsa_.UsedCount;
}

void NmeaDecoder::RebuildSatDisplayList() {
    BuildSatDisplayList(displayList_, satTable_, gsa_, gsa_.UsedCount);
    gsa_.UsedCount = 0;
}

}  // namespace gnss
