#include "platform/qt_scheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/qt_test_support.h"

namespace gnss {
namespace {

using testing::WaitUntil;

std::unique_ptr<Timer> MakeTimer(QtScheduler& scheduler, uint32_t intervalMs, bool singleShot,
                                 std::function<void()> onTimeout) {
    auto timer = scheduler.CreateTimer();
    timer->SetIntervalMs(intervalMs);
    timer->SetSingleShot(singleShot);
    timer->OnTimeout = std::move(onTimeout);
    return timer;
}

TEST(QtScheduler, SingleShotFiresOnceAndRepeatingKeepsFiring) {
    QtScheduler scheduler;
    int singleCount = 0;
    int repeatCount = 0;
    auto single = MakeTimer(scheduler, 10, true, [&] { ++singleCount; });
    auto repeating = MakeTimer(scheduler, 10, false, [&] { ++repeatCount; });
    EXPECT_EQ(single->IntervalMs(), 10u);
    single->Start();
    repeating->Start();
    ASSERT_TRUE(WaitUntil([&] { return repeatCount >= 4; }));
    EXPECT_EQ(singleCount, 1);
    EXPECT_FALSE(single->IsActive());
    EXPECT_TRUE(repeating->IsActive());
    repeating->Stop();
    EXPECT_FALSE(repeating->IsActive());
}

// Orders events against other timers rather than against the wall clock: A repeats every
// 300 ms, B (200 ms) enables A again, C (400 ms) is the yardstick. A keeps its phase when A
// fires at 300 ms, before C; a restart would move it to 500 ms, after C.
TEST(QtScheduler, EnablingARunningTimerKeepsItsPhase) {
    QtScheduler scheduler;
    std::vector<std::string> order;
    std::unique_ptr<Timer> a = MakeTimer(scheduler, 300, false, [&] { order.push_back("A"); });
    auto b = MakeTimer(scheduler, 200, true, [&] {
        order.push_back("B");
        a->SetEnabled(true);
    });
    auto c = MakeTimer(scheduler, 400, true, [&] { order.push_back("C"); });
    a->Start();
    b->Start();
    c->Start();
    ASSERT_TRUE(WaitUntil([&] { return order.size() >= 3; }));
    EXPECT_EQ(order, (std::vector<std::string>{"B", "A", "C"}));
}

TEST(QtScheduler, DisablingStopsAndEnablingRearmsAStoppedTimer) {
    QtScheduler scheduler;
    std::vector<std::string> order;
    auto disabled = MakeTimer(scheduler, 20, true, [&] { order.push_back("disabled"); });
    auto yardstick = MakeTimer(scheduler, 150, true, [&] { order.push_back("yardstick"); });
    disabled->Start();
    disabled->SetEnabled(false);
    EXPECT_FALSE(disabled->IsActive());
    yardstick->Start();
    ASSERT_TRUE(WaitUntil([&] { return !order.empty(); }));
    EXPECT_EQ(order, (std::vector<std::string>{"yardstick"}));

    // A single-shot that has fired is stopped; enabling it arms it again.
    disabled->SetEnabled(true);
    EXPECT_TRUE(disabled->IsActive());
    ASSERT_TRUE(WaitUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order.back(), "disabled");
}

TEST(QtScheduler, HandlerMayDestroyItsOwnTimerAndDelayedCallRunsTheStep) {
    QtScheduler scheduler;
    int fired = 0;
    std::unique_ptr<Timer> self = MakeTimer(scheduler, 5, false, nullptr);
    self->OnTimeout = [&] {
        ++fired;
        self.reset();
    };
    self->Start();
    ASSERT_TRUE(WaitUntil([&] { return self == nullptr; }));
    EXPECT_EQ(fired, 1);

    DelayedCall call(scheduler);
    std::vector<int> steps;
    call.After(30, [&] { steps.push_back(1); });
    call.After(10, [&] { steps.push_back(2); });  // replaces the pending step
    EXPECT_TRUE(call.Pending());
    ASSERT_TRUE(WaitUntil([&] { return !steps.empty(); }));
    EXPECT_EQ(steps, std::vector<int>{2});
    EXPECT_FALSE(call.Pending());
    // Let the released QTimer go.
    QCoreApplication::processEvents();
}

}  // namespace
}  // namespace gnss
