#include "analytics/Tally.h"

#include "analytics/TallyInstance.h"
#include "analytics/TallyLogger.h"
#include "analytics/TallyManager.h"

namespace brimlark {

ProxyServerConfig::ProxyServerConfig(std::string serverUrl, std::weak_ptr<TallyProxyServerDelegate> delegate)
    : m_serverUrl(std::move(serverUrl))
    , m_delegate(std::move(delegate))
{
}

std::optional<ProxyServerConfig> ProxyServerConfig::make(
    std::string serverUrl, std::weak_ptr<TallyProxyServerDelegate> delegate)
{
    if (serverUrl == TallyInstance::defaultServerURL()) {
        return std::nullopt;
    }
    return ProxyServerConfig(std::move(serverUrl), std::move(delegate));
}

std::shared_ptr<TallyInstance> Tally::initialize(const std::string &token, double flushInterval,
    const std::optional<std::string> &instanceName, bool optOutTrackingByDefault, bool useUniqueDistinctId,
    const std::optional<TallyDictionary> &superProperties, const std::optional<std::string> &serverURL,
    bool useGzipCompression)
{
    return TallyManager::sharedInstance().initialize(token, flushInterval, instanceName.value_or(token),
        false, optOutTrackingByDefault, useUniqueDistinctId, superProperties, serverURL, {},
        useGzipCompression);
}

std::shared_ptr<TallyInstance> Tally::initialize(const std::string &token, double flushInterval,
    const std::optional<std::string> &instanceName, bool optOutTrackingByDefault, bool useUniqueDistinctId,
    const std::optional<TallyDictionary> &superProperties, const ProxyServerConfig &proxyServerConfig,
    bool useGzipCompression)
{
    return TallyManager::sharedInstance().initialize(token, flushInterval, instanceName.value_or(token),
        false, optOutTrackingByDefault, useUniqueDistinctId, superProperties, proxyServerConfig.serverUrl(),
        proxyServerConfig.delegate(), useGzipCompression);
}

std::shared_ptr<TallyInstance> Tally::getInstance(const std::string &name)
{
    return TallyManager::sharedInstance().getInstance(name);
}

std::shared_ptr<TallyInstance> Tally::mainInstance()
{
    TallyManager &manager = TallyManager::sharedInstance();
    if (auto instance = manager.mainInstance()) {
        return instance;
    }
    return manager.initialize(
        std::string(), 60, std::string(), false, false, false, std::nullopt, std::nullopt, {}, false);
}

std::shared_ptr<TallyInstance> Tally::safeMainInstance()
{
    auto instance = TallyManager::sharedInstance().mainInstance();
    if (!instance) {
        TallyLogger::warn(
            "WARNING: Tally main instance is NOT initialized. Call Tally.initialize(...) first.",
            "safeMainInstance()");
    }
    return instance;
}

void Tally::setMainInstance(const std::string &name)
{
    TallyManager::sharedInstance().setMainInstance(name);
}

void Tally::removeInstance(const std::string &name)
{
    TallyManager::sharedInstance().removeInstance(name);
}

bool Tally::shutdown(std::chrono::milliseconds budget)
{
    return TallyManager::sharedInstance().shutdown(budget);
}

} // namespace brimlark
