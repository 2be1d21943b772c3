#include "platform/base/Defaults.h"

#include "platform/base/BinaryPlistWriter.h"
#include "platform/base/ConsoleLog.h"
#include "platform/base/DefaultsStore.h"
#include "platform/base/PlistReader.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>

namespace brimlark {

namespace {

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

} // namespace

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
    return PlistReader::dictionary(bytes);
}

std::optional<std::string> Defaults::encode(const DefaultsValue::Dictionary &dictionary)
{
    return BinaryPlistWriter().write(dictionary);
}

Defaults::Defaults()
    : m_store(DefaultsStore::inMemory())
{
}

Defaults::Defaults(std::filesystem::path file, Console console)
    : m_file(std::move(file))
    , m_store(DefaultsStore::open(m_file, console ? std::move(console) : Console([](const std::string &line) {
        ConsoleLog::write(ConsoleLog::Layer::Platform, ConsoleLog::Level::Warning, line);
    })))
{
}

Defaults::~Defaults()
{
    // A bounded wait: a disk that does not answer must not hold the quit.
    flush();
    m_store->stop();
}

bool Defaults::flush(std::chrono::milliseconds wait)
{
    return m_store->flush(wait);
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
    return m_store->object(key);
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
    return m_store->contains(key);
}

std::vector<std::string> Defaults::keys() const
{
    return m_store->keys();
}

bool Defaults::set(const std::string &key, DefaultsValue value)
{
    return m_store->set(key, std::move(value));
}

bool Defaults::setStrings(const std::string &key, const std::vector<std::string> &strings)
{
    return set(key, DefaultsValue::fromStrings(strings));
}

bool Defaults::remove(const std::string &key)
{
    return m_store->remove(key);
}

} // namespace brimlark
