#pragma once

#include "analytics/FlushType.h"
#include "analytics/Network.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brimlark {

class TallyClock;
class TallyRandom;

// Sends one encoded batch to its endpoint, judges the answer and keeps the back-off state: the
// failures in a row and the moment before which no further batch may go out.
class FlushRequest : public Network
{
public:
    // The longest a caller waits for one batch's verdict.
    static constexpr std::chrono::milliseconds defaultResponseWait { 120000 };
    static constexpr int gzipLevel = -1;

    // The clock times the back-off; the random source spreads its retries.
    FlushRequest(
        std::string serverURL, std::shared_ptr<TallyClock> clock, std::shared_ptr<TallyRandom> random);
    ~FlushRequest() override;

    // Seconds since 1970; no batch is sent before it.
    double networkRequestsAllowedAfterTime() const { return m_networkRequestsAllowedAfterTime.load(); }
    void setNetworkRequestsAllowedAfterTime(double secondsSince1970)
    {
        m_networkRequestsAllowedAfterTime.store(secondsSince1970);
    }
    int networkConsecutiveFailures() const { return m_networkConsecutiveFailures.load(); }
    void setNetworkConsecutiveFailures(int failures) { m_networkConsecutiveFailures.store(failures); }

    // Sends the batch's JSON text and returns whether it was delivered. Blocks until the answer
    // or the end of the wait. Event batches are gzipped when asked; other kinds never are.
    bool sendRequest(const std::string &requestData, FlushType type, bool useIP, const HTTPHeaders &headers,
        const std::vector<URLQueryItem> &queryItems, bool useGzipCompression);

    // True while now lies before the allowed-after time; at equality sending is allowed.
    bool requestNotAllowed() const;

    // The per-request time-out of the transfer and the caller's overall wait; the shorter bounds
    // each batch. Tests shorten them.
    void setRequestTimeout(std::chrono::milliseconds timeout) { m_requestTimeout.store(timeout.count()); }
    std::chrono::milliseconds requestTimeout() const
    {
        return std::chrono::milliseconds(m_requestTimeout.load());
    }
    void setResponseWait(std::chrono::milliseconds wait) { m_responseWait.store(wait.count()); }
    std::chrono::milliseconds responseWait() const
    {
        return std::chrono::milliseconds(m_responseWait.load());
    }

    // An answer body as the service writes it: an optional "+" or "-" and decimal digits, nothing
    // else, within the signed 64-bit range.
    static std::optional<std::int64_t> parseDecimalInteger(const ByteBuffer &body);
    // A "Retry-After" value in seconds: a decimal number, fraction allowed; nothing for any other
    // text, and for values that are not finite or are negative.
    static std::optional<double> parseRetryAfter(std::string_view value);

private:
    void flushRequestHandler(
        const std::string &base, const Resource<std::int64_t> &resource, bool &delivered);
    void updateRetryDelay(const std::optional<HTTPURLResponse> &response);

    std::shared_ptr<TallyClock> m_clock;
    std::shared_ptr<TallyRandom> m_random;
    // Written by the answer's handler, read by the gate; each is one value read and written whole.
    std::atomic<double> m_networkRequestsAllowedAfterTime { 0 };
    std::atomic<int> m_networkConsecutiveFailures { 0 };
    std::atomic<std::chrono::milliseconds::rep> m_requestTimeout { defaultRequestTimeout.count() };
    std::atomic<std::chrono::milliseconds::rep> m_responseWait { defaultResponseWait.count() };
};

} // namespace brimlark
