#include "ManualTallyClock.h"
#include "analytics/TallyClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

using namespace brimlark;

TEST(TallyClockTest, SystemClockIsSecondsSince1970)
{
    SystemTallyClock clock;
    const double expected
        = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_NEAR(clock.now(), expected, 5.0);
    EXPECT_GT(clock.now(), 1.6e9); // after 2020: not milliseconds, not a relative time
    EXPECT_LT(clock.now(), 1.0e10);
}

TEST(TallyClockTest, ManualClockMovesOnlyWhenTold)
{
    ManualTallyClock clock(1000.0);
    EXPECT_EQ(clock.now(), 1000.0);
    clock.advance(0.5);
    EXPECT_EQ(clock.now(), 1000.5);
    clock.set(42.0);
    EXPECT_EQ(clock.now(), 42.0);

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 1000; ++i) {
                clock.advance(1.0);
            }
        });
    }
    for (auto &thread : threads) {
        thread.join();
    }
    EXPECT_EQ(clock.now(), 4042.0); // no advance lost to a race
}

TEST(TallyClockTest, SharedClockCanBeReplaced)
{
    auto original = TallyClock::shared();
    auto manual = std::make_shared<ManualTallyClock>(7.0);
    TallyClock::installShared(manual);
    EXPECT_EQ(TallyClock::shared()->now(), 7.0);
    TallyClock::installShared(original);
    EXPECT_GT(TallyClock::shared()->now(), 1.6e9);
}
