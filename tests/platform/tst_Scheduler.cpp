#include "support/ManualScheduler.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace brimlark;
using namespace std::chrono_literals;

TEST(ManualScheduler, RunsDueTasksInTimeThenSchedulingOrder)
{
    ManualScheduler s;
    std::vector<int> order;
    s.schedule(300ms, [&] { order.push_back(3); });
    s.schedule(100ms, [&] { order.push_back(1); });
    s.schedule(100ms, [&] { order.push_back(2); });
    s.schedule(1000ms, [&] { order.push_back(4); });

    s.advance(99ms);
    EXPECT_TRUE(order.empty());
    s.advance(1ms);
    EXPECT_EQ(order, (std::vector<int> { 1, 2 }));
    s.advance(500ms);
    EXPECT_EQ(order, (std::vector<int> { 1, 2, 3 }));
    EXPECT_EQ(s.pendingCount(), 1u);
    EXPECT_EQ(s.now(), 600ms);
}

TEST(ManualScheduler, TaskSeesItsOwnDueTimeAndCanScheduleMore)
{
    ManualScheduler s;
    std::vector<std::chrono::milliseconds> times;
    s.schedule(100ms, [&] {
        times.push_back(s.now());
        s.schedule(50ms, [&] { times.push_back(s.now()); });
        s.schedule(500ms, [&] { times.push_back(s.now()); });
    });
    s.advance(200ms);
    EXPECT_EQ(times, (std::vector<std::chrono::milliseconds> { 100ms, 150ms }));
    s.advance(400ms);
    EXPECT_EQ(times.back(), 600ms);
}

TEST(ManualScheduler, CancelStopsOnlyThatTask)
{
    ManualScheduler s;
    int ran = 0;
    const auto a = s.schedule(10ms, [&] { ran += 1; });
    s.schedule(10ms, [&] { ran += 10; });
    s.cancel(a);
    s.cancel(a);
    s.cancel(12345);
    s.advance(10ms);
    EXPECT_EQ(ran, 10);
}

TEST(TimerScheduler, RunsOnTheEventLoopAndHonoursCancel)
{
    TimerScheduler s;
    bool ran = false;
    bool cancelled = false;
    const auto id = s.schedule(0ms, [&] { cancelled = true; });
    s.schedule(0ms, [&] { ran = true; });
    EXPECT_FALSE(ran); // never before returning
    s.cancel(id);
    EXPECT_TRUE(test::waitUntil([&] { return ran; }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(cancelled);
}
