// Delivery of queued analytics records to a loopback HTTP server in batches of 50.
//
// Reports records per second, the client's time per batch (encoding, optional gzip, the HTTP
// exchange) and the server's own time per batch (from the request's first byte to the reply's
// last), and their ratio: what the client adds on top of the exchange itself.

#include "BenchMain.h"
#include "ManualMainExecutor.h"
#include "ManualTallyClock.h"
#include "analytics/Flush.h"
#include "analytics/TallyClock.h"
#include "analytics/TallyRandom.h"
#include "support/SequenceTallyRandom.h"

#include "LoopbackHttpServer.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>

using namespace brimlark;

namespace {

constexpr int kRecords = 10000;

class CountingDelegate : public FlushDelegate
{
public:
    void flush(bool, std::function<void()>) override { }
    void flushSuccess(FlushType, const std::vector<std::int32_t> &ids) override { delivered += ids.size(); }
    std::atomic<std::size_t> delivered { 0 };
};

// Records shaped like the application's own events.
FlushQueue makeQueue()
{
    FlushQueue queue;
    queue.reserve(kRecords);
    for (int id = 1; id <= kRecords; ++id) {
        TallyDictionary properties;
        properties.set("token", "0123456789abcdef0123456789abcdef");
        properties.set("time", std::int64_t(1700000000000) + id);
        properties.set("distinct_id", "$device:5E1F2A3B-4C5D-6E7F-8091-A2B3C4D5E6F7");
        properties.set("$os", "Linux");
        properties.set("platform", "Linux");
        properties.set("app_version", "1.0.0");
        properties.set("app_name", "Application " + std::to_string(id % 97));
        TallyDictionary record;
        record.set("event", "App Launched");
        record.set("properties", std::move(properties));
        record.set("id", id);
        queue.push_back(std::move(record));
    }
    return queue;
}

void deliverTenThousandRecords(benchmark::State &state)
{
    const bool gzip = state.range(0) != 0;
    test::LoopbackHttpServer server(test::LoopbackHttpServer::Limits { std::chrono::minutes(10), 1u << 30 });
    if (!server.isListening()) {
        state.SkipWithError("no loopback socket");
        return;
    }
    auto delegate = std::make_shared<CountingDelegate>();
    auto flush = std::make_shared<Flush>(server.baseUrl(), gzip, std::make_shared<ManualMainExecutor>(),
        std::make_shared<ManualTallyClock>(),
        std::make_shared<SequenceTallyRandom>(std::vector<std::uint32_t> { 0 }));
    flush->setDelegate(delegate);
    const FlushQueue queue = makeQueue();

    std::chrono::nanoseconds clientTime { 0 };
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        flush->flushQueueInBatches(queue, FlushType::Events, {}, {});
        clientTime += std::chrono::steady_clock::now() - started;
    }

    const auto requests = server.requests();
    std::chrono::nanoseconds serverTime { 0 };
    for (const auto &request : requests) {
        serverTime += request.handlingTime;
    }
    const std::size_t expected = static_cast<std::size_t>(state.iterations()) * kRecords;
    if (delegate->delivered != expected) {
        state.SkipWithError("not every record was delivered");
        return;
    }
    const double batches = static_cast<double>(requests.size());
    const double clientPerBatch = std::chrono::duration<double, std::micro>(clientTime).count() / batches;
    const double serverPerBatch = std::chrono::duration<double, std::micro>(serverTime).count() / batches;
    state.counters["records_per_s"]
        = benchmark::Counter(static_cast<double>(expected), benchmark::Counter::kIsRate);
    state.counters["client_us_per_batch"] = clientPerBatch;
    state.counters["server_us_per_batch"] = serverPerBatch;
    state.counters["client_to_server"] = serverPerBatch > 0 ? clientPerBatch / serverPerBatch : 0;
}

} // namespace

BENCHMARK(deliverTenThousandRecords)
    ->ArgName("gzip")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BRIMLARK_BENCHMARK_MAIN(brimlark::bench::AnalyticsApplication)
