#include "analytics/Group.h"

#include "analytics/TallyClock.h"

#include <cmath>

namespace brimlark {

std::shared_ptr<Group> Group::create(std::string apiToken, std::shared_ptr<SerialQueue> serialQueue,
    std::string groupKey, TallyType groupID, std::shared_ptr<SessionMetadata> metadata,
    std::shared_ptr<TallyPersistence> tallyPersistence, std::weak_ptr<TallyRecordOwner> tallyInstance)
{
    return std::shared_ptr<Group>(new Group(std::move(apiToken), std::move(serialQueue), std::move(groupKey),
        std::move(groupID), std::move(metadata), std::move(tallyPersistence), std::move(tallyInstance)));
}

Group::Group(std::string apiToken, std::shared_ptr<SerialQueue> serialQueue, std::string groupKey,
    TallyType groupID, std::shared_ptr<SessionMetadata> metadata,
    std::shared_ptr<TallyPersistence> tallyPersistence, std::weak_ptr<TallyRecordOwner> tallyInstance)
    : m_apiToken(std::move(apiToken))
    , m_serialQueue(std::move(serialQueue))
    , m_groupKey(std::move(groupKey))
    , m_groupID(std::move(groupID))
    , m_metadata(std::move(metadata))
    , m_tallyPersistence(std::move(tallyPersistence))
    , m_tallyInstance(std::move(tallyInstance))
{
}

void Group::set(const TallyDictionary &properties)
{
    addGroupRecordToQueueWithAction("$set", properties);
}

void Group::set(const std::string &property, const TallyType &to)
{
    set(TallyDictionary { { property, to } });
}

void Group::setOnce(const TallyDictionary &properties)
{
    addGroupRecordToQueueWithAction("$set_once", properties);
}

void Group::unset(const std::string &property)
{
    addGroupRecordToQueueWithAction("$unset", TallyDictionary { { "$properties", TallyArray { property } } });
}

void Group::remove(const std::string &key, const TallyType &value)
{
    addGroupRecordToQueueWithAction("$remove", TallyDictionary { { key, value } });
}

void Group::unionValues(const std::string &key, const TallyArray &values)
{
    addGroupRecordToQueueWithAction("$union", TallyDictionary { { key, values } });
}

void Group::deleteGroup()
{
    addGroupRecordToQueueWithAction("$delete", TallyDictionary {});
    if (const auto instance = m_tallyInstance.lock()) {
        instance->removeCachedGroup(m_groupKey, m_groupID);
    }
}

void Group::addGroupRecordToQueueWithAction(const std::string &action, const TallyDictionary &properties)
{
    if (const auto instance = m_tallyInstance.lock(); instance && instance->hasOptedOutTracking()) {
        return;
    }
    const double milliseconds = std::round(TallyClock::shared()->now() * 1000.0);
    std::shared_ptr<Group> self = shared_from_this();
    m_serialQueue->async(
        [self, action, properties, milliseconds] { self->buildAndStore(action, properties, milliseconds); });
}

void Group::buildAndStore(const std::string &action, const TallyDictionary &properties, double milliseconds)
{
    TallyDictionary record;
    record.set("$token", m_apiToken);
    record.set("$time", milliseconds);
    if (action == "$unset") {
        if (const TallyType *names = properties.find("$properties")) {
            record.set(action, *names);
        }
    } else {
        record.set(action, properties);
    }
    record += m_metadata->toDict(false);
    record.set("$group_key", m_groupKey);
    record.set("$group_id", m_groupID);
    m_tallyPersistence->saveEntity(record, PersistenceType::Groups, false);
}

} // namespace brimlark
