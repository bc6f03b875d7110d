#include "assist/epo_status.h"

#include <gtest/gtest.h>

#include <cmath>

namespace gnss {
namespace {

DateTime Gps(int week, double towSeconds) {
    return DateTime{GpsTimeOrigin().Days + week * 7.0 + towSeconds / 86400.0};
}

TEST(EpoStatus, ParsesOnlyWholeNumberReplies) {
    const auto reply = ParseEpoStatusReply("$PMTK707,28,2200,0,2200,583200*1F");
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->Sets, 28);
    EXPECT_EQ(reply->FirstWeek, 2200);
    EXPECT_EQ(reply->LastTowSeconds, 583200);
    for (const char* bad :
         {"$PMTK707,28,2200,0.5,2200,583200*00", "$PMTK707,28,2200,,2200,1*00",
          "$PMTK707,28,2200,-1,2200,1*00", "$PMTK707,28,2200*00", "$PMTK001,607,3*30"}) {
        EXPECT_FALSE(ParseEpoStatusReply(bad).has_value()) << bad;
    }
}

TEST(EpoStatus, ValidDaysStartEndAndTheTwentySixHourRule) {
    struct Case {
        int Sets;
        double ValidDays;
        double HoursAfterStart;
        bool NeedUpdate;
        bool UpdateAllowed;
    };
    const Case cases[] = {
        {28, 6.75, 10.0, false, false},
        {28, 6.75, 27.0, true, true},
        // No data: Update never refuses.
        {0, -0.25, 1.0, false, true},
        {56, 13.75, 25.0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Sets);
        const EpoStatusReply reply{c.Sets, 2200, 21600, 2206, 583200};
        const DateTime start = Gps(2200, 21600);
        const DateTime now{start.Days + kEpoRenewAfterDays * c.HoursAfterStart / 26.0};
        const EpoStatus status = EpoStatusFromReply(reply, now);
        EXPECT_DOUBLE_EQ(status.ValidDays, c.ValidDays);
        EXPECT_DOUBLE_EQ(status.Start.Days, start.Days);
        EXPECT_DOUBLE_EQ(status.End.Days, Gps(2206, 583200).Days + 0.25);
        EXPECT_EQ(status.NeedUpdate, c.NeedUpdate);
        EXPECT_EQ(EpoUpdateAllowed(status, now), c.UpdateAllowed);
    }
}

TEST(EpoStatus, ExactlyTwentySixHoursNeedsNoUpdateYetUpdateDownloads) {
    // Dates near the origin keep the difference exact.
    EpoStatus status;
    status.ValidDays = 6.75;
    status.Start = DateTime{0.0};
    const DateTime now{kEpoRenewAfterDays};
    EXPECT_FALSE(EpoNeedsUpdate(status.Start, now));
    EXPECT_TRUE(EpoUpdateAllowed(status, now));
    EXPECT_TRUE(EpoNeedsUpdate(status.Start, DateTime{std::nextafter(now.Days, 2.0)}));
    EXPECT_FALSE(EpoUpdateAllowed(status, DateTime{std::nextafter(now.Days, 0.0)}));
}

TEST(EpoStatus, ValidityTexts) {
    const EpoStatus empty = EpoStatusFromReply({0, 0, 0, 0, 0}, Gps(2300, 0));
    EXPECT_EQ(EpoValidityText(empty, Gps(2300, 0)), "AGPS data is empty !");
    EXPECT_EQ(EpoValidityText(empty, Gps(0, 0)), "AGPS data is empty !");

    const EpoStatus week = EpoStatusFromReply({28, 2200, 0, 2200, 583200}, Gps(2200, 0));
    // The data ends at 2200 + 583200 s + 6 h = 7 days after the start.
    EXPECT_EQ(EpoValidityText(week, Gps(2200, 0)), "AGPS data is valid for 7 day(s) 0 hour(s)");
    EXPECT_EQ(EpoValidityText(week, Gps(2200, 3 * 86400 + 5 * 3600 + 1800)),
              "AGPS data is valid for 3 day(s) 18 hour(s)");
    EXPECT_EQ(EpoValidityText(week, Gps(2201, 0)), "AGPS data is out of date !");
}

TEST(EpoStatus, ReferenceTimeComesFromAValidRmcElseFromTheComputer) {
    RmcRecord rmc;
    rmc.Status = 'A';
    rmc.Date = NmeaDate{26, 12, 9};
    rmc.Time = TimeOfFix{12, 30, 0.0};
    const DateTime pc{46000.25};
    const ReferenceTime gps = EpoReferenceTime(rmc, pc);
    EXPECT_TRUE(gps.FromReceiver);
    EXPECT_EQ(gps.Prefix(), "[GPS]--");
    EXPECT_DOUBLE_EQ(gps.Utc.Days, DaysFromCivil(2026, 12, 9) + 12.5 / 24.0);
    for (const char status : {'V', '\0'}) {
        rmc.Status = status;
        const ReferenceTime fromPc = EpoReferenceTime(rmc, pc);
        EXPECT_FALSE(fromPc.FromReceiver);
        EXPECT_EQ(fromPc.Prefix(), "[PC]--");
        EXPECT_DOUBLE_EQ(fromPc.Utc.Days, pc.Days);
    }
}

}  // namespace
}  // namespace gnss
