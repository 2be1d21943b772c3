#pragma once

#include "ManualTallyClock.h"
#include "analytics/Group.h"
#include "analytics/SerialQueue.h"
#include "analytics/SessionMetadata.h"
#include "analytics/TallyClock.h"
#include "analytics/TallyPersistence.h"
#include "analytics/TallyRandom.h"
#include "analytics/TallyRecordOwner.h"

#include "CapturedLog.h"
#include "TestSupport.h"

#include "platform/base/Defaults.h"

#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brimlark::test {

// An owning instance for the record builders, with every answer settable from the test.
class FakeRecordOwner : public TallyRecordOwner
{
public:
    bool trackAutomaticEventsEnabled() const override { return automaticEvents; }
    bool hasOptedOutTracking() const override { return optedOut; }
    std::optional<std::string> anonymousId() const override
    {
        std::lock_guard lock(m_mutex);
        return m_anonymousId;
    }
    std::optional<std::string> userId() const override
    {
        std::lock_guard lock(m_mutex);
        return m_userId;
    }
    std::optional<bool> hadPersistedDistinctId() const override
    {
        std::lock_guard lock(m_mutex);
        return m_hadPersisted;
    }
    std::shared_ptr<Group> removeCachedGroup(const std::string &groupKey, const TallyType &groupID) override
    {
        std::lock_guard lock(m_mutex);
        removedGroups.emplace_back(groupKey, groupID);
        return nullptr;
    }

    void setIdentity(std::optional<std::string> anonymousId, std::optional<std::string> userId,
        std::optional<bool> hadPersisted)
    {
        std::lock_guard lock(m_mutex);
        m_anonymousId = std::move(anonymousId);
        m_userId = std::move(userId);
        m_hadPersisted = hadPersisted;
    }

    std::atomic<bool> automaticEvents { false };
    std::atomic<bool> optedOut { false };
    std::vector<std::pair<std::string, TallyType>> removedGroups;

private:
    mutable std::mutex m_mutex;
    std::optional<std::string> m_anonymousId;
    std::optional<std::string> m_userId;
    std::optional<bool> m_hadPersisted;
};

// Everything a record builder stands on, on temporary roots with an in-memory settings suite and
// a clock that moves only when told.
struct RecordTestBed
{
    inline static const std::string token = "0123456789abcdef0123456789abcdef";

    RecordTestBed()
    {
        CapturedLog::instance().clear();
        previousClock = TallyClock::installShared(clock);
        Defaults::installSuite("Tally", std::make_shared<Defaults>());
        persistence = std::make_shared<TallyPersistence>(token);
    }
    ~RecordTestBed()
    {
        queue.reset();
        persistence.reset();
        TallyClock::installShared(previousClock);
        Defaults::installSuite("Tally", nullptr);
    }

    // Waits until everything queued so far has run.
    void drain()
    {
        queue->sync([] {});
    }

    // Holds the queue until release() so that a test can act while a record waits to be built.
    void block()
    {
        m_release = std::promise<void>();
        auto released = m_release.get_future().share();
        queue->async([released] { released.wait(); });
    }
    void release() { m_release.set_value(); }

    // Stored records of a type with that flag, oldest first, without the row id.
    std::vector<TallyDictionary> stored(PersistenceType type, bool flag = false)
    {
        drain();
        auto rows = persistence->tldb().readRows(type, TLDB::allRows, flag);
        for (auto &row : rows) {
            row.remove("id");
        }
        return rows;
    }

    TemporaryRoots roots;
    std::shared_ptr<ManualTallyClock> clock = std::make_shared<ManualTallyClock>(1700000000.0);
    std::shared_ptr<TallyClock> previousClock;
    std::shared_ptr<TallyPersistence> persistence;
    std::shared_ptr<SerialQueue> queue = std::make_shared<SerialQueue>("test.tracking");
    std::shared_ptr<SessionMetadata> metadata
        = std::make_shared<SessionMetadata>(std::make_shared<SystemTallyRandom>());
    std::shared_ptr<FakeRecordOwner> owner = std::make_shared<FakeRecordOwner>();

private:
    std::promise<void> m_release;
};

// The value under a key, or an absent value.
inline TallyType valueOf(const TallyDictionary &dictionary, std::string_view key)
{
    const TallyType *value = dictionary.find(key);
    return value ? *value : TallyType();
}

inline TallyDictionary dictionaryOf(const TallyDictionary &dictionary, std::string_view key)
{
    const TallyType *value = dictionary.find(key);
    return value && value->get<TallyDictionary>() ? *value->get<TallyDictionary>() : TallyDictionary();
}

// Equal both ways: neither side holds a key or element the other lacks.
inline bool same(const TallyType &actual, const TallyType &expected)
{
    return actual.equals(expected) && expected.equals(actual);
}

} // namespace brimlark::test
