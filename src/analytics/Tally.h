#pragma once

#include "analytics/TallyType.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace brimlark {

class TallyInstance;
class TallyProxyServerDelegate;

// A server URL other than the service's default, with the delegate that supplies the proxy's
// headers and query items.
class ProxyServerConfig
{
public:
    // None when serverUrl is exactly the client's default server URL.
    static std::optional<ProxyServerConfig> make(
        std::string serverUrl, std::weak_ptr<TallyProxyServerDelegate> delegate = {});

    const std::string &serverUrl() const { return m_serverUrl; }
    const std::weak_ptr<TallyProxyServerDelegate> &delegate() const { return m_delegate; }

private:
    ProxyServerConfig(std::string serverUrl, std::weak_ptr<TallyProxyServerDelegate> delegate);

    std::string m_serverUrl;
    std::weak_ptr<TallyProxyServerDelegate> m_delegate;
};

// The client's public entry: static operations over the process-wide registry (TallyManager).
// Safe from any thread.
class Tally
{
public:
    Tally() = delete;

    // Creates or finds the instance named instanceName (the token when none) and makes it the
    // main instance. No server URL means the client's default one.
    static std::shared_ptr<TallyInstance> initialize(const std::string &token, double flushInterval = 60,
        const std::optional<std::string> &instanceName = std::nullopt, bool optOutTrackingByDefault = false,
        bool useUniqueDistinctId = false,
        const std::optional<TallyDictionary> &superProperties = std::nullopt,
        const std::optional<std::string> &serverURL = std::nullopt, bool useGzipCompression = false);
    static std::shared_ptr<TallyInstance> initialize(const std::string &token, double flushInterval,
        const std::optional<std::string> &instanceName, bool optOutTrackingByDefault,
        bool useUniqueDistinctId, const std::optional<TallyDictionary> &superProperties,
        const ProxyServerConfig &proxyServerConfig, bool useGzipCompression = false);

    // None with a warning when the name is not registered.
    static std::shared_ptr<TallyInstance> getInstance(const std::string &name);
    // The main instance; makes a default one (empty token and name) when there is none.
    static std::shared_ptr<TallyInstance> mainInstance();
    // The main instance, or none with a warning; never creates one.
    static std::shared_ptr<TallyInstance> safeMainInstance();
    static void setMainInstance(const std::string &name);
    static void removeInstance(const std::string &name);
    // At quit, before statics go: see TallyManager::shutdown.
    static bool shutdown(std::chrono::milliseconds budget);
};

} // namespace brimlark
