#include "analytics/AutomaticProperties.h"
#include "analytics/JSONHandler.h"
#include "analytics/People.h"

#include "RecordTestBed.h"

#include <gtest/gtest.h>

using namespace brimlark;
using namespace brimlark::test;

namespace {

class PeopleTest : public ::testing::Test
{
protected:
    PeopleTest()
        : m_people(People::create(RecordTestBed::token, m_bed.queue, m_bed.metadata, m_bed.persistence))
    {
        m_people->setTallyInstance(m_bed.owner);
    }

    // The one record stored since the last call (identified or not).
    TallyDictionary latest()
    {
        auto records = m_bed.stored(PersistenceType::People, false);
        auto held = m_bed.stored(PersistenceType::People, true);
        records.insert(records.end(), held.begin(), held.end());
        EXPECT_EQ(records.size(), m_seen + 1);
        m_seen = records.size();
        // Rows of both flags come back in time order; the clock moves between records.
        std::sort(records.begin(), records.end(), [](const TallyDictionary &a, const TallyDictionary &b) {
            return *valueOf(a, "$time").toDouble() < *valueOf(b, "$time").toDouble();
        });
        m_bed.clock->advance(1);
        return records.empty() ? TallyDictionary() : records.back();
    }

    static TallyDictionary withAutomatic(const TallyDictionary &given)
    {
        TallyDictionary expected = AutomaticProperties::peopleProperties();
        expected += given;
        return expected;
    }

    RecordTestBed m_bed;
    std::shared_ptr<People> m_people;
    std::size_t m_seen = 0;
};

} // namespace

TEST_F(PeopleTest, SetRecordKeysOrderAndAutomaticProperties)
{
    m_people->setDistinctId("user-1");
    m_bed.owner->setIdentity("ANON", "uid", true);
    m_people->set("plan", "pro");
    const TallyDictionary record = latest();
    EXPECT_EQ(record.keys(),
        (std::vector<std::string> { "$token", "$time", "$set", "$tl_metadata", "$device_id", "$user_id",
            "$had_persisted_distinct_id", "$distinct_id" }));
    EXPECT_TRUE(valueOf(record, "$token").equals(RecordTestBed::token));
    EXPECT_TRUE(valueOf(record, "$time").equals(1700000000000.0));
    const TallyDictionary set = dictionaryOf(record, "$set");
    EXPECT_EQ(set.keys(), withAutomatic({ { "plan", "pro" } }).keys());
    EXPECT_TRUE(same(valueOf(record, "$set"), withAutomatic({ { "plan", "pro" } })));
    EXPECT_TRUE(valueOf(record, "$device_id").equals("ANON"));
    EXPECT_TRUE(valueOf(record, "$user_id").equals("uid"));
    EXPECT_TRUE(valueOf(record, "$had_persisted_distinct_id").equals(true));
    EXPECT_TRUE(valueOf(record, "$distinct_id").equals("user-1"));

    // A given key with the name of an automatic property replaces it; set_once carries them too.
    m_people->setOnce({ { "$ios_lib_version", "mine" } });
    const TallyDictionary once = dictionaryOf(latest(), "$set_once");
    EXPECT_TRUE(valueOf(once, "$ios_lib_version").equals("mine"));
    EXPECT_EQ(once.size(), AutomaticProperties::peopleProperties().size());
}

TEST_F(PeopleTest, ActionValues)
{
    m_people->setDistinctId("d");
    struct Case
    {
        const char *label;
        std::function<void(People &)> call;
        std::string action;
        std::optional<TallyType> value; // absent: the record has no action key
    };
    const std::vector<Case> cases {
        { "unset",
            [](People &p) {
                p.unset({ "a", "b" });
            },
            "$unset", TallyType(TallyArray { "a", "b" }) },
        { "unset without names", [](People &p) { p.addPeopleRecordToQueueWithAction("$unset", {}); },
            "$unset", std::nullopt },
        { "append",
            [](People &p) {
                p.append({ { "K", "V" } });
            },
            "$append", TallyType(TallyDictionary { { "K", "V" } }) },
        { "increment by", [](People &p) { p.increment("P", 1); }, "$add",
            TallyType(TallyDictionary { { "P", 1.0 } }) },
        { "increment sends values as given",
            [](People &p) {
                p.increment({ { "P", "x" } });
            },
            "$add", TallyType(TallyDictionary { { "P", "x" } }) },
        { "remove",
            [](People &p) {
                p.remove({ { "L", "A" } });
            },
            "$remove", TallyType(TallyDictionary { { "L", "A" } }) },
        { "union",
            [](People &p) {
                p.unionProperties({ { "L", TallyArray { "A" } } });
            },
            "$union", TallyType(TallyDictionary { { "L", TallyArray { "A" } } }) },
        { "delete", [](People &p) { p.deleteUser(); }, "$delete", TallyType(TallyDictionary {}) },
        { "clear charges", [](People &p) { p.clearCharges(); }, "$set",
            TallyType(withAutomatic({ { "$transactions", TallyArray {} } })) },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        c.call(*m_people);
        const TallyDictionary record = latest();
        if (c.value) {
            EXPECT_TRUE(same(valueOf(record, c.action), *c.value)) << valueOf(record, c.action).description();
        } else {
            EXPECT_FALSE(record.contains(c.action));
            EXPECT_EQ(record.keys(),
                (std::vector<std::string> { "$token", "$time", "$tl_metadata", "$distinct_id" }));
        }
    }
}

TEST_F(PeopleTest, TrackChargeAppendsATransactionAtTheTimeOfTheCall)
{
    m_people->setDistinctId("d");
    m_bed.block();
    m_people->trackCharge(9.99, TallyDictionary { { "K", "V" } });
    const double calledAt = m_bed.clock->now();
    m_bed.clock->advance(60); // the record is built later; its times are those of the call
    m_bed.release();
    const TallyDictionary record = latest();
    const TallyDictionary expected { { "$transactions",
        TallyDictionary { { "$amount", 9.99 }, { "$time", JSONHandler::dateText(TallyDate { calledAt }) },
            { "K", "V" } } } };
    EXPECT_TRUE(same(valueOf(record, "$append"), expected)) << valueOf(record, "$append").description();
    EXPECT_TRUE(valueOf(record, "$time").equals(calledAt * 1000));

    // The caller's "$amount" wins.
    m_people->trackCharge(1.0, TallyDictionary { { "$amount", 2.5 } });
    EXPECT_TRUE(
        valueOf(dictionaryOf(dictionaryOf(latest(), "$append"), "$transactions"), "$amount").equals(2.5));
}

TEST_F(PeopleTest, IgnoreTimeIsTakenAtTheCall)
{
    m_people->setDistinctId("d");
    m_bed.block();
    m_people->setIgnoreTime(true);
    m_people->set("a", 1);
    m_people->setIgnoreTime(false);
    m_bed.release();
    EXPECT_TRUE(valueOf(latest(), "$ignore_time").equals(1));
    m_people->set("a", 2);
    EXPECT_FALSE(latest().contains("$ignore_time"));
}

TEST_F(PeopleTest, RecordsWaitForAnIdentityUntilIdentificationReleasesThem)
{
    m_people->set("before", 1);
    m_people->append({ { "before", 2 } });
    const auto held = m_bed.stored(PersistenceType::People, true);
    ASSERT_EQ(held.size(), 2u);
    for (const auto &record : held) {
        EXPECT_FALSE(record.contains("$distinct_id"));
    }
    EXPECT_TRUE(m_bed.stored(PersistenceType::People, false).empty());

    // The id that counts is the one in place when the record is built.
    m_bed.block();
    m_people->set("after", 3);
    m_people->setDistinctId("user-9");
    m_bed.release();
    const auto ready = m_bed.stored(PersistenceType::People, false);
    ASSERT_EQ(ready.size(), 1u);
    EXPECT_TRUE(valueOf(ready[0], "$distinct_id").equals("user-9"));

    m_bed.persistence->identifyPeople(RecordTestBed::token);
    EXPECT_EQ(m_bed.stored(PersistenceType::People, false).size(), 3u);
}

TEST_F(PeopleTest, OptedOutOrReleasedStoresNothing)
{
    m_bed.owner->optedOut = true;
    m_people->set("a", 1);
    m_people->deleteUser();
    m_people->trackCharge(1.0);
    EXPECT_TRUE(m_bed.stored(PersistenceType::People, true).empty());
    EXPECT_TRUE(m_bed.stored(PersistenceType::People, false).empty());

    m_bed.owner->optedOut = false;
    m_bed.block();
    m_people->set("a", 1);
    m_people.reset();
    m_bed.release();
    EXPECT_TRUE(m_bed.stored(PersistenceType::People, true).empty());
}

TEST_F(PeopleTest, WithoutAnOwnerNoIdentityKeysAndNoOptOut)
{
    m_people->setTallyInstance({});
    m_people->setDistinctId("d");
    m_people->set("a", 1);
    EXPECT_EQ(latest().keys(),
        (std::vector<std::string> { "$token", "$time", "$set", "$tl_metadata", "$distinct_id" }));
}
