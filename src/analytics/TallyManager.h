#pragma once

#include "analytics/ReadWriteLock.h"
#include "analytics/TallyType.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brimlark {

class SerialQueue;
class TallyInstance;
class TallyProxyServerDelegate;

// The process-wide registry of client instances by name, with the main instance. Instances are
// created one at a time on its creation queue while the caller waits; the dictionary and the main
// instance are read under the read lock and changed under the write lock.
class TallyManager
{
public:
    // The process-wide registry (see ProcessWide), installed by the program.
    static TallyManager &sharedInstance();
    static std::shared_ptr<TallyManager> installSharedInstance(std::shared_ptr<TallyManager> manager);
    // A registry that is never destroyed: its instances may still be working on their own threads
    // while the process ends. Making one adds the console sink to the client's logger.
    static std::shared_ptr<TallyManager> createForProcess();
    TallyManager(const TallyManager &) = delete;
    TallyManager &operator=(const TallyManager &) = delete;

    // Finds the named instance or creates it, and makes it the main instance. An instance that
    // already exists keeps its options: the new arguments are not applied to it.
    std::shared_ptr<TallyInstance> initialize(const std::string &apiToken, double flushInterval,
        const std::string &instanceName, bool trackAutomaticEvents, bool optOutTrackingByDefault,
        bool useUniqueDistinctId, const std::optional<TallyDictionary> &superProperties,
        const std::optional<std::string> &serverURL,
        std::weak_ptr<TallyProxyServerDelegate> proxyServerDelegate, bool useGzipCompression);

    // None with a warning when the name is not registered.
    std::shared_ptr<TallyInstance> getInstance(const std::string &name) const;
    // None when there is no main instance.
    std::shared_ptr<TallyInstance> mainInstance() const;
    // Nothing changes when the name is not registered.
    void setMainInstance(const std::string &name);
    // Drops the registry's reference; the main instance becomes none when it was this one.
    void removeInstance(const std::string &name);

    // At quit, on the main thread, before statics are destroyed: every instance stops its flush
    // timer and finishes its queued work within the budget (see TallyInstance::shutdown), then
    // the registry lets go of them and their worker threads end. An instance that could not get
    // idle in time is kept (never destroyed) rather than waited for. True when all got idle.
    bool shutdown(std::chrono::milliseconds budget);

private:
    TallyManager();
    ~TallyManager();

    void dequeueInstance(const std::string &instanceName,
        const std::function<std::shared_ptr<TallyInstance>()> &instanceCreation);

    std::map<std::string, std::shared_ptr<TallyInstance>> m_instances;
    std::shared_ptr<TallyInstance> m_mainInstance;
    mutable ReadWriteLock m_readWriteLock;
    std::unique_ptr<SerialQueue> m_instanceQueue;
    // Instances that were still busy at quit; kept so that their threads never run on a freed one.
    std::vector<std::shared_ptr<TallyInstance>> m_leftBusy;
};

} // namespace brimlark
