#include "platform/base/Defaults.h"

#include "platform/base/PlistDepth.h"
#include "platform/base/RegularFile.h"

#include <plist/plist.h>

#include <algorithm>
#include <atomic>
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
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <zlib.h>

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
        return flattenDictionary(root) ? finish() : std::nullopt;
    }

    // One value as the whole document: a journal record's value.
    std::optional<std::string> writeValue(const DefaultsValue &root)
    {
        return flatten(root) ? finish() : std::nullopt;
    }

private:
    std::optional<std::string> finish()
    {
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
            // Any finite instant: the format keeps a double, and other
            // writers put dates in 1900 or 2100 into it.
            const double t = value.asDate()->secondsSinceReferenceDate;
            if (!std::isfinite(t)) {
                return false;
            }
            appendDouble(0x33, t);
            return true;
        }
        case DefaultsValue::Type::Unsigned:
            // Sixteen bytes, the upper eight zero: the form that reads back
            // unsigned.
            m_out.push_back(char(0x14));
            appendBigEndian(0, 8);
            appendBigEndian(*value.asUnsigned(), 8);
            return true;
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

// The instant a date node holds, as the double the format keeps. The
// parser's own accessor gives whole seconds as a 32-bit number, which
// cannot hold 1900 or 2100 and loses the sign of a fraction before 2001;
// the node's binary form has the double itself.
std::optional<double> exactDate(plist_t node)
{
    char *bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(node, &bytes, &length);
    std::unique_ptr<char, decltype(&std::free)> guard(bytes, &std::free);
    // "bplist00", then the one object: its marker and eight bytes.
    if (!bytes || length < 17 || static_cast<unsigned char>(bytes[8]) != 0x33) {
        return std::nullopt;
    }
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) {
        bits = (bits << 8) | static_cast<unsigned char>(bytes[9 + i]);
    }
    double seconds = 0;
    std::memcpy(&seconds, &bits, sizeof seconds);
    return seconds;
}

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
        // Above the signed range the same bits are either a negative number
        // (eight bytes) or an unsigned one (sixteen); only the node knows.
        if (v > std::uint64_t(std::numeric_limits<std::int64_t>::max())) {
            PlistPtr signedForm(plist_new_uint(v));
            if (!plist_compare_node_value(node, signedForm.get())) {
                return DefaultsValue::fromUnsigned(v);
            }
        }
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
        const auto seconds = exactDate(node);
        if (!seconds) {
            return std::nullopt;
        }
        return DefaultsValue(DefaultsValue::Date { *seconds });
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

// The journal beside a domain's file: a header, then one record per write,
// each [payload length][crc32 of the payload][payload], little-endian; the
// payload is the operation, the key's length and bytes, and for a set the
// value as a binary property list of its own.
constexpr char JournalMagic[8] = { 'B', 'L', 'J', 'R', 'N', 'L', '1', '\n' };
constexpr std::size_t RecordHeader = 8;
constexpr std::uint32_t MaxRecord = 1u << 30;
// The journal is folded into the property list once it outgrows both this
// and twice the list itself: a restart never replays much more than it loads.
constexpr std::uint64_t MinCompactBytes = 256 * 1024;
enum Operation : std::uint8_t { SetValue = 1, RemoveValue = 2 };

void appendLittleEndian(std::string &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        out.push_back(char((v >> (8 * i)) & 0xFF));
    }
}

std::uint32_t readLittleEndian(const char *p)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    }
    return v;
}

std::uint32_t checksum(const char *p, std::size_t n)
{
    return static_cast<std::uint32_t>(::crc32(0, reinterpret_cast<const Bytef *>(p), static_cast<uInt>(n)));
}

std::optional<std::string> journalRecord(Operation op, const std::string &key, const DefaultsValue *value)
{
    std::optional<std::string> encoded;
    if (value) {
        encoded = BinaryWriter().writeValue(*value);
        if (!encoded) {
            return std::nullopt;
        }
    }
    const std::size_t payload = 1 + 4 + key.size() + (encoded ? encoded->size() : 0);
    if (payload > MaxRecord) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(RecordHeader + payload);
    appendLittleEndian(out, std::uint32_t(payload));
    appendLittleEndian(out, 0); // the checksum, once the payload is in place
    out.push_back(char(op));
    appendLittleEndian(out, std::uint32_t(key.size()));
    out.append(key);
    if (encoded) {
        out.append(*encoded);
    }
    const std::uint32_t sum = checksum(out.data() + RecordHeader, payload);
    for (int i = 0; i < 4; ++i) {
        out[4 + i] = char((sum >> (8 * i)) & 0xFF);
    }
    return out;
}

std::optional<DefaultsValue> decodeValue(const char *bytes, std::size_t size)
{
    if (size == 0 || !PlistDepth::withinLimit(bytes, size)) {
        return std::nullopt;
    }
    plist_t root = nullptr;
    plist_from_memory(bytes, static_cast<std::uint32_t>(size), &root);
    PlistPtr guard(root);
    return root ? fromPlist(root) : std::nullopt;
}

using Values = std::map<std::string, std::shared_ptr<const DefaultsValue>>;

// Applies a journal's records in order. Replaying records the property list
// already holds changes nothing: each sets or removes one key outright, so
// the last of them for a key is what the list has. Stops at the first record
// that is cut short or does not check (the tail of a killed write).
void replay(const std::string &bytes, Values &values)
{
    if (bytes.size() < sizeof JournalMagic
        || bytes.compare(0, sizeof JournalMagic, JournalMagic, sizeof JournalMagic) != 0) {
        return;
    }
    for (std::size_t at = sizeof JournalMagic; bytes.size() - at >= RecordHeader;) {
        const char *record = bytes.data() + at;
        const std::uint32_t size = readLittleEndian(record);
        if (size < 5 || size > bytes.size() - at - RecordHeader) {
            return;
        }
        const char *payload = record + RecordHeader;
        if (checksum(payload, size) != readLittleEndian(record + 4)) {
            return;
        }
        const std::uint32_t keySize = readLittleEndian(payload + 1);
        if (keySize > size - 5) {
            return;
        }
        std::string key(payload + 5, keySize);
        const char *value = payload + 5 + keySize;
        const std::size_t valueSize = size - 5 - keySize;
        if (payload[0] == char(SetValue)) {
            auto decoded = decodeValue(value, valueSize);
            if (!decoded) {
                return;
            }
            values[std::move(key)] = std::make_shared<const DefaultsValue>(std::move(*decoded));
        } else if (payload[0] == char(RemoveValue) && valueSize == 0) {
            values.erase(key);
        } else {
            return;
        }
        at += RecordHeader + size;
    }
}

std::filesystem::path journalPath(const std::filesystem::path &file, std::uint64_t number)
{
    auto path = file;
    path += ".journal-" + std::to_string(number);
    return path;
}

// The journals beside a domain's file, oldest first; only regular files.
std::vector<std::uint64_t> journalNumbers(const std::filesystem::path &file)
{
    std::vector<std::uint64_t> out;
    const std::string prefix = file.filename().string() + ".journal-";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(file.parent_path(), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0
            || name.find_first_not_of("0123456789", prefix.size()) != std::string::npos
            || name.size() - prefix.size() > 18) {
            continue;
        }
        std::error_code typeError;
        if (it->symlink_status(typeError).type() == std::filesystem::file_type::regular) {
            out.push_back(std::stoull(name.substr(prefix.size())));
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool syncDirectory(const std::filesystem::path &dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// The lock that makes one process the writer of a settings folder: a lock
// file beside the domains, held with flock() from the first domain of the
// folder until the process ends. Two copies over one folder would each fold
// the journals into the file and remove the other's open journal. Never let
// go early: a domain made while the last one's lock was being closed would
// find its own process in the way.
class FolderLock
{
public:
    static std::shared_ptr<FolderLock> take(const std::filesystem::path &folder)
    {
        static std::mutex s_mutex;
        static std::map<std::filesystem::path, std::shared_ptr<FolderLock>> s_locks;
        std::lock_guard guard(s_mutex);
        auto &slot = s_locks[folder];
        if (slot) {
            return slot;
        }
        auto lock = std::shared_ptr<FolderLock>(new FolderLock);
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        const auto path = folder / LockName;
        lock->m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (lock->m_fd >= 0 && ::flock(lock->m_fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            lock->m_heldElsewhere = true;
        }
        // A folder that takes no lock file takes no journal either: its
        // domains report that when they are written.
        slot = lock;
        return lock;
    }

    ~FolderLock()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }

    bool heldElsewhere() const { return m_heldElsewhere; }
    // True once per folder: the first domain that finds it locked says so.
    bool claimReport() { return !m_reported.exchange(true); }

    static constexpr const char *LockName = "settings.lock";

private:
    FolderLock() = default;
    int m_fd = -1;
    bool m_heldElsewhere = false;
    std::atomic<bool> m_reported { false };
};

} // namespace

// A domain's values, its journal and the thread that takes both to the
// disk. The thread owns a reference, so it may finish after the Defaults.
// `mutex` guards the values and the journal, `flushMutex` the thread's
// work; a writer may take the second while holding the first, the thread
// never does.
struct Defaults::Store : std::enable_shared_from_this<Defaults::Store>
{
    std::filesystem::path file;
    Console console;
    std::shared_ptr<FolderLock> folderLock;
    // Another process writes this folder: values set here stay in memory.
    bool lockedOut = false;

    std::mutex mutex;
    Values values;
    int journal = -1;
    std::uint64_t journalNumber = 0; // the open journal, or the last one
    std::uint64_t journalBytes = 0;
    bool journalNameSynced = true;
    // Journals whose records a compaction has yet to take into the file.
    std::vector<std::uint64_t> oldJournals;
    std::uint64_t compactAbove = MinCompactBytes;
    std::uint64_t records = 0;
    std::uint64_t failures = 0;
    std::uint64_t temporarySerial = 0;
    // Whether the files lack values held here (a write failed).
    bool unwritten = false;
    bool reportedWriteFailure = false;
    bool compactionFailed = false;

    std::mutex flushMutex;
    std::condition_variable wake;
    std::condition_variable settled;
    bool running = false;
    std::uint64_t appended = 0; // records written
    std::uint64_t synced = 0; // records on the disk
    std::uint64_t compactionsWanted = 0;
    std::uint64_t compactionsDone = 0;
    bool lastSyncFailed = false;
    bool stopping = false;
    bool stopped = false;

    ~Store()
    {
        if (journal >= 0) {
            ::close(journal);
        }
    }

    void load();
    Values loadFile();
    bool appendLocked(const std::string &record);
    bool openJournalLocked();
    void postLocked(bool compact);
    void reportWriteFailureLocked(int error);
    void run();
    bool syncJournal();
    bool compact();
};

void Defaults::Store::load()
{
    // A compaction by another instance of this domain can replace the file
    // and remove the journals it folded in while they are read: read again
    // until the file stayed the same throughout.
    auto identity = [this] {
        struct stat st = {};
        return ::lstat(file.c_str(), &st) == 0 ? std::pair(st.st_dev, st.st_ino)
                                               : std::pair(dev_t(0), ino_t(0));
    };
    for (int attempt = 0; attempt < 5; ++attempt) {
        const auto before = identity();
        values = loadFile();
        oldJournals = journalNumbers(file);
        for (std::uint64_t number : oldJournals) {
            const auto read = RegularFile::read(journalPath(file, number).c_str(), MaxRecord);
            if (read.status == RegularFile::Status::Read) {
                replay(read.bytes, values);
            }
        }
        if (identity() == before) {
            break;
        }
    }
    journalNumber = oldJournals.empty() ? 0 : oldJournals.back();
    struct stat st = {};
    if (::stat(file.c_str(), &st) == 0) {
        compactAbove = std::max<std::uint64_t>(MinCompactBytes, 2 * std::uint64_t(st.st_size));
    }
    // After a crash the first write folds what was replayed back into the file.
}

bool Defaults::Store::openJournalLocked()
{
    const std::uint64_t number = journalNumber + 1;
    const auto path = journalPath(file, number);
    constexpr int flags = O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC | O_NOFOLLOW;
    int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0 && errno == ENOENT) {
        std::error_code ec;
        std::filesystem::create_directories(file.parent_path(), ec);
        fd = ::open(path.c_str(), flags, 0600);
    }
    if (fd < 0) {
        reportWriteFailureLocked(errno);
        return false;
    }
    if (!writeAll(fd, std::string(JournalMagic, sizeof JournalMagic))) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        reportWriteFailureLocked(error);
        return false;
    }
    journal = fd;
    journalNumber = number;
    journalBytes = 0;
    journalNameSynced = false;
    return true;
}

bool Defaults::Store::appendLocked(const std::string &record)
{
    if (file.empty()) {
        return true;
    }
    if (lockedOut) {
        unwritten = true;
        return false;
    }
    if (journal < 0 && !openJournalLocked()) {
        return false;
    }
    // One write(): once it returns the record is in the page cache, which a
    // killed process does not take with it.
    if (!writeAll(journal, record)) {
        const int error = errno;
        // Nothing may follow a partial record; without the cut, the next
        // write opens a journal of its own.
        if (::ftruncate(journal, off_t(sizeof JournalMagic + journalBytes)) != 0) {
            ::close(journal);
            journal = -1;
            oldJournals.push_back(journalNumber);
        }
        reportWriteFailureLocked(error);
        return false;
    }
    journalBytes += record.size();
    ++records;
    // After a failed compaction only growth asks for the next one: each
    // starts a journal, and a folder that takes no new file must not end up
    // holding one per write.
    postLocked(journalBytes > compactAbove || (!compactionFailed && (unwritten || !oldJournals.empty())));
    return true;
}

void Defaults::Store::postLocked(bool compact)
{
    bool start = false;
    {
        std::lock_guard lock(flushMutex);
        appended = records;
        if (compact && compactionsWanted == compactionsDone) {
            ++compactionsWanted;
        }
        start = !running;
        running = true;
    }
    if (start) {
        std::thread([self = shared_from_this()] { self->run(); }).detach();
        return;
    }
    wake.notify_one();
}

void Defaults::Store::reportWriteFailureLocked(int error)
{
    unwritten = true;
    ++failures;
    if (reportedWriteFailure) {
        return;
    }
    reportedWriteFailure = true;
    console("Defaults: " + file.string() + " cannot be written (" + std::strerror(error)
        + "); changes are kept until Brimlark quits");
}

void Defaults::Store::run()
{
    std::unique_lock lock(flushMutex);
    for (;;) {
        wake.wait(
            lock, [this] { return stopping || appended > synced || compactionsWanted > compactionsDone; });
        if (appended == synced && compactionsWanted == compactionsDone) {
            break;
        }
        const std::uint64_t target = appended;
        const std::uint64_t compactTarget = compactionsWanted;
        const bool compacting = compactTarget > compactionsDone;
        lock.unlock();
        // A failed compaction leaves every record in a journal; the values
        // are no less on the disk for it, and the next one tries again.
        if (compacting) {
            const bool compacted = compact();
            std::lock_guard valuesLock(mutex);
            compactionFailed = !compacted;
        }
        const bool ok = syncJournal();
        lock.lock();
        synced = target;
        compactionsDone = compactTarget;
        lastSyncFailed = !ok;
        settled.notify_all();
    }
    stopped = true;
    settled.notify_all();
}

bool Defaults::Store::syncJournal()
{
    int fd = -1;
    bool nameSynced = true;
    {
        std::lock_guard lock(mutex);
        if (journal >= 0) {
            fd = ::dup(journal);
            if (fd < 0) {
                return false;
            }
            nameSynced = journalNameSynced;
            journalNameSynced = true;
        }
    }
    bool ok = true;
    if (fd >= 0) {
        ok = ::fdatasync(fd) == 0;
        ::close(fd);
    }
    if (!nameSynced) {
        ok = syncDirectory(file.parent_path()) && ok;
    }
    return ok;
}

bool Defaults::Store::compact()
{
    Values snapshot;
    int previous = -1;
    bool previousNameSynced = true;
    std::vector<std::uint64_t> folded;
    std::uint64_t failuresBefore = 0;
    std::filesystem::path temporary = file;
    {
        std::lock_guard lock(mutex);
        if (journalBytes == 0 && oldJournals.empty() && !unwritten) {
            return true;
        }
        snapshot = values; // the values are shared, not copied
        failuresBefore = failures;
        // Later writes go to a new journal, so this one can go with the
        // records the snapshot holds.
        if (journal >= 0) {
            previous = journal;
            previousNameSynced = journalNameSynced;
            journal = -1;
            journalBytes = 0;
            oldJournals.push_back(journalNumber);
            journalNameSynced = true;
        }
        folded = oldJournals;
        temporary += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++temporarySerial);
    }
    if (previous >= 0) {
        // Its records stay the copy on the disk if this compaction fails.
        ::fdatasync(previous);
        ::close(previous);
        if (!previousNameSynced) {
            syncDirectory(file.parent_path());
        }
    }
    DefaultsValue::Dictionary dictionary;
    for (const auto &entry : snapshot) {
        dictionary.emplace_hint(dictionary.end(), entry.first, *entry.second);
    }
    const auto bytes = BinaryWriter().write(dictionary);
    if (!bytes) {
        return false;
    }
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false;
    }
    bool ok = writeAll(fd, *bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), file.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The journals go only once the file that holds their records is named
    // on the disk; a crash in between replays them over it to the same values.
    if (!syncDirectory(file.parent_path())) {
        return false;
    }
    // Oldest first, and none after one that stays: replaying the newest of
    // them over the file gives its values, but an older one alone would
    // bring back values a newer one had replaced.
    std::size_t removed = 0;
    while (removed < folded.size()
        && (::unlink(journalPath(file, folded[removed]).c_str()) == 0 || errno == ENOENT)) {
        ++removed;
    }
    std::lock_guard lock(mutex);
    oldJournals.erase(oldJournals.begin(), oldJournals.begin() + std::ptrdiff_t(removed));
    if (removed < folded.size()) {
        return false;
    }
    if (failures == failuresBefore) {
        unwritten = false;
    }
    compactAbove = std::max<std::uint64_t>(MinCompactBytes, 2 * bytes->size());
    return true;
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

namespace {

Values shared(DefaultsValue::Dictionary dictionary)
{
    Values out;
    for (auto &entry : dictionary) {
        out.emplace_hint(
            out.end(), entry.first, std::make_shared<const DefaultsValue>(std::move(entry.second)));
    }
    return out;
}

} // namespace

Values Defaults::Store::loadFile()
{
    if (lockedOut) {
        // Read only: what stands at the path belongs to the writing process.
        const auto read = RegularFile::read(file.c_str(), std::numeric_limits<std::uint32_t>::max());
        auto decoded = read.status == RegularFile::Status::Read ? decode(read.bytes) : std::nullopt;
        return decoded ? shared(std::move(*decoded)) : Values {};
    }
    const auto left = leftovers(file);
    // Only a regular file is read, and the open never blocks: whatever else
    // stands at the path (a pipe, a directory) is kept aside like a file
    // that cannot be decoded.
    const auto read = RegularFile::read(file.c_str(), std::numeric_limits<std::uint32_t>::max());
    auto decoded = read.status == RegularFile::Status::Read ? decode(read.bytes) : std::nullopt;
    if (decoded || read.status == RegularFile::Status::Missing) {
        for (const auto &path : left) {
            ::unlink(path.c_str());
        }
        return decoded ? shared(std::move(*decoded)) : Values {};
    }
    // Keep what cannot be read beside the domain rather than losing it.
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch())
                         .count();
    auto aside = file;
    aside += ".unreadable-" + std::to_string(now);
    std::error_code ec;
    // Never over an earlier one kept aside in the same second.
    auto taken = [&ec](const std::filesystem::path &path) {
        const auto type = std::filesystem::symlink_status(path, ec).type();
        return type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::none;
    };
    for (int n = 1; taken(aside) && n < 1000; ++n) {
        aside = file;
        aside += ".unreadable-" + std::to_string(now) + "-" + std::to_string(n);
    }
    std::filesystem::rename(file, aside, ec);
    console("Defaults: " + file.string() + " could not be read; kept as " + aside.string());
    // A crash before the last write reached the disk can leave the domain's
    // file empty; the version it replaced is then still beside it.
    Values restored;
    bool found = false;
    for (const auto &path : left) {
        if (found) {
            ::unlink(path.c_str());
            continue;
        }
        const auto earlier = RegularFile::read(path.c_str(), std::numeric_limits<std::uint32_t>::max());
        auto values = earlier.status == RegularFile::Status::Read ? decode(earlier.bytes) : std::nullopt;
        if (values && ::rename(path.c_str(), file.c_str()) == 0) {
            restored = shared(std::move(*values));
            found = true;
            console("Defaults: " + file.string() + " restored from the version before the last write");
        } else {
            ::unlink(path.c_str());
        }
    }
    return restored;
}

Defaults::Defaults()
    : m_store(std::make_shared<Store>())
{
}

Defaults::Defaults(std::filesystem::path file, Console console)
    : m_file(std::move(file))
    , m_store(std::make_shared<Store>())
{
    m_store->file = m_file;
    m_store->console
        = console ? std::move(console) : Console([](const std::string &line) { std::cerr << line << '\n'; });
    m_store->folderLock = FolderLock::take(m_file.parent_path());
    m_store->lockedOut = m_store->folderLock->heldElsewhere();
    if (m_store->lockedOut && m_store->folderLock->claimReport()) {
        m_store->console("Defaults: " + m_file.parent_path().string()
            + " is in use by another copy of the program; settings changed here are not saved");
    }
    m_store->load();
}

Defaults::~Defaults()
{
    // A bounded wait: a disk that does not answer must not hold the quit.
    flush();
    std::lock_guard lock(m_store->flushMutex);
    m_store->stopping = true;
    m_store->wake.notify_one();
}

bool Defaults::flush(std::chrono::milliseconds wait)
{
    Store &store = *m_store;
    if (m_file.empty()) {
        return true;
    }
    std::unique_lock lock(store.flushMutex);
    if (store.running) {
        // Fold the journal into the file too: the next start reads one file.
        const std::uint64_t target = store.appended;
        const std::uint64_t compaction = ++store.compactionsWanted;
        store.wake.notify_one();
        const bool settled = store.settled.wait_for(lock, wait,
            [&] { return (store.synced >= target && store.compactionsDone >= compaction) || store.stopped; });
        if (!settled || store.synced < target || store.lastSyncFailed) {
            return false;
        }
    }
    lock.unlock();
    std::lock_guard valuesLock(store.mutex);
    return !store.unwritten && !store.compactionFailed;
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
    std::lock_guard lock(m_store->mutex);
    auto it = m_store->values.find(key);
    if (it == m_store->values.end()) {
        return std::nullopt;
    }
    return *it->second;
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
    std::lock_guard lock(m_store->mutex);
    return m_store->values.count(key) > 0;
}

std::vector<std::string> Defaults::keys() const
{
    std::lock_guard lock(m_store->mutex);
    std::vector<std::string> out;
    for (const auto &entry : m_store->values) {
        out.push_back(entry.first);
    }
    return out;
}

bool Defaults::set(const std::string &key, DefaultsValue value)
{
    auto shared = std::make_shared<const DefaultsValue>(std::move(value));
    // Encoded before the lock: only the key's own value, never the domain.
    const auto record = journalRecord(SetValue, key, shared.get());
    if (!record) {
        return false; // a value the format cannot hold (a date out of range) is refused
    }
    std::lock_guard lock(m_store->mutex);
    m_store->values.insert_or_assign(key, std::move(shared));
    return m_store->appendLocked(*record);
}

bool Defaults::setStrings(const std::string &key, const std::vector<std::string> &strings)
{
    return set(key, DefaultsValue::fromStrings(strings));
}

bool Defaults::remove(const std::string &key)
{
    std::lock_guard lock(m_store->mutex);
    if (m_store->values.erase(key) == 0) {
        return true;
    }
    const auto record = journalRecord(RemoveValue, key, nullptr);
    return record && m_store->appendLocked(*record);
}

} // namespace brimlark
