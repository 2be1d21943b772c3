#pragma once

#include "analytics/ApplicationLifecycle.h"
#include "analytics/FlushDelegate.h"
#include "analytics/FlushType.h"
#include "analytics/Network.h"
#include "analytics/ReadWriteLock.h"
#include "analytics/TallyIdentity.h"
#include "analytics/TallyRecordOwner.h"
#include "analytics/TallyType.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brimlark {

class Flush;
class Group;
class MainExecutor;
class People;
class SerialQueue;
class SessionMetadata;
class TallyClock;
class TallyRandom;
class TallyDelegate;
class TallyPersistence;
class TallyProxyServerDelegate;
class TallyUuidSource;
class Track;

// A notification as the super-property handler sees it: a name and, optionally, user info whose
// keys and values may be of any kind (a key that is not text, or a value that is opaque, is not a
// property).
struct TallyNotification
{
    std::string name;
    std::optional<std::vector<std::pair<TallyType, TallyType>>> userInfo;
};

// One analytics client instance: one project token, one identity, one record queue store, one
// delivery pipeline. Made by the registry (TallyManager) only; always owned by a shared_ptr.
//
// Every operation returns at once: what must be taken on the caller's thread (the time, argument
// checks) is taken there and the rest runs as one task on the serial tracking queue; batches are
// sent on the serial network queue. Completions run on the main thread through the MainExecutor
// that was shared when the instance was made. Nothing reports failure to its caller; refusals and
// failures are log lines.
class TallyInstance : public FlushDelegate,
                      public TallyRecordOwner,
                      public ApplicationLifecycleObserver,
                      public std::enable_shared_from_this<TallyInstance>
{
public:
    struct Configuration
    {
        std::optional<std::string> apiToken;
        double flushInterval = 60;
        std::string name;
        bool trackAutomaticEvents = false;
        bool optOutTrackingByDefault = false;
        bool useUniqueDistinctId = false;
        std::optional<TallyDictionary> superProperties;
        // Absent keeps defaultServerURL(); an empty text is taken as given.
        std::optional<std::string> serverURL;
        std::weak_ptr<TallyProxyServerDelegate> proxyServerDelegate;
        bool useGzipCompression = false;
    };

    // What an instance runs on; the program's are the process-wide ones.
    struct Services
    {
        std::shared_ptr<MainExecutor> mainExecutor;
        std::shared_ptr<TallyClock> clock;
        std::shared_ptr<TallyRandom> random;
        std::shared_ptr<TallyUuidSource> uuidSource;
        std::shared_ptr<ApplicationLifecycle> lifecycle;

        // The ones installed at this moment (see ProcessWide).
        static Services installed();
    };

    using Completion = std::function<void()>;

    // Builds and sets up an instance.
    static std::shared_ptr<TallyInstance> create(const Configuration &configuration, Services services);
    ~TallyInstance() override;
    TallyInstance(const TallyInstance &) = delete;
    TallyInstance &operator=(const TallyInstance &) = delete;

    // The service endpoint the build was configured with; empty when there is none.
    static std::string defaultServerURL();
    // Where the platform serial number comes from (a device-bound id); tests replace it. None
    // restores the machine's own.
    static void installSerialNumberSource(std::function<std::optional<std::string>()> source);

    // ---- set-up and configuration
    const std::string &apiToken() const { return m_apiToken; }
    const std::string &name() const { return m_name; }
    std::string distinctId() const;
    std::optional<std::string> anonymousId() const override;
    std::optional<std::string> userId() const override;
    std::optional<std::string> alias() const;
    std::optional<bool> hadPersistedDistinctId() const override;
    // The identity as it would be stored now.
    TallyIdentity identitySnapshot() const;
    People &people() const { return *m_people; }

    std::shared_ptr<TallyDelegate> delegate() const;
    void setDelegate(std::weak_ptr<TallyDelegate> delegate);
    std::shared_ptr<TallyProxyServerDelegate> proxyServerDelegate() const;
    void setProxyServerDelegate(std::weak_ptr<TallyProxyServerDelegate> delegate);

    bool showNetworkActivityIndicator() const { return m_showNetworkActivityIndicator.load(); }
    void setShowNetworkActivityIndicator(bool show) { m_showNetworkActivityIndicator.store(show); }
    bool trackAutomaticEventsEnabled() const override { return m_trackAutomaticEventsEnabled; }

    double flushInterval() const;
    void setFlushInterval(double seconds);
    bool flushOnBackground() const;
    void setFlushOnBackground(bool flush);
    bool useIPAddressForGeoLocation() const;
    void setUseIPAddressForGeoLocation(bool use);
    int flushBatchSize() const;
    // At most 50.
    void setFlushBatchSize(int size);
    std::string serverURL() const;
    void setServerURL(std::string serverURL);
    bool useGzipCompression() const { return m_useGzipCompression.load(); }
    void setUseGzipCompression(bool use);

    bool loggingEnabled() const { return m_loggingEnabled.load(); }
    // Turns every level of the client's logger on or off (also when the value does not change).
    void setLoggingEnabled(bool enabled);

    bool useUniqueDistinctId() const { return m_useUniqueDistinctId; }
    std::optional<bool> optOutStatus() const;
    bool hasOptedOutTracking() const override;

    SerialQueue &trackingQueue() const { return *m_trackingQueue; }
    SerialQueue &networkQueue() const { return *m_networkQueue; }
    Flush &flushInstance() const { return *m_flushInstance; }
    TallyPersistence &tallyPersistence() const { return *m_tallyPersistence; }
    const std::string &registerSuperPropertiesNotificationName() const
    {
        return m_registerSuperPropertiesNotificationName;
    }
    const std::string &unregisterSuperPropertiesNotificationName() const
    {
        return m_unregisterSuperPropertiesNotificationName;
    }

    // "Tally(\n    Token: <token>,\n    Distinct Id: <id>\n)"
    std::string debugDescription() const;

    // A new anonymous id: the serial number when a device-bound id is asked for and readable,
    // else a new random UUID text.
    std::string defaultDeviceId() const;
    // "$device:" + id, or empty without an id.
    static std::string addPrefixToDeviceId(const std::optional<std::string> &deviceId);
    // The platform serial number, when readable.
    static std::optional<std::string> macOSIdentifier();

    // At quit, on the main thread: stops the flush timer for good, then waits until the tracking
    // and network queues have done everything queued (deletions of delivered rows included), at
    // most until the deadline; what is queued then goes out in as few requests as the batch size
    // allows, not in the one-event requests of the flushes asked for after each event. Past it, work not yet
    // started is dropped and a transfer under way is stopped (its rows stay queued for the next start). True
    // when the queues are idle.
    bool shutdown(std::chrono::steady_clock::time_point deadline);

    void applicationDidBecomeActive() override;
    void applicationWillResignActive() override;

    // ---- identity and opt-out
    void identify(const std::string &distinctId, bool usePeople = true, Completion completion = nullptr);
    void createAlias(const std::string &alias, const std::string &distinctId, bool usePeople = true,
        bool andIdentify = true, Completion completion = nullptr);
    void reset(Completion completion = nullptr);
    // Stores timed events, super properties and identity; synchronous.
    void archive();
    void optOutTracking();
    void optInTracking(const std::optional<std::string> &distinctId = std::nullopt,
        const std::optional<TallyDictionary> &properties = std::nullopt);

    // ---- tracking
    // Properties (and super properties) nested deeper than can be read back from the store (or
    // the settings) are left out with a log line; the rest is kept.
    void track(const std::optional<std::string> &event,
        const std::optional<TallyDictionary> &properties = std::nullopt);
    void trackWithGroups(const std::optional<std::string> &event,
        const std::optional<TallyDictionary> &properties, const std::optional<TallyDictionary> &groups);
    void time(const std::string &event);
    double eventElapsedTime(const std::string &event) const;
    void clearTimedEvent(const std::string &event);
    void clearTimedEvents();
    TallyDictionary currentTimedEvents() const;

    void registerSuperProperties(const TallyDictionary &properties);
    void registerSuperPropertiesOnce(
        const TallyDictionary &properties, const std::optional<TallyType> &defaultValue = std::nullopt);
    void unregisterSuperProperty(const std::string &propertyName);
    void clearSuperProperties();
    TallyDictionary currentSuperProperties() const;
    // The edit runs on the tracking queue, outside any lock.
    void updateSuperProperty(std::function<void(TallyDictionary &)> update);
    void handleSuperPropertiesRegistrationNotification(const TallyNotification &notification);

    void setGroup(const std::string &groupKey, const TallyType &groupID);
    void setGroup(const std::string &groupKey, const TallyArray &groupIDs);
    void addGroup(const std::string &groupKey, const TallyType &groupID);
    void removeGroup(const std::string &groupKey, const TallyType &groupID);
    std::shared_ptr<Group> getGroup(const std::string &groupKey, const TallyType &groupID);
    std::shared_ptr<Group> removeCachedGroup(const std::string &groupKey, const TallyType &groupID) override;

    // ---- flushing
    // Loads up to one batch of each queue (all rows for a full flush) and sends them on the
    // network queue. Rows already on their way in an earlier flush are left out, so no row is sent
    // twice at the same time. The completion runs on the main thread once the rows of this flush
    // are settled: deleted when delivered, ready to be sent again otherwise.
    void flush(bool performFullFlush, Completion completion) override;
    void flush(Completion completion = nullptr) { flush(false, std::move(completion)); }
    // Sends one loaded queue on the calling thread (the network queue), unless opted out or held
    // back by the delivery back-off.
    void flushQueue(const std::vector<TallyDictionary> &queue, FlushType type);
    // Deletes the delivered rows on the tracking queue, ahead of any tracking still waiting there.
    void flushSuccess(FlushType type, const std::vector<std::int32_t> &ids) override;

private:
    explicit TallyInstance(const Configuration &configuration);
    void setUp(const Configuration &configuration, Services services);
    void unarchive();
    void archiveLocked() const;
    void applyLoggingSwitch(bool enabled);
    // The tracking task: builds and stores one event record unless opted out.
    void recordEvent(const std::optional<std::string> &event,
        const std::optional<TallyDictionary> &properties, double epochInterval);

    // Gives the rows ids, generation by generation, of what a flush loaded.
    using RowsInFlight = std::map<std::int32_t, std::uint64_t>;
    std::vector<TallyDictionary> loadForSending(
        FlushType type, std::int64_t batchSize, bool excludeAutomaticEvents);
    void settleLoadedRows(FlushType type, const std::vector<std::int32_t> &ids);

    // Runs the task on the tracking queue, unless the instance is gone by then.
    void onTrackingQueue(std::function<void(TallyInstance &self)> task);
    void postCompletion(const Completion &completion) const;
    static std::string groupCacheKey(const std::string &groupKey, const TallyType &groupID);
    TallyIdentity identityLocked() const;
    void resetIdentityToAnonymousLocked();
    void storeSuperProperties() const;

    // Fixed at set-up.
    std::string m_apiToken;
    bool m_trackAutomaticEventsEnabled = false;
    std::string m_name;
    bool m_useUniqueDistinctId = false;
    std::string m_registerSuperPropertiesNotificationName;
    std::string m_unregisterSuperPropertiesNotificationName;
    std::shared_ptr<MainExecutor> m_mainExecutor;
    std::shared_ptr<TallyClock> m_clock;
    std::shared_ptr<TallyUuidSource> m_uuidSource;
    std::shared_ptr<ApplicationLifecycle> m_lifecycle;

    // Guarded by m_readWriteLock.
    mutable ReadWriteLock m_readWriteLock;
    std::string m_distinctId;
    std::optional<std::string> m_anonymousId;
    std::optional<std::string> m_userId;
    std::optional<bool> m_hadPersistedDistinctId;
    std::optional<std::string> m_alias;
    TallyDictionary m_superProperties;
    TallyDictionary m_timedEvents;
    std::optional<bool> m_optOutStatus;
    std::map<std::string, std::shared_ptr<Group>> m_groups;

    mutable std::mutex m_delegateMutex;
    std::weak_ptr<TallyDelegate> m_delegate;
    std::weak_ptr<TallyProxyServerDelegate> m_proxyServerDelegate;
    std::string m_serverURL;

    std::atomic<bool> m_showNetworkActivityIndicator { true };
    std::atomic<bool> m_useGzipCompression { false };
    std::atomic<bool> m_loggingEnabled { false };
    // At quit: the sends of flushes asked for earlier are skipped, one full flush takes their rows.
    std::atomic<bool> m_gatheringAtQuit { false };

    std::shared_ptr<TallyPersistence> m_tallyPersistence;
    std::shared_ptr<SessionMetadata> m_sessionMetadata;
    std::shared_ptr<Flush> m_flushInstance;
    std::unique_ptr<Track> m_trackInstance;
    std::shared_ptr<People> m_people;

    // Touched on the tracking queue only.
    std::array<RowsInFlight, 3> m_rowsInFlight;

    // Last, so they are stopped (their queued tasks run to the end) before anything above goes.
    std::shared_ptr<SerialQueue> m_networkQueue;
    std::shared_ptr<SerialQueue> m_trackingQueue;
};

} // namespace brimlark
