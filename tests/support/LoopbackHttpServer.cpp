#include "LoopbackHttpServer.h"

#include <zlib.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <list>

namespace brimlark::test {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxHeadBytes = 64 * 1024;
constexpr std::size_t kMaxBodyBytes = 64 * 1024 * 1024;
constexpr std::size_t kMaxConnections = 64;

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string percentDecoded(std::string_view text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0
            && hexValue(text[i + 2]) >= 0) {
            result += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            result += text[i];
        }
    }
    return result;
}

// Inflates one gzip member; clean only when the whole body was exactly one valid member.
std::string inflateGzip(const std::string &body, bool &clean)
{
    clean = false;
    z_stream stream {};
    if (inflateInit2(&stream, 15 + 16) != Z_OK) {
        return {};
    }
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(body.data()));
    stream.avail_in = static_cast<uInt>(body.size());
    std::string output;
    char chunk[16384];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(chunk);
        stream.avail_out = sizeof chunk;
        result = inflate(&stream, Z_NO_FLUSH);
        output.append(chunk, sizeof chunk - stream.avail_out);
        if (result == Z_BUF_ERROR && stream.avail_in == 0) {
            break; // truncated input
        }
    }
    clean = result == Z_STREAM_END && stream.avail_in == 0;
    inflateEnd(&stream);
    return output;
}

std::string_view reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 429:
        return "Too Many Requests";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

bool sendAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

} // namespace

std::optional<std::string> RecordedRequest::header(std::string_view name) const
{
    for (const auto &[fieldName, value] : headers) {
        if (equalsIgnoringCase(fieldName, name)) {
            return value;
        }
    }
    return std::nullopt;
}

std::size_t RecordedRequest::headerCount(std::string_view name) const
{
    return static_cast<std::size_t>(std::count_if(headers.begin(), headers.end(),
        [&](const auto &field) { return equalsIgnoringCase(field.first, name); }));
}

std::vector<std::pair<std::string, std::optional<std::string>>> RecordedRequest::queryItems() const
{
    std::vector<std::pair<std::string, std::optional<std::string>>> items;
    if (!hasQuery) {
        return items;
    }
    std::string_view rest = query;
    while (true) {
        const std::size_t amp = rest.find('&');
        const std::string_view item = rest.substr(0, amp);
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos) {
            items.emplace_back(percentDecoded(item), std::nullopt);
        } else {
            items.emplace_back(percentDecoded(item.substr(0, eq)), percentDecoded(item.substr(eq + 1)));
        }
        if (amp == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(amp + 1);
    }
    return items;
}

struct LoopbackHttpServer::Connection
{
    int fd = -1;
    std::string buffer;
    std::optional<Clock::time_point> firstByte;
    bool withheld = false;
};

LoopbackHttpServer::LoopbackHttpServer()
    : LoopbackHttpServer(Limits {})
{
}

LoopbackHttpServer::LoopbackHttpServer(Limits limits)
    : m_limits(limits)
{
    if (::pipe2(m_wakeFds, O_CLOEXEC) != 0) {
        m_wakeFds[0] = m_wakeFds[1] = -1;
        m_stopped = true;
        return;
    }
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (m_listenFd < 0 || ::bind(m_listenFd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_listenFd, 16) != 0
        || ::getsockname(m_listenFd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        if (m_listenFd >= 0) {
            ::close(m_listenFd);
            m_listenFd = -1;
        }
        m_stopped = true;
        return;
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { run(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    stop();
    if (m_wakeFds[0] >= 0) {
        ::close(m_wakeFds[0]);
        ::close(m_wakeFds[1]);
    }
}

std::string LoopbackHttpServer::baseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(m_port);
}

void LoopbackHttpServer::enqueueReply(ScriptedReply reply)
{
    std::lock_guard guard(m_mutex);
    m_replies.push_back(std::move(reply));
}

void LoopbackHttpServer::setDefaultReply(ScriptedReply reply)
{
    std::lock_guard guard(m_mutex);
    m_defaultReply = std::move(reply);
}

std::vector<RecordedRequest> LoopbackHttpServer::requests() const
{
    std::lock_guard guard(m_mutex);
    return m_requests;
}

std::size_t LoopbackHttpServer::requestCount() const
{
    std::lock_guard guard(m_mutex);
    return m_requests.size();
}

bool LoopbackHttpServer::waitForRequests(std::size_t n, std::chrono::milliseconds timeout) const
{
    std::unique_lock guard(m_mutex);
    return m_changed.wait_for(guard, timeout, [&] { return m_requests.size() >= n; });
}

bool LoopbackHttpServer::hasStopped() const
{
    std::lock_guard guard(m_mutex);
    return m_stopped;
}

bool LoopbackHttpServer::waitUntilStopped(std::chrono::milliseconds timeout) const
{
    std::unique_lock guard(m_mutex);
    return m_changed.wait_for(guard, timeout, [&] { return m_stopped; });
}

void LoopbackHttpServer::stop()
{
    if (m_thread.joinable()) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wakeFds[1], &byte, 1);
        m_thread.join();
    }
}

ScriptedReply LoopbackHttpServer::nextReply()
{
    std::lock_guard guard(m_mutex);
    if (m_replies.empty()) {
        return m_defaultReply;
    }
    ScriptedReply reply = std::move(m_replies.front());
    m_replies.pop_front();
    return reply;
}

void LoopbackHttpServer::run()
{
    const Clock::time_point deadline = Clock::now() + m_limits.lifetime;
    std::list<Connection> connections;
    while (true) {
        {
            std::lock_guard guard(m_mutex);
            if (m_answered >= m_limits.maxRequests) {
                break;
            }
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            break;
        }
        std::vector<pollfd> fds;
        fds.push_back({ m_wakeFds[0], POLLIN, 0 });
        fds.push_back({ m_listenFd, POLLIN, 0 });
        for (const Connection &connection : connections) {
            fds.push_back({ connection.fd, POLLIN, 0 });
        }
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        const int ready
            = ::poll(fds.data(), fds.size(), static_cast<int>(std::clamp<long long>(remaining + 1, 1, 1000)));
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if (ready <= 0) {
            continue;
        }
        if (fds[0].revents != 0) {
            break;
        }
        auto it = connections.begin();
        for (std::size_t i = 2; i < fds.size(); ++i, ++it) {
            if (fds[i].revents == 0) {
                continue;
            }
            char chunk[65536];
            const ssize_t received = ::recv(it->fd, chunk, sizeof chunk, 0);
            bool keep = received > 0;
            if (keep && !it->withheld) {
                if (!it->firstByte) {
                    it->firstByte = Clock::now();
                }
                it->buffer.append(chunk, static_cast<std::size_t>(received));
                keep = serve(*it);
            }
            if (!keep) {
                ::close(it->fd);
                it->fd = -1;
            }
        }
        connections.remove_if([](const Connection &connection) { return connection.fd < 0; });
        if ((fds[1].revents & POLLIN) != 0) {
            const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                if (connections.size() >= kMaxConnections) {
                    ::close(fd);
                } else {
                    connections.push_back(Connection { fd, {}, std::nullopt, false });
                }
            }
        }
    }
    for (Connection &connection : connections) {
        ::close(connection.fd);
    }
    ::close(m_listenFd);
    m_listenFd = -1;
    std::lock_guard guard(m_mutex);
    m_stopped = true;
    m_changed.notify_all();
}

bool LoopbackHttpServer::serve(Connection &connection)
{
    while (true) {
        const std::size_t headEnd = connection.buffer.find("\r\n\r\n");
        if (headEnd == std::string::npos) {
            if (connection.buffer.size() > kMaxHeadBytes) {
                sendAll(connection.fd,
                    "HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Length: 0\r\n\r\n");
                return false;
            }
            return true;
        }
        const std::string_view head(connection.buffer.data(), headEnd);
        RecordedRequest request;
        std::size_t lineEnd = head.find("\r\n");
        const std::string_view requestLine = head.substr(0, lineEnd);
        const std::size_t firstSpace = requestLine.find(' ');
        const std::size_t secondSpace = requestLine.rfind(' ');
        if (firstSpace == std::string_view::npos || secondSpace == firstSpace) {
            sendAll(connection.fd, "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
            return false;
        }
        request.method = std::string(requestLine.substr(0, firstSpace));
        request.target = std::string(requestLine.substr(firstSpace + 1, secondSpace - firstSpace - 1));
        request.version = std::string(requestLine.substr(secondSpace + 1));
        const std::size_t question = request.target.find('?');
        request.path = request.target.substr(0, question);
        request.hasQuery = question != std::string::npos;
        if (request.hasQuery) {
            request.query = request.target.substr(question + 1);
        }
        while (lineEnd != std::string_view::npos) {
            const std::size_t start = lineEnd + 2;
            lineEnd = head.find("\r\n", start);
            const std::string_view line
                = head.substr(start, lineEnd == std::string_view::npos ? head.npos : lineEnd - start);
            const std::size_t colon = line.find(':');
            if (colon == std::string_view::npos) {
                sendAll(connection.fd, "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
                return false;
            }
            request.headers.emplace_back(
                std::string(line.substr(0, colon)), std::string(trimmed(line.substr(colon + 1))));
        }
        if (request.header("Transfer-Encoding")) {
            sendAll(connection.fd, "HTTP/1.1 501 Not Implemented\r\nContent-Length: 0\r\n\r\n");
            return false;
        }
        std::size_t contentLength = 0;
        if (const auto lengthText = request.header("Content-Length")) {
            const auto [end, error]
                = std::from_chars(lengthText->data(), lengthText->data() + lengthText->size(), contentLength);
            if (error != std::errc() || end != lengthText->data() + lengthText->size()
                || contentLength > kMaxBodyBytes) {
                sendAll(connection.fd, "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
                return false;
            }
        }
        if (connection.buffer.size() < headEnd + 4 + contentLength) {
            return true;
        }
        request.body = connection.buffer.substr(headEnd + 4, contentLength);
        connection.buffer.erase(0, headEnd + 4 + contentLength);
        const auto encoding = request.header("Content-Encoding");
        request.gzipped = encoding && equalsIgnoringCase(*encoding, "gzip");
        request.decodedBody
            = request.gzipped ? inflateGzip(request.body, request.inflatedCleanly) : request.body;
        const bool clientCloses = [&] {
            const auto value = request.header("Connection");
            return value && equalsIgnoringCase(*value, "close");
        }();
        const Clock::time_point started = connection.firstByte.value_or(Clock::now());
        connection.firstByte = connection.buffer.empty() ? std::nullopt : std::optional(Clock::now());

        const ScriptedReply reply = nextReply();
        std::size_t index = 0;
        {
            // Recorded before answering, so a client that has its answer always finds its request here.
            std::lock_guard guard(m_mutex);
            index = m_requests.size();
            m_requests.push_back(std::move(request));
            ++m_answered;
            m_changed.notify_all();
        }
        if (reply.withhold) {
            connection.withheld = true;
            return true;
        }
        std::this_thread::sleep_for(reply.delay);
        std::string response = "HTTP/1.1 " + std::to_string(reply.status) + " "
            + std::string(reasonPhrase(reply.status))
            + "\r\nContent-Length: " + std::to_string(reply.body.size()) + "\r\n";
        for (const auto &[name, value] : reply.headers) {
            response += name + ": " + value + "\r\n";
        }
        response += "\r\n";
        response += reply.body;
        const bool sent = sendAll(connection.fd, response);
        {
            std::lock_guard guard(m_mutex);
            m_requests[index].handlingTime = Clock::now() - started;
        }
        if (!sent || clientCloses) {
            return false;
        }
        std::lock_guard guard(m_mutex);
        if (m_answered >= m_limits.maxRequests) {
            return false;
        }
    }
}

} // namespace brimlark::test
