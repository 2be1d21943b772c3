#pragma once

#include "analytics/SerialQueue.h"
#include "analytics/SessionMetadata.h"
#include "analytics/TallyPersistence.h"
#include "analytics/TallyRecordOwner.h"
#include "analytics/TallyType.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brimlark {

// The profile-update side of an instance: each operation queues one record in the people queue.
// Records made before an identity is known are stored flagged, and held back until identification
// releases them. Operations return at once and may be called from any thread; records are built
// and stored on the serial queue in call order.
class People : public std::enable_shared_from_this<People>
{
public:
    static std::shared_ptr<People> create(std::string apiToken, std::shared_ptr<SerialQueue> serialQueue,
        std::shared_ptr<SessionMetadata> metadata, std::shared_ptr<TallyPersistence> tallyPersistence);

    bool ignoreTime() const;
    void setIgnoreTime(bool ignoreTime);
    std::optional<std::string> distinctId() const;
    void setDistinctId(std::optional<std::string> distinctId);
    void setTallyInstance(std::weak_ptr<TallyRecordOwner> owner);

    void set(const TallyDictionary &properties);
    void set(const std::string &property, const TallyType &to);
    void setOnce(const TallyDictionary &properties);
    void unset(const std::vector<std::string> &properties);
    void increment(const TallyDictionary &properties);
    void increment(const std::string &property, double by);
    void append(const TallyDictionary &properties);
    void remove(const TallyDictionary &properties);
    void unionProperties(const TallyDictionary &properties);
    void trackCharge(double amount, const std::optional<TallyDictionary> &properties = std::nullopt);
    void clearCharges();
    void deleteUser();

    // The common step of all of the above.
    void addPeopleRecordToQueueWithAction(const std::string &action, const TallyDictionary &properties);

private:
    People(std::string apiToken, std::shared_ptr<SerialQueue> serialQueue,
        std::shared_ptr<SessionMetadata> metadata, std::shared_ptr<TallyPersistence> tallyPersistence);

    std::shared_ptr<TallyRecordOwner> owner() const;
    void buildAndStore(
        const std::string &action, const TallyDictionary &properties, double milliseconds, bool ignoreTime);

    const std::string m_apiToken;
    std::shared_ptr<SerialQueue> m_serialQueue;
    std::shared_ptr<SessionMetadata> m_metadata;
    std::shared_ptr<TallyPersistence> m_tallyPersistence;
    mutable std::mutex m_mutex;
    bool m_ignoreTime = false;
    std::optional<std::string> m_distinctId;
    std::weak_ptr<TallyRecordOwner> m_tallyInstance;
};

} // namespace brimlark
