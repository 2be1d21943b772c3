#include "ManualMainExecutor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace brimlark;
using ::testing::ElementsAre;

TEST(ManualMainExecutorTest, PostedTasksWaitForRunPendingAndRunInOrder)
{
    ManualMainExecutor executor;
    std::vector<std::string> log;
    executor.post([&] {
        log.push_back("a");
        executor.post([&] { log.push_back("c"); }); // posted while running: runs in the same pass
    });
    executor.post([&] { log.push_back("b"); });
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(executor.pendingCount(), 2u);
    EXPECT_EQ(executor.runPending(), 3u);
    EXPECT_THAT(log, ElementsAre("a", "b", "c"));
    EXPECT_EQ(executor.runPending(), 0u);
}

TEST(ManualMainExecutorTest, WaitForPostedSeesWorkFromAnotherThread)
{
    ManualMainExecutor executor;
    bool ran = false;
    std::thread worker([&] { executor.post([&] { ran = true; }); });
    EXPECT_TRUE(executor.waitForPosted());
    worker.join();
    executor.runPending();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(executor.waitForPosted(std::chrono::milliseconds(0)));
}

TEST(ManualMainExecutorTest, RepeatingTimersFireOnExecutorTimeInOrder)
{
    ManualMainExecutor executor;
    std::vector<std::string> log;
    auto every60 = executor.scheduleRepeatingTimer(
        60, [&] { log.push_back("60@" + std::to_string(int(executor.elapsed()))); });
    auto every25 = executor.scheduleRepeatingTimer(
        25, [&] { log.push_back("25@" + std::to_string(int(executor.elapsed()))); });
    EXPECT_EQ(executor.activeTimerCount(), 2u);

    EXPECT_EQ(executor.advance(59.5), 2u);
    EXPECT_THAT(log, ElementsAre("25@25", "25@50"));
    log.clear();
    EXPECT_EQ(executor.advance(70.5), 5u); // to 130
    EXPECT_THAT(log, ElementsAre("60@60", "25@75", "25@100", "60@120", "25@125"));
}

TEST(ManualMainExecutorTest, AdvanceReportsActionsRunAndCountsEveryPeriod)
{
    ManualMainExecutor executor;
    int fired = 0;
    auto timer = executor.scheduleRepeatingTimer(10, [&] { ++fired; });
    EXPECT_EQ(executor.advance(35), 3u);
    EXPECT_EQ(fired, 3);
    EXPECT_EQ(executor.elapsed(), 35);
}

TEST(ManualMainExecutorTest, InvalidatedOrReleasedTimersStopFiring)
{
    ManualMainExecutor executor;
    int fired = 0;
    auto timer = executor.scheduleRepeatingTimer(10, [&] { ++fired; });
    executor.advance(10);
    EXPECT_EQ(fired, 1);
    timer->invalidate();
    EXPECT_FALSE(timer->isValid());
    executor.advance(100);
    EXPECT_EQ(fired, 1);

    auto other = executor.scheduleRepeatingTimer(10, [&] { ++fired; });
    other.reset();
    executor.advance(100);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(executor.activeTimerCount(), 0u);
}

TEST(ManualMainExecutorTest, ATimerActionCanStopItself)
{
    ManualMainExecutor executor;
    int fired = 0;
    std::shared_ptr<RepeatingTimer> timer;
    timer = executor.scheduleRepeatingTimer(5, [&] {
        if (++fired == 2) {
            timer->invalidate();
        }
    });
    executor.advance(60);
    EXPECT_EQ(fired, 2);
}

TEST(ManualMainExecutorTest, NonPositiveIntervalsNeverFire)
{
    ManualMainExecutor executor;
    int fired = 0;
    for (double interval : { 0.0, -1.0, std::nan("") }) {
        auto timer = executor.scheduleRepeatingTimer(interval, [&] { ++fired; });
        EXPECT_FALSE(timer->isValid());
        executor.advance(1000);
    }
    EXPECT_EQ(fired, 0);
}

TEST(ManualMainExecutorTest, TasksPostedBeforeATimerRunBeforeItsAction)
{
    ManualMainExecutor executor;
    std::vector<std::string> log;
    auto timer = executor.scheduleRepeatingTimer(1, [&] { log.push_back("tick"); });
    executor.post([&] { log.push_back("posted"); });
    executor.advance(1);
    EXPECT_THAT(log, ElementsAre("posted", "tick"));
}
