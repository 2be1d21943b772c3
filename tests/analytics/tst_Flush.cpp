#include "analytics/Flush.h"
#include "support/SequenceTallyRandom.h"

#include "ManualMainExecutor.h"
#include "ManualTallyClock.h"
#include "analytics/TallyClock.h"
#include "analytics/TallyRandom.h"

#include "LoopbackHttpServer.h"
#include "TallyLogCapture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <mutex>

using namespace brimlark;
using brimlark::test::LoopbackHttpServer;
using brimlark::test::ScriptedReply;
using namespace std::chrono_literals;

namespace {

constexpr double kStart = 1700000000.0;

class RecordingDelegate : public FlushDelegate
{
public:
    void flush(bool performFullFlush, std::function<void()> completion) override
    {
        std::lock_guard guard(m_mutex);
        flushes.push_back({ performFullFlush, static_cast<bool>(completion) });
    }

    void flushSuccess(FlushType type, const std::vector<std::int32_t> &ids) override
    {
        std::lock_guard guard(m_mutex);
        successes.emplace_back(type, ids);
    }

    struct FlushCall
    {
        bool full;
        bool hasCompletion;
    };
    std::vector<FlushCall> flushes;
    std::vector<std::pair<FlushType, std::vector<std::int32_t>>> successes;

private:
    std::mutex m_mutex;
};

// Records with row ids first .. first + count - 1, named after their id.
FlushQueue makeQueue(int count, int first = 1)
{
    FlushQueue queue;
    for (int id = first; id < first + count; ++id) {
        TallyDictionary record;
        record.set("event", "e" + std::to_string(id));
        record.set("properties", TallyDictionary { { "token", "t" } });
        record.set("id", id);
        queue.push_back(std::move(record));
    }
    return queue;
}

std::vector<std::int32_t> range(int first, int last)
{
    std::vector<std::int32_t> ids;
    for (int id = first; id <= last; ++id) {
        ids.push_back(id);
    }
    return ids;
}

// The event names of one request's JSON array, in order.
std::vector<std::string> eventNames(const test::RecordedRequest &request)
{
    std::vector<std::string> names;
    const nlohmann::json batch = nlohmann::json::parse(request.decodedBody);
    for (const auto &record : batch) {
        names.push_back(record.at("event").get<std::string>());
    }
    return names;
}

std::vector<std::string> expectedNames(int first, int last)
{
    std::vector<std::string> names;
    for (int id = first; id <= last; ++id) {
        names.push_back("e" + std::to_string(id));
    }
    return names;
}

class FlushTest : public ::testing::Test
{
protected:
    FlushTest()
        : executor(std::make_shared<ManualMainExecutor>())
        , clock(std::make_shared<ManualTallyClock>(kStart))
        , random(std::make_shared<SequenceTallyRandom>(std::vector<std::uint32_t> { 0 }))
        , delegate(std::make_shared<RecordingDelegate>())
        , flush(std::make_shared<Flush>(server.baseUrl(), false, executor, clock, random))
    {
        flush->setDelegate(delegate);
        flush->flushRequest().setRequestTimeout(5s);
    }

    void send(const FlushQueue &queue, FlushType type = FlushType::Events)
    {
        flush->flushQueueInBatches(queue, type, {}, {});
    }

    LoopbackHttpServer server;
    std::shared_ptr<ManualMainExecutor> executor;
    std::shared_ptr<ManualTallyClock> clock;
    std::shared_ptr<SequenceTallyRandom> random;
    std::shared_ptr<RecordingDelegate> delegate;
    std::shared_ptr<Flush> flush;
};

} // namespace

TEST_F(FlushTest, startsWithItsDefaults)
{
    EXPECT_TRUE(flush->useIPAddressForGeoLocation());
    EXPECT_TRUE(flush->flushOnBackground());
    EXPECT_EQ(flush->flushInterval(), 0);
    EXPECT_EQ(flush->flushBatchSize(), 50);
    EXPECT_EQ(flush->serverURL(), server.baseUrl());
    EXPECT_EQ(flush->flushRequest().serverURL(), server.baseUrl());
    EXPECT_FALSE(flush->useGzipCompression());
}

TEST_F(FlushTest, splitsIntoBatchesInStoreOrderAndReportsEachOne)
{
    struct Case
    {
        int records;
        int batchSize;
        std::vector<std::pair<int, int>> batches; // first and last id of each batch
    };
    const Case cases[] = {
        { 0, 50, {} }, // an empty queue sends and reports nothing
        { 120, 50, { { 1, 50 }, { 51, 100 }, { 101, 120 } } },
        { 50, 50, { { 1, 50 } } },
        { 1, 50, { { 1, 1 } } },
        { 51, 50, { { 1, 50 }, { 51, 51 } } },
        { 25, 10, { { 1, 10 }, { 11, 20 }, { 21, 25 } } },
        { 3, 1, { { 1, 1 }, { 2, 2 }, { 3, 3 } } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.records) + " by " + std::to_string(c.batchSize));
        const std::size_t before = server.requestCount();
        delegate->successes.clear();
        flush->setFlushBatchSize(c.batchSize);
        send(makeQueue(c.records), FlushType::People);
        const auto requests = server.requests();
        ASSERT_EQ(requests.size() - before, c.batches.size());
        ASSERT_EQ(delegate->successes.size(), c.batches.size());
        for (std::size_t i = 0; i < c.batches.size(); ++i) {
            const auto [first, last] = c.batches[i];
            EXPECT_EQ(requests[before + i].path, "/engage/");
            EXPECT_EQ(eventNames(requests[before + i]), expectedNames(first, last));
            EXPECT_EQ(delegate->successes[i].first, FlushType::People);
            EXPECT_EQ(delegate->successes[i].second, range(first, last));
        }
    }
}

TEST_F(FlushTest, aRefusedBatchEndsThePass)
{
    server.enqueueReply(ScriptedReply { 200, {}, "1", false });
    server.enqueueReply(ScriptedReply { 503, {}, "", false });
    send(makeQueue(120));
    EXPECT_EQ(server.requestCount(), 2u);
    ASSERT_EQ(delegate->successes.size(), 1u);
    EXPECT_EQ(delegate->successes[0].second, range(1, 50));
    EXPECT_EQ(flush->flushRequest().networkConsecutiveFailures(), 1);
}

TEST_F(FlushTest, aBatchWithRejectedItemsStillCountsAsDelivered)
{
    server.setDefaultReply(ScriptedReply { 200, {}, "0", false });
    send(makeQueue(60));
    ASSERT_EQ(delegate->successes.size(), 2u);
    EXPECT_EQ(delegate->successes[1].second, range(51, 60));
}

TEST_F(FlushTest, rowIdsThatAreNo32BitIntegerReportZero)
{
    FlushQueue queue = makeQueue(7);
    queue[0].remove("id");
    queue[1].set("id", "5");
    queue[2].set("id", std::int64_t(1) << 31);
    queue[3].set("id", -3);
    queue[4].set("id", true);
    queue[5].set("id", TallyType::null());
    queue[6].set("id", std::int64_t(INT32_MIN));
    send(queue);
    ASSERT_EQ(delegate->successes.size(), 1u);
    EXPECT_EQ(delegate->successes[0].second, (std::vector<std::int32_t> { 0, 0, 0, -3, 0, 0, INT32_MIN }));
    // The record without a row id is sent all the same.
    EXPECT_EQ(eventNames(server.requests()[0]).size(), 7u);
}

TEST_F(FlushTest, batchSizeIsCappedAtFifty)
{
    const std::pair<int, int> cases[] = { { 80, 50 }, { 50, 50 }, { 10, 10 }, { 1, 1 } };
    for (const auto &[given, stored] : cases) {
        flush->setFlushBatchSize(given);
        EXPECT_EQ(flush->flushBatchSize(), stored) << given;
    }
}

TEST_F(FlushTest, aBatchSizeBelowOneSendsNothing)
{
    for (int size : { 0, -5 }) {
        test::TallyLogCapture capture;
        flush->setFlushBatchSize(size);
        send(makeQueue(3));
        EXPECT_EQ(server.requestCount(), 0u) << size;
        EXPECT_TRUE(delegate->successes.empty());
        EXPECT_EQ(capture.count(TallyLogLevel::Warning, "below 1"), 1u);
    }
}

TEST_F(FlushTest, theGatedEntryRespectsTheBackOff)
{
    flush->flushRequest().setNetworkRequestsAllowedAfterTime(kStart + 10);
    flush->flushQueue(makeQueue(3), FlushType::Events, {}, {});
    EXPECT_EQ(server.requestCount(), 0u);
    clock->advance(10); // at equality sending is allowed
    flush->flushQueue(makeQueue(3), FlushType::Events, {}, {});
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(delegate->successes.size(), 1u);
}

TEST_F(FlushTest, aFailureThenRetryAfterHoldsBackTheNextPass)
{
    server.enqueueReply(ScriptedReply { 429, { { "Retry-After", "30" } }, "", false });
    flush->flushQueue(makeQueue(3), FlushType::Events, {}, {});
    flush->flushQueue(makeQueue(3), FlushType::Events, {}, {});
    EXPECT_EQ(server.requestCount(), 1u);
    clock->advance(30);
    flush->flushQueue(makeQueue(3), FlushType::Events, {}, {});
    EXPECT_EQ(server.requestCount(), 2u);
    EXPECT_EQ(delegate->successes.size(), 1u);
}

TEST_F(FlushTest, deliveryOptionsReachTheWire)
{
    flush->setUseGzipCompression(true);
    flush->setUseIPAddressForGeoLocation(false);
    flush->flushQueueInBatches(makeQueue(2), FlushType::Events, { { "X-Proxy", "1" } }, { { "p", "q" } });
    flush->flushQueueInBatches(makeQueue(2), FlushType::Groups, {}, {});
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].inflatedCleanly);
    EXPECT_EQ(requests[0].query, "ip=0&p=q");
    EXPECT_EQ(requests[0].header("X-Proxy"), "1");
    EXPECT_EQ(eventNames(requests[0]), expectedNames(1, 2));
    EXPECT_FALSE(requests[1].gzipped);
    EXPECT_EQ(requests[1].path, "/groups/");
}

TEST_F(FlushTest, aNewServerURLIsUsedForTheNextBatch)
{
    LoopbackHttpServer other;
    flush->setServerURL(other.baseUrl() + "/proxy");
    EXPECT_EQ(flush->serverURL(), other.baseUrl() + "/proxy");
    EXPECT_EQ(flush->flushRequest().serverURL(), other.baseUrl() + "/proxy");
    send(makeQueue(1));
    EXPECT_EQ(server.requestCount(), 0u);
    ASSERT_EQ(other.requestCount(), 1u);
    EXPECT_EQ(other.requests()[0].path, "/proxy/track/");
}

TEST_F(FlushTest, sendsWithoutADelegate)
{
    delegate.reset(); // the only owner: the Flush holds it weakly
    send(makeQueue(60));
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST(FlushRemoveProcessedBatch, dropsTheLeadingRecords)
{
    const FlushQueue queue = makeQueue(5);
    const std::pair<int, std::size_t> cases[]
        = { { 2, 3 }, { 4, 1 }, { 5, 0 }, { 9, 0 }, { 0, 0 }, { -1, 0 } };
    for (const auto &[batchSize, remaining] : cases) {
        const FlushQueue rest = Flush::removeProcessedBatch(batchSize, queue, FlushType::Events);
        ASSERT_EQ(rest.size(), remaining) << batchSize;
        if (remaining > 0) {
            EXPECT_TRUE(
                TallyType(rest.front()).sameAs(TallyType(queue[static_cast<std::size_t>(batchSize)])));
        }
    }
}

TEST_F(FlushTest, noTimerWithoutAPositiveInterval)
{
    for (double interval : { 0.0, -1.0 }) {
        flush->setFlushInterval(interval);
        executor->runPending();
        EXPECT_EQ(executor->activeTimerCount(), 0u) << interval;
    }
    EXPECT_EQ(executor->advance(3600), 0u);
}

TEST_F(FlushTest, settingTheIntervalFlushesOnceAndRepeatsOnTheTimer)
{
    flush->setFlushInterval(60);
    ASSERT_EQ(delegate->flushes.size(), 1u);
    EXPECT_FALSE(delegate->flushes[0].full);
    EXPECT_FALSE(delegate->flushes[0].hasCompletion);
    // Nothing happens before the main thread runs.
    EXPECT_EQ(executor->activeTimerCount(), 0u);
    executor->runPending();
    EXPECT_EQ(executor->activeTimerCount(), 1u);
    EXPECT_EQ(flush->flushInterval(), 60);

    EXPECT_EQ(executor->advance(59), 0u);
    EXPECT_EQ(executor->advance(1), 1u);
    EXPECT_EQ(executor->advance(120), 2u);
    ASSERT_EQ(delegate->flushes.size(), 4u);
    for (const auto &call : delegate->flushes) {
        EXPECT_FALSE(call.full);
        EXPECT_FALSE(call.hasCompletion);
    }
}

TEST_F(FlushTest, resigningActiveStopsTheTimerAndBecomingActiveRestoresIt)
{
    flush->setFlushInterval(60);
    executor->runPending();
    flush->applicationWillResignActive();
    executor->runPending();
    EXPECT_EQ(executor->activeTimerCount(), 0u);
    EXPECT_EQ(executor->advance(600), 0u);

    flush->applicationDidBecomeActive();
    executor->runPending();
    EXPECT_EQ(executor->activeTimerCount(), 1u);
    EXPECT_EQ(executor->advance(60), 1u);
}

TEST_F(FlushTest, restartsLeaveExactlyOneLiveTimer)
{
    flush->setFlushInterval(60);
    executor->runPending();
    // Several restarts queued before the main thread gets to any of them.
    flush->startFlushTimer();
    flush->stopFlushTimer();
    flush->startFlushTimer();
    flush->setFlushInterval(30);
    executor->runPending();
    EXPECT_EQ(executor->activeTimerCount(), 1u);
    EXPECT_EQ(executor->advance(30), 1u);

    flush->setFlushInterval(0);
    executor->runPending();
    EXPECT_EQ(executor->activeTimerCount(), 0u);
}

TEST_F(FlushTest, theTimerEndsWithItsFlush)
{
    flush->setFlushInterval(60);
    executor->runPending();
    ASSERT_EQ(executor->activeTimerCount(), 1u);
    flush->startFlushTimer(); // work still queued for the main thread when the Flush goes
    flush.reset();
    executor->runPending();
    EXPECT_EQ(executor->activeTimerCount(), 0u);
    EXPECT_EQ(executor->advance(600), 0u);
    EXPECT_EQ(delegate->flushes.size(), 1u);
}
