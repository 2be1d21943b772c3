// Flush orchestration of TallyInstance: what is loaded, sent and deleted.
#include "analytics/TallyInstance.h"

#include "analytics/Flush.h"
#include "analytics/MainExecutor.h"
#include "analytics/SerialQueue.h"
#include "analytics/TLDB.h"
#include "analytics/TallyClock.h"
#include "analytics/TallyDelegate.h"
#include "analytics/TallyPersistence.h"
#include "analytics/TallyProxyServerDelegate.h"

#include <future>
#include <limits>
#include <memory>

namespace brimlark {

namespace {

PersistenceType persistenceType(FlushType type)
{
    switch (type) {
    case FlushType::Events:
        return PersistenceType::Events;
    case FlushType::People:
        return PersistenceType::People;
    case FlushType::Groups:
        return PersistenceType::Groups;
    }
    return PersistenceType::Events;
}

std::size_t slot(FlushType type)
{
    return static_cast<std::size_t>(type);
}

// The store row of a loaded record, when it has a usable one.
std::optional<std::int32_t> rowId(const TallyDictionary &record)
{
    const TallyType *id = record.find("id");
    if (id == nullptr || id->kind() == TallyType::Kind::Bool) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> value = id->toInt();
    if (!value || *value < std::numeric_limits<std::int32_t>::min()
        || *value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*value);
}

std::vector<std::int32_t> rowIds(const std::vector<TallyDictionary> &queue)
{
    std::vector<std::int32_t> ids;
    ids.reserve(queue.size());
    for (const auto &record : queue) {
        if (const auto id = rowId(record)) {
            ids.push_back(*id);
        }
    }
    return ids;
}

} // namespace

void TallyInstance::flush(bool performFullFlush, Completion completion)
{
    const std::shared_ptr<MainExecutor> executor = m_mainExecutor;
    const auto complete = [executor](const Completion &done) {
        if (done) {
            executor->post(done);
        }
    };
    if (hasOptedOutTracking()) {
        complete(completion);
        return;
    }
    m_trackingQueue->async([weak = weak_from_this(), performFullFlush, completion, complete] {
        const auto self = weak.lock();
        if (!self) {
            complete(completion);
            return;
        }
        if (const auto gate = self->delegate(); gate && !gate->shouldFlush(*self)) {
            complete(completion);
            return;
        }
        // Another copy of the program sends what this store holds, this copy's records included.
        if (!self->m_tallyPersistence->tldb().holdsSenderLock()) {
            complete(completion);
            return;
        }
        const std::int64_t batchSize = performFullFlush ? TLDB::allRows : self->flushBatchSize();
        auto events
            = self->loadForSending(FlushType::Events, batchSize, !self->m_trackAutomaticEventsEnabled);
        auto people = self->loadForSending(FlushType::People, batchSize, false);
        auto groups = self->loadForSending(FlushType::Groups, batchSize, false);

        self->m_networkQueue->async([weak, events = std::move(events), people = std::move(people),
                                        groups = std::move(groups), completion, complete] {
            const auto self = weak.lock();
            if (!self) {
                complete(completion);
                return;
            }
            if (!self->m_gatheringAtQuit.load()) {
                self->flushQueue(events, FlushType::Events);
                self->flushQueue(people, FlushType::People);
                self->flushQueue(groups, FlushType::Groups);
            }

            // Behind the deletions that the delivered batches queued: whatever is still in flight
            // then was not delivered and may go out with the next flush.
            self->m_trackingQueue->async([weak, eventIds = rowIds(events), peopleIds = rowIds(people),
                                             groupIds = rowIds(groups), completion, complete] {
                if (const auto self = weak.lock()) {
                    self->settleLoadedRows(FlushType::Events, eventIds);
                    self->settleLoadedRows(FlushType::People, peopleIds);
                    self->settleLoadedRows(FlushType::Groups, groupIds);
                }
                complete(completion);
            });
        });
    });
}

std::vector<TallyDictionary> TallyInstance::loadForSending(
    FlushType type, std::int64_t batchSize, bool excludeAutomaticEvents)
{
    RowsInFlight &inFlight = m_rowsInFlight[slot(type)];
    // Rows still on their way are read again and skipped: ask for that many more, so a flush
    // right behind another one sends the next batch instead of nothing.
    const std::int64_t skipped = static_cast<std::int64_t>(inFlight.size());
    const std::int64_t wanted = batchSize >= TLDB::allRows - skipped ? TLDB::allRows : batchSize + skipped;
    std::vector<TallyDictionary> loaded = m_tallyPersistence->loadEntitiesInBatch(
        persistenceType(type), wanted, false, excludeAutomaticEvents);
    const std::uint64_t generation = m_tallyPersistence->storeGeneration();

    std::vector<TallyDictionary> queue;
    queue.reserve(loaded.size());
    for (auto &record : loaded) {
        if (static_cast<std::int64_t>(queue.size()) >= batchSize) {
            break;
        }
        const auto id = rowId(record);
        if (id) {
            const auto found = inFlight.find(*id);
            if (found != inFlight.end() && found->second == generation) {
                continue;
            }
            inFlight[*id] = generation;
        }
        queue.push_back(std::move(record));
    }
    return queue;
}

void TallyInstance::settleLoadedRows(FlushType type, const std::vector<std::int32_t> &ids)
{
    RowsInFlight &inFlight = m_rowsInFlight[slot(type)];
    for (const std::int32_t id : ids) {
        inFlight.erase(id);
    }
}

void TallyInstance::flushQueue(const std::vector<TallyDictionary> &queue, FlushType type)
{
    if (hasOptedOutTracking()) {
        return;
    }
    HTTPHeaders headers;
    std::vector<URLQueryItem> queryItems;
    if (const auto proxy = proxyServerDelegate()) {
        if (const auto resource = proxy->serverProxyResource(m_name)) {
            headers = resource->headers();
            queryItems = resource->queryItems().value_or(std::vector<URLQueryItem>());
        }
    }
    if (m_clock->now() < m_flushInstance->flushRequest().networkRequestsAllowedAfterTime()) {
        return;
    }
    m_flushInstance->flushQueueInBatches(queue, type, headers, queryItems);
}

void TallyInstance::flushSuccess(FlushType type, const std::vector<std::int32_t> &ids)
{
    // Set once the rows are gone; a deletion dropped at quit breaks the promise, which ends the
    // wait as well.
    auto deleted = std::make_shared<std::promise<void>>();
    std::future<void> done = deleted->get_future();
    // Ahead of the tracking backlog: until the delivered rows are gone, a crash sends them again.
    m_trackingQueue->asyncUrgent([weak = weak_from_this(), type, ids, deleted] {
        const auto self = weak.lock();
        if (!self) {
            deleted->set_value();
            return;
        }
        // Delete each row with the store generation it was read in: a row read before the store
        // was made anew is gone already, and its id must not touch the new store's rows.
        RowsInFlight &inFlight = self->m_rowsInFlight[slot(type)];
        std::map<std::uint64_t, std::vector<std::int32_t>> byGeneration;
        std::vector<std::int32_t> notLoadedHere;
        for (const std::int32_t id : ids) {
            const auto found = inFlight.find(id);
            if (found == inFlight.end()) {
                notLoadedHere.push_back(id);
            } else {
                byGeneration[found->second].push_back(id);
                inFlight.erase(found);
            }
        }
        for (const auto &[generation, rows] : byGeneration) {
            self->m_tallyPersistence->removeEntitiesInBatch(persistenceType(type), rows, generation);
        }
        if (!notLoadedHere.empty()) {
            self->m_tallyPersistence->removeEntitiesInBatch(persistenceType(type), notLoadedHere);
        }
        deleted->set_value();
    });
    // The next batch of this flush leaves only once this one is deleted: a kill in between would
    // otherwise send both again. The tracking queue never waits for the network queue.
    if (m_networkQueue->isCurrent()) {
        done.wait();
    }
}

} // namespace brimlark
