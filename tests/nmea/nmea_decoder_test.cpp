#include "nmea/nmea_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder_harness.h"

namespace gnss {
namespace {

using testing::DecoderHarness;
using testing::WithChecksum;

constexpr double kLat = 38.0 + 6.62964 / 60.0;    // 3806.62964
constexpr double kLon = 122.0 + 37.61382 / 60.0;  // 12237.61382

// ---- GGA and GNS -------------------------------------------------------------------------

TEST(DecodeGga, ReadsEveryFieldOfTheGgaForm) {
    DecoderHarness h;
    h.State.SecondsCounter = 42;
    const std::string body =
        "$GNGGA,223745.50,3806.62964,N,12237.61382,W,2,12,0.54,83.1,M,-29.5,M,1.5,0136";
    ASSERT_EQ(h.Feed(body), SentenceKind::Gga);
    const GgaRecord& g = h.Decoder.Gga();
    EXPECT_EQ(g.Time.Hour, 22);
    EXPECT_EQ(g.Time.Minute, 37);
    EXPECT_DOUBLE_EQ(g.Time.Second, 45.5);
    EXPECT_NEAR(g.Latitude, kLat, 1e-12);
    EXPECT_EQ(g.LatitudeLetter, 'N');
    EXPECT_NEAR(g.Longitude, -kLon, 1e-12);
    EXPECT_EQ(g.LongitudeLetter, 'W');
    EXPECT_EQ(g.FixQuality, 2);
    EXPECT_EQ(g.SatellitesUsed, 12);
    EXPECT_DOUBLE_EQ(g.Hdop, 0.54);
    EXPECT_DOUBLE_EQ(g.Altitude, 83.1);
    EXPECT_DOUBLE_EQ(g.GeoidSeparation, -29.5);
    EXPECT_DOUBLE_EQ(g.DifferentialAge, 1.5);
    EXPECT_EQ(g.StationId, 136);
    EXPECT_FALSE(g.IsGns);
    EXPECT_EQ(g.Sentence.View(), WithChecksum(body));
    EXPECT_EQ(h.State.FixQuality, 2);
    EXPECT_FALSE(h.State.DrFix);
    EXPECT_FLOAT_EQ(h.State.Hdop, 0.54f);
    EXPECT_EQ(h.State.DgpsStationText, "0136");
    EXPECT_EQ(h.State.LastGgaSecond, 42);
    EXPECT_TRUE(g.QualityReported);
}

struct HemisphereCase {
    const char* LatLetter;
    const char* LonLetter;
    double LatSign;
    double LonSign;
};

class GgaHemisphereTest : public ::testing::TestWithParam<HemisphereCase> {};

TEST_P(GgaHemisphereTest, OnlyNorthAndEastArePositive) {
    DecoderHarness h;
    const auto& c = GetParam();
    h.Feed(std::string("$GPGGA,000000,3806.62964,") + c.LatLetter + ",12237.61382," + c.LonLetter +
           ",1,05,1.0,10.0,M,0.0,M,,");
    EXPECT_NEAR(h.Decoder.Gga().Latitude, c.LatSign * kLat, 1e-12);
    EXPECT_NEAR(h.Decoder.Gga().Longitude, c.LonSign * kLon, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Letters, GgaHemisphereTest,
                         ::testing::Values(HemisphereCase{"N", "E", 1, 1},
                                           HemisphereCase{"S", "W", -1, -1},
                                           HemisphereCase{"", "", -1, -1},
                                           HemisphereCase{"n", "e", -1, -1},
                                           HemisphereCase{"NN", "EE", -1, -1}));

TEST(DecodeGga, UnknownFormsLeaveTheRecordZeroButStillMarkTheSecond) {
    struct Case {
        const char* Body;
        SentenceKind Kind;
    };
    const Case cases[] = {
        // 14 delimiters: one field missing.
        {"$GPGGA,223745.00,3806.62964,N,12237.61382,W,2,12,0.54,83.1,M,-29.5,M,",
         SentenceKind::Gga},
        {"$GPGGA,", SentenceKind::Gga},
    };
    for (const auto& c : cases) {
        DecoderHarness h;
        h.State.SecondsCounter = 7;
        h.State.Hdop = 1.5f;
        EXPECT_EQ(h.Feed(c.Body), c.Kind) << c.Body;
        const GgaRecord& g = h.Decoder.Gga();
        EXPECT_EQ(g.Latitude, 0.0) << c.Body;
        EXPECT_EQ(g.FixQuality, 0) << c.Body;
        EXPECT_FALSE(g.QualityReported) << c.Body;
        EXPECT_EQ(g.SatellitesUsed, 0) << c.Body;
        EXPECT_EQ(g.Time.Hour, 0) << c.Body;
        EXPECT_FALSE(g.IsGns) << c.Body;
        EXPECT_EQ(g.Sentence.View(), WithChecksum(c.Body)) << c.Body;
        EXPECT_FLOAT_EQ(h.State.Hdop, 1.5f) << c.Body;  // untouched
        EXPECT_EQ(h.State.LastGgaSecond, 7) << c.Body;
    }
}

TEST(DecodeGga, GnsWithTheNavigationalStatusDecodesLikeTheShortForm) {
    // NMEA 4.10 adds the navigational status after the station id (Furuno GT-88).
    const char* const forms[] = {
        "$GNGNS,120213.000,5957.0062,N,01100.6429,E,NDD,11,1.3,168.9,39.5,,",
        "$GNGNS,120213.000,5957.0062,N,01100.6429,E,NDD,11,1.3,168.9,39.5,,,V",
    };
    for (const char* body : forms) {
        DecoderHarness h;
        EXPECT_EQ(h.Feed(body), SentenceKind::Gns) << body;
        const GgaRecord& g = h.Decoder.Gga();
        EXPECT_TRUE(g.IsGns) << body;
        EXPECT_NEAR(g.Latitude, 59.0 + 57.0062 / 60.0, 1e-9) << body;
        EXPECT_NEAR(g.Longitude, 11.0 + 0.6429 / 60.0, 1e-9) << body;
        EXPECT_EQ(g.Time.Hour, 12) << body;
        EXPECT_EQ(g.FixQuality, 2) << body;
        EXPECT_EQ(g.SatellitesUsed, 11) << body;
        EXPECT_DOUBLE_EQ(g.Altitude, 168.9) << body;
        EXPECT_DOUBLE_EQ(g.GeoidSeparation, 39.5) << body;
    }
    // A GGA of that length is still no known form.
    DecoderHarness h;
    h.Feed("$GPGGA,223745.00,3806.62964,N,12237.61382,W,2,12,0.54,83.1,M,-29.5,M,");
    EXPECT_EQ(h.Decoder.Gga().Latitude, 0.0);
}

TEST(DecodeGga, GnsFormTakesQualityFromTheModeText) {
    struct Case {
        const char* Mode;
        uint8_t Quality;
        const char* Text;
    };
    const Case cases[] = {{"AAN", 1, "AAN"}, {"NDA", 2, "NDA"}, {"NNNNNNR", 4, "NNNNN"},
                          {"N", 0, "N"},     {" E ", 6, "E"},   {"", 0, ""},
                          {"S", 8, "S"},     {"xM", 7, "xM"}};
    for (const auto& c : cases) {
        DecoderHarness h;
        h.State.FixQuality = 5;
        h.Feed(std::string("$GNGNS,015110.00,3854.99947,N,07705.75654,W,") + c.Mode +
               ",12,0.81,80.3,-34.8,,");
        const GgaRecord& g = h.Decoder.Gga();
        EXPECT_TRUE(g.IsGns);
        EXPECT_EQ(g.FixQuality, c.Quality) << c.Mode;
        EXPECT_EQ(g.ModeText.View(), c.Text) << c.Mode;
        EXPECT_DOUBLE_EQ(g.GeoidSeparation, -34.8);
        EXPECT_DOUBLE_EQ(g.Altitude, 80.3);
        EXPECT_EQ(g.StationId, 0);  // GGA form only
        EXPECT_EQ(h.State.FixQuality, 5) << "GNS does not set the state's quality";
        EXPECT_FALSE(g.QualityReported);
        EXPECT_FLOAT_EQ(h.State.Hdop, 0.81f);
    }
}

TEST(DecodeGga, QualityFieldMustBeOneDigit) {
    struct Case {
        const char* Quality;
        uint8_t Record;
        uint8_t State;
        bool Dr;
    };
    const Case cases[] = {{"6", 6, 6, true}, {"0", 0, 0, false}, {"12", 0, 3, false},
                          {"", 0, 3, false}, {"x", 0, 3, false}, {" ", 0, 3, false}};
    for (const auto& c : cases) {
        DecoderHarness h;
        h.State.FixQuality = 3;
        h.Feed(std::string("$GPGGA,120000,0000.0,N,00000.0,E,") + c.Quality + ",04,,1.0,M,0.0,M,,");
        EXPECT_EQ(h.Decoder.Gga().FixQuality, c.Record) << c.Quality;
        EXPECT_EQ(h.State.FixQuality, c.State) << c.Quality;
        EXPECT_EQ(h.State.DrFix, c.Dr) << c.Quality;
    }
}

TEST(DecodeGga, EmptyFieldsGiveDefaults) {
    DecoderHarness h;
    h.State.Hdop = 1.2f;
    h.Feed("$GPGGA,,,,,,0,,,,M,,M,,");
    const GgaRecord& g = h.Decoder.Gga();
    EXPECT_EQ(g.StationId, -1);
    EXPECT_EQ(g.Hdop, 0.0);
    EXPECT_EQ(g.Latitude, 0.0);
    EXPECT_EQ(g.LatitudeLetter, '\0');
    EXPECT_FLOAT_EQ(h.State.Hdop, ReceiverState::kDopNotReported);
    EXPECT_EQ(h.State.DgpsStationText, "");
}

TEST(DecodeGga, TimeOfFixNeedsEveryPart) {
    struct Case {
        const char* Field;
        int Hour;
        int Minute;
        double Second;
    };
    const Case cases[] = {
        {"235959.999", 23, 59, 59.999}, {"0102", 0, 0, 0.0}, {"01x203", 0, 0, 0.0},
        {"010203", 1, 2, 3.0},          {"", 0, 0, 0.0},     {"0102xx", 0, 0, 0.0}};
    for (const auto& c : cases) {
        DecoderHarness h;
        h.Feed(std::string("$GPGGA,") + c.Field + ",,,,,0,,,,M,,M,,");
        EXPECT_EQ(h.Decoder.Gga().Time.Hour, c.Hour) << c.Field;
        EXPECT_EQ(h.Decoder.Gga().Time.Minute, c.Minute) << c.Field;
        EXPECT_DOUBLE_EQ(h.Decoder.Gga().Time.Second, c.Second) << c.Field;
    }
}

TEST(DecodeGga, KeepsAtMostHundredCharactersOfTheSentence) {
    DecoderHarness h;
    const std::string body =
        "$GPGGA,120000,0000.0,N,00000.0,E,1,04,1.0,1.0,M,0.0,M,," + std::string(120, '9');
    h.Feed(body);
    EXPECT_EQ(h.Decoder.Gga().Sentence.View(), body.substr(0, 100));
}

// ---- RMC ---------------------------------------------------------------------------------

TEST(DecodeRmc, ReadsTheThirteenDelimiterForm) {
    DecoderHarness h;
    ASSERT_EQ(h.Feed("$GPRMC,123519.25,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,D"),
              SentenceKind::Rmc);
    const RmcRecord& r = h.Decoder.Rmc();
    EXPECT_EQ(r.Time.Hour, 12);
    EXPECT_DOUBLE_EQ(r.Time.Second, 19.25);
    EXPECT_EQ(r.Status, 'A');
    EXPECT_NEAR(r.Latitude, 48.0 + 7.038 / 60, 1e-12);
    EXPECT_NEAR(r.Longitude, 11.0 + 31.0 / 60, 1e-12);
    EXPECT_DOUBLE_EQ(r.SpeedKnots, 22.4);
    EXPECT_DOUBLE_EQ(r.CourseDeg, 84.4);
    EXPECT_EQ(r.Date.Day, 23);
    EXPECT_EQ(r.Date.Month, 3);
    EXPECT_EQ(r.Date.Year, 94);
    EXPECT_DOUBLE_EQ(r.MagneticVariation, 3.1);
    EXPECT_EQ(r.MagneticVariationLetter, 'W');
    EXPECT_EQ(r.ModeLetter, 'D');
    EXPECT_TRUE(h.State.FixValid);
}

TEST(DecodeRmc, StatusDecidesFixValidityAndTheFormDecidesTheModeLetter) {
    struct Case {
        const char* Body;
        bool FixValid;
        char Mode;
        double Course;
    };
    const Case cases[] = {
        {"$GPRMC,1,A,4807.0,N,01131.0,E,0.0,12.5,230394,,,A", true, 'A', 12.5},
        {"$GPRMC,1,D,4807.0,N,01131.0,E,0.0,12.5,230394,,,D", true, 'D', 12.5},
        {"$GPRMC,1,V,4807.0,N,01131.0,E,0.0,,230394,,,N", false, 'N', kCourseNotReported},
        {"$GPRMC,1,,4807.0,N,01131.0,E,0.0,x,230394,,,N", false, 'N', kCourseNotReported},
        {"$GPRMC,1,AA,4807.0,N,01131.0,E,0.0,1,230394,,,A", false, 'A', 1.0},
        // 12 delimiters (no mode field) and 14 (NMEA 4.1 with navigational status).
        {"$GPRMC,1,A,4807.0,N,01131.0,E,0.0,1,230394,,", true, ' ', 1.0},
        {"$GNRMC,1,A,4807.0,N,01131.0,E,0.0,,230394,,,D,V", true, ' ', kCourseNotReported},
    };
    for (const auto& c : cases) {
        DecoderHarness h;
        h.State.FixValid = !c.FixValid;
        h.Feed(c.Body);
        EXPECT_EQ(h.State.FixValid, c.FixValid) << c.Body;
        EXPECT_EQ(h.Decoder.Rmc().ModeLetter, c.Mode) << c.Body;
        EXPECT_DOUBLE_EQ(h.Decoder.Rmc().CourseDeg, c.Course) << c.Body;
        // The position is stored whatever the status.
        EXPECT_NEAR(h.Decoder.Rmc().Latitude, 48.0 + 7.0 / 60, 1e-12) << c.Body;
    }
}

TEST(DecodeRmc, OtherFormsLeaveRecordAndFixFlagAlone) {
    for (const char* body : {"$GPRMC,", "$GPRMC,1,A,4807.0,N,01131.0,E,0.0,1,230394,",
                             "$GPRMC,1,A,4807.0,N,01131.0,E,0.0,1,230394,,,A,V,X"}) {
        DecoderHarness h;
        h.State.FixValid = true;
        EXPECT_EQ(h.Feed(body), SentenceKind::Rmc);
        EXPECT_TRUE(h.State.FixValid) << body;
        EXPECT_EQ(h.Decoder.Rmc().Status, 0) << body;
        EXPECT_EQ(h.Decoder.Rmc().Latitude, 0.0) << body;
    }
}

TEST(DecodeRmc, DateNeedsExactlySixCharacters) {
    for (const char* date : {"23039", "2303944", "", "ab0394"}) {
        DecoderHarness h;
        h.Feed(std::string("$GPRMC,1,A,4807.0,N,01131.0,E,0.0,1,") + date + ",,,A");
        EXPECT_EQ(h.Decoder.Rmc().Date.Day, 0) << date;
        EXPECT_EQ(h.Decoder.Rmc().Date.Year, 0) << date;
    }
}

// ---- GLL and VTG -------------------------------------------------------------------------

TEST(DecodeGll, StatusCountsOnlyInTheEightDelimiterForm) {
    struct Case {
        const char* Body;
        bool Start;
        bool FixValid;
        char Status;
    };
    const Case cases[] = {
        {"$GPGLL,4916.45,N,12311.12,W,225444.5,A,A", false, true, 'A'},
        {"$GPGLL,4916.45,N,12311.12,W,225444.5,D,D", false, true, 'D'},
        {"$GPGLL,4916.45,N,12311.12,W,225444.5,V,N", true, false, 'V'},
        {"$GPGLL,4916.45,N,12311.12,W,225444.5,,N", true, true, '\0'},  // empty: unchanged
        {"$GPGLL,4916.45,N,12311.12,W,225444.5,,N", false, false, '\0'},
        {"$GPGLL,4916.45,N,12311.12,W,225444.5,A", false, false, ' '},  // 7 delimiters
    };
    for (const auto& c : cases) {
        DecoderHarness h;
        h.State.FixValid = c.Start;
        EXPECT_EQ(h.Feed(c.Body), SentenceKind::Gll);
        EXPECT_EQ(h.State.FixValid, c.FixValid) << c.Body;
        EXPECT_EQ(h.Decoder.Gll().Status, c.Status) << c.Body;
        EXPECT_NEAR(h.Decoder.Gll().Latitude, 49.0 + 16.45 / 60, 1e-12);
        EXPECT_NEAR(h.Decoder.Gll().Longitude, -(123.0 + 11.12 / 60), 1e-12);
        EXPECT_EQ(h.Decoder.Gll().Time.Hour, 22);
    }
}

TEST(DecodeVtg, ReadsBothFormsAndRejectsOthers) {
    struct Case {
        const char* Body;
        double Course;
        double Kmh;
        char Mode;
    };
    const Case cases[] = {
        {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K", 54.7, 10.2, ' '},
        {"$GNVTG,,T,,M,0.040,N,0.075,K,D", kCourseNotReported, 0.075, 'D'},
        {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2", 0.0, 0.0, '\0'},  // 8 delimiters
    };
    for (const auto& c : cases) {
        DecoderHarness h;
        EXPECT_EQ(h.Feed(c.Body), SentenceKind::Vtg);
        EXPECT_DOUBLE_EQ(h.Decoder.Vtg().CourseTrueDeg, c.Course) << c.Body;
        EXPECT_DOUBLE_EQ(h.Decoder.Vtg().SpeedKmh, c.Kmh) << c.Body;
        EXPECT_EQ(h.Decoder.Vtg().ModeLetter, c.Mode) << c.Body;
    }
}

TEST(DecodeSentence, KindsWithoutRecordAreOnlyClassified) {
    DecoderHarness h;
    EXPECT_EQ(h.Feed("$GPMSS,55,27,318.0,100,1"), SentenceKind::Mss);
    EXPECT_EQ(h.Decoder.Mss().Sentence.View(), WithChecksum("$GPMSS,55,27,318.0,100,1"));
    EXPECT_EQ(h.Feed("$PMDR,24,1"), SentenceKind::Pmd);
    EXPECT_EQ(h.Decoder.CurrentKind(), SentenceKind::Pmd);
    EXPECT_EQ(h.Feed("$PMTK001,604,3"), SentenceKind::None);
    EXPECT_EQ(h.Decoder.CurrentKind(), SentenceKind::Pmd);
}

// ---- Receiver-state rules and their order ------------------------------------------------

TEST(ReceiverStateRules, LastWriterOfTheFixFlagWins) {
    struct Case {
        std::vector<const char*> Bodies;
        bool FixValid;
    };
    const Case cases[] = {
        {{"$GPRMC,1,A,4807.0,N,01131.0,E,0.0,1,230394,,,A",
          "$GPGSA,A,1,,,,,,,,,,,,,99.9,99.9,99.9"},
         false},
        {{"$GPGSA,A,3,01,,,,,,,,,,,,2.0,1.0,1.5", "$GPRMC,1,V,4807.0,N,01131.0,E,0.0,1,230394,,,N"},
         false},
        {{"$GPGSA,A,1,,,,,,,,,,,,,,,", "$GPGLL,4916.45,N,12311.12,W,225444,A,A"}, true},
        // Only the first GSA of a block writes the flag.
        {{"$GPRMC,1,V,4807.0,N,01131.0,E,0.0,1,230394,,,N", "$GNGSA,A,3,01,,,,,,,,,,,,2.0,1.0,1.5",
          "$GNGSA,A,1,,,,,,,,,,,,,2.0,1.0,1.5"},
         true},
        // A receiver that sends only GGA and GSV never has a valid fix.
        {{"$GPGGA,120000,4807.0,N,01131.0,E,1,04,1.0,1.0,M,0.0,M,,", "$GPGSV,1,1,01,05,40,090,30"},
         false},
    };
    for (const auto& c : cases) {
        DecoderHarness h;
        for (const char* body : c.Bodies) h.Feed(body);
        EXPECT_EQ(h.State.FixValid, c.FixValid) << c.Bodies.front();
    }
}

TEST(ReceiverStateRules, DopsFollowTheFirstGsaOfABlockAndHdopTheLastGga) {
    DecoderHarness h;
    h.Feed("$GPGSA,A,3,01,02,03,04,,,,,,,,,,1.2,3.4");
    EXPECT_EQ(h.State.FixMode, 3);
    EXPECT_FLOAT_EQ(h.State.Pdop, ReceiverState::kDopNotReported);
    EXPECT_FLOAT_EQ(h.State.Hdop, 1.2f);
    EXPECT_FLOAT_EQ(h.State.Vdop, 3.4f);
    EXPECT_EQ(h.Decoder.Gsa().Pdop, 0.0);

    h.Feed("$GPGGA,120000,4807.0,N,01131.0,E,1,04,,1.0,M,0.0,M,,");
    EXPECT_FLOAT_EQ(h.State.Hdop, ReceiverState::kDopNotReported);
    h.Feed("$GPGGA,120000,4807.0,N,01131.0,E,1,04,0.9,1.0,M,0.0,M,,");
    EXPECT_FLOAT_EQ(h.State.Hdop, 0.9f);

    // A continuation GSA leaves the state alone.
    h.Feed("$GNGSA,A,2,05,,,,,,,,,,,,5.0,5.0,5.0");
    h.Feed("$GNGSA,A,1,06,,,,,,,,,,,,6.0,6.0,6.0");
    EXPECT_EQ(h.State.FixMode, 2);
    EXPECT_FLOAT_EQ(h.State.Pdop, 5.0f);
    EXPECT_TRUE(h.State.FixValid);
}

TEST(ResetDecoder, ZeroesRecordsAndSetsDopsToNotReportedButKeepsTalkerFlags) {
    DecoderHarness h;
    h.Feed("$GPGGA,120000,4807.0,N,01131.0,E,1,04,0.9,1.0,M,0.0,M,,");
    h.Feed("$GPGSA,A,3,01,02,,,,,,,,,,,1.0,0.9,1.1");
    h.Feed("$BDGSV,1,1,01,07,40,090,30");
    h.Feed("$GAGSV,1,1,01,07,40,090,30");
    h.Feed("$GPRMC,1,A,4807.0,N,01131.0,E,0.0,1,230394,,,A");
    ASSERT_EQ(h.Decoder.DisplayList().EntryCount, 2);

    h.Decoder.ResetDecoder();
    EXPECT_EQ(h.Decoder.Gga().Latitude, 0.0);
    EXPECT_EQ(h.Decoder.Gga().Sentence.Length, 0);
    EXPECT_EQ(h.Decoder.Gsa().UsedCount, 0);
    EXPECT_EQ(h.Decoder.Rmc().Status, 0);
    EXPECT_EQ(h.Decoder.Sats().InView, 0);
    EXPECT_EQ(h.Decoder.DisplayList().EntryCount, 0);
    EXPECT_EQ(h.Decoder.GsaBlockCount(), 0);
    EXPECT_FLOAT_EQ(h.State.Pdop, ReceiverState::kDopNotReported);
    EXPECT_FLOAT_EQ(h.State.Hdop, ReceiverState::kDopNotReported);
    EXPECT_FLOAT_EQ(h.State.Vdop, ReceiverState::kDopNotReported);
    EXPECT_TRUE(h.Decoder.BdsGsvSeen());
    EXPECT_TRUE(h.Decoder.GalileoGsvSeen());
    h.Decoder.ClearTalkerFlags();
    EXPECT_FALSE(h.Decoder.BdsGsvSeen());
    EXPECT_FALSE(h.Decoder.GalileoGsvSeen());
}

TEST(TalkerFlags, BeiDouFlagFollowsBdAndGnTalkersGalileoFlagSticks) {
    DecoderHarness h;
    h.Feed("$GBGSV,1,1,00");
    EXPECT_TRUE(h.Decoder.BdsGsvSeen());
    h.Feed("$GNGSV,1,1,00");
    EXPECT_FALSE(h.Decoder.BdsGsvSeen());
    h.Feed("$BDGSV,1,1,00");
    EXPECT_TRUE(h.Decoder.BdsGsvSeen());
    h.Feed("$GAGSV,1,1,00");
    h.Feed("$GNGSV,1,1,00");
    EXPECT_TRUE(h.Decoder.GalileoGsvSeen());
    // Invalid sentences touch nothing.
    h.FeedLine("$GBGSV,1,1,00*00");
    EXPECT_FALSE(h.Decoder.BdsGsvSeen());
}

}  // namespace
}  // namespace gnss
