#pragma once

#include "analytics/PersistenceType.h"
#include "analytics/TLDB.h"
#include "analytics/TallyIdentity.h"
#include "analytics/TallyLegacyArchiveReader.h"
#include "analytics/TallyType.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brimlark {

// The persistence front of one client instance: its record queue store (TLDB), its small state
// in the "Tally" defaults suite (keys "tally-<instance name>-<suffix>"), and the one-time
// migration of the older layout's archive files in the caches folder.
//
// Record operations run on the instance's serial tracking queue (or during set-up); the settings
// operations are type-level and safe from any thread. The suite is looked up on every call, so a
// test can install its own with Defaults::installSuite("Tally", ...).
class TallyPersistence
{
public:
    static constexpr std::string_view suiteName = "Tally";

    // Opens the store at once.
    explicit TallyPersistence(std::string instanceName,
        std::shared_ptr<const TallyLegacyArchiveReader> legacyReader
        = TallyLegacyArchiveReader::unreadable());
    ~TallyPersistence();
    TallyPersistence(const TallyPersistence &) = delete;
    TallyPersistence &operator=(const TallyPersistence &) = delete;

    const std::string &instanceName() const { return m_instanceName; }
    TLDB &tldb() { return m_tldb; }

    void closeDB();

    // Serializes the record and queues it; true when it is stored.
    bool saveEntity(const TallyDictionary &entity, PersistenceType type, bool flag);
    void saveEntities(const std::vector<TallyDictionary> &entities, PersistenceType type, bool flag);

    // Up to batchSize rows (TLDB::allRows for all), oldest first, each with its row id under "id".
    // Events named "$ae_..." are dropped after the read when excludeAutomaticEvents is set (so a
    // batch may come back short); people records get "$distinct_id" = the stored distinct id.
    std::vector<TallyDictionary> loadEntitiesInBatch(
        PersistenceType type, std::int64_t batchSize, bool flag, bool excludeAutomaticEvents);
    // Deletes sent rows. Pass the storeGeneration() seen when the rows were loaded: rows of an
    // earlier store generation are gone already and nothing is deleted for them.
    bool removeEntitiesInBatch(PersistenceType type, const std::vector<std::int32_t> &ids,
        std::optional<std::uint64_t> loadedInGeneration = std::nullopt);
    std::uint64_t storeGeneration() const { return m_tldb.generation(); }

    // Every profile update that waited for an identity becomes sendable (the token is not used).
    void identifyPeople(const std::string &token);
    // Empties all three queues, whatever their flags.
    void resetEntities();
    // Moves the older layout's archive files into the store and the suite, once.
    void migrate();

    // "<caches>/tally-<instance name>-<kind>".
    std::string legacyFilePath(std::string_view kind) const;

    static std::string settingsKey(const std::string &instanceName, std::string_view suffix);

    static void saveIdentity(const TallyIdentity &tallyIdentity, const std::string &instanceName);
    static TallyIdentity loadIdentity(const std::string &instanceName);
    static void saveOptOutStatusFlag(bool value, const std::string &instanceName);
    static std::optional<bool> loadOptOutStatusFlag(const std::string &instanceName);
    static void saveSuperProperties(const TallyDictionary &superProperties, const std::string &instanceName);
    static TallyDictionary loadSuperProperties(const std::string &instanceName);
    static void saveTimedEvents(const TallyDictionary &timedEvents, const std::string &instanceName);
    static TallyDictionary loadTimedEvents(const std::string &instanceName);
    // Removes the identity, opt-out flag, timed events and super properties of the instance.
    static void deleteUserDefaultsData(const std::string &instanceName);

private:
    struct LegacyProperties;
    struct LegacyData;

    bool needMigration() const;
    LegacyData unarchiveFromLegacy();
    std::optional<TallyType> unarchiveWithType(std::string_view kind);
    std::optional<TallyType> unarchiveWithFilePath(const std::string &path);
    std::vector<TallyDictionary> unarchiveRecords(std::string_view kind);
    std::optional<LegacyProperties> unarchiveProperties();
    static void removeArchivedFile(const std::string &path);

    const std::string m_instanceName;
    std::shared_ptr<const TallyLegacyArchiveReader> m_legacyReader;
    TLDB m_tldb;
};

} // namespace brimlark
