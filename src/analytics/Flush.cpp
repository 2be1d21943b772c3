#include "analytics/Flush.h"

#include "analytics/JSONHandler.h"
#include "analytics/MainExecutor.h"
#include "analytics/TallyLogger.h"

#include <algorithm>
#include <limits>

namespace brimlark {

namespace {

constexpr std::string_view kBatches = "flushQueueInBatches(_:type:headers:queryItems:)";

// The store row of a record; 0 for a record without one or with one that is no 32-bit integer.
std::int32_t rowId(const TallyDictionary &record)
{
    const TallyType *id = record.find("id");
    if (id == nullptr || id->kind() == TallyType::Kind::Bool) {
        return 0;
    }
    const std::optional<std::int64_t> value = id->toInt();
    if (!value || *value < std::numeric_limits<std::int32_t>::min()
        || *value > std::numeric_limits<std::int32_t>::max()) {
        return 0;
    }
    return static_cast<std::int32_t>(*value);
}

} // namespace

FlushDelegate::~FlushDelegate() = default;

Flush::Flush(std::string serverURL, bool useGzipCompression, std::shared_ptr<MainExecutor> mainExecutor,
    std::shared_ptr<TallyClock> clock, std::shared_ptr<TallyRandom> random)
    : m_mainExecutor(std::move(mainExecutor))
    , m_flushRequest(serverURL, std::move(clock), std::move(random))
    , m_flushRequestReadWriteLock("app.brimlark.tally.flush_interval.lock")
    , m_serverURL(std::move(serverURL))
    , m_useGzipCompression(useGzipCompression)
{
}

Flush::~Flush() = default; // releasing the timer handle invalidates the timer

std::shared_ptr<FlushDelegate> Flush::delegate() const
{
    std::lock_guard guard(m_delegateMutex);
    return m_delegate.lock();
}

void Flush::setDelegate(std::weak_ptr<FlushDelegate> delegate)
{
    std::lock_guard guard(m_delegateMutex);
    m_delegate = std::move(delegate);
}

double Flush::flushInterval() const
{
    return m_flushRequestReadWriteLock.read([this] { return m_flushInterval; });
}

void Flush::setFlushInterval(double seconds)
{
    m_flushRequestReadWriteLock.write([&] { m_flushInterval = seconds; });
    if (const std::shared_ptr<FlushDelegate> target = delegate()) {
        target->flush(false, nullptr);
    }
    startFlushTimer();
}

void Flush::setFlushBatchSize(int size)
{
    m_flushBatchSize.store(std::min(size, maxBatchSize));
}

std::string Flush::serverURL() const
{
    return m_flushRequestReadWriteLock.read([this] { return m_serverURL; });
}

void Flush::setServerURL(std::string serverURL)
{
    m_flushRequestReadWriteLock.write([&] {
        m_flushRequest.setServerURL(serverURL);
        m_serverURL = std::move(serverURL);
    });
}

void Flush::flushQueue(const FlushQueue &queue, FlushType type, const HTTPHeaders &headers,
    const std::vector<URLQueryItem> &queryItems)
{
    if (m_flushRequest.requestNotAllowed()) {
        return;
    }
    flushQueueInBatches(queue, type, headers, queryItems);
}

void Flush::flushQueueInBatches(const FlushQueue &queue, FlushType type, const HTTPHeaders &headers,
    const std::vector<URLQueryItem> &queryItems)
{
    // Walks the queue by position instead of copying what is left after every batch.
    std::size_t offset = 0;
    while (offset < queue.size()) {
        const int batchSize = m_flushBatchSize.load();
        if (batchSize < 1) {
            // An empty batch would be "delivered" and report nothing; the records wait instead.
            TallyLogger::warn(
                "Batch size " + std::to_string(batchSize) + " is below 1; nothing is sent", kBatches);
            return;
        }
        const std::size_t count = std::min(static_cast<std::size_t>(batchSize), queue.size() - offset);

        TallyArray batch;
        batch.reserve(count);
        std::vector<std::int32_t> ids;
        ids.reserve(count);
        for (std::size_t i = offset; i < offset + count; ++i) {
            batch.emplace_back(queue[i]);
            ids.push_back(rowId(queue[i]));
        }
        const TallyType batchValue(std::move(batch));

        TallyLogger::debug("Sending batch of data", kBatches);
        TallyLogger::debug([&] { return batchValue.description(); }, kBatches);

        const std::optional<std::string> text = JSONHandler::encodeAPIData(batchValue);
        if (!text) {
            return;
        }
        const bool delivered = m_flushRequest.sendRequest(
            *text, type, useIPAddressForGeoLocation(), headers, queryItems, useGzipCompression());
        if (!delivered) {
            return;
        }
        if (const std::shared_ptr<FlushDelegate> target = delegate()) {
            target->flushSuccess(type, ids);
        }
        offset += count;
    }
}

FlushQueue Flush::removeProcessedBatch(int batchSize, const FlushQueue &queue, FlushType)
{
    if (batchSize <= 0 || queue.size() <= static_cast<std::size_t>(batchSize)) {
        return {};
    }
    return FlushQueue(queue.begin() + batchSize, queue.end());
}

void Flush::startFlushTimer()
{
    stopFlushTimer();
    m_mainExecutor->post([weak = weak_from_this()] {
        const std::shared_ptr<Flush> self = weak.lock();
        if (!self) {
            return;
        }
        const double interval = self->flushInterval();
        if (!(interval > 0)) {
            return;
        }
        {
            std::lock_guard guard(self->m_timerMutex);
            if (self->m_timerShutDown) {
                return;
            }
        }
        std::shared_ptr<RepeatingTimer> previous;
        {
            std::lock_guard guard(self->m_timerMutex);
            previous = std::move(self->m_timer);
        }
        if (previous) {
            previous->invalidate();
        }
        // The timer holds the Flush weakly too: it ends with its owner.
        std::shared_ptr<RepeatingTimer> timer
            = self->m_mainExecutor->scheduleRepeatingTimer(interval, [weak] {
                  if (const std::shared_ptr<Flush> flush = weak.lock()) {
                      flush->flushSelector();
                  }
              });
        std::lock_guard guard(self->m_timerMutex);
        self->m_timer = std::move(timer);
    });
}

void Flush::stopFlushTimer()
{
    std::shared_ptr<RepeatingTimer> timer;
    {
        std::lock_guard guard(m_timerMutex);
        timer = m_timer;
    }
    if (!timer) {
        return;
    }
    m_mainExecutor->post([timer, weak = weak_from_this()] {
        timer->invalidate();
        if (const std::shared_ptr<Flush> self = weak.lock()) {
            std::lock_guard guard(self->m_timerMutex);
            if (self->m_timer == timer) {
                self->m_timer.reset();
            }
        }
    });
}

void Flush::shutdownFlushTimer()
{
    std::shared_ptr<RepeatingTimer> timer;
    {
        std::lock_guard guard(m_timerMutex);
        m_timerShutDown = true;
        timer = std::move(m_timer);
    }
    if (timer) {
        timer->invalidate();
    }
}

void Flush::flushSelector()
{
    if (const std::shared_ptr<FlushDelegate> target = delegate()) {
        target->flush(false, nullptr);
    }
}

} // namespace brimlark
