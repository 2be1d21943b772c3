#include "analytics/AnalyticsManager.h"

#include "analytics/AutomaticProperties.h"
#include "analytics/Tally.h"
#include "analytics/TallyInstance.h"
#include "analytics/TallyUuidSource.h"
#include "platform/base/ProcessWide.h"

#include "platform/base/ConsoleLog.h"
#include "platform/base/Defaults.h"
#include "platform/base/Utf8.h"

#include <algorithm>

#ifndef BRIMLARK_ANALYTICS_SERVER_URL
#define BRIMLARK_ANALYTICS_SERVER_URL ""
#endif
#ifndef BRIMLARK_ANALYTICS_TOKEN
#define BRIMLARK_ANALYTICS_TOKEN ""
#endif

namespace brimlark {

namespace {

bool isSchemeStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isSchemeChar(char c)
{
    return isSchemeStart(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
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

// Undoes percent escapes; nothing when an escape is cut short or not hexadecimal.
std::optional<std::string> percentDecoded(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return out;
}

} // namespace

AnalyticsManager::Configuration AnalyticsManager::buildConfiguration()
{
    Configuration configuration;
    configuration.serverURL = BRIMLARK_ANALYTICS_SERVER_URL;
    configuration.token = BRIMLARK_ANALYTICS_TOKEN;
    return configuration;
}

namespace {

ProcessWide<AnalyticsManager> s_facade("AnalyticsManager::shared()");

} // namespace

AnalyticsManager &AnalyticsManager::shared()
{
    return *s_facade.get();
}

std::shared_ptr<AnalyticsManager> AnalyticsManager::installShared(std::shared_ptr<AnalyticsManager> manager)
{
    return s_facade.install(std::move(manager));
}

AnalyticsManager::AnalyticsManager(Configuration configuration)
    : m_configuration(std::move(configuration))
    , m_enabled(!m_configuration.serverURL.empty() && !m_configuration.token.empty())
{
}

void AnalyticsManager::print(const std::string &line) const
{
    if (m_configuration.print) {
        m_configuration.print(line);
        return;
    }
    ConsoleLog::write(ConsoleLog::Layer::Analytics, ConsoleLog::Level::Info, line);
}

void AnalyticsManager::setMainBundleInfo(std::optional<TallyDictionary> info)
{
    {
        std::lock_guard guard(m_bundleMutex);
        m_mainBundleInfo = info;
    }
    AutomaticProperties::setMainBundleInfo(std::move(info));
}

std::string AnalyticsManager::appVersion() const
{
    std::lock_guard guard(m_bundleMutex);
    const TallyType *entry
        = m_mainBundleInfo ? m_mainBundleInfo->find("CFBundleShortVersionString") : nullptr;
    const std::string *text = entry ? entry->get<std::string>() : nullptr;
    return text ? *text : std::string("1.0");
}

void AnalyticsManager::initialize()
{
    if (!m_enabled) {
        print(m_configuration.serverURL.empty()
                ? "🔍 Analytics is off: this build has no analytics server URL"
                : "🔍 Analytics is off: this build has no analytics project token");
        return;
    }
    print("🔍 Initializing Tally...");
    // The build's server is the client's default; any other one is handed over explicitly.
    const std::optional<std::string> serverURL
        = m_configuration.serverURL == TallyInstance::defaultServerURL()
        ? std::nullopt
        : std::optional<std::string>(m_configuration.serverURL);
    Tally::initialize(
        m_configuration.token, s_flushInterval, std::nullopt, false, false, std::nullopt, serverURL, false);
    m_initialized.store(true);
    const std::shared_ptr<TallyInstance> instance = Tally::mainInstance();
    instance->setLoggingEnabled(true);

    Defaults &defaults = Defaults::standard();
    const std::string key(s_distinctIdKey);
    std::optional<std::string> id = defaults.string(key);
    // An empty id cannot be identified with; one left by an earlier attribution link is replaced.
    if (id && !id->empty()) {
        print("👤 Identified user with saved ID: " + *id);
    } else {
        id = TallyUuidSource::shared()->newUuidText();
        print("👤 Generated new anonymous ID: " + *id);
        defaults.set(key, DefaultsValue(*id));
    }
    instance->identify(*id, true, nullptr);
    checkFirstOpen();
    trackEvent("App Opened");
}

void AnalyticsManager::shutdown(std::chrono::milliseconds budget)
{
    if (m_shutDown.exchange(true) || !m_initialized.load()) {
        return;
    }
    Tally::shutdown(budget);
}

void AnalyticsManager::checkFirstOpen()
{
    Defaults &defaults = Defaults::standard();
    const std::string key(s_hasOpenedBeforeKey);
    if (!defaults.boolean(key).value_or(false)) {
        trackEvent("First App Open");
        defaults.set(key, DefaultsValue(true));
    }
}

void AnalyticsManager::handleURL(const std::string &url)
{
    if (!m_enabled) {
        return;
    }
    if (m_shutDown.load() || !m_initialized.load()) {
        print("⚠️ Analytics is not initialized yet; not handling " + url);
        return;
    }
    print("🔗 Handling incoming URL: " + url);
    const auto uid = attributionUid(url);
    if (!uid) {
        return;
    }
    const std::string &value = *uid;
    print("🔗 Attribution UID found: " + value);
    Defaults::standard().set(std::string(s_distinctIdKey), DefaultsValue(value));
    Tally::mainInstance()->identify(value, true, nullptr);
    trackEvent("Attribution Link Captured", TallyDictionary { { "source", "url_scheme" } });
}

void AnalyticsManager::trackEvent(const std::string &name, const std::optional<TallyDictionary> &properties)
{
    if (!m_enabled) {
        return;
    }
    if (m_shutDown.load()) {
        print("⚠️ Analytics has shut down; not tracking " + name);
        return;
    }
    if (!m_initialized.load()) {
        // The main instance does not exist yet; the registry would make an unnamed one that
        // keeps nothing and reports to no project.
        print("⚠️ Analytics is not initialized yet; not tracking " + name);
        return;
    }
    print("📊 Tracking Event: " + name
        + " with props: " + describeProperties(properties.value_or(TallyDictionary())));
    TallyDictionary dictionary = properties.value_or(TallyDictionary());
    dictionary.set("platform", "mac");
    dictionary.set("app_version", appVersion());
    const std::shared_ptr<TallyInstance> instance = Tally::mainInstance();
    instance->track(name, dictionary);
    instance->flush(false, nullptr);
}

std::optional<std::vector<std::pair<std::string, std::optional<std::string>>>> AnalyticsManager::queryItems(
    std::string_view url)
{
    // An absolute URL starts with its scheme; whitespace and control characters make it invalid.
    const auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || !isSchemeStart(url[0])) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < colon; ++i) {
        if (!isSchemeChar(url[i])) {
            return std::nullopt;
        }
    }
    for (const char c : url) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f) {
            return std::nullopt;
        }
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> items;
    const auto question = url.find('?');
    if (question == std::string_view::npos) {
        return items;
    }
    const auto hash = url.find('#', question);
    const std::string_view query = url.substr(
        question + 1, hash == std::string_view::npos ? std::string_view::npos : hash - question - 1);
    if (query.empty()) {
        return items;
    }
    std::size_t start = 0;
    while (start <= query.size()) {
        const auto end = std::min(query.find('&', start), query.size());
        const std::string_view itemText = query.substr(start, end - start);
        const auto equals = itemText.find('=');
        const auto name = percentDecoded(itemText.substr(0, equals));
        if (!name) {
            return std::nullopt;
        }
        std::optional<std::string> value;
        if (equals != std::string_view::npos) {
            value = percentDecoded(itemText.substr(equals + 1));
            if (!value) {
                return std::nullopt;
            }
        }
        items.emplace_back(std::move(*name), std::move(value));
        start = end + 1;
    }
    return items;
}

std::optional<std::string> AnalyticsManager::attributionUid(std::string_view url)
{
    const auto items = queryItems(url);
    if (!items) {
        return std::nullopt;
    }
    const auto uid
        = std::find_if(items->begin(), items->end(), [](const auto &item) { return item.first == "uid"; });
    // Only the first "uid" counts; an empty one would replace the stored id with one that
    // cannot be identified with, and one holding a NUL, or bytes that are not text, cannot be
    // stored as the text it is.
    if (uid == items->end() || !uid->second || uid->second->empty()
        || uid->second->find('\0') != std::string::npos || !Utf8::isValid(*uid->second)) {
        return std::nullopt;
    }
    return uid->second;
}

std::string AnalyticsManager::describeProperties(const TallyDictionary &properties)
{
    if (properties.empty()) {
        return "[:]";
    }
    std::string out = "[";
    bool first = true;
    for (const auto &[key, value] : properties) {
        out += first ? "" : ", ";
        out += TallyType(key).description() + ": " + value.description();
        first = false;
    }
    return out + "]";
}

} // namespace brimlark
