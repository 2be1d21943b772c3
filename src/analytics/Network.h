#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brimlark {

using ByteBuffer = std::vector<std::uint8_t>;
// Header fields to set on a request, by name.
using HTTPHeaders = std::map<std::string, std::string>;

// One item of a URL query; an item without a value is written as its bare name.
struct URLQueryItem
{
    std::string name;
    std::optional<std::string> value;

    bool operator==(const URLQueryItem &) const = default;
};

enum class RequestMethod {
    Get,
    Post,
};

// "get" and "post".
std::string_view rawValue(RequestMethod method);
// Exactly "get" or "post"; anything else yields nothing.
std::optional<RequestMethod> requestMethodFromRawValue(std::string_view raw);
// The method as HTTP spells it on the wire: "GET", "POST".
std::string_view wireName(RequestMethod method);

// The final HTTP response of an exchange.
struct HTTPURLResponse
{
    long statusCode = 0;
    std::vector<std::pair<std::string, std::string>> headerFields; // in arrival order, values trimmed

    // The first field of that name; HTTP field names are case-insensitive.
    std::optional<std::string> value(std::string_view name) const;
};

// Why a request failed.
struct Reason
{
    enum class Kind {
        NotOKStatusCode, // an HTTP response with a status other than 200
        Other, // no usable HTTP response, and the transfer reported an error
        ParseError, // status 200, but the body did not parse
        NoData, // no usable HTTP response and no error
    };

    Kind kind = Kind::NoData;
    long statusCode = 0; // NotOKStatusCode
    std::string error; // Other: the transfer's own error text

    static Reason notOKStatusCode(long statusCode) { return { Kind::NotOKStatusCode, statusCode, {} }; }
    static Reason other(std::string error) { return { Kind::Other, 0, std::move(error) }; }
    static Reason parseError() { return { Kind::ParseError, 0, {} }; }
    static Reason noData() { return { Kind::NoData, 0, {} }; }

    // "notOKStatusCode(statusCode: 503)", "other(<error>)", "parseError", "noData".
    std::string description() const;
};

// A request description, generic over what an accepted answer parses into.
template <typename T> struct Resource
{
    std::string path;
    RequestMethod method = RequestMethod::Get;
    std::optional<ByteBuffer> requestBody;
    std::optional<std::vector<URLQueryItem>> queryItems;
    HTTPHeaders headers;
    std::function<std::optional<T>(const ByteBuffer &)> parse;
};

// Extra header fields and query items a host application supplies for its proxy server.
class ServerProxyResource
{
public:
    ServerProxyResource(std::optional<std::vector<URLQueryItem>> queryItems, HTTPHeaders headers)
        : m_queryItems(std::move(queryItems))
        , m_headers(std::move(headers))
    {
    }

    const std::optional<std::vector<URLQueryItem>> &queryItems() const { return m_queryItems; }
    const HTTPHeaders &headers() const { return m_headers; }

private:
    std::optional<std::vector<URLQueryItem>> m_queryItems;
    HTTPHeaders m_headers;
};

// The client's small HTTP layer over libcurl. Requests run synchronously on the calling thread
// (the instance's network queue); each thread keeps one transfer handle so connections to the
// service are reused from batch to batch.
class Network
{
public:
    static constexpr std::chrono::milliseconds defaultRequestTimeout { 60000 };

    using FailureCallback = std::function<void(
        const Reason &, const std::optional<ByteBuffer> &, const std::optional<HTTPURLResponse> &)>;
    template <typename T>
    using SuccessCallback = std::function<void(const T &, const std::optional<HTTPURLResponse> &)>;

    explicit Network(std::string serverURL);
    virtual ~Network();
    Network(const Network &) = delete;
    Network &operator=(const Network &) = delete;

    // While set, transfers under way end at once and new ones fail: a quit that cannot wait for
    // an answer any longer stops them.
    static void setTransfersAborted(bool aborted);

    // Read on the network queue while the owner may set it from elsewhere, hence its own lock.
    std::string serverURL() const;
    void setServerURL(std::string serverURL);

    // Builds and runs the request, then calls exactly one of the callbacks before returning.
    // When no request can be built from the base and the resource, neither runs and the result
    // is false.
    template <typename T>
    static bool apiRequest(const std::string &base, const Resource<T> &resource,
        const FailureCallback &failure, const SuccessCallback<T> &success,
        std::chrono::milliseconds timeout = defaultRequestTimeout)
    {
        const std::optional<Exchange> exchange = perform(base, resource.path, resource.method,
            resource.requestBody, resource.queryItems, resource.headers, timeout);
        if (!exchange) {
            return false;
        }
        if (!exchange->response) {
            failure(exchange->error.empty() ? Reason::noData() : Reason::other(exchange->error),
                exchange->data, exchange->response);
            return true;
        }
        if (exchange->response->statusCode != 200) {
            failure(
                Reason::notOKStatusCode(exchange->response->statusCode), exchange->data, exchange->response);
            return true;
        }
        if (!exchange->data) {
            failure(Reason::noData(), exchange->data, exchange->response);
            return true;
        }
        std::optional<T> value = resource.parse ? resource.parse(*exchange->data) : std::nullopt;
        if (!value) {
            failure(Reason::parseError(), exchange->data, exchange->response);
            return true;
        }
        success(*value, exchange->response);
        return true;
    }

    template <typename T>
    static Resource<T> buildResource(std::string path, RequestMethod method,
        std::optional<ByteBuffer> requestBody, std::optional<std::vector<URLQueryItem>> queryItems,
        HTTPHeaders headers, std::function<std::optional<T>(const ByteBuffer &)> parse)
    {
        return Resource<T> { std::move(path), method, std::move(requestBody), std::move(queryItems),
            std::move(headers), std::move(parse) };
    }

    // The request URL: the base's scheme, authority and path, then the path as text, then the
    // query items (none leaves no query). The base's own query and fragment are dropped. Nothing
    // when the base or the result is not a valid URL.
    static std::optional<std::string> buildURL(std::string_view base, std::string_view path,
        const std::optional<std::vector<URLQueryItem>> &queryItems);
    // The items percent-encoded and joined by "&"; "+" is always written as "%2B".
    static std::string percentEncodedQuery(const std::vector<URLQueryItem> &queryItems);

private:
    struct Exchange
    {
        std::string error; // empty unless the transfer failed
        std::optional<HTTPURLResponse> response; // absent when the transfer failed
        std::optional<ByteBuffer> data;
    };

    // The synchronous transfer; nothing when the request cannot be built.
    static std::optional<Exchange> perform(const std::string &base, std::string_view path,
        RequestMethod method, const std::optional<ByteBuffer> &body,
        const std::optional<std::vector<URLQueryItem>> &queryItems, const HTTPHeaders &headers,
        std::chrono::milliseconds timeout);

    mutable std::mutex m_serverURLMutex;
    std::string m_serverURL;
};

} // namespace brimlark
