#pragma once

#include "analytics/FlushDelegate.h"
#include "analytics/FlushRequest.h"
#include "analytics/FlushType.h"
#include "analytics/Network.h"
#include "analytics/ReadWriteLock.h"
#include "analytics/TallyType.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace brimlark {

class MainExecutor;
class RepeatingTimer;
class TallyClock;
class TallyRandom;

// One loaded queue: records of one kind, oldest first, each with its store row under "id".
using FlushQueue = std::vector<TallyDictionary>;

// The per-instance sender: the repeating flush timer, the batch-size limit, the delivery options,
// and the loop that sends a queue batch after batch through its FlushRequest.
//
// Always owned by a std::shared_ptr: the work it posts to the main thread holds it weakly and does
// nothing once it is gone.
class Flush : public std::enable_shared_from_this<Flush>
{
public:
    static constexpr int maxBatchSize = 50;

    // The executor runs the delegate's callbacks; the clock and random source go to the request.
    Flush(std::string serverURL, bool useGzipCompression, std::shared_ptr<MainExecutor> mainExecutor,
        std::shared_ptr<TallyClock> clock, std::shared_ptr<TallyRandom> random);
    ~Flush();
    Flush(const Flush &) = delete;
    Flush &operator=(const Flush &) = delete;

    std::shared_ptr<FlushDelegate> delegate() const;
    // Held weakly: a Flush never keeps its instance alive.
    void setDelegate(std::weak_ptr<FlushDelegate> delegate);

    bool useIPAddressForGeoLocation() const { return m_useIPAddressForGeoLocation.load(); }
    void setUseIPAddressForGeoLocation(bool use) { m_useIPAddressForGeoLocation.store(use); }
    bool flushOnBackground() const { return m_flushOnBackground.load(); }
    void setFlushOnBackground(bool flush) { m_flushOnBackground.store(flush); }
    bool useGzipCompression() const { return m_useGzipCompression.load(); }
    void setUseGzipCompression(bool use) { m_useGzipCompression.store(use); }

    FlushRequest &flushRequest() { return m_flushRequest; }
    const FlushRequest &flushRequest() const { return m_flushRequest; }

    // Seconds; 0 or less means no timer. Setting it asks the delegate for a partial flush and
    // restarts the timer with the new period.
    double flushInterval() const;
    void setFlushInterval(double seconds);

    // Records per batch, never more than 50.
    int flushBatchSize() const { return m_flushBatchSize.load(); }
    void setFlushBatchSize(int size);

    std::string serverURL() const;
    // Also the base of the flush request.
    void setServerURL(std::string serverURL);

    // Sends the queue in batches unless the back-off forbids any request just now.
    void flushQueue(const FlushQueue &queue, FlushType type, const HTTPHeaders &headers,
        const std::vector<URLQueryItem> &queryItems);

    // Sends batches of at most flushBatchSize() records, oldest first, one after another, and
    // reports each accepted one to the delegate. The pass ends at the first batch that cannot be
    // encoded or is not delivered; the rest stay queued for a later flush.
    void flushQueueInBatches(const FlushQueue &queue, FlushType type, const HTTPHeaders &headers,
        const std::vector<URLQueryItem> &queryItems);

    // The queue without its first batchSize records; empty when batchSize is 0 or less or when
    // the queue holds no more than batchSize records.
    static FlushQueue removeProcessedBatch(int batchSize, const FlushQueue &queue, FlushType type);

    // The timer lives on the main thread; these only post work there, in order, so a stop
    // followed by a start leaves exactly one live timer.
    void startFlushTimer();
    void stopFlushTimer();
    // For good, at quit: the timer is invalidated now (call on the main thread) and never started
    // again.
    void shutdownFlushTimer();
    // The timer's action: a partial flush through the delegate.
    void flushSelector();

    void applicationDidBecomeActive() { startFlushTimer(); }
    void applicationWillResignActive() { stopFlushTimer(); }

private:
    std::shared_ptr<MainExecutor> m_mainExecutor;

    mutable std::mutex m_timerMutex;
    std::shared_ptr<RepeatingTimer> m_timer;
    bool m_timerShutDown = false;

    mutable std::mutex m_delegateMutex;
    std::weak_ptr<FlushDelegate> m_delegate;

    std::atomic<bool> m_useIPAddressForGeoLocation { true };
    FlushRequest m_flushRequest;
    std::atomic<bool> m_flushOnBackground { true };

    // Guards m_flushInterval and m_serverURL.
    ReadWriteLock m_flushRequestReadWriteLock;
    double m_flushInterval = 0;
    std::string m_serverURL;

    std::atomic<int> m_flushBatchSize { maxBatchSize };
    std::atomic<bool> m_useGzipCompression;
};

} // namespace brimlark
