#include "analytics/Group.h"
#include "analytics/JSONHandler.h"
#include "analytics/People.h"
#include "analytics/SerialQueue.h"
#include "analytics/TallyArchiver.h"
#include "analytics/TallyInstance.h"
#include "analytics/TallyPersistence.h"

#include "TallyLogCapture.h"
#include "TallyTestEnvironment.h"

#include <gtest/gtest.h>

#include <future>

using namespace brimlark;
using namespace brimlark::test;

namespace {

const std::string s_token = "fedcba9876543210fedcba9876543210";

class TallyInstanceTrackingTest : public ::testing::Test
{
protected:
    TallyInstanceTrackingTest()
        : env(true)
    {
        start();
    }

    ~TallyInstanceTrackingTest() override { stop(); }

    void start()
    {
        TallyInstance::Configuration configuration;
        configuration.apiToken = s_token;
        configuration.name = s_token;
        configuration.serverURL = std::string(); // nothing is delivered: records stay to be read
        instance = TallyInstance::create(configuration, TallyInstance::Services::installed());
        settle(*instance, *env.executor);
    }

    void stop()
    {
        settle(*instance, *env.executor);
        instance.reset();
        env.reloadSettings();
    }

    std::vector<TallyDictionary> events()
    {
        settle(*instance, *env.executor);
        return storedRecords(*instance, PersistenceType::Events);
    }

    std::vector<TallyDictionary> people()
    {
        settle(*instance, *env.executor);
        return storedRecords(*instance, PersistenceType::People);
    }

    static const TallyDictionary &properties(const TallyDictionary &record)
    {
        static const TallyDictionary s_none;
        const TallyType *value = record.find("properties");
        const TallyDictionary *dictionary = value ? value->get<TallyDictionary>() : nullptr;
        return dictionary ? *dictionary : s_none;
    }

    // Holds the tracking queue until release(), so tests can call operations "before" a queued task runs.
    void holdTrackingQueue()
    {
        m_gate = std::promise<void>();
        instance->trackingQueue().async([future = m_gate.get_future().share()] { future.wait(); });
    }
    void release() { m_gate.set_value(); }

    TallyTestEnvironment env;
    std::shared_ptr<TallyInstance> instance;

private:
    std::promise<void> m_gate;
};

TEST_F(TallyInstanceTrackingTest, TrackRecordsTheEventWithTheCallersTimeAndIdentity)
{
    env.clock->set(1700000000.25);
    instance->track("App Launched", TallyDictionary { { "app_name", "Notes" } });
    env.clock->set(1700000999.0); // the record keeps the time of the call
    const auto stored = events();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(textAt(stored[0], "event"), "App Launched");
    const TallyDictionary &props = properties(stored[0]);
    EXPECT_EQ(textAt(props, "app_name"), "Notes");
    EXPECT_EQ(textAt(props, "distinct_id"), instance->distinctId());
    EXPECT_EQ(textAt(props, "$device_id"), instance->anonymousId().value());
    ASSERT_NE(props.find("time"), nullptr);
    EXPECT_EQ(props.find("time")->toDouble(), 1700000000250.0);
}

TEST_F(TallyInstanceTrackingTest, OptOutDecidesWhenTheTaskRunsNotWhenTrackIsCalled)
{
    holdTrackingQueue();
    instance->track("before");
    instance->optOutTracking();
    instance->track("after"); // called before the opt-out task has run
    release();
    const auto stored = events();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(textAt(stored[0], "event"), "before");
}

TEST_F(TallyInstanceTrackingTest, TrackWithGroupsMergesTheGroupsOverTheProperties)
{
    instance->trackWithGroups("only groups", std::nullopt, TallyDictionary { { "company", "acme" } });
    instance->trackWithGroups("both", TallyDictionary { { "company", "other" }, { "kept", 1 } },
        TallyDictionary { { "company", "acme" } });
    instance->trackWithGroups("no groups", TallyDictionary { { "kept", 2 } }, std::nullopt);
    const auto stored = events();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(textAt(properties(stored[0]), "company"), "acme");
    EXPECT_EQ(textAt(properties(stored[1]), "company"), "acme");
    EXPECT_EQ(properties(stored[1]).find("kept")->toInt(), 1);
    EXPECT_EQ(properties(stored[2]).find("company"), nullptr);
    EXPECT_EQ(properties(stored[2]).find("kept")->toInt(), 2);
}

TEST_F(TallyInstanceTrackingTest, TimedEventCarriesItsDurationOnceAndSurvivesARestart)
{
    env.clock->set(100.0);
    instance->time("Export");
    settle(*instance, *env.executor);
    env.clock->set(102.5);
    EXPECT_DOUBLE_EQ(instance->eventElapsedTime("Export"), 2.5);

    // The start time is stored: a restart in between keeps it.
    stop();
    start();
    env.clock->set(102.34567);
    instance->track("Export");
    instance->track("Export");
    const auto stored = events();
    ASSERT_EQ(stored.size(), 2u);
    ASSERT_NE(properties(stored[0]).find("$duration"), nullptr);
    EXPECT_DOUBLE_EQ(*properties(stored[0]).find("$duration")->toDouble(), 2.346);
    EXPECT_EQ(properties(stored[1]).find("$duration"), nullptr);
    EXPECT_EQ(instance->eventElapsedTime("Export"), 0);
    EXPECT_FALSE(TallyPersistence::loadTimedEvents(s_token).contains("Export"));
}

TEST_F(TallyInstanceTrackingTest, ClearedTimedEventsCarryNoDuration)
{
    instance->time("A");
    instance->time("B");
    instance->time("C");
    instance->clearTimedEvent("A");
    instance->track("A");
    settle(*instance, *env.executor);
    EXPECT_TRUE(instance->currentTimedEvents().contains("B"));
    instance->clearTimedEvents();
    instance->track("B");
    instance->track("C");
    for (const auto &record : events()) {
        EXPECT_EQ(properties(record).find("$duration"), nullptr) << textAt(record, "event");
    }
    EXPECT_TRUE(TallyPersistence::loadTimedEvents(s_token).empty());
}

TEST_F(TallyInstanceTrackingTest, EmptyTimedEventNamesAreRefused)
{
    TallyLogCapture capture;
    instance->time("");
    instance->clearTimedEvent("");
    settle(*instance, *env.executor);
    EXPECT_TRUE(instance->currentTimedEvents().empty());
    EXPECT_EQ(capture.count(TallyLogLevel::Error, "tally cannot time an empty event"), 1u);
    EXPECT_EQ(capture.count(TallyLogLevel::Error, "tally cannot clear an empty timed event"), 1u);
}

TEST_F(TallyInstanceTrackingTest, SuperPropertiesAreMergedStoredAndRestored)
{
    instance->registerSuperProperties(TallyDictionary { { "plan", "free" }, { "time", 1.0 } });
    instance->registerSuperPropertiesOnce(TallyDictionary { { "plan", "pro" }, { "seat", 1 } });
    instance->track("E", TallyDictionary { { "plan", "caller" } });
    settle(*instance, *env.executor);
    const TallyDictionary current = instance->currentSuperProperties();
    EXPECT_EQ(textAt(current, "plan"), "free");
    EXPECT_EQ(current.find("seat")->toInt(), 1);

    auto stored = events();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(textAt(properties(stored[0]), "plan"), "caller"); // the caller wins
    EXPECT_EQ(properties(stored[0]).find("time")->toDouble(), 1.0); // over the computed time

    // Once with a default value replaces only a value equal to the default.
    instance->registerSuperPropertiesOnce(
        TallyDictionary { { "plan", "pro" }, { "seat", 5 } }, TallyType("free"));
    settle(*instance, *env.executor);
    EXPECT_EQ(textAt(instance->currentSuperProperties(), "plan"), "pro");
    EXPECT_EQ(instance->currentSuperProperties().find("seat")->toInt(), 1);

    instance->unregisterSuperProperty("time");
    stop();
    start();
    EXPECT_EQ(instance->currentSuperProperties().keys(), (std::vector<std::string> { "plan", "seat" }));

    instance->clearSuperProperties();
    stop();
    start();
    EXPECT_TRUE(instance->currentSuperProperties().empty());
}

TEST_F(TallyInstanceTrackingTest, OptedOutInstanceKeepsItsMapsUnchanged)
{
    instance->registerSuperProperties(TallyDictionary { { "a", 1 } });
    instance->optOutTracking(); // clears them
    instance->registerSuperProperties(TallyDictionary { { "b", 2 } });
    instance->time("T");
    settle(*instance, *env.executor);
    EXPECT_TRUE(instance->currentSuperProperties().empty());
    EXPECT_TRUE(instance->currentTimedEvents().empty());
}

TEST_F(TallyInstanceTrackingTest, UpdateSuperPropertyEditsOnTheTrackingQueue)
{
    instance->registerSuperProperties(TallyDictionary { { "count", 1 } });
    instance->updateSuperProperty(
        [](TallyDictionary &properties) { properties.set("count", *properties.find("count")->toInt() + 1); });
    settle(*instance, *env.executor);
    EXPECT_EQ(instance->currentSuperProperties().find("count")->toInt(), 2);
    EXPECT_EQ(TallyPersistence::loadSuperProperties(s_token).find("count")->toInt(), 2);
}

TEST_F(TallyInstanceTrackingTest, RegistrationNotificationRegistersAllOrNothing)
{
    TallyNotification good { instance->registerSuperPropertiesNotificationName(),
        std::vector<std::pair<TallyType, TallyType>> { { "a", 1 }, { "b", "x" } } };
    TallyNotification badValue { instance->registerSuperPropertiesNotificationName(),
        std::vector<std::pair<TallyType, TallyType>> { { "c", 1 }, { "d", TallyOpaque { "<NSView>" } } } };
    TallyNotification badKey { instance->registerSuperPropertiesNotificationName(),
        std::vector<std::pair<TallyType, TallyType>> { { "e", 1 }, { 7, 1 } } };
    TallyNotification noInfo { instance->registerSuperPropertiesNotificationName(), std::nullopt };
    for (const auto &notification : { good, badValue, badKey, noInfo }) {
        instance->handleSuperPropertiesRegistrationNotification(notification);
    }
    settle(*instance, *env.executor);
    EXPECT_EQ(instance->currentSuperProperties().keys(), (std::vector<std::string> { "a", "b" }));

    instance->handleSuperPropertiesRegistrationNotification(
        { instance->unregisterSuperPropertiesNotificationName(),
            std::vector<std::pair<TallyType, TallyType>> { { "a", TallyOpaque { "ignored" } }, { 3, 0 } } });
    settle(*instance, *env.executor);
    EXPECT_EQ(instance->currentSuperProperties().keys(), (std::vector<std::string> { "b" }));
}

TEST_F(TallyInstanceTrackingTest, AddGroupTwiceKeepsOneIdAndStillUnionsTheProfile)
{
    instance->identify("user-1");
    instance->addGroup("company", "acme");
    instance->addGroup("company", "acme");
    instance->addGroup("company", "globex");
    settle(*instance, *env.executor);
    const TallyDictionary current = instance->currentSuperProperties();
    const TallyType *list = current.find("company");
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->sameAs(TallyArray { "acme", "globex" })) << list->description();

    const auto profile = people();
    ASSERT_EQ(profile.size(), 3u);
    EXPECT_NE(profile[0].find("$set"), nullptr);
    EXPECT_NE(profile[1].find("$union"), nullptr);
    EXPECT_NE(profile[2].find("$union"), nullptr);
}

TEST_F(TallyInstanceTrackingTest, AddGroupOverAPlainValueMakesAList)
{
    instance->registerSuperProperties(TallyDictionary { { "company", "acme" } });
    instance->addGroup("company", 42);
    settle(*instance, *env.executor);
    EXPECT_TRUE(instance->currentSuperProperties().find("company")->sameAs(TallyArray { "acme", 42 }));
}

TEST_F(TallyInstanceTrackingTest, RemoveGroupFiltersLongListsAndDropsTheRest)
{
    instance->identify("user-1");
    instance->setGroup("company", TallyArray { "acme", "globex" });
    instance->removeGroup("company", "acme");
    settle(*instance, *env.executor);
    EXPECT_TRUE(instance->currentSuperProperties().find("company")->sameAs(TallyArray { "globex" }));

    // A one-element list goes, whatever its element.
    instance->removeGroup("company", "initech");
    instance->removeGroup("absent", "x");
    settle(*instance, *env.executor);
    EXPECT_FALSE(instance->currentSuperProperties().contains("company"));

    const auto profile = people();
    ASSERT_EQ(profile.size(), 3u); // set, remove, unset; nothing for the absent key
    EXPECT_NE(profile[1].find("$remove"), nullptr);
    ASSERT_NE(profile[2].find("$unset"), nullptr);
    EXPECT_TRUE(profile[2].find("$unset")->sameAs(TallyArray { "company" }));
}

TEST_F(TallyInstanceTrackingTest, GroupOperationsDoNothingWhileOptedOut)
{
    instance->optOutTracking();
    settle(*instance, *env.executor);
    instance->setGroup("company", "acme");
    instance->addGroup("company", "globex");
    instance->trackWithGroups("E", std::nullopt, TallyDictionary { { "company", "acme" } });
    EXPECT_TRUE(instance->currentSuperProperties().empty());
    EXPECT_TRUE(events().empty());
    EXPECT_TRUE(people().empty());
}

TEST_F(TallyInstanceTrackingTest, GroupCacheReturnsTheSameObjectAndReplacesACollision)
{
    TallyLogCapture capture;
    const auto first = instance->getGroup("company", "acme");
    EXPECT_EQ(instance->getGroup("company", "acme"), first);
    EXPECT_NE(instance->getGroup("company", 42), first);

    const auto ab = instance->getGroup("a_b", "c");
    const auto a = instance->getGroup("a", "b_c");
    EXPECT_NE(a, ab);
    EXPECT_EQ(a->groupKey(), "a");
    EXPECT_EQ(capture.count(TallyLogLevel::Info, "groups dictionary key collision: a_b_c"), 1u);

    // Deleting a group drops it from the cache.
    first->deleteGroup();
    EXPECT_NE(instance->getGroup("company", "acme"), first);
    settle(*instance, *env.executor);
    const auto groups = storedRecords(*instance, PersistenceType::Groups);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_NE(groups[0].find("$delete"), nullptr);
}

} // namespace

// A value wrapped in that many arrays.
static TallyType nestedArrays(int levels)
{
    TallyType value = 1;
    for (int i = 0; i < levels; ++i) {
        value = TallyArray { value };
    }
    return value;
}

TEST_F(TallyInstanceTrackingTest, TooDeepValuesAreRefusedWhenGivenAndEverythingElseIsKept)
{
    TallyLogCapture capture;
    instance->registerSuperProperties(TallyDictionary { { "plan", "pro" },
        { "deepest kept", nestedArrays(TallyArchiver::maximumValueDepth) },
        { "too deep", nestedArrays(TallyArchiver::maximumValueDepth + 1) } });
    instance->track("E",
        TallyDictionary { { "n", 1 }, { "deep", nestedArrays(JSONHandler::maximumPropertyDepth) },
            { "deeper", nestedArrays(JSONHandler::maximumPropertyDepth + 1) } });
    settle(*instance, *env.executor);
    EXPECT_EQ(capture.count(TallyLogLevel::Warning, "\"too deep\" nests deeper than"), 1u);
    EXPECT_EQ(capture.count(TallyLogLevel::Warning, "\"deeper\" nests deeper than"), 1u);

    const auto stored = events();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_TRUE(properties(stored[0]).contains("deep"));
    EXPECT_TRUE(properties(stored[0]).contains("deepest kept"));
    EXPECT_FALSE(properties(stored[0]).contains("deeper"));
    EXPECT_FALSE(properties(stored[0]).contains("too deep"));

    stop();
    start();
    EXPECT_EQ(
        instance->currentSuperProperties().keys(), (std::vector<std::string> { "plan", "deepest kept" }));
}
