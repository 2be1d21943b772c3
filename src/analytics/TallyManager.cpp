#include "analytics/TallyManager.h"

#include "analytics/SerialQueue.h"
#include "analytics/TallyInstance.h"
#include "analytics/TallyLogger.h"
#include "platform/base/ProcessWide.h"

namespace brimlark {

namespace {

ProcessWide<TallyManager> s_registry("TallyManager::sharedInstance()");

} // namespace

TallyManager &TallyManager::sharedInstance()
{
    // Installed registries live for the process, so the reference stays good.
    return *s_registry.get();
}

std::shared_ptr<TallyManager> TallyManager::installSharedInstance(std::shared_ptr<TallyManager> manager)
{
    return s_registry.install(std::move(manager));
}

std::shared_ptr<TallyManager> TallyManager::createForProcess()
{
    return std::shared_ptr<TallyManager>(new TallyManager, [](TallyManager *) {});
}

TallyManager::TallyManager()
    : m_readWriteLock("app.brimlark.tally.instance.manager.lock")
{
    TallyLogger::addLogging(std::make_shared<PrintLogging>());
    m_instanceQueue = std::make_unique<SerialQueue>("app.brimlark.tally.instance.manager.instance");
}

TallyManager::~TallyManager() = default;

std::shared_ptr<TallyInstance> TallyManager::initialize(const std::string &apiToken, double flushInterval,
    const std::string &instanceName, bool trackAutomaticEvents, bool optOutTrackingByDefault,
    bool useUniqueDistinctId, const std::optional<TallyDictionary> &superProperties,
    const std::optional<std::string> &serverURL, std::weak_ptr<TallyProxyServerDelegate> proxyServerDelegate,
    bool useGzipCompression)
{
    TallyInstance::Configuration configuration;
    configuration.apiToken = apiToken;
    configuration.flushInterval = flushInterval;
    configuration.name = instanceName;
    configuration.trackAutomaticEvents = trackAutomaticEvents;
    configuration.optOutTrackingByDefault = optOutTrackingByDefault;
    configuration.useUniqueDistinctId = useUniqueDistinctId;
    configuration.superProperties = superProperties;
    configuration.serverURL = serverURL;
    configuration.proxyServerDelegate = std::move(proxyServerDelegate);
    configuration.useGzipCompression = useGzipCompression;

    m_instanceQueue->sync([&] {
        dequeueInstance(instanceName,
            [&] { return TallyInstance::create(configuration, TallyInstance::Services::installed()); });
    });
    return mainInstance();
}

void TallyManager::dequeueInstance(
    const std::string &instanceName, const std::function<std::shared_ptr<TallyInstance>()> &instanceCreation)
{
    const bool found = m_readWriteLock.write([&] {
        const auto existing = m_instances.find(instanceName);
        if (existing == m_instances.end()) {
            return false;
        }
        m_mainInstance = existing->second;
        return true;
    });
    if (found) {
        return;
    }
    // Built outside the lock: set-up takes a while and lookups go on meanwhile.
    std::shared_ptr<TallyInstance> instance = instanceCreation();
    m_readWriteLock.write([&] {
        m_instances[instanceName] = instance;
        m_mainInstance = std::move(instance);
    });
}

std::shared_ptr<TallyInstance> TallyManager::getInstance(const std::string &name) const
{
    std::shared_ptr<TallyInstance> instance = m_readWriteLock.read([&]() -> std::shared_ptr<TallyInstance> {
        const auto found = m_instances.find(name);
        return found == m_instances.end() ? nullptr : found->second;
    });
    if (!instance) {
        TallyLogger::warn("no such instance: " + name, "getInstance(name:)");
    }
    return instance;
}

std::shared_ptr<TallyInstance> TallyManager::mainInstance() const
{
    return m_readWriteLock.read([&] { return m_mainInstance; });
}

void TallyManager::setMainInstance(const std::string &name)
{
    m_readWriteLock.write([&] {
        const auto found = m_instances.find(name);
        if (found != m_instances.end()) {
            m_mainInstance = found->second;
        }
    });
}

void TallyManager::removeInstance(const std::string &name)
{
    std::shared_ptr<TallyInstance> removed;
    m_readWriteLock.write([&] {
        const auto found = m_instances.find(name);
        if (found == m_instances.end()) {
            return;
        }
        if (m_mainInstance == found->second) {
            m_mainInstance.reset();
        }
        removed = std::move(found->second);
        m_instances.erase(found);
    });
    // Released outside the lock: the instance's shut-down waits for its queues.
}

bool TallyManager::shutdown(std::chrono::milliseconds budget)
{
    const auto deadline = std::chrono::steady_clock::now() + budget;
    std::map<std::string, std::shared_ptr<TallyInstance>> instances;
    m_readWriteLock.write([&] {
        instances.swap(m_instances);
        m_mainInstance.reset();
    });
    bool allIdle = true;
    for (auto &[name, instance] : instances) {
        if (!instance->shutdown(deadline)) {
            allIdle = false;
            TallyLogger::warn("Instance " + name + " is still busy at quit", "shutdown(budget:)");
            m_readWriteLock.write([&] { m_leftBusy.push_back(instance); });
        }
    }
    // Released here: each idle instance's worker threads end before this returns.
    instances.clear();
    return allIdle;
}

} // namespace brimlark
