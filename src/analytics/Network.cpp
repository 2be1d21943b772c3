#include "analytics/Network.h"

#include <atomic>

#include "analytics/TallyLogger.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <algorithm>

namespace brimlark {

namespace {

// An answer of the service is a short decimal number; anything this large is not one.
constexpr std::size_t kMaxResponseBytes = 1024 * 1024;

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

bool isAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty()
        && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

// Characters a query item keeps as they are: the unreserved ones and the delimiters that carry
// no meaning inside a query item. "&", "=", "+" and "#" are always encoded.
bool isQueryItemSafe(char c)
{
    if (isAlpha(c) || isDigit(c)) {
        return true;
    }
    return std::string_view("-._~!$'()*,;:@/?").find(c) != std::string_view::npos;
}

void appendEncoded(std::string &out, std::string_view text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    for (char c : text) {
        if (isQueryItemSafe(c)) {
            out += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        }
    }
}

// A header name is an HTTP token; a value must not be able to start another header line.
bool isValidHeaderField(std::string_view name, std::string_view value)
{
    if (name.empty()) {
        return false;
    }
    for (char c : name) {
        if (!(isAlpha(c) || isDigit(c)
                || std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos)) {
            return false;
        }
    }
    return std::none_of(
        value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
}

struct BaseParts
{
    std::string_view scheme;
    std::string_view authority;
    std::string_view path;
    std::string_view host;
};

// Splits the base text by hand: libcurl would turn a base without a path into one with "/",
// which changes where the resource path lands.
std::optional<BaseParts> splitBase(std::string_view base)
{
    const std::size_t schemeEnd = base.find("://");
    if (schemeEnd == std::string_view::npos || schemeEnd == 0 || !isAlpha(base.front())) {
        return std::nullopt;
    }
    BaseParts parts;
    parts.scheme = base.substr(0, schemeEnd);
    for (char c : parts.scheme) {
        if (!(isAlpha(c) || isDigit(c) || c == '+' || c == '-' || c == '.')) {
            return std::nullopt;
        }
    }
    std::string_view rest = base.substr(schemeEnd + 3);
    const std::size_t authorityEnd = rest.find_first_of("/?#");
    parts.authority = rest.substr(0, authorityEnd);
    if (parts.authority.empty()) {
        return std::nullopt;
    }
    if (authorityEnd != std::string_view::npos && rest[authorityEnd] == '/') {
        const std::string_view afterAuthority = rest.substr(authorityEnd);
        parts.path = afterAuthority.substr(0, afterAuthority.find_first_of("?#"));
    }
    std::string_view host = parts.authority;
    if (const std::size_t at = host.rfind('@'); at != std::string_view::npos) {
        host.remove_prefix(at + 1);
    }
    if (!host.empty() && host.front() == '[') {
        host = host.substr(1, host.find(']') == std::string_view::npos ? host.npos : host.find(']') - 1);
    } else {
        host = host.substr(0, host.find(':'));
    }
    parts.host = host;
    return parts;
}

bool isLoopbackHost(std::string_view host)
{
    return equalsIgnoringCase(host, "localhost") || host == "::1" || host.starts_with("127.");
}

// libcurl and the many libraries it pulls in are loaded on the first request, not at start:
// most runs never send a batch, and a build without a service never does.
struct Curl
{
    decltype(&curl_global_init) globalInit;
    decltype(&curl_easy_init) easyInit;
    decltype(&curl_easy_cleanup) easyCleanup;
    decltype(&curl_easy_reset) easyReset;
    decltype(&curl_easy_setopt) easySetopt;
    decltype(&curl_easy_perform) easyPerform;
    decltype(&curl_easy_getinfo) easyGetinfo;
    decltype(&curl_easy_strerror) easyStrerror;
    decltype(&curl_slist_append) slistAppend;
    decltype(&curl_slist_free_all) slistFreeAll;
    decltype(&curl_url) url;
    decltype(&curl_url_set) urlSet;
    decltype(&curl_url_cleanup) urlCleanup;
};

template <typename F> bool resolve(void *library, const char *name, F &function)
{
    function = reinterpret_cast<F>(dlsym(library, name));
    return function != nullptr;
}

// The loaded and initialised library, or nothing when it cannot be loaded (never unloaded).
const Curl *curl()
{
    static const std::optional<Curl> s_curl = []() -> std::optional<Curl> {
        void *library = dlopen(BRIMLARK_CURL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            const char *error = dlerror();
            TallyLogger::error(
                std::string("Cannot load libcurl: ") + (error ? error : "unknown error"), "Network");
            return std::nullopt;
        }
        Curl c {};
        const bool resolved = resolve(library, "curl_global_init", c.globalInit)
            && resolve(library, "curl_easy_init", c.easyInit)
            && resolve(library, "curl_easy_cleanup", c.easyCleanup)
            && resolve(library, "curl_easy_reset", c.easyReset)
            && resolve(library, "curl_easy_setopt", c.easySetopt)
            && resolve(library, "curl_easy_perform", c.easyPerform)
            && resolve(library, "curl_easy_getinfo", c.easyGetinfo)
            && resolve(library, "curl_easy_strerror", c.easyStrerror)
            && resolve(library, "curl_slist_append", c.slistAppend)
            && resolve(library, "curl_slist_free_all", c.slistFreeAll) && resolve(library, "curl_url", c.url)
            && resolve(library, "curl_url_set", c.urlSet)
            && resolve(library, "curl_url_cleanup", c.urlCleanup);
        if (!resolved) {
            TallyLogger::error("libcurl lacks a function the client needs", "Network");
            return std::nullopt;
        }
        c.globalInit(CURL_GLOBAL_DEFAULT);
        return c;
    }();
    return s_curl ? &*s_curl : nullptr;
}

// One handle per thread: libcurl keeps its connection cache in the handle, so batches sent from
// the same network queue reuse their connection.
struct ThreadHandle
{
    CURL *handle = nullptr;
    ~ThreadHandle()
    {
        if (handle != nullptr) {
            curl()->easyCleanup(handle);
        }
    }
};

CURL *threadHandle()
{
    thread_local ThreadHandle t;
    if (t.handle == nullptr && curl() != nullptr) {
        t.handle = curl()->easyInit();
    }
    return t.handle;
}

struct Collected
{
    ByteBuffer body;
    std::vector<std::pair<std::string, std::string>> headerFields;
};

size_t writeBody(char *data, size_t size, size_t count, void *context)
{
    auto *collected = static_cast<Collected *>(context);
    const std::size_t length = size * count;
    if (collected->body.size() + length > kMaxResponseBytes) {
        return 0; // ends the transfer with a write error
    }
    collected->body.insert(collected->body.end(), data, data + length);
    return length;
}

size_t writeHeader(char *data, size_t size, size_t count, void *context)
{
    auto *collected = static_cast<Collected *>(context);
    const std::size_t length = size * count;
    const std::string_view line(data, length);
    if (line.starts_with("HTTP/")) {
        // A new status line: only the final response's fields count.
        collected->headerFields.clear();
    } else if (const std::size_t colon = line.find(':'); colon != std::string_view::npos) {
        collected->headerFields.emplace_back(
            std::string(trimmed(line.substr(0, colon))), std::string(trimmed(line.substr(colon + 1))));
    }
    return length;
}

struct HeaderList
{
    curl_slist *list = nullptr;
    ~HeaderList() { curl()->slistFreeAll(list); }
    bool append(const std::string &line)
    {
        curl_slist *next = curl()->slistAppend(list, line.c_str());
        if (next == nullptr) {
            return false;
        }
        list = next;
        return true;
    }
};

} // namespace

std::string_view rawValue(RequestMethod method)
{
    return method == RequestMethod::Post ? "post" : "get";
}

std::optional<RequestMethod> requestMethodFromRawValue(std::string_view raw)
{
    if (raw == "get") {
        return RequestMethod::Get;
    }
    if (raw == "post") {
        return RequestMethod::Post;
    }
    return std::nullopt;
}

std::string_view wireName(RequestMethod method)
{
    return method == RequestMethod::Post ? "POST" : "GET";
}

std::optional<std::string> HTTPURLResponse::value(std::string_view name) const
{
    for (const auto &[fieldName, fieldValue] : headerFields) {
        if (equalsIgnoringCase(fieldName, name)) {
            return fieldValue;
        }
    }
    return std::nullopt;
}

std::string Reason::description() const
{
    switch (kind) {
    case Kind::NotOKStatusCode:
        return "notOKStatusCode(statusCode: " + std::to_string(statusCode) + ")";
    case Kind::Other:
        return "other(" + error + ")";
    case Kind::ParseError:
        return "parseError";
    case Kind::NoData:
        break;
    }
    return "noData";
}

Network::Network(std::string serverURL)
    : m_serverURL(std::move(serverURL))
{
}

Network::~Network() = default;

std::string Network::serverURL() const
{
    std::lock_guard guard(m_serverURLMutex);
    return m_serverURL;
}

void Network::setServerURL(std::string serverURL)
{
    std::lock_guard guard(m_serverURLMutex);
    m_serverURL = std::move(serverURL);
}

std::string Network::percentEncodedQuery(const std::vector<URLQueryItem> &queryItems)
{
    std::string query;
    for (std::size_t i = 0; i < queryItems.size(); ++i) {
        if (i > 0) {
            query += '&';
        }
        appendEncoded(query, queryItems[i].name);
        if (queryItems[i].value) {
            query += '=';
            appendEncoded(query, *queryItems[i].value);
        }
    }
    return query;
}

std::optional<std::string> Network::buildURL(
    std::string_view base, std::string_view path, const std::optional<std::vector<URLQueryItem>> &queryItems)
{
    const std::optional<BaseParts> parts = splitBase(base);
    if (!parts) {
        return std::nullopt;
    }
    std::string url;
    url.reserve(base.size() + path.size() + 64);
    url.append(parts->scheme).append("://").append(parts->authority).append(parts->path).append(path);
    if (queryItems && !queryItems->empty()) {
        url += '?';
        url += percentEncodedQuery(*queryItems);
    }

    // libcurl's parser judges the whole: host, port, characters; it is asked to keep the path as written.
    const Curl *c = curl();
    CURLU *parsed = c != nullptr ? c->url() : nullptr;
    if (parsed == nullptr) {
        return std::nullopt;
    }
    const CURLUcode result = c->urlSet(parsed, CURLUPART_URL, url.c_str(), CURLU_PATH_AS_IS);
    c->urlCleanup(parsed);
    if (result != CURLUE_OK) {
        return std::nullopt;
    }
    return url;
}

namespace {

std::atomic<bool> s_transfersAborted { false };

int abortWhenAsked(void *, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return s_transfersAborted.load() ? 1 : 0;
}

} // namespace

void Network::setTransfersAborted(bool aborted)
{
    s_transfersAborted.store(aborted);
}

std::optional<Network::Exchange> Network::perform(const std::string &base, std::string_view path,
    RequestMethod method, const std::optional<ByteBuffer> &body,
    const std::optional<std::vector<URLQueryItem>> &queryItems, const HTTPHeaders &headers,
    std::chrono::milliseconds timeout)
{
    const std::optional<std::string> url = buildURL(base, path, queryItems);
    if (!url) {
        return std::nullopt;
    }
    TallyLogger::debug("Fetching URL", "buildURLRequest(_:resource:)");
    TallyLogger::debug(*url, "buildURLRequest(_:resource:)");

    CURL *handle = threadHandle();
    if (handle == nullptr) {
        return Exchange { "the transfer handle could not be created", std::nullopt, std::nullopt };
    }
    const Curl &c = *curl();
    c.easyReset(handle);

    // Header fields are set, not added: a later field replaces an earlier one of the same name,
    // compared as HTTP compares names. Fields that could break the request apart are left out.
    std::vector<std::pair<std::string, std::string>> fields;
    for (const auto &[name, value] : headers) {
        if (!isValidHeaderField(name, value)) {
            TallyLogger::warn("Dropping invalid header field " + name, "buildURLRequest(_:resource:)");
            continue;
        }
        const auto existing = std::find_if(fields.begin(), fields.end(),
            [&](const auto &field) { return equalsIgnoringCase(field.first, name); });
        if (existing != fields.end()) {
            *existing = { name, value };
        } else {
            fields.emplace_back(name, value);
        }
    }
    HeaderList headerList;
    // No "Expect: 100-continue" round trip before the body.
    bool listBuilt = headerList.append("Expect:");
    for (const auto &[name, value] : fields) {
        // "Name;" is libcurl's way to send a field with an empty value.
        listBuilt = listBuilt && headerList.append(value.empty() ? name + ";" : name + ": " + value);
    }
    if (!listBuilt) {
        return Exchange { "out of memory building the header fields", std::nullopt, std::nullopt };
    }

    Collected collected;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    const long timeoutMs = static_cast<long>(std::max<std::chrono::milliseconds::rep>(timeout.count(), 1));
    c.easySetopt(handle, CURLOPT_URL, url->c_str());
    c.easySetopt(handle, CURLOPT_PATH_AS_IS, 1L);
    c.easySetopt(handle, CURLOPT_NOSIGNAL, 1L);
    c.easySetopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    c.easySetopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    c.easySetopt(handle, CURLOPT_TIMEOUT_MS, timeoutMs);
    c.easySetopt(handle, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    c.easySetopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);
    c.easySetopt(handle, CURLOPT_HTTPHEADER, headerList.list);
    c.easySetopt(handle, CURLOPT_WRITEFUNCTION, writeBody);
    c.easySetopt(handle, CURLOPT_WRITEDATA, &collected);
    c.easySetopt(handle, CURLOPT_HEADERFUNCTION, writeHeader);
    c.easySetopt(handle, CURLOPT_HEADERDATA, &collected);
    c.easySetopt(handle, CURLOPT_NOPROGRESS, 0L);
    c.easySetopt(handle, CURLOPT_XFERINFOFUNCTION, abortWhenAsked);
    if (const std::optional<BaseParts> parts = splitBase(base); parts && isLoopbackHost(parts->host)) {
        // A proxy can never reach this machine's own loopback.
        c.easySetopt(handle, CURLOPT_PROXY, "");
    }
    if (method == RequestMethod::Post) {
        static const char empty[] = "";
        c.easySetopt(handle, CURLOPT_POST, 1L);
        c.easySetopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body ? body->size() : 0));
        c.easySetopt(handle, CURLOPT_POSTFIELDS,
            body && !body->empty() ? reinterpret_cast<const char *>(body->data()) : empty);
    } else {
        c.easySetopt(handle, CURLOPT_HTTPGET, 1L);
    }

    if (s_transfersAborted.load()) {
        return Exchange { "transfers are stopped", std::nullopt, std::nullopt };
    }
    const CURLcode result = c.easyPerform(handle);
    // The handle outlives this call; keep it from pointing at our stack.
    c.easySetopt(handle, CURLOPT_ERRORBUFFER, nullptr);
    c.easySetopt(handle, CURLOPT_HTTPHEADER, nullptr);
    if (result != CURLE_OK) {
        std::string error
            = errorBuffer[0] != '\0' ? std::string(errorBuffer) : std::string(c.easyStrerror(result));
        error += " (curl error " + std::to_string(static_cast<int>(result)) + ")";
        return Exchange { std::move(error), std::nullopt, std::nullopt };
    }
    long status = 0;
    c.easyGetinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    return Exchange { {}, HTTPURLResponse { status, std::move(collected.headerFields) },
        std::move(collected.body) };
}

} // namespace brimlark
