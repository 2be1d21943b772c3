#include "analytics/People.h"

#include "analytics/AutomaticProperties.h"
#include "analytics/TallyClock.h"

#include <cmath>

namespace brimlark {

std::shared_ptr<People> People::create(std::string apiToken, std::shared_ptr<SerialQueue> serialQueue,
    std::shared_ptr<SessionMetadata> metadata, std::shared_ptr<TallyPersistence> tallyPersistence)
{
    return std::shared_ptr<People>(new People(
        std::move(apiToken), std::move(serialQueue), std::move(metadata), std::move(tallyPersistence)));
}

People::People(std::string apiToken, std::shared_ptr<SerialQueue> serialQueue,
    std::shared_ptr<SessionMetadata> metadata, std::shared_ptr<TallyPersistence> tallyPersistence)
    : m_apiToken(std::move(apiToken))
    , m_serialQueue(std::move(serialQueue))
    , m_metadata(std::move(metadata))
    , m_tallyPersistence(std::move(tallyPersistence))
{
}

bool People::ignoreTime() const
{
    std::lock_guard lock(m_mutex);
    return m_ignoreTime;
}

void People::setIgnoreTime(bool ignoreTime)
{
    std::lock_guard lock(m_mutex);
    m_ignoreTime = ignoreTime;
}

std::optional<std::string> People::distinctId() const
{
    std::lock_guard lock(m_mutex);
    return m_distinctId;
}

void People::setDistinctId(std::optional<std::string> distinctId)
{
    std::lock_guard lock(m_mutex);
    m_distinctId = std::move(distinctId);
}

void People::setTallyInstance(std::weak_ptr<TallyRecordOwner> owner)
{
    std::lock_guard lock(m_mutex);
    m_tallyInstance = std::move(owner);
}

std::shared_ptr<TallyRecordOwner> People::owner() const
{
    std::lock_guard lock(m_mutex);
    return m_tallyInstance.lock();
}

void People::set(const TallyDictionary &properties)
{
    addPeopleRecordToQueueWithAction("$set", properties);
}

void People::set(const std::string &property, const TallyType &to)
{
    set(TallyDictionary { { property, to } });
}

void People::setOnce(const TallyDictionary &properties)
{
    addPeopleRecordToQueueWithAction("$set_once", properties);
}

void People::unset(const std::vector<std::string> &properties)
{
    TallyArray names(properties.begin(), properties.end());
    addPeopleRecordToQueueWithAction("$unset", TallyDictionary { { "$properties", std::move(names) } });
}

void People::increment(const TallyDictionary &properties)
{
    addPeopleRecordToQueueWithAction("$add", properties);
}

void People::increment(const std::string &property, double by)
{
    increment(TallyDictionary { { property, by } });
}

void People::append(const TallyDictionary &properties)
{
    addPeopleRecordToQueueWithAction("$append", properties);
}

void People::remove(const TallyDictionary &properties)
{
    addPeopleRecordToQueueWithAction("$remove", properties);
}

void People::unionProperties(const TallyDictionary &properties)
{
    addPeopleRecordToQueueWithAction("$union", properties);
}

void People::trackCharge(double amount, const std::optional<TallyDictionary> &properties)
{
    TallyDictionary transaction { { "$amount", amount },
        { "$time", TallyDate { TallyClock::shared()->now() } } };
    if (properties) {
        transaction += *properties;
    }
    append(TallyDictionary { { "$transactions", std::move(transaction) } });
}

void People::clearCharges()
{
    set(TallyDictionary { { "$transactions", TallyArray {} } });
}

void People::deleteUser()
{
    addPeopleRecordToQueueWithAction("$delete", TallyDictionary {});
}

void People::addPeopleRecordToQueueWithAction(const std::string &action, const TallyDictionary &properties)
{
    if (const auto instance = owner(); instance && instance->hasOptedOutTracking()) {
        return;
    }
    const double milliseconds = std::round(TallyClock::shared()->now() * 1000.0);
    const bool ignoreTimeNow = ignoreTime();
    std::weak_ptr<People> weakSelf = weak_from_this();
    m_serialQueue->async([weakSelf, action, properties, milliseconds, ignoreTimeNow] {
        if (const auto self = weakSelf.lock()) {
            self->buildAndStore(action, properties, milliseconds, ignoreTimeNow);
        }
    });
}

void People::buildAndStore(
    const std::string &action, const TallyDictionary &properties, double milliseconds, bool ignoreTime)
{
    TallyDictionary record;
    record.set("$token", m_apiToken);
    record.set("$time", milliseconds);
    if (ignoreTime) {
        record.set("$ignore_time", 1);
    }
    if (action == "$unset") {
        if (const TallyType *names = properties.find("$properties")) {
            record.set(action, *names);
        }
    } else {
        TallyDictionary value;
        if (action == "$set" || action == "$set_once") {
            value += AutomaticProperties::peopleProperties();
        }
        value += properties;
        record.set(action, std::move(value));
    }
    record += m_metadata->toDict(false);
    if (const auto instance = owner()) {
        if (const auto anonymousId = instance->anonymousId()) {
            record.set("$device_id", *anonymousId);
        }
        if (const auto userId = instance->userId()) {
            record.set("$user_id", *userId);
        }
        if (const auto hadPersisted = instance->hadPersistedDistinctId()) {
            record.set("$had_persisted_distinct_id", *hadPersisted);
        }
    }
    // Taken now, not at the call: an identification queued before this record applies to it.
    const auto distinct = distinctId();
    if (distinct) {
        record.set("$distinct_id", *distinct);
    }
    m_tallyPersistence->saveEntity(record, PersistenceType::People, !distinct);
}

} // namespace brimlark
