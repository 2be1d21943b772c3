#include "analytics/ThreadMainExecutor.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

using namespace brimlark;

TEST(ThreadMainExecutorTest, PostedTasksRunInOrderOnOneOtherThread)
{
    ThreadMainExecutor executor;
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    std::promise<void> done;
    for (int i = 0; i < 100; ++i) {
        executor.post([&, i] {
            order.push_back(i);
            threads.push_back(std::this_thread::get_id());
            if (i == 99) {
                done.set_value();
            }
        });
    }
    ASSERT_EQ(done.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(order[i], i);
        EXPECT_EQ(threads[i], threads[0]);
    }
    EXPECT_NE(threads[0], std::this_thread::get_id());
}

TEST(ThreadMainExecutorTest, DestructionRunsPostedTasksAndStopsTimers)
{
    int ran = 0;
    int fired = 0;
    std::shared_ptr<RepeatingTimer> timer;
    {
        ThreadMainExecutor executor;
        // Far in the future: must never fire, and must not keep the executor from ending.
        timer = executor.scheduleRepeatingTimer(3600, [&] { ++fired; });
        for (int i = 0; i < 20; ++i) {
            executor.post([&] { ++ran; });
        }
    }
    EXPECT_EQ(ran, 20);
    EXPECT_EQ(fired, 0);
    timer->invalidate(); // after the executor is gone: harmless
    EXPECT_FALSE(timer->isValid());
}

TEST(ThreadMainExecutorTest, NonPositiveIntervalGivesAnInvalidTimer)
{
    ThreadMainExecutor executor;
    EXPECT_FALSE(executor.scheduleRepeatingTimer(0, [] {})->isValid());
    EXPECT_FALSE(executor.scheduleRepeatingTimer(-5, [] {})->isValid());
    EXPECT_TRUE(executor.scheduleRepeatingTimer(3600, [] {})->isValid());
}

TEST(ThreadMainExecutorTest, SharedExecutorCanBeReplaced)
{
    auto original = MainExecutor::shared();
    ASSERT_TRUE(original);
    EXPECT_EQ(MainExecutor::shared(), original);
    auto replacement = std::make_shared<ThreadMainExecutor>();
    MainExecutor::installShared(replacement);
    EXPECT_EQ(MainExecutor::shared(), replacement);
    MainExecutor::installShared(original);
}
