#include "analytics/FlushRequest.h"
#include "support/SequenceTallyRandom.h"

#include "ManualTallyClock.h"
#include "analytics/TallyClock.h"
#include "analytics/TallyRandom.h"

#include "LoopbackHttpServer.h"
#include "TallyLogCapture.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace brimlark;
using brimlark::test::LoopbackHttpServer;
using brimlark::test::ScriptedReply;
using namespace std::chrono_literals;

namespace {

constexpr double kStart = 1700000000.0;
const std::string kBatch = R"([{"event":"App Opened","properties":{"token":"t"}}])";

class FlushRequestTest : public ::testing::Test
{
protected:
    FlushRequestTest()
        : clock(std::make_shared<ManualTallyClock>(kStart))
        , random(std::make_shared<SequenceTallyRandom>(std::vector<std::uint32_t> { 7 }))
        , request(server.baseUrl(), clock, random)
    {
        request.setRequestTimeout(5s);
    }

    bool send(FlushType type = FlushType::Events, bool useIP = true, const HTTPHeaders &headers = {},
        const std::vector<URLQueryItem> &items = {}, bool gzip = false)
    {
        return request.sendRequest(kBatch, type, useIP, headers, items, gzip);
    }

    test::RecordedRequest last() const { return server.requests().back(); }

    LoopbackHttpServer server;
    std::shared_ptr<ManualTallyClock> clock;
    std::shared_ptr<SequenceTallyRandom> random;
    FlushRequest request;
};

ScriptedReply reply(int status, std::string body, test::HeaderList headers = {})
{
    return ScriptedReply { status, std::move(headers), std::move(body), false };
}

} // namespace

TEST_F(FlushRequestTest, eachKindGoesToItsEndpoint)
{
    const std::pair<FlushType, const char *> cases[] = { { FlushType::Events, "/track/" },
        { FlushType::People, "/engage/" }, { FlushType::Groups, "/groups/" } };
    for (const auto &[type, path] : cases) {
        EXPECT_TRUE(send(type));
        const auto request = last();
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.path, path);
        EXPECT_EQ(request.header("Content-Type"), "application/json");
        EXPECT_EQ(request.body, kBatch);
    }
}

TEST_F(FlushRequestTest, ipComesFirstThenTheCallersItems)
{
    const std::vector<URLQueryItem> items = { { "proxy", "a+b" }, { "flag", std::nullopt } };
    send(FlushType::Events, true, {}, items);
    send(FlushType::People, false, {}, items);
    send(FlushType::Groups, false, {}, {});
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    using Items = std::vector<std::pair<std::string, std::optional<std::string>>>;
    EXPECT_EQ(
        requests[0].queryItems(), (Items { { "ip", "1" }, { "proxy", "a+b" }, { "flag", std::nullopt } }));
    EXPECT_EQ(requests[0].query, "ip=1&proxy=a%2Bb&flag");
    EXPECT_EQ(
        requests[1].queryItems(), (Items { { "ip", "0" }, { "proxy", "a+b" }, { "flag", std::nullopt } }));
    EXPECT_EQ(requests[2].query, "ip=0");
}

TEST_F(FlushRequestTest, gzipOnlyForEventBatchesWhenEnabled)
{
    struct Case
    {
        FlushType type;
        bool gzip;
        bool expectGzipped;
    };
    const Case cases[] = {
        { FlushType::Events, true, true },
        { FlushType::People, true, false },
        { FlushType::Groups, true, false },
        { FlushType::Events, false, false },
        { FlushType::People, false, false },
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(send(c.type, true, {}, {}, c.gzip));
        const auto request = last();
        SCOPED_TRACE(request.path + (c.gzip ? " gzip" : " plain"));
        EXPECT_EQ(request.gzipped, c.expectGzipped);
        EXPECT_EQ(request.header("Content-Encoding").has_value(), c.expectGzipped);
        if (c.expectGzipped) {
            EXPECT_TRUE(request.inflatedCleanly);
            EXPECT_NE(request.body, kBatch);
        } else {
            EXPECT_EQ(request.body, kBatch);
        }
        EXPECT_EQ(request.decodedBody, kBatch);
    }
}

TEST_F(FlushRequestTest, callerFieldsReplaceDefaultsAndGzipSetsTheEncodingLast)
{
    send(FlushType::Events, true, { { "content-type", "application/x-ndjson" }, { "X-Proxy", "p" } }, {},
        false);
    auto request = last();
    EXPECT_EQ(request.headerCount("Content-Type"), 1u);
    EXPECT_EQ(request.header("Content-Type"), "application/x-ndjson");
    EXPECT_EQ(request.header("X-Proxy"), "p");

    send(FlushType::Events, true, { { "content-encoding", "br" } }, {}, true);
    request = last();
    EXPECT_EQ(request.headerCount("Content-Encoding"), 1u);
    EXPECT_EQ(request.header("Content-Encoding"), "gzip");
    EXPECT_TRUE(request.inflatedCleanly);

    // Without compression the caller's encoding stays as given.
    send(FlushType::People, true, { { "Content-Encoding", "identity" } }, {}, true);
    EXPECT_EQ(last().header("Content-Encoding"), "identity");
}

TEST_F(FlushRequestTest, answersDecideDeliveryAndFailureCount)
{
    struct Case
    {
        const char *name;
        int status;
        const char *body;
        bool delivered;
    };
    const Case cases[] = {
        { "one", 200, "1", true },
        { "zero", 200, "0", true },
        { "plus", 200, "+7", true },
        { "minus", 200, "-1", true },
        { "ok", 200, "OK", false },
        { "empty", 200, "", false },
        { "newline", 200, "1\n", false },
        { "overflow", 200, "9223372036854775808", false },
        { "unavailable", 503, "1", false },
        { "noContent", 204, "", false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        request.setNetworkConsecutiveFailures(1);
        request.setNetworkRequestsAllowedAfterTime(0);
        server.enqueueReply(reply(c.status, c.body));
        EXPECT_EQ(send(), c.delivered);
        EXPECT_EQ(request.networkConsecutiveFailures(), c.delivered ? 0 : 2);
        if (c.delivered) {
            EXPECT_EQ(request.networkRequestsAllowedAfterTime(), kStart);
            EXPECT_FALSE(request.requestNotAllowed());
        }
    }
}

TEST_F(FlushRequestTest, rejectedItemsAreLoggedButDelivered)
{
    test::TallyLogCapture capture;
    server.enqueueReply(reply(200, "0"));
    EXPECT_TRUE(send());
    EXPECT_EQ(capture.count(TallyLogLevel::Info, server.baseUrl() + " api rejected some items"), 1u);

    server.enqueueReply(reply(503, ""));
    EXPECT_FALSE(send(FlushType::People));
    EXPECT_EQ(capture.count(TallyLogLevel::Warning,
                  "API request to /engage/ has failed with reason notOKStatusCode(statusCode: 503)"),
        1u);
}

TEST_F(FlushRequestTest, retryAfterIsReadWhateverTheFieldNamesCase)
{
    for (const char *name : { "Retry-After", "retry-after", "RETRY-AFTER" }) {
        SCOPED_TRACE(name);
        request.setNetworkConsecutiveFailures(0);
        server.enqueueReply(reply(503, "", { { name, "30" } }));
        EXPECT_FALSE(send());
        EXPECT_EQ(request.networkConsecutiveFailures(), 1);
        EXPECT_EQ(request.networkRequestsAllowedAfterTime(), kStart + 30);
    }
}

TEST_F(FlushRequestTest, retryAfterValuesThatAreNoDelayAreIgnored)
{
    const std::pair<const char *, double> cases[] = {
        { "30", 30 },
        { "2.5", 2.5 },
        { "0", 0 },
        { "+12", 12 },
        { "1e2", 100 },
        { "inf", 0 },
        { "nan", 0 },
        { "-5", 0 },
        { "-inf", 0 },
        { "1e400", 0 },
        { "30s", 0 },
        { "", 0 },
        { "abc", 0 },
        { "Wed, 21 Oct 2015 07:28:00 GMT", 0 },
    };
    for (const auto &[value, seconds] : cases) {
        SCOPED_TRACE(value);
        request.setNetworkConsecutiveFailures(0);
        server.enqueueReply(reply(503, "", { { "Retry-After", value } }));
        send();
        EXPECT_EQ(request.networkRequestsAllowedAfterTime(), kStart + seconds);
    }
}

TEST_F(FlushRequestTest, consecutiveFailuresBackOffExponentially)
{
    // The jitter source is pinned to 7.
    server.setDefaultReply(reply(500, ""));
    const double expected[] = { 0, 127, 247, 487, 600, 600, 600 };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_FALSE(send());
        EXPECT_EQ(request.networkConsecutiveFailures(), static_cast<int>(i + 1));
        EXPECT_EQ(request.networkRequestsAllowedAfterTime(), kStart + expected[i]);
    }
    // A success clears the count and with it the back-off.
    server.setDefaultReply(reply(200, "1"));
    EXPECT_TRUE(send());
    EXPECT_EQ(request.networkConsecutiveFailures(), 0);
    EXPECT_EQ(request.networkRequestsAllowedAfterTime(), kStart);
}

TEST_F(FlushRequestTest, jitterSpansZeroToTwentyNine)
{
    auto spread = std::make_shared<SequenceTallyRandom>(std::vector<std::uint32_t> { 0, 29, 30, 59 });
    FlushRequest jittered(server.baseUrl(), clock, spread);
    jittered.setRequestTimeout(5s);
    server.setDefaultReply(reply(500, ""));
    const double expected[] = { 120, 120 + 29, 120, 120 + 29 };
    for (double seconds : expected) {
        jittered.setNetworkConsecutiveFailures(1);
        jittered.sendRequest(kBatch, FlushType::Events, true, {}, {}, false);
        EXPECT_EQ(jittered.networkRequestsAllowedAfterTime(), kStart + seconds);
    }
}

TEST_F(FlushRequestTest, theLongerOfRetryAfterAndBackOffWins)
{
    request.setNetworkConsecutiveFailures(1);
    server.enqueueReply(reply(503, "", { { "Retry-After", "1000" } }));
    send();
    EXPECT_EQ(request.networkRequestsAllowedAfterTime(), kStart + 1000); // beyond the 600 cap

    request.setNetworkConsecutiveFailures(1);
    server.enqueueReply(reply(503, "", { { "Retry-After", "10" } }));
    send();
    EXPECT_EQ(request.networkRequestsAllowedAfterTime(), kStart + 127);
}

TEST_F(FlushRequestTest, retryAfterOnSuccessGatesTheNextRequest)
{
    server.enqueueReply(reply(200, "1", { { "Retry-After", "3600" } }));
    EXPECT_TRUE(send());
    EXPECT_EQ(request.networkConsecutiveFailures(), 0);
    EXPECT_TRUE(request.requestNotAllowed());
    clock.get()->advance(3599.5);
    EXPECT_TRUE(request.requestNotAllowed());
    clock.get()->advance(0.5); // equality allows
    EXPECT_FALSE(request.requestNotAllowed());
}

TEST_F(FlushRequestTest, aTimedOutRequestIsNotDelivered)
{
    request.setRequestTimeout(250ms);
    server.enqueueReply(ScriptedReply { 200, {}, "1", true });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(send());
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(request.networkConsecutiveFailures(), 1);
    EXPECT_EQ(request.networkRequestsAllowedAfterTime(), kStart);
}

TEST_F(FlushRequestTest, theResponseWaitBoundsTheRequestToo)
{
    request.setRequestTimeout(60s);
    request.setResponseWait(250ms);
    server.enqueueReply(ScriptedReply { 200, {}, "1", true });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(send());
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
}

TEST_F(FlushRequestTest, anUnbuildableServerURLFailsAtOnceAndKeepsTheBackOffState)
{
    test::TallyLogCapture capture;
    request.setServerURL("http://bad host");
    request.setRequestTimeout(60s);
    request.setNetworkConsecutiveFailures(3);
    request.setNetworkRequestsAllowedAfterTime(kStart - 1);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(send());
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    EXPECT_EQ(request.networkConsecutiveFailures(), 3);
    EXPECT_EQ(request.networkRequestsAllowedAfterTime(), kStart - 1);
    EXPECT_EQ(capture.count(TallyLogLevel::Error, "http://bad host"), 1u);
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST(FlushRequestParsing, decimalIntegers)
{
    const std::pair<const char *, std::optional<std::int64_t>> cases[] = {
        { "0", 0 },
        { "1", 1 },
        { "+1", 1 },
        { "-1", -1 },
        { "007", 7 },
        { "9223372036854775807", INT64_MAX },
        { "-9223372036854775808", INT64_MIN },
        { "9223372036854775808", std::nullopt },
        { "-9223372036854775809", std::nullopt },
        { "", std::nullopt },
        { "+", std::nullopt },
        { "-", std::nullopt },
        { " 1", std::nullopt },
        { "1 ", std::nullopt },
        { "1.0", std::nullopt },
        { "0x1", std::nullopt },
        { "+-1", std::nullopt },
        { "\xFF", std::nullopt },
    };
    for (const auto &[text, value] : cases) {
        const std::string s(text);
        EXPECT_EQ(FlushRequest::parseDecimalInteger(ByteBuffer(s.begin(), s.end())), value) << text;
    }
}
