#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace brimlark::test {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// What the server answers to one request.
struct ScriptedReply
{
    int status = 200;
    HeaderList headers; // sent after the server's own Content-Length
    std::string body = "1";
    // Read the request and never answer it: the client has to give up by its own time-out.
    bool withhold = false;
    // Waited before answering, as a distant server takes (every connection waits meanwhile).
    std::chrono::milliseconds delay { 0 };
};

// One request as it arrived.
struct RecordedRequest
{
    std::string method; // as sent on the wire, case kept
    std::string target; // the request target, e.g. "/track/?ip=1"
    std::string path; // the target before "?"
    std::string query; // the raw text after "?", empty when there is none
    bool hasQuery = false;
    std::string version; // "HTTP/1.1"
    HeaderList headers; // in arrival order, values trimmed
    std::string body; // the bytes as received
    // The body after undoing "Content-Encoding: gzip"; the raw body when it is not gzipped.
    std::string decodedBody;
    bool gzipped = false; // "Content-Encoding" said gzip
    bool inflatedCleanly = false; // gzipped and the body was exactly one complete, valid gzip member
    // From the first byte of the request to the last byte of the reply written.
    std::chrono::nanoseconds handlingTime { 0 };

    // First field of that name, compared case-insensitively.
    std::optional<std::string> header(std::string_view name) const;
    // How many fields of that name arrived.
    std::size_t headerCount(std::string_view name) const;
    // The query split at "&" and "=" and percent-decoded, in order; a name without "=" has no value.
    std::vector<std::pair<std::string, std::optional<std::string>>> queryItems() const;
};

// A small HTTP/1.1 server on 127.0.0.1 for tests and benchmarks: an ephemeral port, scripted
// replies in order (then a default reply), every request recorded. It stops by itself when its
// lifetime is over or when it has answered its request budget, so a test that goes wrong can
// never leave it running; the destructor stops it as well.
class LoopbackHttpServer
{
public:
    struct Limits
    {
        std::chrono::milliseconds lifetime { 30000 };
        std::size_t maxRequests = 1000;
    };

    LoopbackHttpServer();
    explicit LoopbackHttpServer(Limits limits);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer &) = delete;
    LoopbackHttpServer &operator=(const LoopbackHttpServer &) = delete;

    // False when no socket could be bound; the server then never answers anything.
    bool isListening() const { return m_port != 0; }
    std::uint16_t port() const { return m_port; }
    // "http://127.0.0.1:<port>", without a path.
    std::string baseUrl() const;

    // Replies are used once each, in the order queued; after them the default reply answers.
    void enqueueReply(ScriptedReply reply);
    void setDefaultReply(ScriptedReply reply);

    std::vector<RecordedRequest> requests() const;
    std::size_t requestCount() const;
    // Waits (at most the timeout) until at least n requests have arrived.
    bool waitForRequests(std::size_t n, std::chrono::milliseconds timeout) const;
    // True once the server has stopped and closed its sockets, on its own or through stop().
    bool hasStopped() const;
    bool waitUntilStopped(std::chrono::milliseconds timeout) const;

    void stop();

private:
    struct Connection;

    void run();
    // Parses and answers every complete request in the connection's buffer; false closes it.
    bool serve(Connection &connection);
    ScriptedReply nextReply();

    Limits m_limits;
    int m_listenFd = -1;
    int m_wakeFds[2] = { -1, -1 };
    std::uint16_t m_port = 0;
    std::thread m_thread;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::deque<ScriptedReply> m_replies;
    ScriptedReply m_defaultReply;
    std::vector<RecordedRequest> m_requests;
    std::size_t m_answered = 0;
    bool m_stopped = false;
};

} // namespace brimlark::test
