#include "analytics/SerialQueue.h"

#include "TallyLogCapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace brimlark;

namespace {

// A one-shot gate that tasks can wait on, so tests control when the worker proceeds.
class Gate
{
public:
    void open()
    {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_cv.notify_all();
    }
    void wait()
    {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [this] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = false;
};

} // namespace

TEST(SerialQueueTest, TasksRunInQueueOrderOneAtATime)
{
    SerialQueue queue("com.brimlark.test.order");
    std::vector<int> order;
    std::atomic<int> inside { 0 };
    std::atomic<bool> overlapped { false };
    for (int i = 0; i < 500; ++i) {
        queue.async([&, i] {
            if (inside.fetch_add(1) != 0) {
                overlapped = true;
            }
            order.push_back(i); // unsynchronised on purpose: the queue must serialise it
            inside.fetch_sub(1);
        });
    }
    queue.sync([] {});
    ASSERT_EQ(order.size(), 500u);
    for (int i = 0; i < 500; ++i) {
        EXPECT_EQ(order[i], i);
    }
    EXPECT_FALSE(overlapped.load());
}

TEST(SerialQueueTest, TasksFromManyThreadsKeepEachThreadsOrder)
{
    SerialQueue queue("com.brimlark.test.producers");
    std::vector<std::pair<int, int>> seen;
    std::vector<std::thread> producers;
    for (int p = 0; p < 4; ++p) {
        producers.emplace_back([&, p] {
            for (int i = 0; i < 100; ++i) {
                queue.async([&seen, p, i] { seen.emplace_back(p, i); });
            }
        });
    }
    for (auto &producer : producers) {
        producer.join();
    }
    queue.sync([] {});
    ASSERT_EQ(seen.size(), 400u);
    std::vector<int> next(4, 0);
    for (const auto &[p, i] : seen) {
        EXPECT_EQ(i, next[p]) << "producer " << p;
        next[p] = i + 1;
    }
}

TEST(SerialQueueTest, SyncWaitsForEarlierTasksAndReturnsItsResult)
{
    SerialQueue queue("com.brimlark.test.sync");
    Gate gate;
    std::atomic<bool> earlierDone { false };
    queue.async([&] {
        gate.wait();
        earlierDone = true;
    });
    std::thread opener([&] { gate.open(); });
    const int result = queue.sync([&] { return earlierDone.load() ? 7 : -1; });
    opener.join();
    EXPECT_EQ(result, 7);
    EXPECT_FALSE(queue.isCurrent());
    EXPECT_TRUE(queue.sync([&] { return queue.isCurrent(); }));
}

TEST(SerialQueueTest, SyncFromItsOwnTaskRunsInPlaceInsteadOfDeadlocking)
{
    SerialQueue queue("com.brimlark.test.reentrant");
    const int result = queue.sync([&] { return queue.sync([] { return 3; }) + 1; });
    EXPECT_EQ(result, 4);
}

TEST(SerialQueueTest, SyncPassesTheClosuresExceptionToTheCaller)
{
    SerialQueue queue("com.brimlark.test.sync-throws");
    EXPECT_THROW(queue.sync([]() -> int { throw std::runtime_error("boom"); }), std::runtime_error);
    EXPECT_EQ(queue.sync([] { return 1; }), 1);
}

TEST(SerialQueueTest, AThrowingTaskIsLoggedAndLaterTasksStillRun)
{
    test::TallyLogCapture capture;
    SerialQueue queue("com.brimlark.test.throws");
    std::atomic<bool> later { false };
    queue.async([] { throw std::runtime_error("disk gone"); });
    queue.async([&] { later = true; });
    queue.sync([] {});
    EXPECT_TRUE(later.load());
    EXPECT_EQ(capture.count(TallyLogLevel::Error, "disk gone"), 1u);
}

TEST(SerialQueueTest, DestructionRunsEverythingAlreadyQueued)
{
    std::vector<int> ran;
    Gate gate;
    {
        SerialQueue queue("com.brimlark.test.drain");
        queue.async([&] { gate.wait(); });
        for (int i = 0; i < 50; ++i) {
            queue.async([&ran, i] { ran.push_back(i); });
        }
        gate.open();
    }
    ASSERT_EQ(ran.size(), 50u);
    EXPECT_EQ(ran.front(), 0);
    EXPECT_EQ(ran.back(), 49);
}

// An owner whose last reference is dropped by a task on its own queue: the queue is destroyed on
// its own worker thread, which must neither deadlock joining itself nor drop the tasks after it.
TEST(SerialQueueTest, OwnerDestroyedOnItsOwnQueue)
{
    struct Owner
    {
        SerialQueue queue { "com.brimlark.test.owner" };
        std::atomic<int> *destroyed;
        explicit Owner(std::atomic<int> *counter)
            : destroyed(counter)
        {
        }
        ~Owner() { ++*destroyed; }
    };

    std::atomic<int> destroyed { 0 };
    auto finished = std::make_shared<std::promise<std::thread::id>>();
    auto finishedFuture = finished->get_future();
    std::thread::id dropThread;
    Gate gate;
    {
        auto owner = std::make_shared<Owner>(&destroyed);
        owner->queue.async([&gate] { gate.wait(); });
        // This task holds the last reference once the test lets go of its own.
        owner->queue.async([keep = owner, &dropThread]() mutable {
            dropThread = std::this_thread::get_id();
            keep.reset();
        });
        owner->queue.async([finished] { finished->set_value(std::this_thread::get_id()); });
        owner.reset();
        gate.open();
    }
    ASSERT_EQ(finishedFuture.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    const std::thread::id tailThread = finishedFuture.get();
    EXPECT_EQ(destroyed.load(), 1);
    EXPECT_EQ(tailThread, dropThread); // the task queued after the drop still ran on the worker
    EXPECT_NE(tailThread, std::this_thread::get_id());
}
