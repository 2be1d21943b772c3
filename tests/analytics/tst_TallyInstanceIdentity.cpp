#include "analytics/People.h"
#include "analytics/SerialQueue.h"
#include "analytics/TallyInstance.h"
#include "analytics/TallyPersistence.h"

#include "LoopbackHttpServer.h"
#include "TallyLogCapture.h"
#include "TallyTestEnvironment.h"

#include <gtest/gtest.h>

using namespace brimlark;
using namespace brimlark::test;

namespace {

const std::string s_token = "00112233445566778899aabbccddeeff";

class TallyInstanceIdentityTest : public ::testing::Test
{
protected:
    TallyInstanceIdentityTest()
        : env(true)
    {
        start();
    }
    ~TallyInstanceIdentityTest() override { stop(); }

    void start()
    {
        TallyInstance::Configuration configuration;
        configuration.apiToken = s_token;
        configuration.name = s_token;
        configuration.serverURL = server.baseUrl();
        instance = TallyInstance::create(configuration, TallyInstance::Services::installed());
        settle(*instance, *env.executor);
        server.setDefaultReply(ScriptedReply {});
    }

    void stop()
    {
        settle(*instance, *env.executor);
        instance.reset();
        env.reloadSettings();
    }

    std::vector<TallyDictionary> stored(PersistenceType type)
    {
        settle(*instance, *env.executor);
        return storedRecords(*instance, type);
    }

    std::vector<std::string> eventNames()
    {
        std::vector<std::string> names;
        for (const auto &record : stored(PersistenceType::Events)) {
            names.push_back(textAt(record, "event"));
        }
        return names;
    }

    TallyInstance::Completion counting()
    {
        return [this] { ++completions; };
    }

    TallyTestEnvironment env;
    LoopbackHttpServer server;
    std::shared_ptr<TallyInstance> instance;
    int completions = 0;
};

TEST_F(TallyInstanceIdentityTest, FirstIdentifyRecordsTheAnonymousIdItReplaces)
{
    const std::string anonymous = instance->distinctId();
    const auto device = instance->anonymousId();
    instance->identify("6F1C2D3E-0000-4000-8000-00000000ABCD", true, counting());
    instance->track("First App Open");
    const auto events = stored(PersistenceType::Events);
    ASSERT_EQ(events.size(), 2u);
    // The identification comes first although the event was tracked before its task ran.
    EXPECT_EQ(textAt(events[0], "event"), "$identify");
    EXPECT_EQ(textAt(events[0], "properties", "$anon_distinct_id"), anonymous);
    EXPECT_EQ(textAt(events[0], "properties", "distinct_id"), "6F1C2D3E-0000-4000-8000-00000000ABCD");
    EXPECT_EQ(textAt(events[1], "properties", "distinct_id"), "6F1C2D3E-0000-4000-8000-00000000ABCD");
    EXPECT_EQ(instance->distinctId(), "6F1C2D3E-0000-4000-8000-00000000ABCD");
    EXPECT_EQ(instance->userId(), "6F1C2D3E-0000-4000-8000-00000000ABCD");
    EXPECT_EQ(instance->anonymousId(), device);
    EXPECT_EQ(completions, 1);

    // The identity is stored at once and restored by the next start.
    stop();
    start();
    EXPECT_EQ(instance->distinctId(), "6F1C2D3E-0000-4000-8000-00000000ABCD");
    EXPECT_EQ(instance->people().distinctId(), "6F1C2D3E-0000-4000-8000-00000000ABCD");
}

TEST_F(TallyInstanceIdentityTest, IdentifyingAgainWithTheSameIdRecordsNothing)
{
    instance->identify("user-1");
    instance->identify("user-1");
    EXPECT_EQ(eventNames(), std::vector<std::string> { "$identify" });
    EXPECT_EQ(TallyPersistence::loadIdentity(s_token).distinctID, "user-1");
}

TEST_F(TallyInstanceIdentityTest, ProfileUpdatesWaitForAnIdentifyWithPeople)
{
    instance->identify("user-1", false);
    instance->people().set("name", "Ada");
    settle(*instance, *env.executor);
    EXPECT_EQ(storedRecords(*instance, PersistenceType::People, true).size(), 1u);
    instance->flush();
    settle(*instance, *env.executor);
    EXPECT_TRUE(receivedRecords(server, "/engage/").empty());

    instance->identify("user-1", true);
    instance->flush();
    settle(*instance, *env.executor);
    const auto sent = receivedRecords(server, "/engage/");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0]["$distinct_id"], "user-1");
    EXPECT_EQ(sent[0]["$set"]["name"], "Ada");
}

TEST_F(TallyInstanceIdentityTest, BlankIdsAndAliasesAreRefusedWithTheirMessages)
{
    TallyLogCapture capture;
    const std::string before = instance->distinctId();
    instance->identify("", true, counting());
    instance->createAlias("a", "", true, true, counting());
    instance->createAlias("", "user-1", true, true, counting());
    instance->createAlias("same", "same", true, true, counting());
    EXPECT_TRUE(eventNames().empty());
    EXPECT_EQ(instance->distinctId(), before);
    EXPECT_EQ(completions, 4);
    const std::string description = instance->debugDescription();
    EXPECT_EQ(capture.count(TallyLogLevel::Error, description + " cannot identify blank distinct id"), 2u);
    EXPECT_EQ(capture.count(TallyLogLevel::Error, description + " create alias called with empty alias"), 1u);
    EXPECT_EQ(
        capture.count(TallyLogLevel::Error, "alias: same matches distinctId: same - skipping api call."), 1u);
}

TEST_F(TallyInstanceIdentityTest, CreateAliasRecordsAndStoresTheAlias)
{
    instance->createAlias("alias-1", "user-1", true, false, counting());
    settle(*instance, *env.executor);
    EXPECT_EQ(instance->alias(), "alias-1");
    EXPECT_EQ(TallyPersistence::loadIdentity(s_token).alias, "alias-1");
    EXPECT_EQ(completions, 1);
    const auto sent = receivedRecords(server, "/track/");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0]["event"], "$create_alias");
    EXPECT_EQ(sent[0]["properties"]["distinct_id"], "user-1");
    EXPECT_EQ(sent[0]["properties"]["alias"], "alias-1");

    // With identification the new id takes over and the alias is dropped again.
    instance->createAlias("alias-2", "user-2", true, true);
    settle(*instance, *env.executor);
    EXPECT_EQ(instance->distinctId(), "user-2");
    EXPECT_EQ(instance->alias(), std::nullopt);
}

TEST_F(TallyInstanceIdentityTest, ResetStartsAFreshAnonymousIdentityWithEmptyQueues)
{
    instance->identify("user-1");
    instance->registerSuperProperties(TallyDictionary { { "plan", "pro" } });
    instance->time("T");
    instance->people().set("name", "Ada");
    const std::string oldAnonymous = instance->anonymousId().value();
    instance->reset(counting());
    settle(*instance, *env.executor);

    EXPECT_EQ(completions, 1);
    EXPECT_NE(instance->anonymousId(), oldAnonymous);
    EXPECT_EQ(instance->distinctId(), "$device:" + instance->anonymousId().value());
    EXPECT_EQ(instance->userId(), std::nullopt);
    EXPECT_EQ(instance->people().distinctId(), std::nullopt);
    EXPECT_TRUE(instance->currentSuperProperties().empty());
    EXPECT_TRUE(instance->currentTimedEvents().empty());
    for (const auto type : allPersistenceTypes) {
        EXPECT_TRUE(storedRecords(*instance, type).empty()) << rawValue(type);
    }
    EXPECT_EQ(TallyPersistence::loadIdentity(s_token).distinctID, instance->distinctId());
}

TEST_F(TallyInstanceIdentityTest, ResetWhileOptedOutRemovesOnlyTheStoredFlag)
{
    instance->optOutTracking();
    instance->reset();
    settle(*instance, *env.executor);
    EXPECT_TRUE(instance->hasOptedOutTracking());
    EXPECT_EQ(TallyPersistence::loadOptOutStatusFlag(s_token), std::nullopt);
    stop();
    start();
    EXPECT_FALSE(instance->hasOptedOutTracking());
}

TEST_F(TallyInstanceIdentityTest, OptingOutWhileIdentifiedAsksForTheProfileDeletionAndSendsNothing)
{
    instance->identify("user-1");
    settle(*instance, *env.executor);
    const std::size_t before = server.requestCount();
    instance->optOutTracking();
    settle(*instance, *env.executor);

    EXPECT_TRUE(instance->hasOptedOutTracking());
    EXPECT_EQ(TallyPersistence::loadOptOutStatusFlag(s_token), true);
    EXPECT_EQ(server.requestCount(), before);
    const auto profile = stored(PersistenceType::People);
    ASSERT_EQ(profile.size(), 2u);
    EXPECT_NE(profile[0].find("$delete"), nullptr);
    EXPECT_NE(profile[1].find("$set"), nullptr); // the charges cleared
    EXPECT_EQ(instance->userId(), std::nullopt);
    EXPECT_EQ(instance->distinctId(), "$device:" + instance->anonymousId().value());

    // While opted out nothing is identified, recorded or sent; completions still run.
    instance->identify("user-2", true, counting());
    instance->track("E");
    instance->flush(counting());
    settle(*instance, *env.executor);
    EXPECT_EQ(completions, 2);
    EXPECT_EQ(server.requestCount(), before);
    EXPECT_EQ(eventNames(), std::vector<std::string> { "$identify" });
}

// The profile deletion an opt-out queues was made for the user who opted out; profile updates
// leave under the identity current when they are sent, so it must never go out for whoever is
// identified after opting back in.
TEST_F(TallyInstanceIdentityTest, OptingBackInNeverSendsTheOldProfileDeletionForTheNewUser)
{
    for (const bool restartInBetween : { false, true }) {
        SCOPED_TRACE(restartInBetween);
        instance->identify("user-old");
        instance->people().set("name", "Old");
        settle(*instance, *env.executor);
        instance->optOutTracking();
        settle(*instance, *env.executor);
        if (restartInBetween) {
            stop();
            start();
        }
        const std::size_t before = receivedRecords(server, "/engage/").size();
        instance->optInTracking("user-new");
        settle(*instance, *env.executor);
        instance->people().set("name", "New");
        instance->flush();
        settle(*instance, *env.executor);

        const auto sent = receivedRecords(server, "/engage/");
        ASSERT_GE(sent.size(), before);
        std::vector<nlohmann::json> afterOptIn(
            sent.begin() + static_cast<std::ptrdiff_t>(before), sent.end());
        for (const auto &record : afterOptIn) {
            EXPECT_FALSE(record.contains("$delete")) << record.dump();
            EXPECT_FALSE(record.contains("$set") && record["$set"].contains("$transactions"))
                << record.dump();
        }
        ASSERT_EQ(afterOptIn.size(), 1u);
        EXPECT_EQ(afterOptIn[0]["$distinct_id"], "user-new");
        EXPECT_EQ(afterOptIn[0]["$set"]["name"], "New");
        EXPECT_FALSE(instance->hasOptedOutTracking());
        EXPECT_EQ(TallyPersistence::loadOptOutStatusFlag(s_token), false);
        instance->reset();
        settle(*instance, *env.executor);
    }
}

TEST_F(TallyInstanceIdentityTest, OptingInWithoutAnIdRecordsUnderTheAnonymousIdentity)
{
    instance->identify("user-1");
    instance->optOutTracking();
    settle(*instance, *env.executor);
    instance->optInTracking(std::nullopt, TallyDictionary { { "reason", "settings" } });
    const auto events = stored(PersistenceType::Events);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(textAt(events[1], "event"), "$opt_in");
    EXPECT_EQ(textAt(events[1], "properties", "reason"), "settings");
    EXPECT_EQ(textAt(events[1], "properties", "distinct_id"), "$device:" + instance->anonymousId().value());
}

TEST_F(TallyInstanceIdentityTest, OptingInWhenNotOptedOutKeepsQueuedProfileUpdates)
{
    instance->people().set("name", "Waiting");
    instance->optInTracking();
    settle(*instance, *env.executor);
    EXPECT_EQ(storedRecords(*instance, PersistenceType::People).size(), 1u);
}

} // namespace
