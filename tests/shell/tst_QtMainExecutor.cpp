#include "shell/QtMainExecutor.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QThread>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

using brimlark::QtMainExecutor;
using brimlark::RepeatingTimer;

namespace {

// Another timer serves as the clock: once it has ticked n times, a timer of
// the same period that was still running would have ticked too.
void waitForTicks(QtMainExecutor &executor, int ticks)
{
    int count = 0;
    auto clock = executor.scheduleRepeatingTimer(0.001, [&] { ++count; });
    ASSERT_TRUE(brimlark::test::waitUntil([&] { return count >= ticks; }));
    clock->invalidate();
}

TEST(QtMainExecutor, PostedTasksRunLaterInOrderOnTheMainThread)
{
    QtMainExecutor executor;
    std::vector<int> order;
    for (int i = 0; i < 5; ++i) {
        executor.post([&order, i] {
            EXPECT_EQ(QThread::currentThread(), qApp->thread());
            order.push_back(i);
        });
    }
    EXPECT_TRUE(order.empty());
    ASSERT_TRUE(brimlark::test::waitUntil([&] { return order.size() == 5; }));
    EXPECT_EQ(order, (std::vector<int> { 0, 1, 2, 3, 4 }));
}

TEST(QtMainExecutor, TasksPostedFromOtherThreadsRunOnTheMainThread)
{
    QtMainExecutor executor;
    std::atomic<int> ran { 0 };
    std::atomic<bool> allOnMain { true };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 25; ++i) {
                executor.post([&] {
                    if (QThread::currentThread() != qApp->thread()) {
                        allOnMain = false;
                    }
                    ++ran;
                });
            }
        });
    }
    for (auto &thread : threads) {
        thread.join();
    }
    ASSERT_TRUE(brimlark::test::waitUntil([&] { return ran == 100; }));
    EXPECT_TRUE(allOnMain);
}

TEST(QtMainExecutor, ATaskThatThrowsOrIsEmptyDoesNotStopTheOthers)
{
    QtMainExecutor executor;
    bool after = false;
    executor.post([] { throw std::runtime_error("boom"); });
    executor.post({});
    executor.post([&] { after = true; });
    EXPECT_TRUE(brimlark::test::waitUntil([&] { return after; }));
}

TEST(QtMainExecutor, ARepeatingTimerFiresUntilInvalidated)
{
    QtMainExecutor executor;
    int fired = 0;
    std::shared_ptr<RepeatingTimer> timer;
    timer = executor.scheduleRepeatingTimer(0.001, [&] {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        if (++fired == 3) {
            timer->invalidate();
        }
    });
    EXPECT_TRUE(timer->isValid());
    ASSERT_TRUE(brimlark::test::waitUntil([&] { return fired == 3; }));
    EXPECT_FALSE(timer->isValid());
    waitForTicks(executor, 10);
    EXPECT_EQ(fired, 3);
}

TEST(QtMainExecutor, ReleasingTheLastHandleOrInvalidatingFromAnotherThreadStopsTheTimer)
{
    for (const bool release : { true, false }) {
        QtMainExecutor executor;
        std::atomic<int> fired { 0 };
        auto timer = executor.scheduleRepeatingTimer(0.001, [&] { ++fired; });
        ASSERT_TRUE(brimlark::test::waitUntil([&] { return fired >= 1; }));
        if (release) {
            timer.reset();
        } else {
            std::thread([timer] { timer->invalidate(); }).join();
            EXPECT_FALSE(timer->isValid());
        }
        const int atStop = fired;
        waitForTicks(executor, 10);
        EXPECT_EQ(fired, atStop) << (release ? "released" : "invalidated");
    }
}

TEST(QtMainExecutor, ANonPositiveIntervalGivesATimerThatNeverFires)
{
    QtMainExecutor executor;
    int fired = 0;
    auto zero = executor.scheduleRepeatingTimer(0, [&] { ++fired; });
    auto negative = executor.scheduleRepeatingTimer(-1, [&] { ++fired; });
    EXPECT_FALSE(zero->isValid());
    EXPECT_FALSE(negative->isValid());
    waitForTicks(executor, 5);
    EXPECT_EQ(fired, 0);
}

TEST(QtMainExecutor, TimersDieWithTheExecutor)
{
    int fired = 0;
    std::shared_ptr<RepeatingTimer> timer;
    {
        QtMainExecutor executor;
        timer = executor.scheduleRepeatingTimer(0.001, [&] { ++fired; });
        ASSERT_TRUE(brimlark::test::waitUntil([&] { return fired >= 1; }));
    }
    const int atEnd = fired;
    QtMainExecutor clock;
    waitForTicks(clock, 10);
    EXPECT_EQ(fired, atEnd);
    timer->invalidate(); // a handle that outlives its executor is harmless
}

} // namespace
