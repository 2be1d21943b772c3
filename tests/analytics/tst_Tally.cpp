#include "analytics/SerialQueue.h"
#include "analytics/Tally.h"
#include "analytics/TallyInstance.h"
#include "analytics/TallyManager.h"
#include "analytics/TallyProxyServerDelegate.h"

#include "LoopbackHttpServer.h"
#include "TallyLogCapture.h"
#include "TallyTestEnvironment.h"

#include <gtest/gtest.h>

#include <thread>

using namespace brimlark;
using namespace brimlark::test;

namespace {

const std::string s_first = "11111111111111111111111111111111";
const std::string s_second = "22222222222222222222222222222222";

class NoProxy : public TallyProxyServerDelegate
{
public:
    std::optional<ServerProxyResource> serverProxyResource(const std::string &) override
    {
        return std::nullopt;
    }
};

class TallyRegistryTest : public ::testing::Test
{
protected:
    ~TallyRegistryTest() override
    {
        // The registry lives for the process: leave it empty for the next test.
        for (const std::string &name : m_names) {
            if (const auto instance = TallyManager::sharedInstance().getInstance(name)) {
                settle(*instance, *env.executor);
            }
            Tally::removeInstance(name);
        }
    }

    std::shared_ptr<TallyInstance> initialize(
        const std::string &token, double interval = 60, std::optional<std::string> name = std::nullopt)
    {
        m_names.push_back(name.value_or(token));
        auto instance
            = Tally::initialize(token, interval, name, false, false, std::nullopt, server.baseUrl(), false);
        settle(*instance, *env.executor);
        return instance;
    }

    void forget(const std::string &name) { m_names.push_back(name); }

    TallyTestEnvironment env;
    LoopbackHttpServer server;

private:
    std::vector<std::string> m_names;
};

TEST_F(TallyRegistryTest, SameTokenTwiceGivesTheSameInstanceWithItsFirstOptions)
{
    const auto first = initialize(s_first, 60);
    EXPECT_EQ(first->name(), s_first);
    EXPECT_EQ(first->apiToken(), s_first);
    EXPECT_EQ(Tally::getInstance(s_first), first);

    const auto again = initialize(s_first, 10);
    EXPECT_EQ(again, first);
    EXPECT_EQ(again->flushInterval(), 60);
    EXPECT_EQ(Tally::mainInstance(), first);
}

TEST_F(TallyRegistryTest, NamedInstanceIsRegisteredUnderItsName)
{
    const auto named = initialize(s_first, 60, std::string("secondary"));
    EXPECT_EQ(named->name(), "secondary");
    EXPECT_EQ(named->apiToken(), s_first);
    EXPECT_EQ(Tally::getInstance("secondary"), named);
    TallyLogCapture capture;
    EXPECT_EQ(Tally::getInstance(s_first), nullptr);
}

TEST_F(TallyRegistryTest, TheLatestInitializedIsMainUntilSwitchedBack)
{
    const auto first = initialize(s_first);
    const auto second = initialize(s_second);
    EXPECT_NE(first, second);
    EXPECT_EQ(Tally::mainInstance(), second);

    Tally::setMainInstance(s_first);
    EXPECT_EQ(Tally::mainInstance(), first);

    TallyLogCapture capture;
    Tally::setMainInstance("not registered");
    EXPECT_EQ(Tally::mainInstance(), first);
    EXPECT_TRUE(capture.messages().empty());

    // Initializing a registered token again makes it main again.
    initialize(s_second);
    EXPECT_EQ(Tally::mainInstance(), second);
}

TEST_F(TallyRegistryTest, RemovingTheMainInstanceLeavesNoneUntilADefaultIsMade)
{
    TallyLogCapture capture;
    const auto first = initialize(s_first);
    std::weak_ptr<TallyInstance> weak = first;
    Tally::removeInstance(s_first);
    EXPECT_EQ(TallyManager::sharedInstance().mainInstance(), nullptr);
    EXPECT_EQ(Tally::safeMainInstance(), nullptr);
    EXPECT_EQ(capture.count(TallyLogLevel::Warning,
                  "WARNING: Tally main instance is NOT initialized. Call Tally.initialize(...) first."),
        1u);
    EXPECT_FALSE(weak.expired()); // this test still holds it

    forget("");
    const auto fallback = Tally::mainInstance();
    ASSERT_NE(fallback, nullptr);
    EXPECT_EQ(fallback->name(), "");
    EXPECT_EQ(fallback->apiToken(), "");
    EXPECT_EQ(Tally::getInstance(""), fallback);
    EXPECT_EQ(Tally::mainInstance(), fallback);
    EXPECT_EQ(Tally::safeMainInstance(), fallback);

    Tally::removeInstance("never registered"); // changes nothing
    EXPECT_EQ(Tally::mainInstance(), fallback);
}

TEST_F(TallyRegistryTest, UnknownNameYieldsNoneWithAWarning)
{
    TallyLogCapture capture;
    EXPECT_EQ(Tally::getInstance("nope"), nullptr);
    const auto warnings = capture.messages(TallyLogLevel::Warning);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].text, "no such instance: nope");
    EXPECT_EQ(warnings[0].function, "getInstance(name:)");
}

TEST_F(TallyRegistryTest, ProxyConfigurationIsNoneForTheDefaultServer)
{
    EXPECT_FALSE(ProxyServerConfig::make(TallyInstance::defaultServerURL()).has_value());

    auto proxy = std::make_shared<NoProxy>();
    const auto config = ProxyServerConfig::make(server.baseUrl(), proxy);
    ASSERT_TRUE(config.has_value());
    forget(s_first);
    const auto instance = Tally::initialize(s_first, 60, std::nullopt, false, false, std::nullopt, *config);
    settle(*instance, *env.executor);
    EXPECT_EQ(instance->serverURL(), server.baseUrl());
    EXPECT_EQ(instance->proxyServerDelegate(), proxy);
}

TEST_F(TallyRegistryTest, ConcurrentInitializationMakesOneInstance)
{
    std::vector<std::shared_ptr<TallyInstance>> results(8);
    std::vector<std::thread> threads;
    forget(s_first);
    for (std::size_t i = 0; i < results.size(); ++i) {
        threads.emplace_back([&, i] {
            results[i]
                = Tally::initialize(s_first, 60, std::nullopt, false, false, std::nullopt, server.baseUrl());
        });
    }
    for (auto &thread : threads) {
        thread.join();
    }
    for (const auto &result : results) {
        EXPECT_EQ(result, results[0]);
    }
    settle(*results[0], *env.executor);
}

TEST_F(TallyRegistryTest, RemovedInstanceEndsWhenTheLastHolderLetsGo)
{
    std::weak_ptr<TallyInstance> weak = initialize(s_first);
    Tally::removeInstance(s_first);
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(env.lifecycle->observerCount(), 0u);
}

} // namespace
