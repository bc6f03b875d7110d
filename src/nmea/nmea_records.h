#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace gnss {

// Entries of the satellite table and positions of the used-satellite list.
inline constexpr int kMaxSatellites = 44;

// Up to N bytes of text kept inline, so that storing a sentence never allocates.
template <std::size_t N>
struct InlineText {
    std::array<char, N> Bytes{};
    uint8_t Length = 0;

    static_assert(N <= 255);

    void Assign(std::string_view text) {
        Length = static_cast<uint8_t>(std::min(text.size(), N));
        std::copy_n(text.data(), Length, Bytes.data());
    }
    [[nodiscard]] std::string_view View() const { return {Bytes.data(), Length}; }
};

// Copy of the sentence a record was parsed from (its first 100 characters).
using SentenceCopy = InlineText<100>;

// hhmmss.sss; all three 0 when any part did not parse.
struct TimeOfFix {
    uint8_t Hour = 0;
    uint8_t Minute = 0;
    double Second = 0.0;
};

// ddmmyy with the two-digit year as sent.
struct NmeaDate {
    int16_t Year = 0;
    uint8_t Month = 0;
    uint8_t Day = 0;
};

// GGA, and GNS which shares it. Latitudes are signed degrees: positive only for "N"
// (longitudes only for "E"). A letter that was not sent is '\0'.
struct GgaRecord {
    TimeOfFix Time;
    double Latitude = 0.0;
    char LatitudeLetter = 0;
    double Longitude = 0.0;
    char LongitudeLetter = 0;
    uint8_t FixQuality = 0;  // GGA field 7; for GNS the position of the mode in "ADPRFEMS"
    InlineText<5> ModeText;  // GNS only, blanks trimmed
    uint8_t SatellitesUsed = 0;
    double Hdop = 0.0;
    double Altitude = 0.0;  // above mean sea level, metres
    double GeoidSeparation = 0.0;
    double DifferentialAge = 0.0;  // seconds
    int16_t StationId = 0;         // -1 when empty or not a number
    bool IsGns = false;
    // The GGA form's quality field was one digit and went into the receiver state (FixQuality,
    // DrFix); the fix-source displays follow the quality only then.
    bool QualityReported = false;
    SentenceCopy Sentence;
};

inline constexpr double kCourseNotReported = 10000.0;

struct RmcRecord {
    TimeOfFix Time;
    char Status = 0;
    double Latitude = 0.0;
    char LatitudeLetter = 0;
    double Longitude = 0.0;
    char LongitudeLetter = 0;
    double SpeedKnots = 0.0;
    double CourseDeg = 0.0;  // kCourseNotReported when empty or not a number
    NmeaDate Date;
    double MagneticVariation = 0.0;
    char MagneticVariationLetter = 0;
    char ModeLetter = 0;  // ' ' unless the sentence is of the 13-delimiter form
    SentenceCopy Sentence;
};

struct GllRecord {
    double Latitude = 0.0;
    char LatitudeLetter = 0;
    double Longitude = 0.0;
    char LongitudeLetter = 0;
    TimeOfFix Time;
    char Status = 0;  // ' ' unless the sentence is of the 8-delimiter form
    SentenceCopy Sentence;
};

struct VtgRecord {
    double CourseTrueDeg = 0.0;  // kCourseNotReported when empty
    double CourseMagneticDeg = 0.0;
    double SpeedKnots = 0.0;
    double SpeedKmh = 0.0;
    char ModeLetter = 0;  // ' ' unless the sentence is of the 10-delimiter form
    SentenceCopy Sentence;
};

// One record per GSA block (the consecutive GSA sentences of an epoch).
struct GsaRecord {
    char SelectionMode = 0;  // 'M' or 'A'
    uint8_t FixMode = 0;     // 1 no fix, 2 2D, 3 3D
    uint8_t UsedCount = 0;
    // Position i (from 0) holds the (i+1)-th satellite field of the block, in the program's
    // numbering; 0 where the field was empty.
    std::array<int16_t, kMaxSatellites> UsedSatellites{};
    double Pdop = 0.0;
    double Hdop = 0.0;
    double Vdop = 0.0;
    SentenceCopy Sentence;  // the last GSA of the block
};

// One satellite in view. Numbers are already shifted into the program's numbering
// (BeiDou +200, Galileo +300, NavIC +400 where the talker says so).
struct SatEntry {
    int16_t Number = 0;
    int8_t Elevation = 0;
    int16_t Azimuth = 0;
    int8_t Cno = 0;        // primary signal, dB-Hz
    int8_t SecondCno = 0;  // second signal of the same satellite; 0 when none

    friend bool operator==(const SatEntry&, const SatEntry&) = default;
};

enum GsvCollectionState : uint8_t {
    kGsvEmpty = 0,
    kGsvGroupInProgress = 1,
    kGsvGroupComplete = 2,
    kGsvBlockComplete = 3,  // set by the dispatch at the first non-GSV sentence after a block
    kGsvSequenceError = 4,
};

// The satellites in view, gathered from the GSV groups of every constellation of one block.
struct SatTable {
    char TalkerLetter = 0;  // second letter of the talker of the last group parsed
    uint8_t CollectionState = kGsvEmpty;
    int32_t TotalMessages = 0;  // of the last GSV parsed
    int32_t MessageNumber = 0;  // of the last GSV parsed
    // From the first message of the block; at each group end the number of entries so far.
    int32_t InView = 0;
    std::array<SatEntry, kMaxSatellites> Entries{};
};

struct MssRecord {
    SentenceCopy Sentence;
};

}  // namespace gnss
