// The analytics client's tracking path.
//
// trackOnCallersThread: what track(event:properties:) costs the caller (the main thread in the
// application): the time taken there before the record is handed to the tracking queue. Target:
// a median under 20 µs.
//
// trackAndDeliverTenThousand: 10,000 events tracked, stored in the queue store and delivered to a
// loopback HTTP server in batches of 50, end to end.

#include "BenchMain.h"
#include "analytics/SerialQueue.h"
#include "analytics/TallyInstance.h"

#include "LoopbackHttpServer.h"
#include "TallyTestEnvironment.h"

#include <benchmark/benchmark.h>

#include <chrono>

using namespace brimlark;

namespace {

const std::string s_token = "b3e1c0d2a4f5968778695a4b3c2d1e0f";

std::shared_ptr<TallyInstance> makeInstance(const std::string &serverURL)
{
    TallyInstance::Configuration configuration;
    configuration.apiToken = s_token;
    configuration.name = s_token;
    configuration.flushInterval = 0;
    configuration.serverURL = serverURL;
    return TallyInstance::create(configuration, TallyInstance::Services::installed());
}

const TallyDictionary s_properties { { "app_name", "Calculator" }, { "platform", "mac" },
    { "app_version", "1.0" } };

void trackOnCallersThread(benchmark::State &state)
{
    test::TallyTestEnvironment env;
    auto instance = makeInstance(std::string()); // nothing leaves the machine
    test::settle(*instance, *env.executor);
    for (auto _ : state) {
        instance->track("App Launched", s_properties);
    }
    // The measured time ends with the loop; the queued records are stored after it.
    test::settle(*instance, *env.executor);
    state.counters["target_us"] = 20;
}
BENCHMARK(trackOnCallersThread)
    ->Iterations(2000)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

void trackAndDeliverTenThousand(benchmark::State &state)
{
    constexpr int kEvents = 10000;
    test::TallyTestEnvironment env(state.range(0) != 0);
    test::LoopbackHttpServer server(test::LoopbackHttpServer::Limits { std::chrono::minutes(10), 1u << 30 });
    if (!server.isListening()) {
        state.SkipWithError("no loopback socket");
        return;
    }
    auto instance = makeInstance(server.baseUrl());
    test::settle(*instance, *env.executor);
    std::size_t delivered = 0;
    for (auto _ : state) {
        for (int n = 0; n < kEvents; ++n) {
            instance->track("App Launched", s_properties);
        }
        bool done = false;
        instance->flush(true, [&] { done = true; });
        test::settle(*instance, *env.executor);
        if (!done) {
            state.SkipWithError("flush did not complete");
            return;
        }
        delivered += kEvents;
    }
    const std::size_t received = test::receivedRecords(server, "/track/").size();
    if (received != delivered) {
        state.SkipWithError("not every record arrived exactly once");
        return;
    }
    state.counters["events_per_s"]
        = benchmark::Counter(static_cast<double>(delivered), benchmark::Counter::kIsRate);
}
// Argument 1: the client's settings on disk (as in the program); 0: in memory, which shows what the
// per-event settings write costs.
BENCHMARK(trackAndDeliverTenThousand)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BRIMLARK_BENCHMARK_MAIN(brimlark::bench::AnalyticsApplication)
