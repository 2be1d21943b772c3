#pragma once

#include "analytics/TallyType.h"

#include <memory>
#include <optional>
#include <string>

namespace brimlark {

class Group;

// What the record builders (Track, People, Group) ask of the instance that owns them. The
// builders hold it weakly: once the instance is gone they go on without it.
class TallyRecordOwner
{
public:
    virtual ~TallyRecordOwner();

    virtual bool trackAutomaticEventsEnabled() const = 0;
    // The stored opt-out status, read under the instance's read lock: true only when it is set
    // and true. Never called while the caller holds that lock for writing.
    virtual bool hasOptedOutTracking() const = 0;
    virtual std::optional<std::string> anonymousId() const = 0;
    virtual std::optional<std::string> userId() const = 0;
    virtual std::optional<bool> hadPersistedDistinctId() const = 0;
    // Drops the cached group of that key and id, under the instance's write lock.
    virtual std::shared_ptr<Group> removeCachedGroup(const std::string &groupKey, const TallyType &groupID)
        = 0;
};

} // namespace brimlark
