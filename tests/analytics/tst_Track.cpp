#include "analytics/AutomaticProperties.h"
#include "analytics/Track.h"

#include "RecordTestBed.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace brimlark;
using namespace brimlark::test;

namespace {

class TrackTest : public ::testing::Test
{
protected:
    TrackTest()
        : m_track(RecordTestBed::token, "main", m_bed.metadata, m_bed.persistence)
    {
        m_track.setTallyInstance(m_bed.owner);
    }

    // Tracks and returns the one record it stored.
    TallyDictionary trackOne(const std::optional<std::string> &event,
        const std::optional<TallyDictionary> &properties, const TallyDictionary &superProperties,
        const TallyIdentity &identity, double time)
    {
        const std::size_t before = m_bed.stored(PersistenceType::Events).size();
        m_track.track(event, properties, {}, superProperties, identity, time);
        const auto records = m_bed.stored(PersistenceType::Events);
        EXPECT_EQ(records.size(), before + 1);
        return records.empty() ? TallyDictionary() : records.back();
    }

    static TallyIdentity identity(std::string distinctID)
    {
        TallyIdentity out;
        out.distinctID = std::move(distinctID);
        return out;
    }

    RecordTestBed m_bed;
    Track m_track;
};

} // namespace

TEST_F(TrackTest, RecordKeysOrderAndValues)
{
    TallyIdentity who = identity("$device:ABC");
    who.anonymousId = "ABC";
    who.userId = "user-1";
    who.hadPersistedDistinctId = true;
    const TallyDictionary record
        = trackOne("App Opened", TallyDictionary { { "app_version", "2.0" }, { "platform", "linux" } },
            TallyDictionary { { "plan", "pro" } }, who, 1700000000.25);

    EXPECT_EQ(record.keys(), (std::vector<std::string> { "event", "properties", "$tl_metadata" }));
    EXPECT_TRUE(valueOf(record, "event").equals("App Opened"));

    std::vector<std::string> expectedKeys = AutomaticProperties::properties().keys();
    for (const char *key : { "token", "time", "distinct_id", "$device_id", "$user_id",
             "$had_persisted_distinct_id", "plan", "app_version", "platform" }) {
        expectedKeys.push_back(key);
    }
    const TallyDictionary properties = dictionaryOf(record, "properties");
    EXPECT_EQ(properties.keys(), expectedKeys);
    for (const auto &[key, value] : AutomaticProperties::properties()) {
        EXPECT_TRUE(valueOf(properties, key).equals(value)) << key;
    }
    EXPECT_TRUE(valueOf(properties, "token").equals(RecordTestBed::token));
    EXPECT_TRUE(valueOf(properties, "time").equals(1700000000250.0));
    EXPECT_TRUE(valueOf(properties, "distinct_id").equals("$device:ABC"));
    EXPECT_TRUE(valueOf(properties, "$device_id").equals("ABC"));
    EXPECT_TRUE(valueOf(properties, "$user_id").equals("user-1"));
    EXPECT_TRUE(valueOf(properties, "$had_persisted_distinct_id").equals(true));
    EXPECT_TRUE(valueOf(properties, "plan").equals("pro"));

    const TallyDictionary metadata = dictionaryOf(record, "$tl_metadata");
    EXPECT_TRUE(valueOf(metadata, "$tl_session_id").equals(m_bed.metadata->sessionID()));
    EXPECT_TRUE(valueOf(metadata, "$tl_session_seq_id").equals(0));
    EXPECT_TRUE(valueOf(
        dictionaryOf(trackOne("Second", std::nullopt, {}, who, 1.0), "$tl_metadata"), "$tl_session_seq_id")
                    .equals(1));
}

TEST_F(TrackTest, IdentityKeysOnlyWhenPresent)
{
    const TallyDictionary properties
        = dictionaryOf(trackOne("E", std::nullopt, {}, identity("d"), 1.0), "properties");
    EXPECT_TRUE(valueOf(properties, "distinct_id").equals("d"));
    for (const char *key : { "$device_id", "$user_id", "$had_persisted_distinct_id", "$duration" }) {
        EXPECT_FALSE(properties.contains(key)) << key;
    }
}

TEST_F(TrackTest, LaterWritesWin)
{
    // Super properties beat everything computed; the caller's properties beat super properties.
    const TallyDictionary properties = dictionaryOf(
        trackOne("E", TallyDictionary { { "plan", "caller" } },
            TallyDictionary { { "time", "super-time" }, { "plan", "super" }, { "$os", "super-os" } },
            identity("d"), 5.0),
        "properties");
    EXPECT_TRUE(valueOf(properties, "time").equals("super-time"));
    EXPECT_TRUE(valueOf(properties, "plan").equals("caller"));
    EXPECT_TRUE(valueOf(properties, "$os").equals("super-os"));
}

TEST_F(TrackTest, EventNames)
{
    auto &log = CapturedLog::instance();
    EXPECT_TRUE(
        valueOf(trackOne(std::nullopt, std::nullopt, {}, identity("d"), 1.0), "event").equals("tl_event"));
    EXPECT_EQ(
        log.count(TallyLogLevel::Info, "tally track called with empty event parameter. using 'tl_event'"),
        1u);
    EXPECT_TRUE(valueOf(trackOne("", std::nullopt, {}, identity("d"), 1.0), "event").equals(""));
    EXPECT_EQ(
        log.count(TallyLogLevel::Info, "tally track called with empty event parameter. using 'tl_event'"),
        1u);
}

TEST_F(TrackTest, AutomaticEventsOnlyWhileTheOwnerTracksThem)
{
    const TallyDictionary timed { { "$ae_session", 100.0 } };
    TallyPersistence::saveTimedEvents({ { "saved", 1.0 } }, "main");
    // Automatic events off: nothing stored or saved, the timed events come back unchanged.
    const TallyDictionary back = m_track.track("$ae_session", std::nullopt, timed, {}, identity("d"), 200.0);
    EXPECT_TRUE(TallyType(back).sameAs(TallyType(timed)));
    EXPECT_TRUE(m_bed.stored(PersistenceType::Events).empty());
    EXPECT_TRUE(TallyPersistence::loadTimedEvents("main").contains("saved"));
    // The prefix is case-sensitive.
    m_track.track("$AE_session", std::nullopt, {}, {}, identity("d"), 200.0);
    EXPECT_EQ(m_bed.stored(PersistenceType::Events).size(), 1u);

    m_bed.owner->automaticEvents = true;
    m_track.track("$ae_session", std::nullopt, timed, {}, identity("d"), 200.0);
    EXPECT_EQ(m_bed.stored(PersistenceType::Events).size(), 2u);

    // Without an owner, automatic events are dropped.
    m_track.setTallyInstance({});
    m_track.track("$ae_session", std::nullopt, {}, {}, identity("d"), 200.0);
    EXPECT_EQ(m_bed.stored(PersistenceType::Events).size(), 2u);
}

TEST_F(TrackTest, TimeInMillisecondsRoundsHalvesAwayFromZero)
{
    const std::vector<std::pair<double, double>> cases {
        { 1700000000.0625, 1700000000063.0 }, // exactly half a millisecond: up
        { 1700000000.0, 1700000000000.0 },
        { -0.0625, -63.0 },
        { 0.0614, 61.0 },
    };
    for (const auto &[seconds, milliseconds] : cases) {
        const TallyDictionary properties
            = dictionaryOf(trackOne("E", std::nullopt, {}, identity("d"), seconds), "properties");
        EXPECT_TRUE(valueOf(properties, "time").equals(milliseconds))
            << seconds << " -> " << valueOf(properties, "time").description();
    }
}

TEST_F(TrackTest, TimedEventsGiveADurationOnce)
{
    TallyDictionary timed = m_track.time("Upload", {}, 100.0);
    timed.set("Broken", "not a time");
    timed = m_track.track("Upload", std::nullopt, timed, {}, identity("d"), 102.34567);
    const TallyDictionary first = dictionaryOf(m_bed.stored(PersistenceType::Events).back(), "properties");
    EXPECT_TRUE(valueOf(first, "$duration").equals(2.346)) << valueOf(first, "$duration").description();
    // "$duration" is written right after "time".
    const auto keys = first.keys();
    const auto time = std::find(keys.begin(), keys.end(), "time");
    ASSERT_NE(time, keys.end());
    EXPECT_EQ(*(time + 1), "$duration");

    EXPECT_FALSE(timed.contains("Upload"));
    EXPECT_TRUE(timed.contains("Broken"));
    EXPECT_FALSE(TallyPersistence::loadTimedEvents("main").contains("Upload"));
    EXPECT_TRUE(TallyPersistence::loadTimedEvents("main").contains("Broken"));

    timed = m_track.track("Upload", std::nullopt, timed, {}, identity("d"), 103.0);
    EXPECT_FALSE(
        dictionaryOf(m_bed.stored(PersistenceType::Events).back(), "properties").contains("$duration"));
    // An entry that is not a number is no start time, and stays.
    timed = m_track.track("Broken", std::nullopt, timed, {}, identity("d"), 103.0);
    EXPECT_FALSE(
        dictionaryOf(m_bed.stored(PersistenceType::Events).back(), "properties").contains("$duration"));
    EXPECT_TRUE(timed.contains("Broken"));
}

TEST_F(TrackTest, TimingAndClearingNeedANameAndTimingRespectsOptOut)
{
    auto &log = CapturedLog::instance();
    const TallyDictionary timed { { "A", 1.0 } };
    for (const std::optional<std::string> &name :
        { std::optional<std::string>(), std::optional<std::string>("") }) {
        EXPECT_TRUE(TallyType(m_track.time(name, timed, 5.0)).sameAs(TallyType(timed)));
        EXPECT_TRUE(TallyType(m_track.clearTimedEvent(name, timed)).sameAs(TallyType(timed)));
    }
    EXPECT_EQ(log.count(TallyLogLevel::Error, "tally cannot time an empty event"), 2u);
    EXPECT_EQ(log.count(TallyLogLevel::Error, "tally cannot clear an empty timed event"), 2u);

    EXPECT_TRUE(valueOf(m_track.time("A", timed, 7.0), "A").equals(7.0));
    EXPECT_TRUE(m_track.clearTimedEvent("A", timed).empty());
    EXPECT_TRUE(TallyType(m_track.clearTimedEvent("Z", timed)).sameAs(TallyType(timed)));

    m_bed.owner->optedOut = true;
    EXPECT_TRUE(TallyType(m_track.time("B", timed, 7.0)).sameAs(TallyType(timed)));
    EXPECT_TRUE(m_track.clearTimedEvent("A", timed).empty()); // clearing is not gated
}

TEST_F(TrackTest, RegisteringSuperProperties)
{
    const TallyDictionary current { { "plan", "free" }, { "seats", 1 } };
    const TallyDictionary registered
        = m_track.registerSuperProperties({ { "plan", "pro" }, { "beta", true } }, current);
    EXPECT_TRUE(
        TallyType(registered)
            .sameAs(TallyType(TallyDictionary { { "plan", "pro" }, { "seats", 1 }, { "beta", true } })));

    struct Case
    {
        const char *label;
        TallyDictionary properties;
        std::optional<TallyType> defaultValue;
        TallyDictionary expected;
    };
    const std::vector<Case> cases {
        { "no default keeps registered keys", { { "plan", "pro" }, { "new", 2 } }, std::nullopt,
            { { "plan", "free" }, { "seats", 1 }, { "new", 2 } } },
        { "default equal to the current value replaces it", { { "plan", "pro" } }, TallyType("free"),
            { { "plan", "pro" }, { "seats", 1 } } },
        { "default of another value keeps it", { { "plan", "pro" } }, TallyType("trial"),
            { { "plan", "free" }, { "seats", 1 } } },
        { "numbers compare by value", { { "seats", 5 } }, TallyType(1.0),
            { { "plan", "free" }, { "seats", 5 } } },
        { "text never equals a number", { { "seats", 5 } }, TallyType("1"),
            { { "plan", "free" }, { "seats", 1 } } },
        { "empty properties change nothing", {}, TallyType("free"), { { "plan", "free" }, { "seats", 1 } } },
    };
    for (const auto &c : cases) {
        EXPECT_TRUE(TallyType(m_track.registerSuperPropertiesOnce(c.properties, current, c.defaultValue))
                        .sameAs(TallyType(c.expected)))
            << c.label;
    }

    m_bed.owner->optedOut = true;
    EXPECT_TRUE(TallyType(m_track.registerSuperProperties({ { "plan", "pro" } }, current))
                    .sameAs(TallyType(current)));
    EXPECT_TRUE(TallyType(m_track.registerSuperPropertiesOnce({ { "new", 1 } }, current, std::nullopt))
                    .sameAs(TallyType(current)));
}

TEST(TrackObjectEquals, AsObjectEqualitySeesIt)
{
    struct Case
    {
        TallyType left;
        TallyType right;
        bool equal;
    };
    const std::vector<Case> cases {
        { true, 1, true },
        { false, 0.0, true },
        { 5, std::uint64_t(5), true },
        { 5, 5.5, false },
        { "a", "a", true },
        { "1", 1, false },
        { TallyArray { 1, "x" }, TallyArray { 1.0, "x" }, true },
        { TallyArray { 1, 2 }, TallyArray { 2, 1 }, false },
        { TallyDictionary { { "a", 1 }, { "b", 2 } }, TallyDictionary { { "b", 2 }, { "a", 1 } }, true },
        { TallyDictionary { { "a", 1 } }, TallyDictionary { { "b", 1 } }, false },
        { TallyType::null(), TallyType::null(), true },
        { TallyType(), TallyType(), true },
        { TallyType(), TallyType::null(), false },
        { TallyDate { 1.5 }, TallyDate { 1.5 }, true },
        { TallyUrl { "https://a" }, TallyUrl { "https://b" }, false },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Track::objectEquals(c.left, c.right), c.equal)
            << c.left.description() << " vs " << c.right.description();
    }
}

TEST_F(TrackTest, TimedEventsAreStoredOnlyWhenATimedEventEnds)
{
    // The stored list differs from the one handed in, so any write shows.
    TallyPersistence::saveTimedEvents({ { "stored", 1.0 } }, "main");
    const TallyDictionary timed { { "Upload", 150.0 } };
    TallyDictionary back = m_track.track("Plain", std::nullopt, timed, {}, identity("d"), 200.0);
    EXPECT_TRUE(TallyType(back).sameAs(TallyType(timed)));
    EXPECT_TRUE(TallyPersistence::loadTimedEvents("main").contains("stored"));

    back = m_track.track("Upload", std::nullopt, timed, {}, identity("d"), 200.0);
    EXPECT_TRUE(back.empty());
    EXPECT_TRUE(TallyPersistence::loadTimedEvents("main").empty());
}
