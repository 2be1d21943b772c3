#include "analytics/TallyPersistence.h"

#include "analytics/JSONHandler.h"
#include "analytics/TallyArchiver.h"
#include "analytics/TallyLogger.h"
#include "platform/base/Defaults.h"
#include "platform/base/SystemPaths.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace brimlark {

namespace {

constexpr std::string_view s_legacyKinds[] = { "events", "people", "groups", "properties", "optOutStatus" };

Defaults &settings()
{
    return Defaults::suite(std::string(TallyPersistence::suiteName));
}

void setOrRemove(Defaults &suite, const std::string &key, const std::optional<std::string> &value)
{
    if (value) {
        suite.set(key, DefaultsValue(*value));
    } else {
        suite.remove(key);
    }
}

void saveArchive(
    const TallyDictionary &dictionary, const std::string &key, const char *failure, std::string_view function)
{
    const auto bytes = TallyArchiver::archive(dictionary);
    if (!bytes) {
        TallyLogger::warn(failure, function);
        return;
    }
    settings().set(key, DefaultsValue(DefaultsValue::Data(bytes->begin(), bytes->end())));
}

TallyDictionary loadArchive(const std::string &key, const char *failure, std::string_view function)
{
    const auto bytes = settings().data(key);
    if (!bytes) {
        return {};
    }
    auto dictionary = TallyArchiver::unarchive(*bytes);
    if (!dictionary) {
        TallyLogger::warn(failure, function);
        return {};
    }
    return std::move(*dictionary);
}

std::optional<std::string> textOf(const TallyDictionary &dictionary, std::string_view key)
{
    const TallyType *value = dictionary.find(key);
    const std::string *text = value ? value->get<std::string>() : nullptr;
    return text ? std::optional<std::string>(*text) : std::nullopt;
}

// An array of which every element is a dictionary, else the empty list.
std::vector<TallyDictionary> recordsOf(const TallyType *value)
{
    const TallyArray *array = value ? value->get<TallyArray>() : nullptr;
    if (!array) {
        return {};
    }
    std::vector<TallyDictionary> records;
    records.reserve(array->size());
    for (const TallyType &element : *array) {
        const TallyDictionary *record = element.get<TallyDictionary>();
        if (!record) {
            return {};
        }
        records.push_back(*record);
    }
    return records;
}

} // namespace

struct TallyPersistence::LegacyProperties
{
    TallyDictionary superProperties;
    TallyDictionary timedEvents;
    std::string distinctId;
    std::optional<std::string> anonymousId;
    std::optional<std::string> userId;
    std::optional<std::string> alias;
    std::optional<bool> hadPersistedDistinctId;
    std::optional<std::string> peopleDistinctId;
    std::vector<TallyDictionary> peopleUnidentifiedQueue;
};

struct TallyPersistence::LegacyData
{
    std::vector<TallyDictionary> eventsQueue;
    std::vector<TallyDictionary> peopleQueue;
    std::vector<TallyDictionary> groupsQueue;
    // Absent when there was no readable properties archive.
    std::optional<LegacyProperties> properties;
    std::optional<bool> optOutStatus;
};

TallyPersistence::TallyPersistence(
    std::string instanceName, std::shared_ptr<const TallyLegacyArchiveReader> legacyReader)
    : m_instanceName(std::move(instanceName))
    , m_legacyReader(legacyReader ? std::move(legacyReader) : TallyLegacyArchiveReader::unreadable())
    , m_tldb(m_instanceName)
{
}

TallyPersistence::~TallyPersistence()
{
    closeDB();
}

void TallyPersistence::closeDB()
{
    if (m_tldb.isOpen()) {
        m_tldb.close();
    }
}

bool TallyPersistence::saveEntity(const TallyDictionary &entity, PersistenceType type, bool flag)
{
    // Stored anyway, it could not be read back and would be deleted unsent.
    if (TallyType(entity).nestsDeeperThan(JSONHandler::maximumDepth)) {
        TallyLogger::error(
            "Record nests deeper than " + std::to_string(JSONHandler::maximumDepth) + " levels; not stored",
            "saveEntity(_:type:flag:)");
        return false;
    }
    const auto data = JSONHandler::serializeJSONObject(TallyType(entity));
    if (!data) {
        return false;
    }
    return m_tldb.insertRow(type, *data, flag);
}

void TallyPersistence::saveEntities(
    const std::vector<TallyDictionary> &entities, PersistenceType type, bool flag)
{
    for (const auto &entity : entities) {
        saveEntity(entity, type, flag);
    }
}

std::vector<TallyDictionary> TallyPersistence::loadEntitiesInBatch(
    PersistenceType type, std::int64_t batchSize, bool flag, bool excludeAutomaticEvents)
{
    std::vector<TallyDictionary> records = m_tldb.readRows(type, batchSize, flag);
    if (excludeAutomaticEvents && type == PersistenceType::Events) {
        // Automatic events are not sent while they are excluded; left in the queue, a batch's
        // worth of them would come back first in every read and hold back every other event for
        // good. A record without a text name is not an automatic event; it is kept.
        std::vector<std::int32_t> dropped;
        std::erase_if(records, [&](const TallyDictionary &record) {
            const auto name = textOf(record, "event");
            if (!name || !name->starts_with("$ae_")) {
                return false;
            }
            if (const TallyType *id = record.find("id"); id && id->toInt()) {
                dropped.push_back(static_cast<std::int32_t>(*id->toInt()));
            }
            return true;
        });
        if (!dropped.empty()) {
            TallyLogger::info(
                [&] { return "Dropping " + std::to_string(dropped.size()) + " queued automatic events"; },
                "loadEntitiesInBatch(type:batchSize:flag:excludeAutomaticEvents:)");
            m_tldb.deleteRows(type, dropped, false);
        }
    }
    if (type == PersistenceType::People) {
        const std::string distinctId = loadIdentity(m_instanceName).distinctID;
        for (auto &record : records) {
            record.set("$distinct_id", distinctId);
        }
    }
    return records;
}

bool TallyPersistence::removeEntitiesInBatch(PersistenceType type, const std::vector<std::int32_t> &ids,
    std::optional<std::uint64_t> loadedInGeneration)
{
    return m_tldb.deleteRows(type, ids, false, loadedInGeneration);
}

void TallyPersistence::identifyPeople(const std::string &)
{
    m_tldb.updateRowsFlag(PersistenceType::People, false);
}

void TallyPersistence::resetEntities()
{
    for (const PersistenceType type : allPersistenceTypes) {
        m_tldb.deleteRows(type, {}, true);
    }
}

std::string TallyPersistence::settingsKey(const std::string &instanceName, std::string_view suffix)
{
    return "tally-" + instanceName + "-" + std::string(suffix);
}

void TallyPersistence::saveIdentity(const TallyIdentity &tallyIdentity, const std::string &instanceName)
{
    Defaults &suite = settings();
    suite.set(settingsKey(instanceName, "TLDistinctID"), DefaultsValue(tallyIdentity.distinctID));
    setOrRemove(suite, settingsKey(instanceName, "TLPeopleDistinctID"), tallyIdentity.peopleDistinctID);
    setOrRemove(suite, settingsKey(instanceName, "TLAnonymousId"), tallyIdentity.anonymousId);
    setOrRemove(suite, settingsKey(instanceName, "TLUserId"), tallyIdentity.userId);
    setOrRemove(suite, settingsKey(instanceName, "TLAlias"), tallyIdentity.alias);
    const std::string hadPersisted = settingsKey(instanceName, "TLHadPersistedDistinctId");
    if (tallyIdentity.hadPersistedDistinctId) {
        suite.set(hadPersisted, DefaultsValue(*tallyIdentity.hadPersistedDistinctId));
    } else {
        suite.remove(hadPersisted);
    }
}

TallyIdentity TallyPersistence::loadIdentity(const std::string &instanceName)
{
    const Defaults &suite = settings();
    TallyIdentity identity;
    identity.distinctID = suite.string(settingsKey(instanceName, "TLDistinctID")).value_or(std::string());
    identity.peopleDistinctID = suite.string(settingsKey(instanceName, "TLPeopleDistinctID"));
    identity.anonymousId = suite.string(settingsKey(instanceName, "TLAnonymousId"));
    identity.userId = suite.string(settingsKey(instanceName, "TLUserId"));
    identity.alias = suite.string(settingsKey(instanceName, "TLAlias"));
    identity.hadPersistedDistinctId
        = suite.boolean(settingsKey(instanceName, "TLHadPersistedDistinctId")).value_or(false);
    return identity;
}

void TallyPersistence::saveOptOutStatusFlag(bool value, const std::string &instanceName)
{
    settings().set(settingsKey(instanceName, "OptOutStatus"), DefaultsValue(value));
}

std::optional<bool> TallyPersistence::loadOptOutStatusFlag(const std::string &instanceName)
{
    return settings().boolean(settingsKey(instanceName, "OptOutStatus"));
}

void TallyPersistence::saveSuperProperties(
    const TallyDictionary &superProperties, const std::string &instanceName)
{
    saveArchive(superProperties, settingsKey(instanceName, "superProperties"),
        "Failed to archive super properties", "saveSuperProperties(superProperties:instanceName:)");
}

TallyDictionary TallyPersistence::loadSuperProperties(const std::string &instanceName)
{
    return loadArchive(settingsKey(instanceName, "superProperties"), "Failed to unarchive super properties",
        "loadSuperProperties(instanceName:)");
}

void TallyPersistence::saveTimedEvents(const TallyDictionary &timedEvents, const std::string &instanceName)
{
    saveArchive(timedEvents, settingsKey(instanceName, "timedEvents"), "Failed to archive timed events",
        "saveTimedEvents(timedEvents:instanceName:)");
}

TallyDictionary TallyPersistence::loadTimedEvents(const std::string &instanceName)
{
    return loadArchive(settingsKey(instanceName, "timedEvents"), "Failed to unarchive timed events",
        "loadTimedEvents(instanceName:)");
}

void TallyPersistence::deleteUserDefaultsData(const std::string &instanceName)
{
    Defaults &suite = settings();
    for (const char *suffix : { "TLDistinctID", "TLPeopleDistinctID", "TLAnonymousId", "TLUserId", "TLAlias",
             "TLHadPersistedDistinctId", "OptOutStatus", "timedEvents", "superProperties" }) {
        suite.remove(settingsKey(instanceName, suffix));
    }
}

std::string TallyPersistence::legacyFilePath(std::string_view kind) const
{
    // The name must stay one file name inside the caches folder: a separator in it could point
    // the migration, which deletes what it reads, at files elsewhere.
    if (m_instanceName.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
        return {};
    }
    const std::string caches = SystemPaths::caches();
    if (caches.empty()) {
        return {};
    }
    return (std::filesystem::path(caches) / ("tally-" + m_instanceName + "-" + std::string(kind))).string();
}

bool TallyPersistence::needMigration() const
{
    for (const std::string_view kind : s_legacyKinds) {
        const std::string path = legacyFilePath(kind);
        std::error_code error;
        if (!path.empty() && std::filesystem::exists(path, error)) {
            return true;
        }
    }
    return false;
}

void TallyPersistence::migrate()
{
    if (!needMigration()) {
        return;
    }
    LegacyData legacy = unarchiveFromLegacy();
    saveEntities(legacy.eventsQueue, PersistenceType::Events, false);
    if (legacy.properties) {
        saveEntities(legacy.properties->peopleUnidentifiedQueue, PersistenceType::People, false);
    }
    saveEntities(legacy.peopleQueue, PersistenceType::People, false);
    saveEntities(legacy.groupsQueue, PersistenceType::Groups, false);

    if (legacy.properties) {
        const LegacyProperties &properties = *legacy.properties;
        saveSuperProperties(properties.superProperties, m_instanceName);
        saveTimedEvents(properties.timedEvents, m_instanceName);
        saveIdentity(
            TallyIdentity { properties.distinctId, properties.peopleDistinctId, properties.anonymousId,
                properties.userId, properties.alias, properties.hadPersistedDistinctId },
            m_instanceName);
    } else {
        // Without the properties archive there is nothing to migrate them from; writing its
        // defaults would wipe the identity and state that the suite already holds.
        TallyLogger::info(
            "No readable legacy properties: the stored identity, super properties and timed events "
            "are kept",
            "migrate()");
    }
    if (legacy.optOutStatus) {
        saveOptOutStatusFlag(*legacy.optOutStatus, m_instanceName);
    }
}

TallyPersistence::LegacyData TallyPersistence::unarchiveFromLegacy()
{
    LegacyData legacy;
    legacy.eventsQueue = unarchiveRecords("events");
    legacy.peopleQueue = unarchiveRecords("people");
    legacy.groupsQueue = unarchiveRecords("groups");
    if (const auto status = unarchiveWithType("optOutStatus")) {
        if (const bool *flag = status->get<bool>()) {
            legacy.optOutStatus = *flag;
        }
    }
    legacy.properties = unarchiveProperties();
    for (const std::string_view kind : s_legacyKinds) {
        const std::string path = legacyFilePath(kind);
        if (!path.empty()) {
            removeArchivedFile(path);
        }
    }
    return legacy;
}

std::vector<TallyDictionary> TallyPersistence::unarchiveRecords(std::string_view kind)
{
    const auto root = unarchiveWithType(kind);
    return recordsOf(root ? &*root : nullptr);
}

std::optional<TallyPersistence::LegacyProperties> TallyPersistence::unarchiveProperties()
{
    const auto root = unarchiveWithType("properties");
    const TallyDictionary *dictionary = root ? root->get<TallyDictionary>() : nullptr;
    if (!dictionary) {
        return std::nullopt;
    }
    LegacyProperties properties;
    if (const TallyType *value = dictionary->find("superProperties");
        value && value->get<TallyDictionary>()) {
        properties.superProperties = *value->get<TallyDictionary>();
    }
    if (const TallyType *value = dictionary->find("timedEvents"); value && value->get<TallyDictionary>()) {
        properties.timedEvents = *value->get<TallyDictionary>();
    }
    properties.distinctId = textOf(*dictionary, "distinctId").value_or(std::string());
    properties.anonymousId = textOf(*dictionary, "anonymousId");
    properties.userId = textOf(*dictionary, "userId");
    properties.alias = textOf(*dictionary, "alias");
    if (const TallyType *value = dictionary->find("hadPersistedDistinctId"); value && value->get<bool>()) {
        properties.hadPersistedDistinctId = *value->get<bool>();
    }
    properties.peopleDistinctId = textOf(*dictionary, "peopleDistinctId");
    properties.peopleUnidentifiedQueue = recordsOf(dictionary->find("peopleUnidentifiedQueue"));
    return properties;
}

std::optional<TallyType> TallyPersistence::unarchiveWithType(std::string_view kind)
{
    const std::string path = legacyFilePath(kind);
    if (path.empty()) {
        TallyLogger::info("bad file path, cant fetch file", "unarchiveWithType(_:)");
        return std::nullopt;
    }
    auto object = unarchiveWithFilePath(path);
    if (!object) {
        TallyLogger::info("can't unarchive file", "unarchiveWithType(_:)");
    }
    return object;
}

std::optional<TallyType> TallyPersistence::unarchiveWithFilePath(const std::string &path)
{
    std::optional<TallyType> object;
    std::error_code error;
    // Only a regular file is read: a pipe or device of that name would block or never end.
    if (std::filesystem::is_regular_file(path, error)) {
        std::ifstream in(path, std::ios::binary);
        std::vector<std::uint8_t> bytes(
            (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.good() || in.eof()) {
            object = m_legacyReader->unarchive(bytes);
        }
    }
    if (!object || object->isAbsent()) {
        TallyLogger::info(
            [&] { return "Unable to read file at path: " + path; }, "unarchiveWithFilePath(_:)");
        removeArchivedFile(path);
        return std::nullopt;
    }
    return object;
}

void TallyPersistence::removeArchivedFile(const std::string &path)
{
    std::error_code error;
    const bool removed = std::filesystem::remove(path, error);
    if (!removed) {
        if (!error) {
            error = std::make_error_code(std::errc::no_such_file_or_directory);
        }
        TallyLogger::info(
            [&] { return "Unable to remove file at path: " + path + ", error: " + error.message(); },
            "removeArchivedFile(atPath:)");
    }
}

} // namespace brimlark
