#include "analytics/ReadWriteLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace brimlark;

TEST(ReadWriteLockTest, ReadersRunSideBySide)
{
    ReadWriteLock lock("test.readers");
    std::atomic<int> inside { 0 };
    std::atomic<bool> bothInside { false };
    auto reader = [&] {
        lock.read([&] {
            ++inside;
            // Each reader waits (bounded) until it sees the other one inside.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (inside.load() < 2 && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::yield();
            }
            if (inside.load() == 2) {
                bothInside = true;
            }
        });
    };
    std::thread a(reader);
    std::thread b(reader);
    a.join();
    b.join();
    EXPECT_TRUE(bothInside.load());
}

TEST(ReadWriteLockTest, WritersExcludeEveryoneAndResultsComeBack)
{
    ReadWriteLock lock("test.writers");
    long long counter = 0; // guarded only by the lock
    std::atomic<bool> readerSawTornState { false };
    long long shadow = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                lock.write([&] {
                    ++counter;
                    ++shadow;
                });
                lock.read([&] {
                    if (counter != shadow) {
                        readerSawTornState = true;
                    }
                });
            }
        });
    }
    for (auto &thread : threads) {
        thread.join();
    }
    EXPECT_EQ(lock.read([&] { return counter; }), 8000);
    EXPECT_FALSE(readerSawTornState.load());
    EXPECT_EQ(lock.write([&] { return ++counter; }), 8001);
    EXPECT_EQ(lock.label(), "test.writers");
}
