#include "base/virtual_time.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/date_time.h"

namespace gnss {
namespace {

TEST(VirtualTime, FiresDueTimersInOrderOfDueTimeThenArming) {
    VirtualTime time;
    std::vector<std::string> fired;
    auto a = time.CreateTimer();
    auto b = time.CreateTimer();
    auto c = time.CreateTimer();
    a->SetIntervalMs(70);
    b->SetIntervalMs(200);
    c->SetIntervalMs(70);
    a->OnTimeout = [&] { fired.push_back("a" + std::to_string(time.ElapsedMs())); };
    b->OnTimeout = [&] { fired.push_back("b" + std::to_string(time.ElapsedMs())); };
    c->OnTimeout = [&] { fired.push_back("c" + std::to_string(time.ElapsedMs())); };
    a->Start();
    b->Start();
    c->Start();
    time.Advance(209);
    EXPECT_EQ(fired, (std::vector<std::string>{"a70", "c70", "a140", "c140", "b200"}));
}

TEST(VirtualTime, SingleShotStopsAndCanBeRearmedFromItsCallback) {
    VirtualTime time;
    int count = 0;
    auto t = time.CreateTimer();
    t->SetSingleShot(true);
    t->SetIntervalMs(50);
    t->OnTimeout = [&] {
        if (++count < 3) t->Start();
    };
    t->Start();
    time.Advance(1000);
    EXPECT_EQ(count, 3);
    EXPECT_FALSE(t->IsActive());
}

TEST(VirtualTime, EnablingARunningTimerKeepsItsPhase) {
    VirtualTime time;
    int count = 0;
    auto t = time.CreateTimer();
    t->SetIntervalMs(100);
    t->OnTimeout = [&] { ++count; };
    t->Start();
    time.Advance(90);
    t->SetEnabled(true);
    time.Advance(10);
    EXPECT_EQ(count, 1);
}

TEST(VirtualTime, TickWrapsAt32Bits) {
    VirtualTime time(VirtualTime::Options{.StartTickMs = 0xFFFFFFF0u});
    time.Advance(0x20);
    EXPECT_EQ(time.TickMs(), 0x10u);
}

TEST(VirtualTime, DestroyedTimerNeverFires) {
    VirtualTime time;
    int count = 0;
    {
        auto t = time.CreateTimer();
        t->SetIntervalMs(10);
        t->OnTimeout = [&] { ++count; };
        t->Start();
    }
    time.Advance(100);
    EXPECT_EQ(count, 0);
}

TEST(DelayedCall, RunsTheContinuationOnceAndCancelsWithItsOwner) {
    VirtualTime time;
    int ran = 0;
    {
        DelayedCall call(time);
        call.After(150, [&] { ++ran; });
        time.Advance(149);
        EXPECT_EQ(ran, 0);
        time.Advance(1);
        EXPECT_EQ(ran, 1);
        call.After(100, [&] { ++ran; });
    }
    time.Advance(500);
    EXPECT_EQ(ran, 1);
}

TEST(DateTime, CalendarRoundTripAndOrigin) {
    EXPECT_EQ(DaysFromCivil(1899, 12, 30), 0);
    EXPECT_EQ(DaysFromCivil(1980, 1, 6), 29226);
    const DateTimeParts parts = DecodeDateTime(DateTime{DaysFromCivil(2024, 2, 29) + 0.5});
    EXPECT_EQ(parts.Year, 2024);
    EXPECT_EQ(parts.Month, 2);
    EXPECT_EQ(parts.Day, 29);
    EXPECT_EQ(parts.Hour, 12);
}

}  // namespace
}  // namespace gnss
