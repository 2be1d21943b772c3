#include "analytics/Group.h"
#include "analytics/People.h"

#include "RecordTestBed.h"

#include <gtest/gtest.h>

using namespace brimlark;
using namespace brimlark::test;

namespace {

class GroupTest : public ::testing::Test
{
protected:
    std::shared_ptr<Group> makeGroup(const std::string &key, const TallyType &id)
    {
        return Group::create(
            RecordTestBed::token, m_bed.queue, key, id, m_bed.metadata, m_bed.persistence, m_bed.owner);
    }

    TallyDictionary latest()
    {
        const auto records = m_bed.stored(PersistenceType::Groups, false);
        EXPECT_EQ(records.size(), ++m_seen);
        return records.empty() ? TallyDictionary() : records.back();
    }

    RecordTestBed m_bed;
    std::size_t m_seen = 0;
};

} // namespace

TEST_F(GroupTest, SetRecordHasExactlyTheGroupKeys)
{
    m_bed.owner->setIdentity("ANON", "uid", true); // group records carry no identity
    auto group = makeGroup("company", "acme");
    group->set("P", "V");
    const TallyDictionary record = latest();
    EXPECT_EQ(record.keys(),
        (std::vector<std::string> { "$token", "$time", "$set", "$tl_metadata", "$group_key", "$group_id" }));
    EXPECT_TRUE(valueOf(record, "$token").equals(RecordTestBed::token));
    EXPECT_TRUE(valueOf(record, "$time").equals(1700000000000.0));
    EXPECT_TRUE(same(valueOf(record, "$set"), TallyDictionary { { "P", "V" } }));
    EXPECT_TRUE(valueOf(record, "$group_key").equals("company"));
    EXPECT_TRUE(valueOf(record, "$group_id").equals("acme"));
}

TEST_F(GroupTest, ActionValues)
{
    auto group = makeGroup("company", 42);
    struct Case
    {
        const char *label;
        std::function<void(Group &)> call;
        std::string action;
        TallyType value;
    };
    const std::vector<Case> cases {
        { "set once",
            [](Group &g) {
                g.setOnce({ { "a", 1 } });
            },
            "$set_once", TallyDictionary { { "a", 1 } } },
        { "unset", [](Group &g) { g.unset("P"); }, "$unset", TallyArray { "P" } },
        { "union",
            [](Group &g) {
                g.unionValues("L", { "A", "B" });
            },
            "$union", TallyDictionary { { "L", TallyArray { "A", "B" } } } },
        { "remove", [](Group &g) { g.remove("L", "A"); }, "$remove", TallyDictionary { { "L", "A" } } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        c.call(*group);
        const TallyDictionary record = latest();
        EXPECT_TRUE(same(valueOf(record, c.action), c.value)) << valueOf(record, c.action).description();
        // A numeric id stays a number.
        EXPECT_TRUE(valueOf(record, "$group_id").isNumber());
        EXPECT_TRUE(valueOf(record, "$group_id").equals(42));
    }
    group->addGroupRecordToQueueWithAction("$unset", {});
    EXPECT_FALSE(latest().contains("$unset"));
}

TEST_F(GroupTest, DeleteQueuesTheRecordAndLeavesTheCacheEvenWhenOptedOut)
{
    auto group = makeGroup("company", "acme");
    group->deleteGroup();
    EXPECT_TRUE(same(valueOf(latest(), "$delete"), TallyDictionary {}));
    ASSERT_EQ(m_bed.owner->removedGroups.size(), 1u);
    EXPECT_EQ(m_bed.owner->removedGroups[0].first, "company");
    EXPECT_TRUE(m_bed.owner->removedGroups[0].second.equals("acme"));

    m_bed.owner->optedOut = true;
    group->deleteGroup();
    group->set("a", 1);
    EXPECT_EQ(m_bed.stored(PersistenceType::Groups, false).size(), 1u);
    EXPECT_EQ(m_bed.owner->removedGroups.size(), 2u);
}

TEST_F(GroupTest, RecordsNeverWaitAndAQueuedRecordKeepsItsGroup)
{
    m_bed.block();
    auto group = makeGroup("team", "t1");
    group->set("a", 1);
    group.reset();
    m_bed.release();
    EXPECT_EQ(m_bed.stored(PersistenceType::Groups, false).size(), 1u);
    EXPECT_TRUE(m_bed.stored(PersistenceType::Groups, true).empty());
}

TEST_F(GroupTest, ProfileAndGroupRecordsShareOneSequence)
{
    auto people = People::create(RecordTestBed::token, m_bed.queue, m_bed.metadata, m_bed.persistence);
    people->setDistinctId("d");
    people->set("a", 1);
    auto group = makeGroup("team", "t1");
    group->set("b", 2);
    const auto person = m_bed.stored(PersistenceType::People, false);
    ASSERT_EQ(person.size(), 1u);
    EXPECT_TRUE(valueOf(dictionaryOf(person[0], "$tl_metadata"), "$tl_session_seq_id").equals(0));
    EXPECT_TRUE(valueOf(dictionaryOf(latest(), "$tl_metadata"), "$tl_session_seq_id").equals(1));
}
