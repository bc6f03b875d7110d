#include "views/navigation_panel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/virtual_time.h"
#include "doubles/recording_desktop.h"
#include "doubles/recording_monitor_output.h"
#include "nmea/decoder_harness.h"
#include "nmea/time_text.h"

namespace gnss {
namespace {

using testing::DecoderHarness;
using testing::RecordingClockSetter;
using testing::RecordingMonitorOutput;
using namespace std::string_literals;

const std::string kDeg = "\u00B0";

// The decoder, the shared flags and the panel as the receive path feeds it: every line through
// the sentence chain the panel joined, every decoded line through its line listener, and the
// kinds marked as seen this second.
struct Panel {
    explicit Panel(ReceiverFamily family = ReceiverFamily::MTK, int biasMinutes = 0) {
        Dec.Family = family;
        Shared.Family = family;
        Shared.ReceiverIdentified = true;
        Time.SetTimeZoneBiasMinutes(biasMinutes);
        Nav.JoinSentenceChain(Chain);
    }
    void Feed(std::string_view body) {
        const SentenceKind kind = Dec.Feed(body);
        ASSERT_NE(kind, SentenceKind::None) << body;
        Kinds[kind] = true;
        Nav.OnSentenceDecoded(kind, body);
        // The chain runs after the decoder here, so that the label reads this line's record.
        (void)Chain.HandleSentence(testing::WithChecksum(body));
    }
    void Refresh() { Nav.RefreshNavigationPanel(Kinds); }
    [[nodiscard]] const NavigationPanelView& V() const { return Nav.View(); }

    DecoderHarness Dec;
    SharedState Shared;
    VirtualTime Time;
    RecordingClockSetter Setter;
    RecordingMonitorOutput Output;
    NavigationPanel Nav{{Dec.Decoder, Dec.State, Shared, Time, Setter, Output}};
    KindFlags Kinds{};
    SentenceChain Chain;
};

constexpr std::string_view kRmcTaipei =
    "$GPRMC,123519.250,A,2502.016,N,12133.876,E,10.0,54.7,040302,3.1,W";
constexpr std::string_view kGgaTaipei =
    "$GPGGA,123520.500,2502.016,N,12133.876,E,1,08,0.9,100.0,M,46.9,M,,";

TEST(FixFieldText, QualityAndModeTables) {
    struct Case {
        bool Valid;
        int Quality;
        int Mode;
        const char* Text;
    };
    const Case cases[] = {
        {true, 4, 3, "RTK (Fix)"},    {true, 5, 2, "RTK (Float)"}, {true, 1, 3, "Fix(3D)"},
        {true, 2, 2, "DGPS Fix(2D)"}, {true, 0, 0, "Fix "},        {true, 6, 0, "DR "},
        {true, 0, 3, "3D "},          {false, 0, 3, "non-Fix "},   {false, 6, 3, "DR "},
        {false, 8, 0, "Simulation "}, {true, 9, 3, "(3D)"},        {false, 200, 0, " "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FixFieldText(c.Valid, c.Quality, c.Mode), c.Text)
            << c.Valid << " q" << c.Quality << " m" << c.Mode;
    }
}

TEST(PositionText, DecimalAndDegreesMinutesSeconds) {
    struct Case {
        char Letter;
        double Degrees;
        bool Dms;
        std::string Text;
    };
    const Case cases[] = {
        {'N', 24.5, true, "N  24" + kDeg + "30'0.000\""},
        {'N', 24.5, false, "N 24.5000000" + kDeg},
        {'E', 121.5646, false, "E 121.5646000" + kDeg},
        {'S', 5.25, false, "S  5.2500000" + kDeg},
        {'W', 121.0 + 33.0 / 60 + 52.56 / 3600, true, "W 121" + kDeg + "33'52.560\""},
        // Seconds that would print as 60.000 carry into the minutes, and on into the degrees.
        {'N', 24.0 + 29.0 / 60 + 59.9997 / 3600, true, "N  24" + kDeg + "30'0.000\""},
        {'N', 24.0 + 59.0 / 60 + 59.9997 / 3600, true, "N  25" + kDeg + "00'0.000\""},
        {0, 0.0, false, "  0.0000000" + kDeg},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PositionText(c.Letter, c.Degrees, c.Dms), c.Text) << c.Degrees;
    }
}

TEST(DopText, NotReportedShowsDashesOnlyWithAValidFix) {
    EXPECT_EQ(DopText(99.9, true), "--.--");
    EXPECT_EQ(DopText(99.7, true), "--.--");
    EXPECT_EQ(DopText(99.9, false), "99.90");
    EXPECT_EQ(DopText(99.69, true), "99.69");
    EXPECT_EQ(DopText(0.9, true), "0.90");
}

TEST(NavigationPanel, NoRefreshBeforeIdentificationOrForTrafficReceivers) {
    for (ReceiverFamily family : {ReceiverFamily::Unknown, ReceiverFamily::TMC}) {
        Panel p(family);
        p.Feed(kRmcTaipei);
        p.Refresh();
        EXPECT_EQ(p.V().FixText, "");
        EXPECT_EQ(p.V().LatitudeText, "");
        EXPECT_TRUE(p.Kinds[SentenceKind::Rmc]) << "flags are not consumed without a refresh";
    }
}

TEST(NavigationPanel, RefreshShowsTheFixAndConsumesTheSecondsFlags) {
    Panel p;
    p.Feed("$GPGSA,A,3,01,02,03,,,,,,,,,,1.8,0.9,1.5");
    p.Feed(kRmcTaipei);
    p.Feed(kGgaTaipei);
    p.Refresh();
    EXPECT_EQ(p.V().SatellitesUsedText, "3 ");
    EXPECT_EQ(p.V().FixText, "Fix(3D)");
    EXPECT_EQ(p.V().LatitudeText, "N 25.0336000" + kDeg);
    EXPECT_EQ(p.V().LongitudeText, "E 121.5646000" + kDeg);
    EXPECT_EQ(p.V().AltitudeText, "100.0 m ");
    EXPECT_EQ(p.V().SpeedText, "18.5 Km/H ");
    EXPECT_EQ(p.V().CourseText, "54.7" + kDeg);
    EXPECT_EQ(p.V().GaugeCourseText, "54.70" + kDeg);
    EXPECT_EQ(p.V().PdopText, "1.80");
    EXPECT_EQ(p.V().HdopText, "0.90");
    EXPECT_EQ(p.V().VdopText, "1.50");
    EXPECT_EQ(p.V().CalibrationSpeedText, "18.5 KmH");
    EXPECT_EQ(p.V().CalibrationSpeedBackground, kSogFixMovingBackground);
    EXPECT_EQ(p.V().ValueColor, kNaviLiveColor);
    EXPECT_TRUE(p.Nav.PreviousKindsSeen()[SentenceKind::Rmc]);
    EXPECT_TRUE(p.Nav.PreviousKindsSeen()[SentenceKind::Gga]);
    EXPECT_EQ(p.Kinds, KindFlags{});
}

TEST(NavigationPanel, PositionComesFromRmcThenGllThenGgaSeenThisSecond) {
    struct Case {
        std::vector<std::string_view> Sentences;
        std::string Lat;
    };
    const std::string_view rmcZero = "$GPRMC,123519,A,,,,,0.0,,040302,,";
    const std::string_view rmc = "$GPRMC,123519,A,1000.000,N,02000.000,E,0.0,,040302,,";
    const std::string_view gll = "$GPGLL,1100.000,S,02000.000,E,123519,A,A";
    const std::string_view gga = "$GPGGA,123519,1200.000,N,02000.000,E,1,08,0.9,1.0,M,0,M,,";
    const Case cases[] = {
        {{rmc, gll, gga}, "N 10.0000000" + kDeg},
        {{gga, gll}, "S 11.0000000" + kDeg},
        {{rmcZero, gga}, "N 12.0000000" + kDeg},
        {{gga}, "N 12.0000000" + kDeg},
    };
    for (const Case& c : cases) {
        Panel p;
        for (std::string_view s : c.Sentences) p.Feed(s);
        p.Dec.State.FixValid = true;  // as a GSA of the epoch would set it
        p.Refresh();
        EXPECT_EQ(p.V().LatitudeText, c.Lat) << c.Sentences.size();
    }
}

TEST(NavigationPanel, NothingSeenThisSecondKeepsTheShownPosition) {
    Panel p;
    p.Feed(kRmcTaipei);
    p.Refresh();
    p.Refresh();  // a second without position sentences
    EXPECT_EQ(p.V().LatitudeText, "N 25.0336000" + kDeg);
}

TEST(NavigationPanel, UnitsConvertSpeedAndAltitude) {
    struct Case {
        int Unit;
        const char* Speed;
        const char* Altitude;
        const char* Label;
        Rgb LabelColor;
    };
    const Case cases[] = {
        {0, "18.5 Km/H ", "100.0 m ", "Km/H", 0xFFFF00},
        {1, "11.5 Ml/H ", "328.1 ft ", "Ml/H", 0x008040},
        {2, "10.0 Knot ", "328.1 ft ", "Knot", 0xFFFF00},
    };
    for (const Case& c : cases) {
        Panel p;
        p.Feed(kRmcTaipei);
        p.Feed(kGgaTaipei);
        p.Nav.SetSpeedUnitIndex(c.Unit, p.Kinds);  // refreshes at once
        EXPECT_EQ(p.V().SpeedText, c.Speed);
        EXPECT_EQ(p.V().AltitudeText, c.Altitude);
        EXPECT_EQ(p.V().SpeedUnitText, c.Label);
        EXPECT_EQ(p.V().SpeedUnitColor, c.LabelColor);
        EXPECT_EQ(p.Nav.SpeedUnitIndex(), c.Unit);
    }
}

TEST(NavigationPanel, UnknownCourseKeepsTheLastCourseText) {
    Panel p;
    p.Feed(kRmcTaipei);
    p.Refresh();
    p.Feed("$GPRMC,123520,A,2502.016,N,12133.876,E,0.5,,040302,,");
    p.Refresh();
    EXPECT_EQ(p.V().CourseText, "54.7" + kDeg);
    EXPECT_EQ(p.V().GaugeCourseText, "54.70" + kDeg);
    EXPECT_EQ(p.V().SpeedText, "0.9 Km/H ");
    EXPECT_EQ(p.V().CalibrationSpeedBackground, kSogFixStillBackground);
}

TEST(NavigationPanel, VtgAloneGivesSpeedAndCourse) {
    Panel p;
    p.Feed("$GPGLL,2502.016,N,12133.876,E,123519,A,A");
    p.Feed("$GPVTG,271.5,T,,M,20.0,N,37.0,K");
    p.Refresh();
    EXPECT_EQ(p.V().SpeedText, "37.0 Km/H ");
    EXPECT_EQ(p.V().CourseText, "271.5" + kDeg);
    EXPECT_EQ(p.V().GaugeCourseText, "271.50" + kDeg);
}

TEST(NavigationPanel, DopDashesWithValidFixButNumbersWithDeadReckoningOnly) {
    Panel fix;
    fix.Feed("$GPGGA,123519,2502.016,N,12133.876,E,1,08,,100.0,M,46.9,M,,");
    fix.Feed("$GPRMC,123519,A,2502.016,N,12133.876,E,0.0,,040302,,");
    fix.Refresh();
    EXPECT_EQ(fix.V().HdopText, "--.--");
    EXPECT_EQ(fix.V().PdopText, "--.--");

    Panel dr;
    dr.Feed("$GPRMC,123519,V,2502.016,N,12133.876,E,0.0,,040302,,");
    dr.Feed("$GPGGA,123519,2502.016,N,12133.876,E,6,08,,100.0,M,46.9,M,,");
    dr.Refresh();
    EXPECT_FALSE(dr.Dec.State.FixValid);
    EXPECT_EQ(dr.V().HdopText, "99.90");
    EXPECT_EQ(dr.V().FixText, "DR ");
    EXPECT_EQ(dr.V().LatitudeText, "N 25.0336000" + kDeg);
}

TEST(NavigationPanel, LiveAndStaleColoursFollowTheFix) {
    Panel p;
    p.Feed(kRmcTaipei);
    p.Refresh();
    EXPECT_EQ(p.V().ValueColor, kNaviLiveColor);
    p.Feed("$GPRMC,123520,V,,,,,,,040302,,");
    p.Refresh();
    EXPECT_EQ(p.V().ValueColor, kNaviStaleColor);
    EXPECT_EQ(p.V().DopColor, kNaviStaleColor);
    EXPECT_EQ(p.V().CalibrationSpeedText, "non-Fix");
    EXPECT_EQ(p.V().FixText, "non-Fix ");
    EXPECT_EQ(p.V().LatitudeText, "N 25.0336000" + kDeg) << "the last position stays, greyed";
    p.Feed(kRmcTaipei);
    p.Refresh();
    EXPECT_EQ(p.V().ValueColor, kNaviLiveColor);
}

TEST(NavigationPanel, DmsToggleRedrawsAndClipboardCarriesSignedValues) {
    Panel p;
    p.Feed("$GPRMC,123519,A,2430.000,S,12133.876,W,0.0,,040302,,");
    p.Refresh();
    p.Nav.ToggleDmsMode();
    EXPECT_TRUE(p.Nav.DmsMode());
    EXPECT_EQ(p.V().LatitudeText, "S  24" + kDeg + "30'0.000\"");
    EXPECT_EQ(p.Nav.PositionClipboard(), "Lon:-121.56460000, Lat:-24.500000");
    p.Nav.ToggleDmsMode();
    EXPECT_EQ(p.V().LatitudeText, "S 24.5000000" + kDeg);
}

TEST(NavigationPanel, RmcTimeWithWeekRolloverForUnavAndMtk) {
    struct Case {
        ReceiverFamily Family;
        std::string_view Date;
        const char* Shown;
    };
    const Case cases[] = {
        {ReceiverFamily::MTK, "040302", "2021/10/18 12:35:19.250 "},
        {ReceiverFamily::uNav, "040302", "2021/10/18 12:35:19.250 "},
        {ReceiverFamily::MTK, "311203", "2023/08/16 12:35:19.250 "},
        {ReceiverFamily::MTK, "010104", "2004/01/01 12:35:19.250 "},
        {ReceiverFamily::SiRF, "040302", "2002/03/04 12:35:19.250 "},
    };
    for (const Case& c : cases) {
        Panel p(c.Family, -480);
        p.Feed("$GPRMC,123519.250,A,2502.016,N,12133.876,E,0.0,,"s + std::string(c.Date) + ",,");
        EXPECT_EQ(p.V().UtcTimeText, c.Shown) << c.Date;
        EXPECT_EQ(DateTimeStampOf(p.Dec.State.ReceiverUtcTime).substr(1, 10),
                  std::string(c.Shown).substr(0, 10).replace(4, 1, ".").replace(7, 1, "."));
    }
    Panel p(ReceiverFamily::MTK, -480);
    p.Feed("$GPRMC,203519.250,A,2502.016,N,12133.876,E,0.0,,311221,,");
    EXPECT_EQ(p.V().LocalTimeText, "2022/01/01 04:35:19.250 ");
}

TEST(NavigationPanel, RmcDateThatDoesNotEncodeLeavesTheFallbackText) {
    Panel p;
    p.Feed("$GPRMC,123519.250,A,2502.016,N,12133.876,E,0.0,,310202,,");
    EXPECT_EQ(p.V().UtcTimeText, "2002/02/31 12:35:19.250 ");
    EXPECT_EQ(p.V().LocalTimeText, "");
    EXPECT_EQ(p.Dec.State.ReceiverUtcTime, DateTime{});
}

TEST(NavigationPanel, RmcTimeNeedsFixIdentificationAndNoPause) {
    Panel noFix;
    noFix.Feed("$GPRMC,123519,V,2502.016,N,12133.876,E,0.0,,040302,,");
    EXPECT_EQ(noFix.V().UtcTimeText, "");
    Panel paused;
    paused.Shared.MonitorPaused = true;
    paused.Feed(kRmcTaipei);
    EXPECT_EQ(paused.V().UtcTimeText, "");
}

TEST(NavigationPanel, GgaTimeKeepsTheRmcDateOrStartsWithBlanks) {
    Panel p(ReceiverFamily::SiRF, -60);
    p.Feed(kRmcTaipei);  // FixValid, and the date
    p.Feed(kGgaTaipei);
    EXPECT_EQ(p.V().UtcTimeText, "2002/03/04 12:35:20.500 ");
    EXPECT_EQ(p.V().LocalTimeText, "2002/03/04 13:35:20.500 ");

    Panel fresh(ReceiverFamily::SiRF, -60);
    fresh.Dec.State.FixValid = true;
    fresh.Feed(kGgaTaipei);
    EXPECT_EQ(fresh.V().UtcTimeText, std::string(11, ' ') + "12:35:20.500 ");
    EXPECT_EQ(fresh.V().LocalTimeText, std::string(15, ' ') + "13:35:20.500 ");
    // The fixed date of GGA times.
    EXPECT_EQ(DateTimeStampOf(fresh.Dec.State.ReceiverUtcTime), "[2012.05.05-12:35:20.500]");
}

TEST(NavigationPanel, ClockSyncIsOneShotAndRetriesAfterAFailure) {
    Panel p(ReceiverFamily::SiRF, -480);
    EXPECT_FALSE(p.Nav.RequestClockSync()) << "no fix yet";
    p.Feed(kRmcTaipei);
    EXPECT_TRUE(p.Nav.RequestClockSync());
    EXPECT_FALSE(p.Nav.RequestClockSync()) << "already pending";
    ASSERT_EQ(p.Output.Lines,
              std::vector<std::string>{"log:" + std::string(kClockSyncRequestLine)});

    p.Setter.next = {false, "setting the clock needs the CAP_SYS_TIME privilege"};
    p.Feed(kRmcTaipei);
    p.Feed(kRmcTaipei);
    EXPECT_EQ(p.Setter.requested.size(), 2u);
    EXPECT_TRUE(p.Nav.ClockSyncRequest());
    ASSERT_EQ(p.Output.Debug.size(), 1u) << "the failure is reported once";
    EXPECT_NE(p.Output.Debug[0].find("CAP_SYS_TIME"), std::string::npos);

    p.Setter.next = {true, ""};
    p.Feed(kRmcTaipei);
    EXPECT_FALSE(p.Nav.ClockSyncRequest());
    EXPECT_EQ(p.Output.Lines.back(), "log:" + std::string(kClockSyncDoneLine));
    // Local time (UTC+8) 0.7 s ahead of the receiver's time.
    EXPECT_EQ(DateTimeStampOf(p.Setter.requested.back()), "[2002.03.04-20:35:19.950]");
    p.Feed(kRmcTaipei);
    EXPECT_EQ(p.Setter.requested.size(), 3u) << "one-shot";
}

TEST(NavigationPanel, DgpsLabelTextStationAndAgeing) {
    struct Case {
        std::string_view Gga;
        const char* Text;
        bool Visible;
    };
    const Case cases[] = {
        {"$GPGGA,1,2502.016,N,12133.876,E,2,08,0.9,1.0,M,0,M,1.5,0136", "DGPS(0136)", true},
        {"$GPGGA,1,2502.016,N,12133.876,E,2,08,0.9,1.0,M,0,M,,", "DGPS", true},
        {"$GPGGA,1,2502.016,N,12133.876,E,1,08,0.9,1.0,M,0,M,,", "GNSS fix", true},
        {"$GPGGA,1,2502.016,N,12133.876,E,5,08,0.9,1.0,M,0,M,,", "Float RTK", true},
        {"$GPGGA,1,2502.016,N,12133.876,E,0,08,0.9,1.0,M,0,M,,", "", false},
        {"$GPGGA,1,2502.016,N,12133.876,E,8,08,0.9,1.0,M,0,M,,", "", true},
    };
    for (const Case& c : cases) {
        Panel p;
        p.Feed(c.Gga);
        EXPECT_EQ(p.V().FixKindLabel, c.Text) << c.Gga;
        EXPECT_EQ(p.V().FixKindLabelVisible, c.Visible) << c.Gga;
    }
    Panel p;
    p.Dec.State.SecondsCounter = 10;
    p.Feed(cases[0].Gga);
    EXPECT_EQ(p.V().FixKindLabelColor, kDgpsFreshColor);
    p.Dec.State.SecondsCounter = 12;
    p.Nav.DgpsLabelTick();
    EXPECT_EQ(p.V().FixKindLabelColor, kDgpsFreshColor);
    p.Dec.State.SecondsCounter = 13;
    p.Nav.DgpsLabelTick();
    EXPECT_EQ(p.V().FixKindLabelColor, kDgpsOldColor);
    p.Feed(cases[0].Gga);  // a GGA of a new second
    EXPECT_EQ(p.V().FixKindLabelColor, kDgpsFreshColor);
}

TEST(NavigationPanel, MagneticNorthIntegerOrDecimal) {
    struct Case {
        std::string_view Sentence;
        std::string Text;
        int Compass;
    };
    const Case cases[] = {
        {"$PMDR,24,1,5,0,0,0,0,0,0,0,0*00", "MN:  5" + kDeg, 5},
        {"$PMDR,24,1,245.66,0,0,0,0,0,0,0,0*00", "MN:245.7" + kDeg, 246},
        {"$PMDR,24,1,,0,0,0,0,0,0,0,0*00", "", 0},
        {"$PMDR,24,1,245,0,0,0*00", "", 0},
        {"$PMDR,24,1,abc,0,0,0,0,0,0,0,0*00", "", 0},
    };
    for (const Case& c : cases) {
        Panel p;
        p.Nav.ShowMagneticNorth(c.Sentence, p.Kinds);
        EXPECT_EQ(p.V().MagneticNorthText, c.Text) << c.Sentence;
        EXPECT_EQ(p.Nav.Gauges().CompassHeading, c.Compass) << c.Sentence;
    }
}

TEST(NavigationPanel, MagneticVariationForCmsReceivers) {
    Panel west(ReceiverFamily::CMS);
    west.Feed(kRmcTaipei);
    west.Refresh();
    EXPECT_EQ(west.V().MagneticVariationText, "-3.1");
    Panel east(ReceiverFamily::CM2);
    east.Feed("$GPRMC,123519,A,2502.016,N,12133.876,E,0.0,12.0,040302,4.3,E");
    east.Refresh();
    EXPECT_EQ(east.V().MagneticVariationText, "+4.3");
    Panel other(ReceiverFamily::MTK);
    other.Feed(kRmcTaipei);
    other.Refresh();
    EXPECT_EQ(other.V().MagneticVariationText, "");
}

TEST(NavigationPanel, ConnectClearsTheValuesAndTheCourseRow) {
    Panel p;
    p.Feed(kRmcTaipei);
    p.Feed(kGgaTaipei);
    p.Refresh();
    p.Nav.SetCourseRowLayout(2);
    EXPECT_EQ(p.V().CourseRow().Caption, "COG :");
    p.Nav.ClearForConnect();
    EXPECT_EQ(p.V().LatitudeText, "");
    EXPECT_EQ(p.V().UtcTimeText, "");
    EXPECT_EQ(p.V().GaugeCourseText, "");
    EXPECT_EQ(p.V().HdopText, "");
    EXPECT_EQ(p.V().CourseRowLayoutIndex, 0);
    EXPECT_FALSE(p.Nav.Gauges().HeadingMeterVisible);
}

TEST(NavigationPanel, StoredUnitSettingsOutOfRangeMeanKilometres) {
    Panel p;
    p.Nav.LoadUnitSettings(7, true);
    EXPECT_EQ(p.Nav.SpeedUnitIndex(), 0);
    EXPECT_TRUE(p.Nav.DmsMode());
}

}  // namespace
}  // namespace gnss
