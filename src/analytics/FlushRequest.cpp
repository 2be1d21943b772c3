#include "analytics/FlushRequest.h"

#include "analytics/DataCompression.h"
#include "analytics/TallyClock.h"
#include "analytics/TallyLogger.h"
#include "analytics/TallyRandom.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace brimlark {

namespace {

constexpr std::string_view kSendRequest = "sendRequest(_:type:useIP:headers:queryItems:useGzipCompression:)";
constexpr std::string_view kHandler = "flushRequestHandler(_:resource:completion:)";

constexpr double kMinimumBackoff = 60;
constexpr double kMaximumBackoff = 600;
constexpr std::uint32_t kBackoffJitter = 30;

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

// Sets a field so that no other spelling of its name stays beside it.
void setField(HTTPHeaders &headers, const std::string &name, const std::string &value)
{
    std::erase_if(headers, [&](const auto &field) { return equalsIgnoringCase(field.first, name); });
    headers[name] = value;
}

bool hasField(const HTTPHeaders &headers, std::string_view name)
{
    return std::any_of(headers.begin(), headers.end(),
        [&](const auto &field) { return equalsIgnoringCase(field.first, name); });
}

} // namespace

FlushRequest::FlushRequest(
    std::string serverURL, std::shared_ptr<TallyClock> clock, std::shared_ptr<TallyRandom> random)
    : Network(std::move(serverURL))
    , m_clock(std::move(clock))
    , m_random(std::move(random))
{
}

FlushRequest::~FlushRequest() = default;

bool FlushRequest::sendRequest(const std::string &requestData, FlushType type, bool useIP,
    const HTTPHeaders &headers, const std::vector<URLQueryItem> &queryItems, bool useGzipCompression)
{
    // The caller's fields win over the default, whatever their spelling.
    HTTPHeaders requestHeaders = headers;
    if (!hasField(requestHeaders, "Content-Type")) {
        requestHeaders["Content-Type"] = "application/json";
    }

    ByteBuffer body(requestData.begin(), requestData.end());
    if (useGzipCompression && type == FlushType::Events && !body.empty()) {
        try {
            body = DataCompression::gzipCompressed(std::span<const std::uint8_t>(body), gzipLevel);
            setField(requestHeaders, "Content-Encoding", "gzip");
        } catch (const GzipError &error) {
            TallyLogger::error(
                std::string("Failed to compress data with gzip: ") + error.what(), kSendRequest);
        }
    }

    std::vector<URLQueryItem> items;
    items.reserve(queryItems.size() + 1);
    items.push_back({ "ip", std::string(useIP ? "1" : "0") });
    items.insert(items.end(), queryItems.begin(), queryItems.end());

    const Resource<std::int64_t> resource
        = buildResource<std::int64_t>(std::string(endpointPath(type)), RequestMethod::Post, std::move(body),
            std::move(items), std::move(requestHeaders), &FlushRequest::parseDecimalInteger);

    bool delivered = false;
    flushRequestHandler(serverURL(), resource, delivered);
    return delivered;
}

void FlushRequest::flushRequestHandler(
    const std::string &base, const Resource<std::int64_t> &resource, bool &delivered)
{
    const auto timeout = std::min(requestTimeout(), responseWait());
    const bool started = apiRequest<std::int64_t>(
        base, resource,
        [&](const Reason &reason, const std::optional<ByteBuffer> &,
            const std::optional<HTTPURLResponse> &response) {
            m_networkConsecutiveFailures.fetch_add(1);
            updateRetryDelay(response);
            TallyLogger::warn(
                [&] {
                    return "API request to " + resource.path + " has failed with reason "
                        + reason.description();
                },
                kHandler);
            delivered = false;
        },
        [&](const std::int64_t &result, const std::optional<HTTPURLResponse> &response) {
            m_networkConsecutiveFailures.store(0);
            updateRetryDelay(response);
            if (result == 0) {
                TallyLogger::info([&] { return base + " api rejected some items"; }, kHandler);
            }
            delivered = true;
        },
        timeout);
    if (!started) {
        // No request can ever be made from this base; say so now instead of letting the caller
        // wait. The service gave no answer, so the back-off state stays as it is.
        TallyLogger::error(
            [&] { return "Cannot build a request URL from the server URL \"" + base + "\""; }, kHandler);
        delivered = false;
    }
}

void FlushRequest::updateRetryDelay(const std::optional<HTTPURLResponse> &response)
{
    double retry = 0;
    if (response) {
        if (const std::optional<std::string> value = response->value("Retry-After")) {
            retry = parseRetryAfter(*value).value_or(0);
        }
    }
    const int failures = m_networkConsecutiveFailures.load();
    if (failures >= 2) {
        double backoff = std::ldexp(60.0, std::min(failures - 1, 64)) + m_random->uniform(kBackoffJitter);
        backoff = std::clamp(backoff, kMinimumBackoff, kMaximumBackoff);
        retry = std::max(retry, backoff);
    }
    m_networkRequestsAllowedAfterTime.store(m_clock->now() + retry);
}

bool FlushRequest::requestNotAllowed() const
{
    return m_clock->now() < m_networkRequestsAllowedAfterTime.load();
}

std::optional<std::int64_t> FlushRequest::parseDecimalInteger(const ByteBuffer &body)
{
    std::string_view text(reinterpret_cast<const char *>(body.data()), body.size());
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    // Parsed as the magnitude so that the most negative value still fits.
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    constexpr auto maximum = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (!negative) {
        if (magnitude > maximum) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(magnitude);
    }
    if (magnitude > maximum + 1) {
        return std::nullopt;
    }
    return magnitude == maximum + 1 ? std::numeric_limits<std::int64_t>::min()
                                    : -static_cast<std::int64_t>(magnitude);
}

std::optional<double> FlushRequest::parseRetryAfter(std::string_view value)
{
    if (value.size() > 1 && value.front() == '+' && value[1] != '-' && value[1] != '+') {
        value.remove_prefix(1);
    }
    if (value.empty()) {
        return std::nullopt;
    }
    double seconds = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (error != std::errc() || end != value.data() + value.size()) {
        return std::nullopt;
    }
    // "inf", "nan" and negative delays would stop delivery for good or mean nothing.
    if (!std::isfinite(seconds) || seconds < 0) {
        return std::nullopt;
    }
    return seconds;
}

} // namespace brimlark
