#include "platform/Defaults.h"

#include "platform/PlistDepth.h"
#include "platform/RegularFile.h"

#include <plist/plist.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <iostream>
#include <limits>
#include <map>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace brimlark {

namespace {

struct PlistDeleter
{
    void operator()(plist_t p) const
    {
        if (p) {
            plist_free(p);
        }
    }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// The binary property-list form, written straight from the values: no
// intermediate tree, so a write of a large domain costs little more than
// copying its bytes.
class BinaryWriter
{
public:
    std::optional<std::string> write(const DefaultsValue::Dictionary &root)
    {
        if (!flattenDictionary(root)) {
            return std::nullopt;
        }
        const std::uint64_t count = m_nodes.size();
        m_refSize = count <= 0xFF ? 1 : count <= 0xFFFF ? 2 : count <= 0xFFFFFFFFu ? 4 : 8;
        m_out.reserve(m_bytesHint + count * (2 + 2 * m_refSize) + 64);
        m_out.append("bplist00", 8);
        std::vector<std::uint64_t> offsets;
        offsets.reserve(count);
        for (const Node &node : m_nodes) {
            offsets.push_back(m_out.size());
            if (!writeNode(node)) {
                return std::nullopt;
            }
        }
        const std::uint64_t tableOffset = m_out.size();
        const std::size_t offsetSize = widthFor(tableOffset);
        for (std::uint64_t offset : offsets) {
            appendBigEndian(offset, offsetSize);
        }
        m_out.append(6, '\0');
        m_out.push_back(char(offsetSize));
        m_out.push_back(char(m_refSize));
        appendBigEndian(count, 8);
        appendBigEndian(0, 8);
        appendBigEndian(tableOffset, 8);
        return std::move(m_out);
    }

private:
    struct Node
    {
        const DefaultsValue *value = nullptr; // none: a dictionary key
        const std::string *key = nullptr;
        std::size_t refStart = 0;
        std::size_t refCount = 0;
    };

    static std::size_t widthFor(std::uint64_t v)
    {
        return v <= 0xFF ? 1 : v <= 0xFFFF ? 2 : v <= 0xFFFFFFFFu ? 4 : 8;
    }

    void appendBigEndian(std::uint64_t v, std::size_t width)
    {
        for (std::size_t i = width; i > 0; --i) {
            m_out.push_back(char((v >> (8 * (i - 1))) & 0xFF));
        }
    }

    void appendMarker(unsigned type, std::uint64_t length)
    {
        if (length < 0xF) {
            m_out.push_back(char((type << 4) | length));
            return;
        }
        m_out.push_back(char((type << 4) | 0xF));
        appendInteger(length);
    }

    void appendInteger(std::uint64_t v)
    {
        const std::size_t width = widthFor(v);
        const unsigned power = width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3;
        m_out.push_back(char(0x10 | power));
        appendBigEndian(v, width);
    }

    void appendDouble(unsigned marker, double v)
    {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        m_out.push_back(char(marker));
        appendBigEndian(bits, 8);
    }

    void appendString(const std::string &text)
    {
        bool ascii = true;
        for (unsigned char c : text) {
            ascii = ascii && c < 0x80;
        }
        if (ascii) {
            appendMarker(0x5, text.size());
            m_out.append(text);
            return;
        }
        // Anything else is kept as UTF-16 code units; a byte that is not
        // UTF-8 becomes the replacement character.
        std::vector<char16_t> units;
        units.reserve(text.size());
        for (std::size_t i = 0; i < text.size();) {
            const auto c = static_cast<unsigned char>(text[i]);
            std::uint32_t cp = 0xFFFD;
            std::size_t length = 1;
            auto continuation = [&text](std::size_t at) {
                return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
            };
            if (c < 0x80) {
                cp = c;
            } else if ((c & 0xE0) == 0xC0 && continuation(i + 1)) {
                cp = ((c & 0x1Fu) << 6) | (text[i + 1] & 0x3F);
                length = 2;
                cp = cp < 0x80 ? 0xFFFD : cp;
            } else if ((c & 0xF0) == 0xE0 && continuation(i + 1) && continuation(i + 2)) {
                cp = ((c & 0x0Fu) << 12) | ((text[i + 1] & 0x3Fu) << 6) | (text[i + 2] & 0x3F);
                length = 3;
                cp = cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF) ? 0xFFFD : cp;
            } else if ((c & 0xF8) == 0xF0 && continuation(i + 1) && continuation(i + 2)
                && continuation(i + 3)) {
                cp = ((c & 0x07u) << 18) | ((text[i + 1] & 0x3Fu) << 12) | ((text[i + 2] & 0x3Fu) << 6)
                    | (text[i + 3] & 0x3F);
                length = 4;
                cp = cp < 0x10000 || cp > 0x10FFFF ? 0xFFFD : cp;
            }
            i += length;
            if (cp >= 0x10000) {
                cp -= 0x10000;
                units.push_back(char16_t(0xD800 + (cp >> 10)));
                units.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
            } else {
                units.push_back(char16_t(cp));
            }
        }
        appendMarker(0x6, units.size());
        for (char16_t u : units) {
            appendBigEndian(u, 2);
        }
    }

    bool flattenDictionary(const DefaultsValue::Dictionary &dictionary)
    {
        const std::size_t index = m_nodes.size();
        m_nodes.push_back(Node {});
        std::vector<std::uint64_t> children;
        children.reserve(dictionary.size() * 2);
        for (const auto &entry : dictionary) {
            children.push_back(m_nodes.size());
            m_nodes.push_back(Node { nullptr, &entry.first, 0, 0 });
            m_bytesHint += entry.first.size();
        }
        for (const auto &entry : dictionary) {
            const auto child = flatten(entry.second);
            if (!child) {
                return false;
            }
            children.push_back(*child);
        }
        m_nodes[index].refStart = m_refs.size();
        m_nodes[index].refCount = children.size();
        m_refs.insert(m_refs.end(), children.begin(), children.end());
        return true;
    }

    std::optional<std::uint64_t> flatten(const DefaultsValue &value)
    {
        const std::uint64_t index = m_nodes.size();
        if (const auto *dictionary = value.asDictionary()) {
            if (!flattenDictionary(*dictionary)) {
                return std::nullopt;
            }
            m_nodes[index].value = &value;
            return index;
        }
        m_nodes.push_back(Node { &value, nullptr, 0, 0 });
        if (const auto *array = value.asArray()) {
            std::vector<std::uint64_t> children;
            children.reserve(array->size());
            for (const auto &element : *array) {
                const auto child = flatten(element);
                if (!child) {
                    return std::nullopt;
                }
                children.push_back(*child);
            }
            m_nodes[index].refStart = m_refs.size();
            m_nodes[index].refCount = children.size();
            m_refs.insert(m_refs.end(), children.begin(), children.end());
        } else if (const auto *s = value.asString()) {
            m_bytesHint += s->size();
        } else if (const auto *d = value.asData()) {
            m_bytesHint += d->size();
        }
        return index;
    }

    void appendRefs(const Node &node)
    {
        for (std::size_t i = 0; i < node.refCount; ++i) {
            appendBigEndian(m_refs[node.refStart + i], m_refSize);
        }
    }

    bool writeNode(const Node &node)
    {
        if (!node.value) {
            if (node.key) {
                appendString(*node.key);
            } else {
                appendMarker(0xD, node.refCount / 2);
                appendRefs(node);
            }
            return true;
        }
        const DefaultsValue &value = *node.value;
        switch (value.type()) {
        case DefaultsValue::Type::String:
            appendString(*value.asString());
            return true;
        case DefaultsValue::Type::Data: {
            const auto &d = *value.asData();
            appendMarker(0x4, d.size());
            m_out.append(reinterpret_cast<const char *>(d.data()), d.size());
            return true;
        }
        case DefaultsValue::Type::Integer: {
            // Integers of eight bytes are signed in this format; shorter
            // ones are not, so negative values always take eight.
            const std::int64_t v = *value.asInteger();
            if (v < 0) {
                m_out.push_back(char(0x13));
                appendBigEndian(static_cast<std::uint64_t>(v), 8);
            } else {
                appendInteger(static_cast<std::uint64_t>(v));
            }
            return true;
        }
        case DefaultsValue::Type::Real:
            appendDouble(0x23, *value.asReal());
            return true;
        case DefaultsValue::Type::Bool:
            m_out.push_back(char(*value.asBool() ? 0x09 : 0x08));
            return true;
        case DefaultsValue::Type::Date: {
            const double t = value.asDate()->secondsSinceReferenceDate;
            if (!std::isfinite(t) || t > 2.0e9 || t < -2.0e9) {
                return false;
            }
            appendDouble(0x33, t);
            return true;
        }
        case DefaultsValue::Type::Array:
            appendMarker(0xA, node.refCount);
            appendRefs(node);
            return true;
        case DefaultsValue::Type::Dictionary:
            appendMarker(0xD, node.refCount / 2);
            appendRefs(node);
            return true;
        }
        return false;
    }

    std::vector<Node> m_nodes;
    std::vector<std::uint64_t> m_refs;
    std::size_t m_refSize = 1;
    std::size_t m_bytesHint = 0;
    std::string m_out;
};

std::optional<DefaultsValue> fromPlist(plist_t node, int depth = 0)
{
    if (!node || depth > 256) {
        return std::nullopt;
    }
    switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
        char *s = nullptr;
        plist_get_string_val(node, &s);
        std::string out = s ? s : "";
        std::free(s);
        return DefaultsValue(std::move(out));
    }
    case PLIST_DATA: {
        char *d = nullptr;
        std::uint64_t length = 0;
        plist_get_data_val(node, &d, &length);
        DefaultsValue::Data out(
            reinterpret_cast<std::uint8_t *>(d), reinterpret_cast<std::uint8_t *>(d) + (d ? length : 0));
        std::free(d);
        return DefaultsValue(std::move(out));
    }
    case PLIST_UINT: {
        std::uint64_t v = 0;
        plist_get_uint_val(node, &v);
        return DefaultsValue(static_cast<std::int64_t>(v));
    }
    case PLIST_REAL: {
        double v = 0;
        plist_get_real_val(node, &v);
        return DefaultsValue(v);
    }
    case PLIST_BOOLEAN: {
        std::uint8_t v = 0;
        plist_get_bool_val(node, &v);
        return DefaultsValue(v != 0);
    }
    case PLIST_DATE: {
        std::int32_t sec = 0;
        std::int32_t usec = 0;
        plist_get_date_val(node, &sec, &usec);
        return DefaultsValue(DefaultsValue::Date { double(sec) + double(usec) / 1e6 });
    }
    case PLIST_ARRAY: {
        DefaultsValue::Array out;
        const std::uint32_t n = plist_array_get_size(node);
        out.reserve(n);
        for (std::uint32_t i = 0; i < n; ++i) {
            auto element = fromPlist(plist_array_get_item(node, i), depth + 1);
            if (!element) {
                return std::nullopt;
            }
            out.push_back(std::move(*element));
        }
        return DefaultsValue(std::move(out));
    }
    case PLIST_DICT: {
        DefaultsValue::Dictionary out;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        bool ok = true;
        while (it) {
            char *key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, it, &key, &item);
            if (!item) {
                std::free(key);
                break;
            }
            auto element = fromPlist(item, depth + 1);
            if (!element || !key) {
                ok = false;
                std::free(key);
                break;
            }
            out.emplace(key, std::move(*element));
            std::free(key);
        }
        std::free(it);
        if (!ok) {
            return std::nullopt;
        }
        return DefaultsValue(std::move(out));
    }
    default:
        return std::nullopt;
    }
}

std::mutex s_registryMutex;
std::shared_ptr<Defaults> s_standard;
std::map<std::string, std::shared_ptr<Defaults>> s_suites;

std::string fileNameForDomain(const std::string &name)
{
    // Suite names come from code, but keep them to one plain path component.
    std::string out;
    for (char c : name) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
        out += plain ? c : '_';
    }
    if (out.empty() || out == "." || out == "..") {
        out = "_" + out;
    }
    return out + ".plist";
}

bool writeAll(int fd, const std::string &bytes)
{
    const char *p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

// Forces the domain's file to the disk after writes, off the writers'
// threads: a burst of writes during one sync is covered by the next one.
// The previous versions a write exchanged out are removed only once the
// version that replaced them is on the disk, so a crash in between still
// finds one complete version (see load()).
struct Defaults::Flusher
{
    std::filesystem::path file;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable synced;
    std::uint64_t written = 0; // writes done
    std::uint64_t done = 0; // writes synced
    // Previous versions by the write that exchanged them out.
    std::vector<std::pair<std::uint64_t, std::filesystem::path>> retired;
    bool lastSyncFailed = false;
    bool stopping = false;
    bool stopped = false;

    void run()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return stopping || written > done; });
            if (written == done) {
                break;
            }
            const std::uint64_t target = written;
            lock.unlock();
            const bool ok = syncFile();
            std::vector<std::filesystem::path> obsolete;
            lock.lock();
            if (ok) {
                auto end = std::partition(retired.begin(), retired.end(),
                    [target](const auto &entry) { return entry.first > target; });
                for (auto it = end; it != retired.end(); ++it) {
                    obsolete.push_back(std::move(it->second));
                }
                retired.erase(end, retired.end());
            }
            // Freeing the old files' blocks is work the writers never wait for.
            lock.unlock();
            for (const auto &path : obsolete) {
                ::unlink(path.c_str());
            }
            lock.lock();
            done = target;
            lastSyncFailed = !ok;
            synced.notify_all();
        }
        stopped = true;
        synced.notify_all();
    }

    bool syncFile() const
    {
        bool ok = false;
        const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            ok = ::fsync(fd) == 0;
            ::close(fd);
        }
        // The rename lives in the folder.
        const int dirfd = ::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirfd >= 0) {
            ok = ::fsync(dirfd) == 0 && ok;
            ::close(dirfd);
        }
        return ok;
    }
};

Defaults::Defaults() = default;

Defaults::Defaults(std::filesystem::path file, Console console)
    : m_file(std::move(file))
    , m_console(
          console ? std::move(console) : Console([](const std::string &line) { std::cerr << line << '\n'; }))
{
    load();
}

Defaults::~Defaults()
{
    // A bounded wait: a disk that does not answer must not hold the quit.
    // The flusher owns its state, so it may finish after this object.
    flush();
    if (m_flusher) {
        std::lock_guard lock(m_flusher->mutex);
        m_flusher->stopping = true;
        m_flusher->wake.notify_one();
    }
}

std::filesystem::path Defaults::configDirectory()
{
    const char *xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') {
        return std::filesystem::path(xdg) / "brimlark";
    }
    const char *home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".config" / "brimlark";
}

std::filesystem::path Defaults::standardFile()
{
    return configDirectory() / "standard.plist";
}

Defaults &Defaults::standard()
{
    std::lock_guard lock(s_registryMutex);
    if (!s_standard) {
        s_standard = std::make_shared<Defaults>(standardFile());
    }
    return *s_standard;
}

Defaults &Defaults::suite(const std::string &name)
{
    std::lock_guard lock(s_registryMutex);
    auto &slot = s_suites[name];
    if (!slot) {
        slot = std::make_shared<Defaults>(configDirectory() / fileNameForDomain(name));
    }
    return *slot;
}

void Defaults::installStandard(std::shared_ptr<Defaults> defaults)
{
    std::lock_guard lock(s_registryMutex);
    s_standard = std::move(defaults);
}

void Defaults::installSuite(const std::string &name, std::shared_ptr<Defaults> defaults)
{
    std::lock_guard lock(s_registryMutex);
    s_suites[name] = std::move(defaults);
}

std::optional<DefaultsValue::Dictionary> Defaults::decode(const std::string &bytes)
{
    if (bytes.empty() || bytes.size() > UINT32_MAX) {
        return std::nullopt;
    }
    // The parser recurses per level: a hostile file must not get that far.
    if (!PlistDepth::withinLimit(bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
    PlistPtr guard(root);
    if (!root || plist_get_node_type(root) != PLIST_DICT) {
        return std::nullopt;
    }
    auto value = fromPlist(root);
    if (!value || !value->asDictionary()) {
        return std::nullopt;
    }
    return *value->asDictionary();
}

std::optional<std::string> Defaults::encode(const DefaultsValue::Dictionary &dictionary)
{
    return BinaryWriter().write(dictionary);
}

namespace {

// Temporary files of this domain left by processes that are gone: a write
// killed before its exchange, or a previous version not yet removed. The
// newest first.
std::vector<std::filesystem::path> leftovers(const std::filesystem::path &file)
{
    std::vector<std::pair<std::filesystem::file_time_type, std::filesystem::path>> found;
    const std::string prefix = file.filename().string() + ".tmp-";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(file.parent_path(), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        // Another live process (or this one) may be in the middle of a write.
        const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        if (pid <= 0 || pid == ::getpid() || ::kill(pid_t(pid), 0) == 0 || errno != ESRCH) {
            continue;
        }
        std::error_code timeError;
        found.emplace_back(std::filesystem::last_write_time(it->path(), timeError), it->path());
    }
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    std::vector<std::filesystem::path> out;
    for (auto &entry : found) {
        out.push_back(std::move(entry.second));
    }
    return out;
}

} // namespace

void Defaults::load()
{
    const auto left = leftovers(m_file);
    // Only a regular file is read, and the open never blocks: whatever else
    // stands at the path (a pipe, a directory) is kept aside like a file
    // that cannot be decoded.
    const auto file = RegularFile::read(m_file.c_str(), std::numeric_limits<std::uint32_t>::max());
    auto decoded = file.status == RegularFile::Status::Read ? decode(file.bytes) : std::nullopt;
    if (decoded || file.status == RegularFile::Status::Missing) {
        if (decoded) {
            m_values = std::move(*decoded);
        }
        for (const auto &path : left) {
            ::unlink(path.c_str());
        }
        return;
    }
    // Keep what cannot be read beside the domain rather than losing it.
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch())
                         .count();
    auto aside = m_file;
    aside += ".unreadable-" + std::to_string(now);
    std::error_code ec;
    // Never over an earlier one kept aside in the same second.
    auto taken = [&ec](const std::filesystem::path &path) {
        const auto type = std::filesystem::symlink_status(path, ec).type();
        return type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::none;
    };
    for (int n = 1; taken(aside) && n < 1000; ++n) {
        aside = m_file;
        aside += ".unreadable-" + std::to_string(now) + "-" + std::to_string(n);
    }
    std::filesystem::rename(m_file, aside, ec);
    m_console("Defaults: " + m_file.string() + " could not be read; kept as " + aside.string());
    // A crash before the last write reached the disk can leave the domain's
    // file empty; the version it replaced is then still beside it.
    bool restored = false;
    for (const auto &path : left) {
        if (restored) {
            ::unlink(path.c_str());
            continue;
        }
        const auto earlier = RegularFile::read(path.c_str(), std::numeric_limits<std::uint32_t>::max());
        auto values = earlier.status == RegularFile::Status::Read ? decode(earlier.bytes) : std::nullopt;
        if (values && ::rename(path.c_str(), m_file.c_str()) == 0) {
            m_values = std::move(*values);
            restored = true;
            m_console("Defaults: " + m_file.string() + " restored from the version before the last write");
        } else {
            ::unlink(path.c_str());
        }
    }
}

bool Defaults::persistLocked()
{
    if (m_file.empty()) {
        return true;
    }
    auto bytes = encode(m_values);
    if (!bytes) {
        m_unwritten = true;
        return false;
    }
    const auto dir = m_file.parent_path();
    auto tmp = m_file;
    tmp += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++m_writeSerial);
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 && errno == ENOENT) {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    }
    if (fd < 0) {
        reportWriteFailure(errno);
        return false;
    }
    // No fsync here: the rename alone makes the new file what every later
    // reader sees, even after the process is killed. The flusher takes it to
    // the disk.
    bool ok = writeAll(fd, *bytes);
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    // Exchanging the two names is as atomic as a rename, but spares this
    // thread what a file system may do when a rename replaces a file (ext4
    // starts writing the new one out on the spot, a few hundred
    // microseconds). The old version stays at the temporary name until the
    // flusher has synced the new one.
    bool exchanged = false;
    if (ok) {
        exchanged = ::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, m_file.c_str(), RENAME_EXCHANGE) == 0;
        if (!exchanged && ::rename(tmp.c_str(), m_file.c_str()) != 0) {
            ok = false;
            error = errno;
        }
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        reportWriteFailure(error);
        return false;
    }
    m_unwritten = false;
    if (!m_flusher) {
        m_flusher = std::make_shared<Flusher>();
        m_flusher->file = m_file;
        std::thread([flusher = m_flusher] { flusher->run(); }).detach();
    }
    {
        std::lock_guard flusherLock(m_flusher->mutex);
        ++m_flusher->written;
        if (exchanged) {
            m_flusher->retired.emplace_back(m_flusher->written, tmp);
        }
    }
    m_flusher->wake.notify_one();
    return true;
}

void Defaults::reportWriteFailure(int error)
{
    m_unwritten = true;
    if (m_reportedWriteFailure) {
        return;
    }
    m_reportedWriteFailure = true;
    m_console("Defaults: " + m_file.string() + " cannot be written (" + std::strerror(error)
        + "); changes are kept until Brimlark quits");
}

bool Defaults::flush(std::chrono::milliseconds wait)
{
    std::shared_ptr<Flusher> flusher;
    {
        std::lock_guard lock(m_mutex);
        if (m_unwritten) {
            return false;
        }
        flusher = m_flusher;
    }
    if (!flusher) {
        return true;
    }
    std::unique_lock lock(flusher->mutex);
    const std::uint64_t target = flusher->written;
    if (!flusher->synced.wait_for(lock, wait, [&] { return flusher->done >= target || flusher->stopped; })) {
        return false;
    }
    return flusher->done >= target && !flusher->lastSyncFailed;
}

bool Defaults::flushAll(std::chrono::milliseconds wait)
{
    std::vector<std::shared_ptr<Defaults>> domains;
    {
        std::lock_guard lock(s_registryMutex);
        if (s_standard) {
            domains.push_back(s_standard);
        }
        for (const auto &entry : s_suites) {
            if (entry.second) {
                domains.push_back(entry.second);
            }
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    bool ok = true;
    for (const auto &domain : domains) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        ok = domain->flush(std::max(left, std::chrono::milliseconds(0))) && ok;
    }
    return ok;
}

std::optional<DefaultsValue> Defaults::object(const std::string &key) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_values.find(key);
    if (it == m_values.end()) {
        return std::nullopt;
    }
    return it->second;
}

template <typename T, typename Getter>
static std::optional<T> typed(const std::optional<DefaultsValue> &v, Getter get)
{
    if (!v) {
        return std::nullopt;
    }
    const auto *p = get(*v);
    if (!p) {
        return std::nullopt;
    }
    return T(*p);
}

std::optional<std::string> Defaults::string(const std::string &key) const
{
    return typed<std::string>(object(key), [](const DefaultsValue &v) { return v.asString(); });
}

std::optional<DefaultsValue::Data> Defaults::data(const std::string &key) const
{
    return typed<DefaultsValue::Data>(object(key), [](const DefaultsValue &v) { return v.asData(); });
}

std::optional<std::int64_t> Defaults::integer(const std::string &key) const
{
    return typed<std::int64_t>(object(key), [](const DefaultsValue &v) { return v.asInteger(); });
}

std::optional<double> Defaults::real(const std::string &key) const
{
    return typed<double>(object(key), [](const DefaultsValue &v) { return v.asReal(); });
}

std::optional<bool> Defaults::boolean(const std::string &key) const
{
    return typed<bool>(object(key), [](const DefaultsValue &v) { return v.asBool(); });
}

std::optional<DefaultsValue::Date> Defaults::date(const std::string &key) const
{
    return typed<DefaultsValue::Date>(object(key), [](const DefaultsValue &v) { return v.asDate(); });
}

std::optional<std::vector<std::string>> Defaults::stringArray(const std::string &key) const
{
    auto v = object(key);
    return v ? v->asStringArray() : std::nullopt;
}

std::optional<DefaultsValue::Array> Defaults::array(const std::string &key) const
{
    return typed<DefaultsValue::Array>(object(key), [](const DefaultsValue &v) { return v.asArray(); });
}

std::optional<DefaultsValue::Dictionary> Defaults::dictionary(const std::string &key) const
{
    return typed<DefaultsValue::Dictionary>(
        object(key), [](const DefaultsValue &v) { return v.asDictionary(); });
}

bool Defaults::contains(const std::string &key) const
{
    std::lock_guard lock(m_mutex);
    return m_values.count(key) > 0;
}

std::vector<std::string> Defaults::keys() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> out;
    for (const auto &entry : m_values) {
        out.push_back(entry.first);
    }
    return out;
}

bool Defaults::set(const std::string &key, DefaultsValue value)
{
    std::lock_guard lock(m_mutex);
    m_values[key] = std::move(value);
    return persistLocked();
}

bool Defaults::setStrings(const std::string &key, const std::vector<std::string> &strings)
{
    return set(key, DefaultsValue::fromStrings(strings));
}

bool Defaults::remove(const std::string &key)
{
    std::lock_guard lock(m_mutex);
    if (m_values.erase(key) == 0) {
        return true;
    }
    return persistLocked();
}

} // namespace brimlark
