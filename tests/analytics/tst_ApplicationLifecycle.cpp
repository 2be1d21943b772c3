#include "analytics/ApplicationLifecycle.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace brimlark;
using ::testing::ElementsAre;

namespace {

class Recorder : public ApplicationLifecycleObserver
{
public:
    Recorder(std::string name, std::vector<std::string> *log)
        : m_name(std::move(name))
        , m_log(log)
    {
    }
    void applicationWillResignActive() override { m_log->push_back(m_name + ":resign"); }
    void applicationDidBecomeActive() override { m_log->push_back(m_name + ":active"); }

private:
    std::string m_name;
    std::vector<std::string> *m_log;
};

} // namespace

TEST(ApplicationLifecycleTest, ObserversHearEachChangeInRegistrationOrder)
{
    ApplicationLifecycle lifecycle;
    std::vector<std::string> log;
    auto a = std::make_shared<Recorder>("a", &log);
    auto b = std::make_shared<Recorder>("b", &log);
    lifecycle.addObserver(a);
    lifecycle.addObserver(b);
    lifecycle.postWillResignActive();
    lifecycle.postDidBecomeActive();
    EXPECT_THAT(log, ElementsAre("a:resign", "b:resign", "a:active", "b:active"));
}

TEST(ApplicationLifecycleTest, DestroyedAndRemovedObserversAreNotCalled)
{
    ApplicationLifecycle lifecycle;
    std::vector<std::string> log;
    auto a = std::make_shared<Recorder>("a", &log);
    auto b = std::make_shared<Recorder>("b", &log);
    auto c = std::make_shared<Recorder>("c", &log);
    lifecycle.addObserver(a);
    lifecycle.addObserver(b);
    lifecycle.addObserver(c);
    b.reset();
    lifecycle.removeObserver(c.get());
    lifecycle.postDidBecomeActive();
    EXPECT_THAT(log, ElementsAre("a:active"));
    EXPECT_EQ(lifecycle.observerCount(), 1u);
}

TEST(ApplicationLifecycleTest, AnObserverMayRemoveItselfWhileBeingNotified)
{
    struct SelfRemover : ApplicationLifecycleObserver
    {
        ApplicationLifecycle *lifecycle = nullptr;
        int calls = 0;
        void applicationWillResignActive() override
        {
            ++calls;
            lifecycle->removeObserver(this);
        }
        void applicationDidBecomeActive() override { }
    };
    ApplicationLifecycle lifecycle;
    auto observer = std::make_shared<SelfRemover>();
    observer->lifecycle = &lifecycle;
    lifecycle.addObserver(observer);
    lifecycle.postWillResignActive();
    lifecycle.postWillResignActive();
    EXPECT_EQ(observer->calls, 1);
}
