#include "views/gauges_model.h"

#include <gtest/gtest.h>

namespace gnss {
namespace {

TEST(SpeedometerAngle, ScalesPerUnitAndPinsBeyondTheDial) {
    struct Case {
        double Knots;
        int Unit;
        int Angle;
        bool OverRange;
        int Counter;
    };
    const Case cases[] = {
        {0.0, 0, 226, false, 0},    {100.0, 0, 364, false, 1852}, {70.0, 2, 135, true, 700},
        {50.0, 2, 451, false, 500}, {59.9, 2, 496, true, 599},    {59.8, 2, 495, false, 598},
        {10.0, 1, 239, false, 115}, {196.0, 0, 496, true, 3630},  {12.3, 2, 281, false, 123},
    };
    for (const Case& c : cases) {
        const SpeedometerReading r = SpeedometerAngle(c.Knots, c.Unit);
        EXPECT_EQ(r.OverRange, c.OverRange) << c.Knots << " unit " << c.Unit;
        EXPECT_EQ(r.Angle, c.OverRange ? kSpeedometerPinnedAngle : c.Angle) << c.Knots;
        EXPECT_EQ(OdometerValue(c.Knots, c.Unit), c.Counter) << c.Knots;
    }
}

struct GaugeRig {
    RmcRecord Rmc;
    VtgRecord Vtg;
    KindFlags Kinds{};
    GaugesModel Model;
    void Update(bool fixValid, int unit = 0, bool drFix = false) {
        Model.UpdateGauges({fixValid, drFix, &Rmc, &Vtg, &Kinds, unit});
    }
};

TEST(GaugesModel, NoFixHidesTheMetersAndZeroesTheCounter) {
    GaugeRig g;
    g.Rmc.SpeedKnots = 10.0;
    g.Update(true);
    EXPECT_TRUE(g.Model.View().SpeedometerVisible);
    EXPECT_EQ(g.Model.View().OdometerValue, 185);
    g.Update(false);
    EXPECT_FALSE(g.Model.View().SpeedometerVisible);
    EXPECT_FALSE(g.Model.View().HeadingMeterVisible);
    EXPECT_EQ(g.Model.View().OdometerValue, 0);
    g.Update(false, 0, true);  // dead reckoning counts as a fix here
    EXPECT_TRUE(g.Model.View().SpeedometerVisible);
}

TEST(GaugesModel, OverRangeColourComesBackBelowTheEndOfTheDial) {
    GaugeRig g;
    g.Rmc.SpeedKnots = 70.0;
    g.Update(true, 2);
    EXPECT_EQ(g.Model.View().SpeedometerAngle, 135);
    EXPECT_EQ(g.Model.View().SpeedometerColor, kSpeedometerOverRangeColor);
    EXPECT_EQ(g.Model.View().Face, SpeedometerFace::NauticalMiles);
    g.Rmc.SpeedKnots = 50.0;
    g.Update(true, 2);
    EXPECT_EQ(g.Model.View().SpeedometerAngle, 451);
    EXPECT_EQ(g.Model.View().SpeedometerColor, kSpeedometerNormalColor);
}

TEST(GaugesModel, HeadingFromRmcElseVtgSeenThisSecond) {
    GaugeRig g;
    g.Rmc.CourseDeg = 10.6;
    g.Vtg.CourseTrueDeg = 200.4;
    g.Kinds[SentenceKind::Rmc] = true;
    g.Kinds[SentenceKind::Vtg] = true;
    g.Update(true);
    EXPECT_EQ(g.Model.View().Heading, 11);
    g.Kinds = {};
    g.Kinds[SentenceKind::Vtg] = true;
    g.Update(true);
    EXPECT_EQ(g.Model.View().Heading, 200);
    g.Kinds = {};
    g.Vtg.CourseTrueDeg = 90.0;
    g.Update(true);
    EXPECT_EQ(g.Model.View().Heading, 200) << "nothing seen: the heading stays";
    g.Kinds[SentenceKind::Rmc] = true;
    g.Rmc.CourseDeg = kCourseNotReported;
    g.Update(true);
    EXPECT_EQ(g.Model.View().Heading, 200) << "a course that was not sent moves nothing";
}

TEST(GaugesModel, ImplausibleSpeedHidesTheSpeedometerOnly) {
    GaugeRig g;
    g.Rmc.SpeedKnots = 12.0;
    g.Update(true);
    g.Rmc.SpeedKnots = 10000.0;
    g.Update(true);
    EXPECT_FALSE(g.Model.View().SpeedometerVisible);
    EXPECT_TRUE(g.Model.View().HeadingMeterVisible);
    EXPECT_EQ(g.Model.View().OdometerValue, 222) << "the counter keeps the last plausible speed";
}

TEST(GaugesModel, DualAntennaHeadingAndDistance) {
    GaugesModel m;
    m.ShowDualAntennaHeading("$GPHDT,274.07,T*03");
    EXPECT_EQ(m.View().HeadingLabel, "274.07\u00B0");
    EXPECT_TRUE(m.View().CompassMeterVisible);
    EXPECT_TRUE(m.View().CourseUpVisible);
    EXPECT_EQ(m.View().CompassHeading, 274);
    m.ShowDualAntennaHeading("$GPHDT,,T*0F");
    EXPECT_EQ(m.View().HeadingLabel, "");
    EXPECT_FALSE(m.View().CompassMeterVisible);
    EXPECT_TRUE(m.View().HeadingLabelVisible);

    m.ShowAntennaDistance("$PMDR,DIST,1203*5A");
    EXPECT_EQ(m.View().AntennaDistanceLabel, "1203_mm");
    EXPECT_TRUE(m.View().AntennaDistanceVisible);

    m.ClearForConnect();
    EXPECT_EQ(m.View().HeadingLabel, "");
    EXPECT_EQ(m.View().AntennaDistanceLabel, "");
    EXPECT_FALSE(m.View().HeadingLabelVisible);
    EXPECT_FALSE(m.View().AntennaDistanceVisible);
    EXPECT_FALSE(m.View().CourseUpVisible);
    EXPECT_FALSE(m.View().CompassMeterVisible);
}

}  // namespace
}  // namespace gnss
