#include "analytics/Flush.h"
#include "analytics/SerialQueue.h"
#include "analytics/TLDB.h"
#include "analytics/TallyDelegate.h"
#include "analytics/TallyInstance.h"
#include "analytics/TallyPersistence.h"
#include "analytics/TallyProxyServerDelegate.h"

#include "LoopbackHttpServer.h"
#include "TallyLogCapture.h"
#include "TallyTestEnvironment.h"
#include "TestChildProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <future>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace brimlark;
using namespace brimlark::test;
using namespace std::chrono_literals;

namespace {

const std::string s_token = "a1b2c3d4e5f60718293a4b5c6d7e8f90";

class RefusingDelegate : public TallyDelegate
{
public:
    bool shouldFlush(TallyInstance &instance) override
    {
        asked.push_back(&instance);
        return false;
    }
    std::vector<TallyInstance *> asked;
};

class HeaderProxy : public TallyProxyServerDelegate
{
public:
    std::optional<ServerProxyResource> serverProxyResource(const std::string &instanceName) override
    {
        names.push_back(instanceName);
        return ServerProxyResource(std::nullopt, HTTPHeaders { { "X-Proxy-Key", "k1" } });
    }
    std::vector<std::string> names;
};

class TallyInstanceFlushTest : public ::testing::Test
{
protected:
    TallyInstanceFlushTest()
    {
        TallyInstance::Configuration configuration;
        configuration.apiToken = s_token;
        configuration.name = s_token;
        configuration.serverURL = server.baseUrl();
        instance = TallyInstance::create(configuration, TallyInstance::Services::installed());
        settle(*instance, *env.executor);
    }

    ~TallyInstanceFlushTest() override
    {
        if (m_holding) {
            release();
        }
        settle(*instance, *env.executor);
    }

    void trackNumbered(int count, int first = 0)
    {
        for (int n = first; n < first + count; ++n) {
            instance->track("E", TallyDictionary { { "n", n } });
        }
        instance->trackingQueue().sync([] {});
    }

    // Keeps the network queue busy, so flushes asked for meanwhile all load before any sends.
    void holdNetworkQueue()
    {
        m_gate = std::promise<void>();
        m_holding = true;
        instance->networkQueue().async([future = m_gate.get_future().share()] { future.wait(); });
    }
    void release()
    {
        m_holding = false;
        m_gate.set_value();
    }

    // How often each numbered event arrived.
    std::map<std::string, int> arrivals()
    {
        return countBy(receivedRecords(server, "/track/"), "/properties/n");
    }
    // So many numbered events arrived, each `times` times.
    void expectArrivals(std::size_t events, int times = 1)
    {
        const auto counts = arrivals();
        EXPECT_EQ(counts.size(), events);
        for (const auto &[n, count] : counts) {
            EXPECT_EQ(count, times) << n;
        }
    }

    std::size_t storedEvents() { return storedRecords(*instance, PersistenceType::Events).size(); }

    void insertRaw(const TallyDictionary &record, PersistenceType type)
    {
        instance->trackingQueue().sync([&] { instance->tallyPersistence().saveEntity(record, type, false); });
    }

    TallyTestEnvironment env;
    LoopbackHttpServer server;
    std::shared_ptr<TallyInstance> instance;

private:
    std::promise<void> m_gate;
    bool m_holding = false;
};

TEST_F(TallyInstanceFlushTest, NumbersGoOutInTheWritersForms)
{
    env.clock->set(1733712345.678);
    instance->track("Timed", TallyDictionary { { "count", 100000.0 }, { "ratio", 0.25 }, { "big", 1e20 } });
    env.clock->set(1733712000.0);
    instance->track("Round", std::nullopt);
    instance->flush();
    settle(*instance, *env.executor);
    ASSERT_EQ(server.requestCount(), 1u);
    const std::string body = server.requests().front().decodedBody;
    for (const char *text : { R"("time":1733712345678,)", R"("time":1733712000000,)", R"("count":100000,)",
             R"("ratio":0.25,)", R"("big":100000000000000000000})" }) {
        EXPECT_NE(body.find(text), std::string::npos) << text << " in " << body;
    }
    EXPECT_EQ(body.find("e+"), std::string::npos) << body;
}

TEST_F(TallyInstanceFlushTest, DeliveredRowsAreDeletedAheadOfTheTrackingBacklog)
{
    trackNumbered(3);
    std::vector<std::int32_t> ids;
    instance->trackingQueue().sync([&] {
        for (const auto &record : instance->tallyPersistence().loadEntitiesInBatch(
                 PersistenceType::Events, TLDB::allRows, false, false)) {
            ids.push_back(static_cast<std::int32_t>(*record.find("id")->toInt()));
        }
    });
    std::promise<void> gate;
    instance->trackingQueue().async([future = gate.get_future().share()] { future.wait(); });
    for (int n = 0; n < 5; ++n) {
        instance->track("Backlog", std::nullopt);
    }
    instance->flushSuccess(FlushType::Events, ids);
    TallyLogCapture capture;
    gate.set_value();
    settle(*instance, *env.executor);

    std::vector<std::string> order;
    for (const auto &message : capture.messages()) {
        if (message.text.starts_with("Successfully deleted rows")) {
            order.push_back("delete");
        } else if (message.text.starts_with("Successfully inserted row")) {
            order.push_back("insert");
        }
    }
    ASSERT_EQ(order.size(), 6u);
    EXPECT_EQ(order.front(), "delete");
    EXPECT_EQ(storedEvents(), 5u);
}

// A kill between a batch's answer and its deletion sends it again: the next batch must not leave
// in that window, or a kill sends two batches again.
TEST_F(TallyInstanceFlushTest, TheNextBatchLeavesOnlyOnceTheDeliveredOneIsDeleted)
{
    trackNumbered(100);
    std::promise<void> gate;
    instance->flush(true, nullptr);
    // Busy when the first answer comes, for a bounded while: its deletion has to wait.
    instance->trackingQueue().async([future = gate.get_future().share()] { future.wait_for(1s); });
    ASSERT_TRUE(server.waitForRequests(2, 10s));
    const auto database = env.home() / "Library" / "Caches" / (s_token + "_TLDB.sqlite");
    EXPECT_EQ(eventRowsLeft(database, s_token, "id <= 50"), 0) << "the second batch left first";
    gate.set_value();
    settle(*instance, *env.executor);
    expectArrivals(100);
    EXPECT_EQ(storedEvents(), 0u);
}

// The facade flushes after every event; behind a slow transfer those flushes pile up, one event
// each. Quit sends what is queued in full batches, not one request per event.
TEST_F(TallyInstanceFlushTest, QuitSendsTheBacklogInAsFewRequestsAsTheBatchSizeAllows)
{
    holdNetworkQueue();
    for (int n = 0; n < 30; ++n) {
        instance->track("E", TallyDictionary { { "n", n } });
        instance->flush(false, nullptr);
    }
    instance->trackingQueue().sync([] {});
    release();
    ASSERT_TRUE(instance->shutdown(std::chrono::steady_clock::now() + 20s));
    // The flush first in line may have started before the quit.
    EXPECT_LE(server.requestCount(), 2u);
    expectArrivals(30);
    EXPECT_EQ(eventRowsLeft(env.home() / "Library" / "Caches" / (s_token + "_TLDB.sqlite"), s_token), 0);
}

TEST_F(TallyInstanceFlushTest, OptedOutFlushRunsTheCompletionAndSendsNothing)
{
    instance->optOutTracking();
    settle(*instance, *env.executor);
    insertRaw(TallyDictionary { { "event", "queued" }, { "properties", TallyDictionary {} } },
        PersistenceType::Events);
    int completions = 0;
    instance->flush([&] { ++completions; });
    EXPECT_EQ(completions, 0); // never before returning
    settle(*instance, *env.executor);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_EQ(storedEvents(), 1u);
}

TEST_F(TallyInstanceFlushTest, RefusingDelegateStopsTheFlushBeforeLoading)
{
    auto delegate = std::make_shared<RefusingDelegate>();
    instance->setDelegate(delegate);
    trackNumbered(3);
    int completions = 0;
    instance->flush([&] { ++completions; });
    settle(*instance, *env.executor);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(delegate->asked, std::vector<TallyInstance *> { instance.get() });
    EXPECT_EQ(server.requestCount(), 0u);

    delegate.reset(); // held weakly: gone means go on
    instance->flush();
    settle(*instance, *env.executor);
    EXPECT_EQ(arrivals().size(), 3u);
}

TEST_F(TallyInstanceFlushTest, RegularFlushSendsOneBatchAndAFullFlushSendsEverything)
{
    trackNumbered(120);
    instance->flush(false, nullptr);
    settle(*instance, *env.executor);
    ASSERT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(arrivals().size(), 50u);
    EXPECT_EQ(storedEvents(), 70u);

    instance->flush(true, nullptr);
    settle(*instance, *env.executor);
    EXPECT_EQ(server.requestCount(), 3u);
    expectArrivals(120);
    EXPECT_EQ(storedEvents(), 0u);
}

TEST_F(TallyInstanceFlushTest, AutomaticEventsAreNotSentWhileTheyAreOff)
{
    insertRaw(
        TallyDictionary { { "event", "$ae_session" }, { "properties", TallyDictionary { { "n", 1 } } } },
        PersistenceType::Events);
    insertRaw(TallyDictionary { { "event", "Kept" }, { "properties", TallyDictionary { { "n", 2 } } } },
        PersistenceType::Events);
    instance->flush();
    settle(*instance, *env.executor);
    const auto names = countBy(receivedRecords(server, "/track/"), "/event");
    EXPECT_EQ(names.count("$ae_session"), 0u);
    EXPECT_EQ(names.at("Kept"), 1);
}

TEST_F(TallyInstanceFlushTest, BackOffHoldsEverythingBackUntilItEnds)
{
    trackNumbered(2);
    instance->flushInstance().flushRequest().setNetworkRequestsAllowedAfterTime(env.clock->now() + 100);
    int completions = 0;
    instance->flush([&] { ++completions; });
    settle(*instance, *env.executor);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_EQ(storedEvents(), 2u);

    env.clock->advance(100); // at the allowed time sending is allowed again
    instance->flush();
    settle(*instance, *env.executor);
    EXPECT_EQ(arrivals().size(), 2u);
    EXPECT_EQ(storedEvents(), 0u);
}

TEST_F(TallyInstanceFlushTest, ProxyHeadersGoOnEveryBatch)
{
    auto proxy = std::make_shared<HeaderProxy>();
    instance->setProxyServerDelegate(proxy);
    trackNumbered(60);
    instance->flush(true, nullptr);
    settle(*instance, *env.executor);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto &request : requests) {
        EXPECT_EQ(request.header("X-Proxy-Key"), "k1");
        EXPECT_EQ(request.query, "ip=1");
    }
    EXPECT_EQ(proxy->names, std::vector<std::string>(3, s_token)); // asked once per queue
}

// Flushes are asked for after every event; one that loads while another is still sending must
// not send the same rows again.
TEST_F(TallyInstanceFlushTest, OverlappingFlushesSendEveryRowOnce)
{
    struct Row
    {
        int events;
        int flushes;
        std::vector<std::size_t> batchSizes;
    };
    const Row rows[] = {
        { 3, 2, { 3 } },
        { 60, 2, { 50, 10 } },
        { 120, 4, { 50, 50, 20 } },
    };
    int first = 0;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.events);
        const std::size_t before = server.requestCount();
        trackNumbered(row.events, first);
        holdNetworkQueue();
        for (int i = 0; i < row.flushes; ++i) {
            instance->flush();
        }
        instance->trackingQueue().sync([] {});
        release();
        settle(*instance, *env.executor);

        const auto requests = server.requests();
        std::vector<std::size_t> sizes;
        for (std::size_t i = before; i < requests.size(); ++i) {
            sizes.push_back(nlohmann::json::parse(requests[i].decodedBody).size());
        }
        EXPECT_EQ(sizes, row.batchSizes);
        EXPECT_EQ(storedEvents(), 0u);
        first += row.events;
    }
    expectArrivals(first);
}

TEST_F(TallyInstanceFlushTest, RowsOfAFailedSendGoOutWithTheNextFlush)
{
    trackNumbered(5);
    server.enqueueReply(ScriptedReply { 503, {}, "0" });
    holdNetworkQueue();
    instance->flush(); // fails
    instance->flush(); // finds every row still in flight: nothing of its own
    instance->trackingQueue().sync([] {});
    release();
    settle(*instance, *env.executor);
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(storedEvents(), 5u);

    instance->flush();
    settle(*instance, *env.executor);
    expectArrivals(5, 2); // once refused, once accepted
    EXPECT_EQ(storedEvents(), 0u);
}

TEST_F(TallyInstanceFlushTest, DeliveryOfRowsReadBeforeTheStoreWasMadeAnewDeletesNothingNew)
{
    trackNumbered(3);
    holdNetworkQueue();
    instance->flush();
    // The store is found damaged and made anew while the batch is on its way.
    instance->trackingQueue().sync([&] { instance->tallyPersistence().tldb().recreate(); });
    trackNumbered(4, 100);
    release();
    settle(*instance, *env.executor);
    EXPECT_EQ(storedEvents(), 4u);

    instance->flush();
    settle(*instance, *env.executor);
    expectArrivals(7);
    EXPECT_EQ(storedEvents(), 0u);
}

TEST_F(TallyInstanceFlushTest, CompletionRunsOnceTheDeliveredRowsAreGone)
{
    trackNumbered(3);
    std::size_t leftAtCompletion = 99;
    instance->flush([&] { leftAtCompletion = storedEvents(); });
    settle(*instance, *env.executor);
    EXPECT_EQ(leftAtCompletion, 0u);
}

TEST_F(TallyInstanceFlushTest, FlushSuccessDeletesExactlyTheListedRows)
{
    trackNumbered(4);
    const auto rows = storedRecords(*instance, PersistenceType::Events);
    ASSERT_EQ(rows.size(), 4u);
    const auto id
        = [](const TallyDictionary &row) { return static_cast<std::int32_t>(*row.find("id")->toInt()); };
    instance->flushSuccess(FlushType::Events, { id(rows[1]), id(rows[3]) });
    const auto left = storedRecords(*instance, PersistenceType::Events);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(id(left[0]), id(rows[0]));
    EXPECT_EQ(id(left[1]), id(rows[2]));
}

// ---- killed in the middle of a flush

constexpr int s_killedEvents = 120;
constexpr int s_backlogEvents = 3000;

std::string childLog(const TallyTestEnvironment &env, const std::string &mode)
{
    std::ifstream in(env.directory() / ("child-" + mode + ".log"));
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs in a child process started by the test below.
TEST(TallyInstanceFlushChild, DISABLED_Run)
{
    const std::string directory = environmentValue("BRIMLARK_TALLY_CHILD_DIR");
    if (directory.empty()) {
        GTEST_SKIP() << "started by KilledInTheMiddleOfAFlush only";
    }
    TallyTestEnvironment env { std::filesystem::path(directory) };
    TallyInstance::Configuration configuration;
    configuration.apiToken = s_token;
    configuration.name = s_token;
    configuration.serverURL = environmentValue("BRIMLARK_TALLY_CHILD_SERVER");
    auto instance = TallyInstance::create(configuration, TallyInstance::Services::installed());
    instance->flushInstance().flushRequest().setRequestTimeout(20s);
    if (environmentValue("BRIMLARK_TALLY_CHILD_MODE") == "track") {
        for (int n = 0; n < s_killedEvents; ++n) {
            instance->track("E", TallyDictionary { { "n", n } });
        }
        instance->flush(true, nullptr);
        // Tracking goes on while the batches are out: deleting what was delivered must not
        // wait behind it.
        for (int n = 0; n < s_backlogEvents; ++n) {
            instance->track("Backlog", std::nullopt);
        }
        // The parent kills this process while the last batch waits for its answer.
        std::promise<void>().get_future().wait_for(30s);
        FAIL() << "not killed";
    }
    std::promise<void> done;
    instance->flush(true, [&] { done.set_value(); });
    ASSERT_TRUE(env.executor->waitForPosted(20s));
    settle(*instance, *env.executor);
    EXPECT_EQ(done.get_future().wait_for(0s), std::future_status::ready);
    EXPECT_TRUE(storedRecords(*instance, PersistenceType::Events).empty());
}

pid_t spawnChild(const std::string &directory, const std::string &serverUrl, const std::string &mode)
{
    // The child's own test output goes to a file beside its store, not into this test's output.
    return spawnTestChild("TallyInstanceFlushChild.DISABLED_Run",
        { "BRIMLARK_TALLY_CHILD_DIR=" + directory, "BRIMLARK_TALLY_CHILD_SERVER=" + serverUrl,
            "BRIMLARK_TALLY_CHILD_MODE=" + mode },
        directory + "/child-" + mode + ".log");
}

TEST(TallyInstanceFlushKill, KilledInTheMiddleOfAFlushLosesNothingAndResendsOnlyTheUnansweredBatch)
{
    TallyTestEnvironment env(true); // owns the folder the children share
    LoopbackHttpServer server;
    ASSERT_TRUE(server.isListening());
    server.enqueueReply(ScriptedReply {});
    server.enqueueReply(ScriptedReply {});
    server.enqueueReply(ScriptedReply { 200, {}, "1", true }); // the third batch is never answered

    const pid_t tracker = spawnChild(env.directory().string(), server.baseUrl(), "track");
    ASSERT_GT(tracker, 0);
    ASSERT_TRUE(server.waitForRequests(3, 20s));
    // The third batch left only once the two answered ones were deleted, whatever the thousands
    // of tracking tasks queued before their answers: a kill now resends the third alone.
    const auto database = env.home() / "Library" / "Caches" / (s_token + "_TLDB.sqlite");
    const std::string answered = "id <= 100";
    ASSERT_EQ(eventRowsLeft(database, s_token, answered), 0);
    EXPECT_GT(eventRowsLeft(database, s_token, "id > 120"), 0) << "the backlog was done before the kill";
    ASSERT_EQ(::kill(tracker, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(tracker, &status, 0), tracker);
    EXPECT_TRUE(WIFSIGNALED(status)) << childLog(env, "track");

    const pid_t deliverer = spawnChild(env.directory().string(), server.baseUrl(), "deliver");
    ASSERT_GT(deliverer, 0);
    ASSERT_EQ(::waitpid(deliverer, &status, 0), deliverer);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << childLog(env, "deliver");

    auto counts = countBy(receivedRecords(server, "/track/"), "/properties/n");
    counts.erase("null"); // the backlog's events
    ASSERT_EQ(counts.size(), static_cast<std::size_t>(s_killedEvents));
    for (int n = 0; n < s_killedEvents; ++n) {
        // Only the batch whose answer never came goes out twice.
        EXPECT_EQ(counts.at(std::to_string(n)), n < 100 ? 1 : 2) << n;
    }
    EXPECT_EQ(eventRowsLeft(database, s_token), 0);
}

} // namespace
