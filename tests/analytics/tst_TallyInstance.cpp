#include "analytics/Flush.h"
#include "analytics/SerialQueue.h"
#include "analytics/TallyInstance.h"
#include "analytics/TallyPersistence.h"
#include "analytics/TallyUuidSource.h"
#include "support/SequenceTallyUuidSource.h"

#include "LoopbackHttpServer.h"
#include "TallyLogCapture.h"
#include "TallyTestEnvironment.h"

#include <gtest/gtest.h>

using namespace brimlark;
using namespace brimlark::test;
using namespace std::chrono_literals;

namespace {

const std::string s_token = "0123456789abcdef0123456789abcdef";
const std::string s_uuidA = "AAAAAAAA-0000-4000-8000-000000000001";
const std::string s_uuidB = "BBBBBBBB-0000-4000-8000-000000000002";
const std::string s_uuidC = "CCCCCCCC-0000-4000-8000-000000000003";

class TallyInstanceTest : public ::testing::Test
{
protected:
    TallyInstanceTest()
        : env(true)
    {
    }

    void TearDown() override
    {
        stop();
        TallyUuidSource::installShared(m_previousUuidSource);
        TallyInstance::installSerialNumberSource(nullptr);
    }

    std::shared_ptr<TallyInstance> start(TallyInstance::Configuration configuration = {})
    {
        if (!configuration.apiToken) {
            configuration.apiToken = s_token;
        }
        if (configuration.name.empty()) {
            configuration.name = s_token;
        }
        if (!configuration.serverURL) {
            configuration.serverURL = server.baseUrl();
        }
        instance = TallyInstance::create(configuration, TallyInstance::Services::installed());
        settle(*instance, *env.executor);
        return instance;
    }

    // Ends the instance as the process would end: its queues drain, the next start reads the
    // settings file afresh.
    void stop()
    {
        if (instance) {
            settle(*instance, *env.executor);
            instance.reset();
        }
        env.reloadSettings();
    }

    TallyTestEnvironment env;
    LoopbackHttpServer server;
    std::shared_ptr<TallyInstance> instance;
    // The source the tests replace, put back after each.
    const std::shared_ptr<TallyUuidSource> m_previousUuidSource = TallyUuidSource::shared();
};

TEST_F(TallyInstanceTest, FirstStartTakesAFreshAnonymousIdentityAndTheNextStartRestoresIt)
{
    TallyUuidSource::installShared(
        std::make_shared<SequenceTallyUuidSource>(std::vector { s_uuidA, s_uuidB, s_uuidC }));
    start();
    // The id made before the stored state is read is replaced by the one made for the new identity.
    EXPECT_EQ(instance->distinctId(), "$device:" + s_uuidB);
    EXPECT_EQ(instance->anonymousId(), s_uuidB);
    EXPECT_EQ(instance->hadPersistedDistinctId(), true);
    EXPECT_EQ(instance->userId(), std::nullopt);
    EXPECT_EQ(TallyPersistence::loadIdentity(s_token).distinctID, "$device:" + s_uuidB);

    stop();
    start();
    EXPECT_EQ(instance->distinctId(), "$device:" + s_uuidB);
    EXPECT_EQ(instance->anonymousId(), s_uuidB);
    EXPECT_EQ(instance->hadPersistedDistinctId(), true);
}

TEST_F(TallyInstanceTest, RandomAnonymousIdIsAnUpperCaseUuid)
{
    start();
    const std::string id = instance->distinctId();
    ASSERT_EQ(id.rfind("$device:", 0), 0u) << id;
    const std::string uuid = id.substr(8);
    ASSERT_EQ(uuid.size(), 36u);
    for (std::size_t i = 0; i < uuid.size(); ++i) {
        const char c = uuid[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            EXPECT_EQ(c, '-');
        } else {
            EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << uuid;
        }
    }
}

TEST_F(TallyInstanceTest, DeviceBoundIdUsesTheSerialNumberOnlyWhenAskedAndReadable)
{
    struct Row
    {
        bool useUniqueDistinctId;
        std::optional<std::string> serial;
        std::string expected;
    };
    const Row rows[] = {
        { true, std::string("C02XK0ABJGH5"), "C02XK0ABJGH5" },
        { true, std::nullopt, s_uuidB },
        { false, std::string("C02XK0ABJGH5"), s_uuidB },
    };
    for (const Row &row : rows) {
        TallyUuidSource::installShared(
            std::make_shared<SequenceTallyUuidSource>(std::vector { s_uuidA, s_uuidB }));
        TallyInstance::installSerialNumberSource([serial = row.serial] { return serial; });
        TallyInstance::Configuration configuration;
        configuration.name = s_token + (row.useUniqueDistinctId ? "u" : "r") + (row.serial ? "s" : "n");
        configuration.useUniqueDistinctId = row.useUniqueDistinctId;
        start(configuration);
        EXPECT_EQ(instance->anonymousId(), row.expected) << configuration.name;
        EXPECT_EQ(instance->distinctId(), "$device:" + row.expected);
        stop();
    }
}

TEST_F(TallyInstanceTest, BatchSizeIsCappedAtFifty)
{
    start();
    for (const auto &[given, kept] :
        { std::pair { 100, 50 }, { 51, 50 }, { 50, 50 }, { 10, 10 }, { 1, 1 } }) {
        instance->setFlushBatchSize(given);
        EXPECT_EQ(instance->flushBatchSize(), kept) << given;
    }
}

TEST_F(TallyInstanceTest, DebugDescriptionHasFourLines)
{
    start();
    EXPECT_EQ(instance->debugDescription(),
        "Tally(\n    Token: " + s_token + ",\n    Distinct Id: " + instance->distinctId() + "\n)");
}

// An empty token stays empty (the queues are named by the instance); super
// properties given at set-up go into every event.
TEST_F(TallyInstanceTest, SetUpValuesGoIntoEveryStoredEvent)
{
    TallyInstance::Configuration emptyToken;
    emptyToken.apiToken = std::string();
    emptyToken.name = "other0123456789abcdef0123456789a";
    TallyInstance::Configuration superProperties;
    superProperties.superProperties = TallyDictionary { { "plan", "free" } };
    for (const auto &[configuration, key, expected] :
        { std::tuple { emptyToken, "token", "" }, std::tuple { superProperties, "plan", "free" } }) {
        start(configuration);
        EXPECT_EQ(instance->apiToken(), configuration.apiToken.value_or(s_token));
        instance->track("E");
        settle(*instance, *env.executor);
        const auto events = storedRecords(*instance, PersistenceType::Events);
        ASSERT_EQ(events.size(), 1u) << key;
        EXPECT_EQ(textAt(events[0], "properties", key), expected);
        stop();
    }
}

TEST_F(TallyInstanceTest, LoggingSwitchTurnsEveryLevelOnAndOff)
{
    TallyLogCapture capture;
    start();
    instance->setLoggingEnabled(true);
    EXPECT_EQ(capture.count(TallyLogLevel::Info, "TallyLogging Enabled"), 1u);
    for (const auto level :
        { TallyLogLevel::Debug, TallyLogLevel::Info, TallyLogLevel::Warning, TallyLogLevel::Error }) {
        EXPECT_TRUE(TallyLogger::isEnabled(level));
    }
    const auto messages = capture.messages(TallyLogLevel::Info);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().function, "loggingEnabled");
    EXPECT_EQ(messages.back().file, "TallyInstance.cpp");

    instance->setLoggingEnabled(false);
    TallyLogger::error("after the switch", "test()");
    EXPECT_EQ(capture.count(TallyLogLevel::Info, "TallyLogging Disabled"), 1u);
    EXPECT_EQ(capture.count(TallyLogLevel::Error, "after the switch"), 0u);
    for (const auto level :
        { TallyLogLevel::Debug, TallyLogLevel::Info, TallyLogLevel::Warning, TallyLogLevel::Error }) {
        EXPECT_FALSE(TallyLogger::isEnabled(level));
    }
    EXPECT_FALSE(instance->loggingEnabled());
}

TEST_F(TallyInstanceTest, OptOutByDefaultHonoursAStoredChoice)
{
    struct Row
    {
        std::optional<bool> stored;
        bool expected;
    };
    for (const Row &row : { Row { std::nullopt, true }, Row { false, false }, Row { true, true } }) {
        const std::string name = s_token + (row.stored ? (*row.stored ? "t" : "f") : "n");
        if (row.stored) {
            TallyPersistence::saveOptOutStatusFlag(*row.stored, name);
        }
        TallyInstance::Configuration configuration;
        configuration.name = name;
        configuration.optOutTrackingByDefault = true;
        start(configuration);
        EXPECT_EQ(instance->hasOptedOutTracking(), row.expected) << name;
        EXPECT_EQ(TallyPersistence::loadOptOutStatusFlag(name).value_or(false), row.expected) << name;
        stop();
    }
}

TEST_F(TallyInstanceTest, TimerFlushesEveryIntervalAndFollowsTheApplicationsActivation)
{
    start();
    EXPECT_EQ(instance->flushInterval(), 60);
    EXPECT_EQ(env.executor->activeTimerCount(), 1u);

    instance->track("E1");
    instance->trackingQueue().sync([] {});
    EXPECT_EQ(env.executor->advance(60), 1u);
    settle(*instance, *env.executor);
    EXPECT_EQ(countBy(receivedRecords(server, "/track/"), "/event")["E1"], 1);

    // Resigning active stops the timer and sends what is queued.
    instance->track("E2");
    env.lifecycle->postWillResignActive();
    settle(*instance, *env.executor);
    EXPECT_EQ(env.executor->activeTimerCount(), 0u);
    EXPECT_EQ(countBy(receivedRecords(server, "/track/"), "/event")["E2"], 1);
    EXPECT_EQ(env.executor->advance(600), 0u);

    env.lifecycle->postDidBecomeActive();
    env.executor->runPending();
    EXPECT_EQ(env.executor->activeTimerCount(), 1u);

    // Without flush-on-background, resigning only stops the timer.
    instance->setFlushOnBackground(false);
    instance->track("E3");
    env.lifecycle->postWillResignActive();
    settle(*instance, *env.executor);
    EXPECT_EQ(countBy(receivedRecords(server, "/track/"), "/event").count("E3"), 0u);
}

TEST_F(TallyInstanceTest, IntervalOfZeroLeavesNoTimer)
{
    TallyInstance::Configuration configuration;
    configuration.flushInterval = 0;
    start(configuration);
    EXPECT_EQ(env.executor->activeTimerCount(), 0u);
    instance->setFlushInterval(30);
    env.executor->runPending();
    EXPECT_EQ(env.executor->activeTimerCount(), 1u);
}

TEST_F(TallyInstanceTest, ServerUrlSetterMovesDelivery)
{
    LoopbackHttpServer other;
    start();
    instance->setServerURL(other.baseUrl());
    EXPECT_EQ(instance->serverURL(), other.baseUrl());
    instance->track("E");
    instance->flush();
    settle(*instance, *env.executor);
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_EQ(countBy(receivedRecords(other, "/track/"), "/event")["E"], 1);
}

TEST_F(TallyInstanceTest, ReleasedInstanceStopsObservingTheLifecycle)
{
    start();
    EXPECT_EQ(env.lifecycle->observerCount(), 1u);
    stop();
    EXPECT_EQ(env.lifecycle->observerCount(), 0u);
    env.lifecycle->postWillResignActive(); // nothing left to tell
    env.executor->runPending();
}

} // namespace
