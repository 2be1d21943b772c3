#include "analytics/Network.h"

#include "LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include <link.h>

using namespace brimlark;
using brimlark::test::LoopbackHttpServer;
using brimlark::test::ScriptedReply;

namespace {

using namespace std::chrono_literals;

struct Outcome
{
    bool started = false;
    int calls = 0;
    std::optional<Reason> failure;
    std::optional<long long> value;
    std::optional<HTTPURLResponse> response;
    std::optional<ByteBuffer> data;
};

std::optional<long long> parseDigits(const ByteBuffer &bytes)
{
    if (bytes.empty()) {
        return std::nullopt;
    }
    long long value = 0;
    for (std::uint8_t b : bytes) {
        if (b < '0' || b > '9') {
            return std::nullopt;
        }
        value = value * 10 + (b - '0');
    }
    return value;
}

Resource<long long> postResource(std::string path = "/track/", std::string body = "[]",
    std::optional<std::vector<URLQueryItem>> items = std::nullopt,
    HTTPHeaders headers = { { "Content-Type", "application/json" } })
{
    return Network::buildResource<long long>(std::move(path), RequestMethod::Post,
        ByteBuffer(body.begin(), body.end()), std::move(items), std::move(headers), parseDigits);
}

Outcome run(
    const std::string &base, const Resource<long long> &resource, std::chrono::milliseconds timeout = 5s)
{
    Outcome outcome;
    outcome.started = Network::apiRequest<long long>(
        base, resource,
        [&](const Reason &reason, const std::optional<ByteBuffer> &data,
            const std::optional<HTTPURLResponse> &response) {
            ++outcome.calls;
            outcome.failure = reason;
            outcome.data = data;
            outcome.response = response;
        },
        [&](const long long &value, const std::optional<HTTPURLResponse> &response) {
            ++outcome.calls;
            outcome.value = value;
            outcome.response = response;
        },
        timeout);
    return outcome;
}

} // namespace

TEST(NetworkURL, joinsBasePathAndQueryAsText)
{
    struct Case
    {
        const char *base;
        const char *path;
        std::optional<std::vector<URLQueryItem>> items;
        const char *expected;
    };
    const Case cases[] = {
        // A base without a path keeps the resource path as it is; one ending in "/" doubles the slash.
        { "https://api.example.test", "/track/", std::nullopt, "https://api.example.test/track/" },
        { "https://api.example.test/", "/track/", std::nullopt, "https://api.example.test//track/" },
        { "https://api.example.test/x", "/track/", std::nullopt, "https://api.example.test/x/track/" },
        { "https://api.example.test:8443/proxy/", "/engage/", std::nullopt,
            "https://api.example.test:8443/proxy//engage/" },
        // The base's own query and fragment give way to the request's.
        { "https://api.example.test/x?old=1#frag", "/track/", std::vector<URLQueryItem> { { "ip", "1" } },
            "https://api.example.test/x/track/?ip=1" },
        { "http://127.0.0.1:8080", "/groups/", std::vector<URLQueryItem> {},
            "http://127.0.0.1:8080/groups/" },
        { "http://user@[::1]:9000", "/track/", std::nullopt, "http://user@[::1]:9000/track/" },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Network::buildURL(c.base, c.path, c.items).value_or("<none>"), c.expected) << c.base;
    }
}

bool libcurlLoaded()
{
    return dl_iterate_phdr(
               [](dl_phdr_info *info, size_t, void *) {
                   return info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "libcurl") != nullptr
                       ? 1
                       : 0;
               },
               nullptr)
        != 0;
}

// Most runs send nothing: the library and all it needs load with the first request built. Looked
// at in a process of its own, started afresh.
TEST(NetworkURL, libcurlLoadsWithTheFirstRequest)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const bool atStart = libcurlLoaded();
            const bool built
                = Network::buildURL("http://127.0.0.1:8080", "/track/", std::nullopt).has_value();
            std::exit(!atStart && built && libcurlLoaded() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(NetworkURL, refusesBasesThatAreNoURL)
{
    const char *bases[] = { "", "api.example.test", "://host", "http://", "http:///path", "1http://host",
        "http://host:99999", "http://ho st", "http://host/pa th", "http://host\n/", "no scheme at all" };
    for (const char *base : bases) {
        EXPECT_FALSE(Network::buildURL(base, "/track/", std::nullopt).has_value()) << base;
    }
}

TEST(NetworkURL, encodesQueryItemsInOrder)
{
    const std::vector<URLQueryItem> items = {
        { "ip", "1" },
        { "a+b", "1+1=2" }, // "+" always goes out as %2B, never as a space
        { "sp ace", "x&y" }, // separators inside an item are encoded
        { "bare", std::nullopt }, // a name without a value has no "="
        { "empty", "" },
        { "keep", "-._~:/?@!$'()*,;" },
        { "utf8", "\xC3\xA9" },
        { "hash", "#" },
    };
    EXPECT_EQ(Network::percentEncodedQuery(items),
        "ip=1&a%2Bb=1%2B1%3D2&sp%20ace=x%26y&bare&empty=&keep=-._~:/?@!$'()*,;&utf8=%C3%A9&hash=%23");
}

TEST(RequestMethod, rawValuesAndWireNames)
{
    EXPECT_EQ(rawValue(RequestMethod::Get), "get");
    EXPECT_EQ(rawValue(RequestMethod::Post), "post");
    EXPECT_EQ(wireName(RequestMethod::Get), "GET");
    EXPECT_EQ(wireName(RequestMethod::Post), "POST");
    EXPECT_EQ(requestMethodFromRawValue("get"), RequestMethod::Get);
    EXPECT_EQ(requestMethodFromRawValue("post"), RequestMethod::Post);
    for (const char *raw : { "POST", "Post", "put", "", " post" }) {
        EXPECT_FALSE(requestMethodFromRawValue(raw).has_value()) << raw;
    }
}

TEST(Reason, printedForms)
{
    EXPECT_EQ(Reason::notOKStatusCode(503).description(), "notOKStatusCode(statusCode: 503)");
    EXPECT_EQ(Reason::other("Timeout was reached").description(), "other(Timeout was reached)");
    EXPECT_EQ(Reason::parseError().description(), "parseError");
    EXPECT_EQ(Reason::noData().description(), "noData");
}

TEST(NetworkRequest, postsOnTheWireWithPathQueryHeadersAndBody)
{
    LoopbackHttpServer server;
    ASSERT_TRUE(server.isListening());
    const std::string body = R"([{"event":"App Opened"}])";
    const Outcome outcome = run(server.baseUrl(),
        postResource("/track/", body, std::vector<URLQueryItem> { { "ip", "0" }, { "x", "a+b" } },
            { { "Content-Type", "application/json" }, { "X-Extra", "yes" } }));
    ASSERT_TRUE(outcome.started);
    EXPECT_EQ(outcome.calls, 1);
    ASSERT_EQ(server.requestCount(), 1u);
    const auto request = server.requests()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/track/");
    EXPECT_EQ(request.query, "ip=0&x=a%2Bb");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    EXPECT_EQ(request.header("X-Extra"), "yes");
    EXPECT_FALSE(request.header("Expect").has_value());
    EXPECT_EQ(request.body, body);
    // A base ending in "/" sends the double slash.
    run(server.baseUrl() + "/", postResource("/track/"));
    ASSERT_EQ(server.requestCount(), 2u);
    EXPECT_EQ(server.requests()[1].path, "//track/");
}

// Each name goes out once; a field that would split the request is left out.
TEST(NetworkRequest, headerFieldsAreSetOncePerNameAndNeverSplitTheRequest)
{
    LoopbackHttpServer server;
    run(server.baseUrl(),
        postResource("/track/", "[]", std::nullopt,
            { { "Content-Type", "text/plain" }, { "content-type", "application/x-ndjson" } }));
    const Outcome outcome = run(server.baseUrl(),
        postResource("/track/", "[]", std::nullopt,
            { { "X-Good", "fine" }, { "X-Evil", "a\r\nX-Injected: 1" }, { "Bad Name", "v" } }));
    EXPECT_TRUE(outcome.value.has_value());
    ASSERT_EQ(server.requestCount(), 2u);
    EXPECT_EQ(server.requests()[0].headerCount("Content-Type"), 1u);
    const auto request = server.requests()[1];
    EXPECT_EQ(request.header("X-Good"), "fine");
    EXPECT_FALSE(request.header("X-Injected").has_value());
    EXPECT_FALSE(request.header("X-Evil").has_value());
}

TEST(NetworkRequest, classifiesAnswers)
{
    struct Case
    {
        const char *name;
        int status;
        const char *body;
        std::optional<long long> value;
        std::optional<Reason::Kind> failure;
        long failureStatus;
    };
    const Case cases[] = {
        { "accepted", 200, "1", 1, std::nullopt, 0 },
        { "acceptedZero", 200, "0", 0, std::nullopt, 0 },
        { "acceptedLarge", 200, "50", 50, std::nullopt, 0 },
        { "trailingNewline", 200, "1\n", std::nullopt, Reason::Kind::ParseError, 0 },
        { "notANumber", 200, "OK", std::nullopt, Reason::Kind::ParseError, 0 },
        { "emptyBody", 200, "", std::nullopt, Reason::Kind::ParseError, 0 },
        { "noContent", 204, "", std::nullopt, Reason::Kind::NotOKStatusCode, 204 },
        { "unavailable", 503, "1", std::nullopt, Reason::Kind::NotOKStatusCode, 503 },
        { "badRequest", 400, "0", std::nullopt, Reason::Kind::NotOKStatusCode, 400 },
        { "redirectIsNotFollowed", 302, "", std::nullopt, Reason::Kind::NotOKStatusCode, 302 },
    };
    LoopbackHttpServer server;
    for (const Case &c : cases) {
        server.enqueueReply(
            ScriptedReply { c.status, { { "Location", server.baseUrl() + "/elsewhere" } }, c.body, false });
        const Outcome outcome = run(server.baseUrl(), postResource());
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(outcome.started);
        EXPECT_EQ(outcome.calls, 1);
        EXPECT_EQ(outcome.value, c.value);
        ASSERT_EQ(outcome.failure.has_value(), c.failure.has_value());
        if (c.failure) {
            EXPECT_EQ(outcome.failure->kind, *c.failure);
            EXPECT_EQ(outcome.failure->statusCode, c.failureStatus);
        }
        ASSERT_TRUE(outcome.response.has_value());
        EXPECT_EQ(outcome.response->statusCode, c.status);
    }
    EXPECT_EQ(server.requestCount(), std::size(cases));
}

TEST(NetworkRequest, responseFieldsAreFoundWhateverTheirCase)
{
    LoopbackHttpServer server;
    server.enqueueReply(ScriptedReply { 503, { { "rEtRy-AfTeR", "30" } }, "", false });
    const Outcome outcome = run(server.baseUrl(), postResource());
    ASSERT_TRUE(outcome.response.has_value());
    EXPECT_EQ(outcome.response->value("Retry-After"), "30");
    EXPECT_EQ(outcome.response->value("retry-after"), "30");
    EXPECT_FALSE(outcome.response->value("Retry").has_value());
}

TEST(NetworkRequest, timeOutEndsInOtherWithTheTransferError)
{
    LoopbackHttpServer server;
    server.enqueueReply(ScriptedReply { 200, {}, "1", true });
    const auto started = std::chrono::steady_clock::now();
    const Outcome outcome = run(server.baseUrl(), postResource(), 300ms);
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_TRUE(outcome.started);
    EXPECT_EQ(outcome.calls, 1);
    ASSERT_TRUE(outcome.failure.has_value());
    EXPECT_EQ(outcome.failure->kind, Reason::Kind::Other);
    EXPECT_FALSE(outcome.failure->error.empty());
    EXPECT_FALSE(outcome.response.has_value());
    EXPECT_LT(elapsed, 5s);
    // The request did reach the server; only the answer was missing.
    EXPECT_EQ(server.requestCount(), 1u);
    // The next request on the same thread gets a fresh connection and goes through.
    EXPECT_EQ(run(server.baseUrl(), postResource()).value, 1);
}

TEST(NetworkRequest, aRefusedConnectionOrAnUnsupportedSchemeEndsInOther)
{
    std::string refused;
    {
        LoopbackHttpServer server;
        refused = server.baseUrl();
    }
    for (const std::string &base : { refused, std::string("ftp://127.0.0.1:1") }) {
        const Outcome outcome = run(base, postResource(), 2s);
        EXPECT_TRUE(outcome.started) << base;
        ASSERT_TRUE(outcome.failure.has_value()) << base;
        EXPECT_EQ(outcome.failure->kind, Reason::Kind::Other) << base;
        EXPECT_FALSE(outcome.response.has_value()) << base;
    }
}

TEST(NetworkRequest, unbuildableURLRunsNoCallbackAndReturnsAtOnce)
{
    const auto started = std::chrono::steady_clock::now();
    const Outcome outcome = run("not a url", postResource(), 60s);
    EXPECT_FALSE(outcome.started);
    EXPECT_EQ(outcome.calls, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
}

TEST(NetworkRequest, keepsConnectionsAcrossRequests)
{
    LoopbackHttpServer server;
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(run(server.baseUrl(), postResource()).value, 1) << i;
    }
    EXPECT_EQ(server.requestCount(), 20u);
}

TEST(LoopbackHttpServer, stopsByItselfAfterItsRequestBudget)
{
    LoopbackHttpServer server(LoopbackHttpServer::Limits { std::chrono::milliseconds(10000), 2 });
    EXPECT_EQ(run(server.baseUrl(), postResource()).value, 1);
    EXPECT_EQ(run(server.baseUrl(), postResource()).value, 1);
    const Outcome third = run(server.baseUrl(), postResource(), 2s);
    ASSERT_TRUE(third.failure.has_value());
    EXPECT_EQ(third.failure->kind, Reason::Kind::Other);
    EXPECT_TRUE(server.waitUntilStopped(2s));
    EXPECT_EQ(server.requestCount(), 2u);
}
