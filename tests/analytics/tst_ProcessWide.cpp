#include "analytics/AnalyticsManager.h"
#include "analytics/ApplicationLifecycle.h"
#include "analytics/MainExecutor.h"
#include "analytics/TallyClock.h"
#include "analytics/TallyManager.h"
#include "analytics/TallyRandom.h"
#include "analytics/TallyUuidSource.h"
#include "platform/base/ProcessWide.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace brimlark;

namespace {

struct Box
{
    int value = 0;
};

} // namespace

// Nothing is made on first read: a read before any install, or after the
// object was uninstalled, is a wiring fault that names the accessor.
TEST(ProcessWideTest, AReadWithNothingInstalledThrowsNamingTheAccessor)
{
    ProcessWide<Box> box("Box::shared()");
    const std::vector<std::function<void()>> steps {
        [] {},
        [&box] {
            box.install(std::make_shared<Box>());
            box.install(nullptr);
        },
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        steps[i]();
        try {
            box.get();
            ADD_FAILURE() << "step " << i << ": a read with nothing installed returned";
        } catch (const std::logic_error &error) {
            EXPECT_NE(std::string(error.what()).find("Box::shared()"), std::string::npos) << error.what();
        }
    }
}

// A test installs its double and puts back exactly what it replaced.
TEST(ProcessWideTest, InstallReturnsTheObjectItReplaces)
{
    ProcessWide<Box> box("Box::shared()");
    const auto first = std::make_shared<Box>(Box { 1 });
    const auto second = std::make_shared<Box>(Box { 2 });
    EXPECT_EQ(box.install(first), nullptr);
    EXPECT_EQ(box.get(), first);
    EXPECT_EQ(box.install(second), first);
    EXPECT_EQ(box.get()->value, 2);
    EXPECT_EQ(box.install(first), second);
    EXPECT_EQ(box.get(), first);
}

// A reader on another thread always gets a whole installed object, and
// keeps it alive after it is replaced.
TEST(ProcessWideTest, ReadersOnOtherThreadsSeeOneOfTheInstalledObjects)
{
    ProcessWide<Box> box("Box::shared()");
    box.install(std::make_shared<Box>(Box { 0 }));
    std::atomic<bool> done { false };
    std::atomic<int> wrong { 0 };
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&] {
            while (!done) {
                const auto held = box.get();
                if (!held || held->value < 0 || held->value > 1000) {
                    ++wrong;
                }
            }
        });
    }
    for (int i = 1; i <= 1000; ++i) {
        box.install(std::make_shared<Box>(Box { i }));
    }
    done = true;
    for (auto &reader : readers) {
        reader.join();
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(box.get()->value, 1000);
}

// The test run installs the client's objects as the program does (see
// InstalledAnalyticsServices.cpp): every accessor reads one.
TEST(ProcessWideTest, TheProgramsInstallLeavesEveryAccessorReadable)
{
    EXPECT_NE(MainExecutor::shared(), nullptr);
    EXPECT_GT(TallyClock::shared()->now(), 1.6e9);
    EXPECT_EQ(TallyUuidSource::shared()->newUuidText().size(), 36u);
    EXPECT_LT(TallyRandom::shared()->uniform(10), 10u);
    EXPECT_NE(ApplicationLifecycle::shared(), nullptr);
    EXPECT_EQ(&TallyManager::sharedInstance(), &TallyManager::sharedInstance());
    const auto build = AnalyticsManager::buildConfiguration();
    EXPECT_EQ(AnalyticsManager::shared().isEnabled(), !build.serverURL.empty() && !build.token.empty());
}
