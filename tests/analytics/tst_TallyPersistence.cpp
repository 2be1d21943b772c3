#include "ManualTallyClock.h"
#include "analytics/JSONHandler.h"
#include "analytics/TallyClock.h"
#include "analytics/TallyPersistence.h"

#include "CapturedLog.h"
#include "TestSupport.h"

#include "platform/base/Defaults.h"
#include "platform/base/SystemPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>

using namespace brimlark;
using brimlark::test::CapturedLog;

namespace {

const std::string s_name = "0123456789abcdef0123456789abcdef";

// Reads legacy files written by the tests as JSON ("true"/"false" for a Boolean root).
class JsonLegacyReader : public TallyLegacyArchiveReader
{
public:
    std::optional<TallyType> unarchive(std::span<const std::uint8_t> bytes) const override
    {
        const std::string_view text(reinterpret_cast<const char *>(bytes.data()), bytes.size());
        if (text == "true" || text == "false") {
            return TallyType(text == "true");
        }
        return JSONHandler::deserializeData(bytes);
    }
};

TallyIdentity identity(std::string distinctID, std::optional<std::string> peopleDistinctID = std::nullopt)
{
    TallyIdentity out;
    out.distinctID = std::move(distinctID);
    out.peopleDistinctID = std::move(peopleDistinctID);
    return out;
}

std::string textOf(const TallyDictionary &record, std::string_view key)
{
    const TallyType *value = record.find(key);
    const std::string *text = value ? value->get<std::string>() : nullptr;
    return text ? *text : std::string("<missing>");
}

std::vector<std::string> fieldOf(const std::vector<TallyDictionary> &records, std::string_view key)
{
    std::vector<std::string> out;
    for (const auto &record : records) {
        out.push_back(textOf(record, key));
    }
    return out;
}

class TallyPersistenceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CapturedLog::instance().clear();
        m_previousClock = TallyClock::installShared(m_clock);
        restartSettings();
    }
    void TearDown() override
    {
        TallyClock::installShared(m_previousClock);
        Defaults::installSuite("Tally", nullptr);
    }

    // A new suite object over the same file, as at the next start of the program.
    void restartSettings() { Defaults::installSuite("Tally", std::make_shared<Defaults>(settingsFile())); }
    std::filesystem::path settingsFile() const
    {
        return m_roots.home().toStdString() + "/config/Tally.plist";
    }

    void writeLegacy(const std::string &kind, const std::string &contents)
    {
        std::filesystem::create_directories(SystemPaths::caches());
        std::ofstream(SystemPaths::caches() + "/tally-" + s_name + "-" + kind, std::ios::binary) << contents;
    }
    bool legacyExists(const std::string &kind) const
    {
        return std::filesystem::exists(SystemPaths::caches() + "/tally-" + s_name + "-" + kind);
    }

    void save(TallyPersistence &persistence, PersistenceType type, TallyDictionary record, bool flag = false)
    {
        ASSERT_TRUE(persistence.saveEntity(record, type, flag));
        m_clock->advance(1);
    }

    brimlark::test::TemporaryRoots m_roots;
    std::shared_ptr<ManualTallyClock> m_clock = std::make_shared<ManualTallyClock>(1700000000.0);
    std::shared_ptr<TallyClock> m_previousClock;
};

} // namespace

TEST(PersistenceType, RawValuesAndOrder)
{
    EXPECT_EQ(rawValue(PersistenceType::Events), "events");
    EXPECT_EQ(rawValue(PersistenceType::People), "people");
    EXPECT_EQ(rawValue(PersistenceType::Groups), "groups");
    for (const PersistenceType type : allPersistenceTypes) {
        EXPECT_EQ(persistenceTypeFromRawValue(rawValue(type)), type);
    }
    EXPECT_FALSE(persistenceTypeFromRawValue("Events"));
    EXPECT_FALSE(persistenceTypeFromRawValue(""));
}

TEST_F(TallyPersistenceTest, IdentityRoundTripsAcrossARestartAndAbsentFieldsRemoveTheirKeys)
{
    const TallyIdentity full { "$device:ABC", "people-id", "ABC", "user-7", "alias-1", true };
    TallyPersistence::saveIdentity(full, s_name);
    restartSettings();
    EXPECT_EQ(TallyPersistence::loadIdentity(s_name), full);

    TallyPersistence::saveIdentity(identity("only-distinct"), s_name);
    restartSettings();
    std::vector<std::string> keys = Defaults::suite("Tally").keys();
    EXPECT_EQ(keys, (std::vector<std::string> { "tally-" + s_name + "-TLDistinctID" }));
    const TallyIdentity loaded = TallyPersistence::loadIdentity(s_name);
    EXPECT_EQ(loaded,
        (TallyIdentity { "only-distinct", std::nullopt, std::nullopt, std::nullopt, std::nullopt, false }));

    // Nothing stored: the empty text and a had-persisted flag of false.
    EXPECT_EQ(TallyPersistence::loadIdentity("other"),
        (TallyIdentity { "", std::nullopt, std::nullopt, std::nullopt, std::nullopt, false }));
}

TEST_F(TallyPersistenceTest, OptOutFlagIsAbsentUntilAChoiceIsStored)
{
    EXPECT_EQ(TallyPersistence::loadOptOutStatusFlag(s_name), std::nullopt);
    TallyPersistence::saveOptOutStatusFlag(false, s_name);
    restartSettings();
    EXPECT_EQ(TallyPersistence::loadOptOutStatusFlag(s_name), false);
    TallyPersistence::saveOptOutStatusFlag(true, s_name);
    EXPECT_EQ(TallyPersistence::loadOptOutStatusFlag(s_name), true);
    // A value of another type is no choice.
    Defaults::suite("Tally").set(TallyPersistence::settingsKey(s_name, "OptOutStatus"), DefaultsValue("yes"));
    EXPECT_EQ(TallyPersistence::loadOptOutStatusFlag(s_name), std::nullopt);
}

TEST_F(TallyPersistenceTest, SuperPropertiesAndTimedEventsRoundTripAcrossARestart)
{
    const TallyDictionary superProperties { { "plan", "pro" }, { "seats", 3 }, { "ratio", 0.25 },
        { "beta", true }, { "since", TallyDate { 1700000000.5 } },
        { "home", TallyUrl { "https://example.com" } }, { "tags", TallyArray { "a", 1 } },
        { "nothing", TallyType::null() } };
    const TallyDictionary timedEvents { { "Upload", 1700000123.25 }, { "Search", 1700000000.0 } };
    TallyPersistence::saveSuperProperties(superProperties, s_name);
    TallyPersistence::saveTimedEvents(timedEvents, s_name);
    restartSettings();
    EXPECT_TRUE(TallyType(TallyPersistence::loadSuperProperties(s_name)).sameAs(TallyType(superProperties)));
    EXPECT_TRUE(TallyType(TallyPersistence::loadTimedEvents(s_name)).sameAs(TallyType(timedEvents)));
    EXPECT_TRUE(TallyPersistence::loadSuperProperties("other").empty());
}

TEST_F(TallyPersistenceTest, UnreadableArchivesLoadEmptyWithAWarning)
{
    auto &log = CapturedLog::instance();
    Defaults &suite = Defaults::suite("Tally");
    suite.set(TallyPersistence::settingsKey(s_name, "superProperties"),
        DefaultsValue(DefaultsValue::Data { 1, 2, 3 }));
    suite.set(TallyPersistence::settingsKey(s_name, "timedEvents"), DefaultsValue(DefaultsValue::Data {}));
    EXPECT_TRUE(TallyPersistence::loadSuperProperties(s_name).empty());
    EXPECT_TRUE(TallyPersistence::loadTimedEvents(s_name).empty());
    EXPECT_EQ(log.count(TallyLogLevel::Warning, "Failed to unarchive super properties"), 1u);
    EXPECT_EQ(log.count(TallyLogLevel::Warning, "Failed to unarchive timed events"), 1u);

    // A value that is not data at all reads as nothing stored.
    log.clear();
    suite.set(TallyPersistence::settingsKey(s_name, "superProperties"), DefaultsValue("text"));
    EXPECT_TRUE(TallyPersistence::loadSuperProperties(s_name).empty());
    EXPECT_EQ(log.count(TallyLogLevel::Warning), 0u);
}

TEST_F(TallyPersistenceTest, AFailedArchiveKeepsTheStoredValue)
{
    TallyPersistence::saveSuperProperties({ { "kept", 1 } }, s_name);
    TallyPersistence::saveSuperProperties({ { "bad", std::string("\xFF") } }, s_name);
    EXPECT_EQ(
        CapturedLog::instance().count(TallyLogLevel::Warning, "Failed to archive super properties"), 1u);
    EXPECT_TRUE(TallyType(TallyPersistence::loadSuperProperties(s_name))
                    .sameAs(TallyType(TallyDictionary { { "kept", 1 } })));
}

TEST_F(TallyPersistenceTest, DeletingSettingsLeavesOtherInstancesAlone)
{
    for (const std::string &name : { s_name, std::string("other") }) {
        TallyPersistence::saveIdentity({ "id-" + name, "p", "a", "u", "al", true }, name);
        TallyPersistence::saveOptOutStatusFlag(true, name);
        TallyPersistence::saveSuperProperties({ { "k", name } }, name);
        TallyPersistence::saveTimedEvents({ { "e", 1.0 } }, name);
    }
    TallyPersistence::deleteUserDefaultsData(s_name);
    restartSettings();
    for (const auto &key : Defaults::suite("Tally").keys()) {
        EXPECT_TRUE(key.starts_with("tally-other-")) << key;
    }
    EXPECT_EQ(Defaults::suite("Tally").keys().size(), 9u);
    EXPECT_EQ(TallyPersistence::loadIdentity("other").distinctID, "id-other");
    EXPECT_EQ(TallyPersistence::loadIdentity(s_name).distinctID, "");
    EXPECT_EQ(TallyPersistence::loadOptOutStatusFlag(s_name), std::nullopt);
}

TEST_F(TallyPersistenceTest, RecordsSurviveARestartOfTheFront)
{
    {
        TallyPersistence persistence(s_name);
        save(persistence, PersistenceType::Events, { { "event", "App Opened" } });
        save(persistence, PersistenceType::Groups, { { "$group_key", "company" } });
    }
    TallyPersistence persistence(s_name);
    EXPECT_EQ(fieldOf(persistence.loadEntitiesInBatch(PersistenceType::Events, 50, false, true), "event"),
        (std::vector<std::string> { "App Opened" }));
    EXPECT_EQ(
        fieldOf(persistence.loadEntitiesInBatch(PersistenceType::Groups, 50, false, false), "$group_key"),
        (std::vector<std::string> { "company" }));
}

TEST_F(TallyPersistenceTest, AutomaticEventsAreExcludedAndCannotBlockTheOthers)
{
    TallyPersistence persistence(s_name);
    for (int i = 0; i < 50; ++i) {
        save(persistence, PersistenceType::Events, { { "event", "$ae_session" } });
    }
    for (int i = 0; i < 10; ++i) {
        save(persistence, PersistenceType::Events, { { "event", "Search Used " + std::to_string(i) } });
    }
    save(persistence, PersistenceType::Events, { { "no-name", 1 } });

    // Read with automatic events included, all of them come back in order.
    EXPECT_EQ(
        persistence.loadEntitiesInBatch(PersistenceType::Events, TLDB::allRows, false, false).size(), 61u);
    // The batch counts rows before the filter, so the first batch is empty...
    EXPECT_TRUE(persistence.loadEntitiesInBatch(PersistenceType::Events, 50, false, true).empty());
    // ...but the excluded rows are gone, and the next batch holds the others.
    const auto next = persistence.loadEntitiesInBatch(PersistenceType::Events, 50, false, true);
    ASSERT_EQ(next.size(), 11u);
    EXPECT_EQ(textOf(next.front(), "event"), "Search Used 0");
    EXPECT_EQ(textOf(next.back(), "no-name"), "<missing>");
    // People and groups are never filtered.
    save(persistence, PersistenceType::Groups, { { "event", "$ae_x" } });
    EXPECT_EQ(persistence.loadEntitiesInBatch(PersistenceType::Groups, 50, false, true).size(), 1u);
}

TEST_F(TallyPersistenceTest, PeopleRecordsCarryTheStoredMainDistinctId)
{
    TallyPersistence persistence(s_name);
    save(persistence, PersistenceType::People,
        { { "$set", TallyDictionary {} }, { "$distinct_id", "queued-with" } });
    save(persistence, PersistenceType::People, { { "$set", TallyDictionary {} } });
    EXPECT_EQ(
        fieldOf(persistence.loadEntitiesInBatch(PersistenceType::People, 50, false, false), "$distinct_id"),
        (std::vector<std::string> { "", "" }));

    TallyPersistence::saveIdentity(identity("$device:MAIN", "people-only"), s_name);
    EXPECT_EQ(
        fieldOf(persistence.loadEntitiesInBatch(PersistenceType::People, 50, false, false), "$distinct_id"),
        (std::vector<std::string> { "$device:MAIN", "$device:MAIN" }));
    // Events are left as they were stored.
    save(persistence, PersistenceType::Events, { { "event", "e" }, { "$distinct_id", "own" } });
    EXPECT_EQ(
        fieldOf(persistence.loadEntitiesInBatch(PersistenceType::Events, 50, false, false), "$distinct_id"),
        (std::vector<std::string> { "own" }));
}

TEST_F(TallyPersistenceTest, IdentifyReleasesHeldProfileUpdatesAndResetEmptiesEverything)
{
    TallyPersistence persistence(s_name);
    save(persistence, PersistenceType::People, { { "n", "held" } }, true);
    save(persistence, PersistenceType::People, { { "n", "ready" } }, false);
    save(persistence, PersistenceType::Events, { { "n", "event" } }, true);
    EXPECT_EQ(fieldOf(persistence.loadEntitiesInBatch(PersistenceType::People, 50, false, false), "n"),
        (std::vector<std::string> { "ready" }));

    persistence.identifyPeople("ignored");
    EXPECT_EQ(fieldOf(persistence.loadEntitiesInBatch(PersistenceType::People, 50, false, false), "n"),
        (std::vector<std::string> { "held", "ready" }));

    save(persistence, PersistenceType::Groups, { { "n", "group" } });
    persistence.resetEntities();
    for (const PersistenceType type : allPersistenceTypes) {
        for (const bool flag : { false, true }) {
            EXPECT_TRUE(persistence.loadEntitiesInBatch(type, TLDB::allRows, flag, false).empty());
        }
    }
}

TEST_F(TallyPersistenceTest, RemovesExactlyTheSentRowsAndIgnoresIdsOfAnEarlierGeneration)
{
    TallyPersistence persistence(s_name);
    for (const char *n : { "a", "b", "c" }) {
        save(persistence, PersistenceType::Events, { { "n", n } });
    }
    const std::uint64_t generation = persistence.storeGeneration();
    const auto batch = persistence.loadEntitiesInBatch(PersistenceType::Events, 2, false, false);
    std::vector<std::int32_t> ids;
    for (const auto &record : batch) {
        ids.push_back(static_cast<std::int32_t>(*record.find("id")->toInt()));
    }
    ASSERT_TRUE(persistence.removeEntitiesInBatch(PersistenceType::Events, ids, generation));
    EXPECT_EQ(fieldOf(persistence.loadEntitiesInBatch(PersistenceType::Events, 50, false, false), "n"),
        (std::vector<std::string> { "c" }));

    persistence.tldb().recreate();
    save(persistence, PersistenceType::Events, { { "n", "new" } });
    persistence.removeEntitiesInBatch(PersistenceType::Events, { 1, 2, 3 }, generation);
    EXPECT_EQ(fieldOf(persistence.loadEntitiesInBatch(PersistenceType::Events, 50, false, false), "n"),
        (std::vector<std::string> { "new" }));
}

TEST_F(TallyPersistenceTest, MigrationMovesEveryLegacyFileOnce)
{
    writeLegacy("events", R"([{"event":"old-1"},{"event":"old-2"}])");
    writeLegacy("people", R"([{"n":"identified"}])");
    writeLegacy("groups", R"([{"n":"group"}])");
    writeLegacy("optOutStatus", "true");
    writeLegacy("properties", R"({"superProperties":{"plan":"pro"},"timedEvents":{"Upload":1700000000.5},
        "distinctId":"legacy-id","anonymousId":"ANON","userId":"user","alias":"al",
        "hadPersistedDistinctId":true,"peopleDistinctId":"people-id",
        "peopleUnidentifiedQueue":[{"n":"unidentified-1"},{"n":"unidentified-2"}]})");
    const auto reader = std::make_shared<JsonLegacyReader>();
    {
        TallyPersistence persistence(s_name, reader);
        persistence.migrate();
        EXPECT_EQ(
            fieldOf(persistence.loadEntitiesInBatch(PersistenceType::Events, 50, false, false), "event"),
            (std::vector<std::string> { "old-1", "old-2" }));
        EXPECT_EQ(fieldOf(persistence.loadEntitiesInBatch(PersistenceType::People, 50, false, false), "n"),
            (std::vector<std::string> { "unidentified-1", "unidentified-2", "identified" }));
        EXPECT_EQ(fieldOf(persistence.loadEntitiesInBatch(PersistenceType::Groups, 50, false, false), "n"),
            (std::vector<std::string> { "group" }));
        EXPECT_TRUE(persistence.loadEntitiesInBatch(PersistenceType::People, 50, true, false).empty());
    }
    for (const char *kind : { "events", "people", "groups", "properties", "optOutStatus" }) {
        EXPECT_FALSE(legacyExists(kind)) << kind;
    }
    restartSettings();
    EXPECT_EQ(TallyPersistence::loadIdentity(s_name),
        (TallyIdentity { "legacy-id", "people-id", "ANON", "user", "al", true }));
    EXPECT_EQ(TallyPersistence::loadOptOutStatusFlag(s_name), true);
    EXPECT_TRUE(TallyType(TallyPersistence::loadSuperProperties(s_name))
                    .sameAs(TallyType(TallyDictionary { { "plan", "pro" } })));
    EXPECT_TRUE(TallyType(TallyPersistence::loadTimedEvents(s_name))
                    .sameAs(TallyType(TallyDictionary { { "Upload", 1700000000.5 } })));

    // The next start finds nothing to migrate and queues nothing twice.
    TallyPersistence again(s_name, reader);
    again.migrate();
    EXPECT_EQ(again.loadEntitiesInBatch(PersistenceType::Events, 50, false, false).size(), 2u);
    EXPECT_EQ(again.loadEntitiesInBatch(PersistenceType::People, 50, false, false).size(), 3u);
}

TEST_F(TallyPersistenceTest, LegacyFilesWithoutReadablePropertiesKeepTheStoredState)
{
    const TallyIdentity stored { "$device:KEEP", std::nullopt, "KEEP", std::nullopt, std::nullopt, true };
    TallyPersistence::saveIdentity(stored, s_name);
    TallyPersistence::saveSuperProperties({ { "plan", "pro" } }, s_name);
    TallyPersistence::saveTimedEvents({ { "Upload", 1.0 } }, s_name);
    TallyPersistence::saveOptOutStatusFlag(false, s_name);
    writeLegacy("events", "keyed archive bytes this system cannot read");
    auto &log = CapturedLog::instance();
    log.clear();

    TallyPersistence persistence(s_name); // the reader in use reads no legacy file
    persistence.migrate();

    EXPECT_FALSE(legacyExists("events"));
    EXPECT_TRUE(persistence.loadEntitiesInBatch(PersistenceType::Events, 50, false, false).empty());
    restartSettings();
    EXPECT_EQ(TallyPersistence::loadIdentity(s_name), stored);
    EXPECT_TRUE(TallyType(TallyPersistence::loadSuperProperties(s_name))
                    .sameAs(TallyType(TallyDictionary { { "plan", "pro" } })));
    EXPECT_EQ(TallyPersistence::loadTimedEvents(s_name).size(), 1u);
    EXPECT_EQ(TallyPersistence::loadOptOutStatusFlag(s_name), false);
    // Every one of the five kinds is reported unreadable; the missing four cannot be removed.
    EXPECT_EQ(log.countStartingWith(TallyLogLevel::Info, "Unable to read file at path: "), 5u);
    EXPECT_EQ(log.count(TallyLogLevel::Info, "can't unarchive file"), 5u);
    EXPECT_GE(log.countStartingWith(TallyLogLevel::Info, "Unable to remove file at path: "), 4u);
    EXPECT_EQ(
        log.count(TallyLogLevel::Info,
            "No readable legacy properties: the stored identity, super properties and timed events are kept"),
        1u);
}

TEST_F(TallyPersistenceTest, ReadablePropertiesWithMissingKeysMigrateTheirDefaults)
{
    TallyPersistence::saveIdentity({ "$device:OLD", "p", "OLD", "u", "a", true }, s_name);
    writeLegacy("properties", R"({"distinctId":42,"userId":"legacy-user","hadPersistedDistinctId":"yes"})");
    TallyPersistence persistence(s_name, std::make_shared<JsonLegacyReader>());
    persistence.migrate();
    // Values of the wrong type read as their defaults.
    EXPECT_EQ(TallyPersistence::loadIdentity(s_name),
        (TallyIdentity { "", std::nullopt, std::nullopt, "legacy-user", std::nullopt, false }));
}

TEST_F(TallyPersistenceTest, LegacyRecordListsWithAForeignElementReadAsEmpty)
{
    writeLegacy("events", R"([{"event":"ok"}, "not a record"])");
    writeLegacy("groups", R"({"not":"a list"})");
    TallyPersistence persistence(s_name, std::make_shared<JsonLegacyReader>());
    persistence.migrate();
    EXPECT_TRUE(persistence.loadEntitiesInBatch(PersistenceType::Events, 50, false, false).empty());
    EXPECT_TRUE(persistence.loadEntitiesInBatch(PersistenceType::Groups, 50, false, false).empty());
    EXPECT_FALSE(legacyExists("events"));
    EXPECT_FALSE(legacyExists("groups"));
}

TEST_F(TallyPersistenceTest, AnInstanceNameWithASeparatorNeverReachesFilesOutsideTheCaches)
{
    const std::string outside = m_roots.home().toStdString() + "/Library/tally-x-events";
    std::filesystem::create_directories(SystemPaths::caches() + "/tally-a");
    {
        std::ofstream(outside) << "[]";
    }
    TallyPersistence persistence("a/../../tally-x", std::make_shared<JsonLegacyReader>());
    EXPECT_EQ(persistence.legacyFilePath("events"), "");
    persistence.migrate();
    EXPECT_TRUE(std::filesystem::exists(outside));
    EXPECT_EQ(TallyPersistence(s_name).legacyFilePath("events"),
        SystemPaths::caches() + "/tally-" + s_name + "-events");
}
