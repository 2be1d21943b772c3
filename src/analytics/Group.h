#pragma once

#include "analytics/SerialQueue.h"
#include "analytics/SessionMetadata.h"
#include "analytics/TallyPersistence.h"
#include "analytics/TallyRecordOwner.h"
#include "analytics/TallyType.h"

#include <memory>
#include <string>

namespace brimlark {

// One group profile (a group key and a group id): each operation queues one record in the groups
// queue. Group records carry no identity and never wait for identification. Operations return at
// once and may be called from any thread; records are built and stored on the serial queue in
// call order, and a queued record keeps its Group alive until it is stored.
class Group : public std::enable_shared_from_this<Group>
{
public:
    static std::shared_ptr<Group> create(std::string apiToken, std::shared_ptr<SerialQueue> serialQueue,
        std::string groupKey, TallyType groupID, std::shared_ptr<SessionMetadata> metadata,
        std::shared_ptr<TallyPersistence> tallyPersistence, std::weak_ptr<TallyRecordOwner> tallyInstance);

    const std::string &groupKey() const { return m_groupKey; }
    const TallyType &groupID() const { return m_groupID; }

    void set(const TallyDictionary &properties);
    void set(const std::string &property, const TallyType &to);
    void setOnce(const TallyDictionary &properties);
    void unset(const std::string &property);
    void remove(const std::string &key, const TallyType &value);
    void unionValues(const std::string &key, const TallyArray &values);
    // Queues "$delete" and drops this group from the instance's cache (also when opted out).
    void deleteGroup();

    // The common step of all of the above.
    void addGroupRecordToQueueWithAction(const std::string &action, const TallyDictionary &properties);

private:
    Group(std::string apiToken, std::shared_ptr<SerialQueue> serialQueue, std::string groupKey,
        TallyType groupID, std::shared_ptr<SessionMetadata> metadata,
        std::shared_ptr<TallyPersistence> tallyPersistence, std::weak_ptr<TallyRecordOwner> tallyInstance);

    void buildAndStore(const std::string &action, const TallyDictionary &properties, double milliseconds);

    const std::string m_apiToken;
    std::shared_ptr<SerialQueue> m_serialQueue;
    const std::string m_groupKey;
    const TallyType m_groupID;
    std::shared_ptr<SessionMetadata> m_metadata;
    std::shared_ptr<TallyPersistence> m_tallyPersistence;
    const std::weak_ptr<TallyRecordOwner> m_tallyInstance;
};

} // namespace brimlark
