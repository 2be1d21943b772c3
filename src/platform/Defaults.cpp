#include "platform/Defaults.h"

#include <plist/plist.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <sys/stat.h>
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

plist_t toPlist(const DefaultsValue &value)
{
    switch (value.type()) {
    case DefaultsValue::Type::String:
        return plist_new_string(value.asString()->c_str());
    case DefaultsValue::Type::Data: {
        const auto &d = *value.asData();
        return plist_new_data(reinterpret_cast<const char *>(d.data()), d.size());
    }
    case DefaultsValue::Type::Integer:
        // The binary format keeps signed 64-bit integers; the library only
        // takes unsigned ones, so the bits pass through unchanged.
        return plist_new_uint(static_cast<std::uint64_t>(*value.asInteger()));
    case DefaultsValue::Type::Real:
        return plist_new_real(*value.asReal());
    case DefaultsValue::Type::Bool:
        return plist_new_bool(*value.asBool() ? 1 : 0);
    case DefaultsValue::Type::Date: {
        double t = value.asDate()->secondsSinceReferenceDate;
        if (!std::isfinite(t) || t > 2.0e9 || t < -2.0e9) {
            return nullptr;
        }
        double whole = std::floor(t);
        auto usec = static_cast<std::int32_t>(std::llround((t - whole) * 1e6));
        auto sec = static_cast<std::int32_t>(whole);
        if (usec >= 1000000) {
            sec += 1;
            usec -= 1000000;
        }
        return plist_new_date(sec, usec);
    }
    case DefaultsValue::Type::Array: {
        plist_t array = plist_new_array();
        for (const auto &element : *value.asArray()) {
            plist_t item = toPlist(element);
            if (!item) {
                plist_free(array);
                return nullptr;
            }
            plist_array_append_item(array, item);
        }
        return array;
    }
    case DefaultsValue::Type::Dictionary: {
        plist_t dict = plist_new_dict();
        for (const auto &[key, element] : *value.asDictionary()) {
            plist_t item = toPlist(element);
            if (!item) {
                plist_free(dict);
                return nullptr;
            }
            plist_dict_set_item(dict, key.c_str(), item);
        }
        return dict;
    }
    }
    return nullptr;
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
        DefaultsValue::Data out(reinterpret_cast<std::uint8_t *>(d),
                                reinterpret_cast<std::uint8_t *>(d) + (d ? length : 0));
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
        return DefaultsValue(DefaultsValue::Date{double(sec) + double(usec) / 1e6});
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

Defaults::Defaults() = default;

Defaults::Defaults(std::filesystem::path file) : m_file(std::move(file))
{
    load();
}

Defaults::~Defaults() = default;

std::filesystem::path Defaults::configDirectory()
{
    const char *xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') {
        return std::filesystem::path(xdg) / "brimlark";
    }
    const char *home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".config" / "brimlark";
}

Defaults &Defaults::standard()
{
    std::lock_guard lock(s_registryMutex);
    if (!s_standard) {
        s_standard = std::make_shared<Defaults>(configDirectory() / "standard.plist");
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
    PlistPtr root(toPlist(DefaultsValue(dictionary)));
    if (!root) {
        return std::nullopt;
    }
    char *bin = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root.get(), &bin, &length);
    if (!bin) {
        return std::nullopt;
    }
    std::string out(bin, length);
    std::free(bin);
    return out;
}

void Defaults::load()
{
    std::error_code ec;
    if (!std::filesystem::exists(m_file, ec)) {
        return;
    }
    std::ifstream in(m_file, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    auto decoded = in ? decode(buffer.str()) : std::nullopt;
    if (decoded) {
        m_values = std::move(*decoded);
        return;
    }
    // Keep what cannot be read beside the domain rather than losing it.
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    auto aside = m_file;
    aside += ".unreadable-" + std::to_string(now);
    std::filesystem::rename(m_file, aside, ec);
    std::cerr << "Defaults: " << m_file << " could not be read; kept as " << aside << '\n';
}

bool Defaults::persistLocked()
{
    if (m_file.empty()) {
        return true;
    }
    auto bytes = encode(m_values);
    if (!bytes) {
        return false;
    }
    std::error_code ec;
    const auto dir = m_file.parent_path();
    std::filesystem::create_directories(dir, ec);
    auto tmp = m_file;
    tmp += ".tmp-" + std::to_string(::getpid());
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    bool ok = writeAll(fd, *bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(tmp.c_str(), m_file.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    int dirfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirfd >= 0) {
        ::fsync(dirfd);
        ::close(dirfd);
    }
    return true;
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

template<typename T, typename Getter>
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
    return typed<DefaultsValue::Dictionary>(object(key),
                                            [](const DefaultsValue &v) { return v.asDictionary(); });
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
