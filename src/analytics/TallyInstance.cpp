#include "analytics/TallyInstance.h"

#include "analytics/Flush.h"
#include "analytics/MainExecutor.h"
#include "analytics/People.h"
#include "analytics/SerialQueue.h"
#include "analytics/SessionMetadata.h"
#include "analytics/TallyClock.h"
#include "analytics/TallyDelegate.h"
#include "analytics/TallyLogger.h"
#include "analytics/TallyPersistence.h"
#include "analytics/TallyProxyServerDelegate.h"
#include "analytics/TallyRandom.h"
#include "analytics/TallyUuidSource.h"
#include "analytics/Track.h"

#include <fstream>
#include <future>

#ifndef BRIMLARK_ANALYTICS_SERVER_URL
#define BRIMLARK_ANALYTICS_SERVER_URL ""
#endif

namespace brimlark {

namespace {

constexpr std::string_view s_reverseDomain = "app.brimlark.tally";

std::mutex s_serialNumberMutex;
std::function<std::optional<std::string>()> s_serialNumberSource;

// The firmware's serial number; only root may read it on most systems, and virtual machines
// often report placeholders, so anything that is not a plain non-empty text counts as none.
std::optional<std::string> machineSerialNumber()
{
    std::ifstream in("/sys/class/dmi/id/product_serial");
    std::string line;
    if (!in || !std::getline(in, line)) {
        return std::nullopt;
    }
    const auto first = line.find_first_not_of(" \t\r\n");
    const auto last = line.find_last_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    return line.substr(first, last - first + 1);
}

} // namespace

TallyDelegate::~TallyDelegate() = default;
TallyProxyServerDelegate::~TallyProxyServerDelegate() = default;

std::string TallyInstance::defaultServerURL()
{
    return BRIMLARK_ANALYTICS_SERVER_URL;
}

void TallyInstance::installSerialNumberSource(std::function<std::optional<std::string>()> source)
{
    std::lock_guard guard(s_serialNumberMutex);
    s_serialNumberSource = std::move(source);
}

std::optional<std::string> TallyInstance::macOSIdentifier()
{
    std::function<std::optional<std::string>()> source;
    {
        std::lock_guard guard(s_serialNumberMutex);
        source = s_serialNumberSource;
    }
    return source ? source() : machineSerialNumber();
}

TallyInstance::TallyInstance(const Configuration &configuration)
    : m_readWriteLock(std::string(s_reverseDomain) + ".globallock")
{
    // Step 1: the defaults of the declarations; step 2 onwards in setUp().
    (void)configuration;
}

TallyInstance::Services TallyInstance::Services::installed()
{
    return { MainExecutor::shared(), TallyClock::shared(), TallyRandom::shared(), TallyUuidSource::shared(),
        ApplicationLifecycle::shared() };
}

std::shared_ptr<TallyInstance> TallyInstance::create(const Configuration &configuration, Services services)
{
    std::shared_ptr<TallyInstance> instance(new TallyInstance(configuration));
    instance->setUp(configuration, std::move(services));
    return instance;
}

void TallyInstance::setUp(const Configuration &configuration, Services services)
{
    m_mainExecutor = std::move(services.mainExecutor);
    m_clock = std::move(services.clock);
    m_uuidSource = std::move(services.uuidSource);
    m_lifecycle = std::move(services.lifecycle);

    if (configuration.apiToken && !configuration.apiToken->empty()) {
        m_apiToken = *configuration.apiToken;
    }
    m_trackAutomaticEventsEnabled = configuration.trackAutomaticEvents;
    m_serverURL = configuration.serverURL ? *configuration.serverURL : defaultServerURL();
    m_useGzipCompression.store(configuration.useGzipCompression);
    m_proxyServerDelegate = configuration.proxyServerDelegate;

    const std::string queuePrefix = std::string(s_reverseDomain) + "." + m_apiToken;
    m_trackingQueue = std::make_shared<SerialQueue>(queuePrefix + ".tracking)");
    m_networkQueue = std::make_shared<SerialQueue>(queuePrefix + ".network)");

    // Work queued during set-up (the flush of the interval setter, below) waits until the stored
    // state is restored, so it never acts on an opt-out or identity that is not yet read.
    auto setUpDone = std::make_shared<std::promise<void>>();
    m_trackingQueue->async([ready = setUpDone->get_future().share()] { ready.wait(); });
    struct OpenGate
    {
        std::shared_ptr<std::promise<void>> promise;
        ~OpenGate() { promise->set_value(); }
    } openGate { setUpDone };

    m_name = configuration.name;
    m_tallyPersistence = std::make_shared<TallyPersistence>(m_name);
    m_tallyPersistence->migrate();
    m_useUniqueDistinctId = configuration.useUniqueDistinctId;
    m_registerSuperPropertiesNotificationName = std::string(s_reverseDomain) + ".properties.register";
    m_unregisterSuperPropertiesNotificationName = std::string(s_reverseDomain) + ".properties.unregister";

    m_flushInstance = std::make_shared<Flush>(
        m_serverURL, m_useGzipCompression.load(), m_mainExecutor, m_clock, services.random);
    m_sessionMetadata = std::make_shared<SessionMetadata>(services.random);
    m_trackInstance = std::make_unique<Track>(m_apiToken, m_name, m_sessionMetadata, m_tallyPersistence);
    const std::weak_ptr<TallyInstance> weakSelf = weak_from_this();
    m_trackInstance->setTallyInstance(weakSelf);
    m_flushInstance->setDelegate(weakSelf);

    m_readWriteLock.write([&] { m_distinctId = addPrefixToDeviceId(defaultDeviceId()); });

    m_people = People::create(m_apiToken, m_trackingQueue, m_sessionMetadata, m_tallyPersistence);
    m_people->setTallyInstance(weakSelf);

    m_flushInstance->setFlushInterval(configuration.flushInterval);

    m_lifecycle->addObserver(weakSelf);

    unarchive();

    if (configuration.optOutTrackingByDefault && (hasOptedOutTracking() || !optOutStatus())) {
        optOutTracking();
    }
    if (configuration.superProperties) {
        registerSuperProperties(*configuration.superProperties);
    }
}

TallyInstance::~TallyInstance()
{
    if (m_lifecycle) {
        m_lifecycle->removeObserver(this);
    }
}

void TallyInstance::unarchive()
{
    bool needsSave = false;
    m_readWriteLock.write([&] {
        m_optOutStatus = TallyPersistence::loadOptOutStatusFlag(m_name);
        m_superProperties = TallyPersistence::loadSuperProperties(m_name);
        m_timedEvents = TallyPersistence::loadTimedEvents(m_name);

        const TallyIdentity stored = TallyPersistence::loadIdentity(m_name);
        m_distinctId = stored.distinctID;
        m_people->setDistinctId(stored.peopleDistinctID);
        m_anonymousId = stored.anonymousId;
        m_userId = stored.userId;
        m_alias = stored.alias;
        m_hadPersistedDistinctId = stored.hadPersistedDistinctId;

        if (m_distinctId.empty()) {
            m_anonymousId = defaultDeviceId();
            m_distinctId = addPrefixToDeviceId(m_anonymousId);
            m_hadPersistedDistinctId = true;
            m_userId.reset();
            needsSave = true;
        }
    });
    if (needsSave) {
        m_readWriteLock.read([&] { TallyPersistence::saveIdentity(identityLocked(), m_name); });
    }
}

std::string TallyInstance::defaultDeviceId() const
{
    if (m_useUniqueDistinctId) {
        if (auto serial = macOSIdentifier()) {
            return *serial;
        }
    }
    return m_uuidSource->newUuidText();
}

std::string TallyInstance::addPrefixToDeviceId(const std::optional<std::string> &deviceId)
{
    return deviceId ? "$device:" + *deviceId : std::string();
}

TallyIdentity TallyInstance::identityLocked() const
{
    TallyIdentity identity;
    identity.distinctID = m_distinctId;
    identity.peopleDistinctID = m_people ? m_people->distinctId() : std::nullopt;
    identity.anonymousId = m_anonymousId;
    identity.userId = m_userId;
    identity.alias = m_alias;
    identity.hadPersistedDistinctId = m_hadPersistedDistinctId;
    return identity;
}

TallyIdentity TallyInstance::identitySnapshot() const
{
    return m_readWriteLock.read([&] { return identityLocked(); });
}

std::string TallyInstance::distinctId() const
{
    return m_readWriteLock.read([&] { return m_distinctId; });
}

std::optional<std::string> TallyInstance::anonymousId() const
{
    return m_readWriteLock.read([&] { return m_anonymousId; });
}

std::optional<std::string> TallyInstance::userId() const
{
    return m_readWriteLock.read([&] { return m_userId; });
}

std::optional<std::string> TallyInstance::alias() const
{
    return m_readWriteLock.read([&] { return m_alias; });
}

std::optional<bool> TallyInstance::hadPersistedDistinctId() const
{
    return m_readWriteLock.read([&] { return m_hadPersistedDistinctId; });
}

std::optional<bool> TallyInstance::optOutStatus() const
{
    return m_readWriteLock.read([&] { return m_optOutStatus; });
}

bool TallyInstance::hasOptedOutTracking() const
{
    return optOutStatus().value_or(false);
}

std::shared_ptr<TallyDelegate> TallyInstance::delegate() const
{
    std::lock_guard guard(m_delegateMutex);
    return m_delegate.lock();
}

void TallyInstance::setDelegate(std::weak_ptr<TallyDelegate> delegate)
{
    std::lock_guard guard(m_delegateMutex);
    m_delegate = std::move(delegate);
}

std::shared_ptr<TallyProxyServerDelegate> TallyInstance::proxyServerDelegate() const
{
    std::lock_guard guard(m_delegateMutex);
    return m_proxyServerDelegate.lock();
}

void TallyInstance::setProxyServerDelegate(std::weak_ptr<TallyProxyServerDelegate> delegate)
{
    std::lock_guard guard(m_delegateMutex);
    m_proxyServerDelegate = std::move(delegate);
}

double TallyInstance::flushInterval() const
{
    return m_flushInstance->flushInterval();
}

void TallyInstance::setFlushInterval(double seconds)
{
    m_flushInstance->setFlushInterval(seconds);
}

bool TallyInstance::flushOnBackground() const
{
    return m_flushInstance->flushOnBackground();
}

void TallyInstance::setFlushOnBackground(bool flush)
{
    m_flushInstance->setFlushOnBackground(flush);
}

bool TallyInstance::useIPAddressForGeoLocation() const
{
    return m_flushInstance->useIPAddressForGeoLocation();
}

void TallyInstance::setUseIPAddressForGeoLocation(bool use)
{
    m_flushInstance->setUseIPAddressForGeoLocation(use);
}

int TallyInstance::flushBatchSize() const
{
    return m_flushInstance->flushBatchSize();
}

void TallyInstance::setFlushBatchSize(int size)
{
    m_flushInstance->setFlushBatchSize(size);
}

std::string TallyInstance::serverURL() const
{
    std::lock_guard guard(m_delegateMutex);
    return m_serverURL;
}

void TallyInstance::setServerURL(std::string serverURL)
{
    {
        std::lock_guard guard(m_delegateMutex);
        m_serverURL = serverURL;
    }
    m_flushInstance->setServerURL(std::move(serverURL));
}

void TallyInstance::setUseGzipCompression(bool use)
{
    m_useGzipCompression.store(use);
    m_flushInstance->setUseGzipCompression(use);
}

void TallyInstance::setLoggingEnabled(bool enabled)
{
    m_loggingEnabled.store(enabled);
    applyLoggingSwitch(enabled);
}

void TallyInstance::applyLoggingSwitch(bool enabled)
{
    constexpr TallyLogLevel levels[]
        = { TallyLogLevel::Debug, TallyLogLevel::Info, TallyLogLevel::Warning, TallyLogLevel::Error };
    if (enabled) {
        for (const TallyLogLevel level : levels) {
            TallyLogger::enableLevel(level);
        }
        TallyLogger::info("TallyLogging Enabled", "loggingEnabled");
    } else {
        TallyLogger::info("TallyLogging Disabled", "loggingEnabled");
        for (const TallyLogLevel level : levels) {
            TallyLogger::disableLevel(level);
        }
    }
}

std::string TallyInstance::debugDescription() const
{
    return "Tally(\n    Token: " + m_apiToken + ",\n    Distinct Id: " + distinctId() + "\n)";
}

bool TallyInstance::shutdown(std::chrono::steady_clock::time_point deadline)
{
    m_flushInstance->shutdownFlushTimer();
    // A delivered batch queues its deletion on the tracking queue, a flush its sending on the
    // network queue: idle means both idle one after the other with nothing new in between.
    const auto drained = [&](std::chrono::steady_clock::time_point until) {
        for (;;) {
            if (!m_trackingQueue->waitUntilIdle(until) || !m_networkQueue->waitUntilIdle(until)
                || !m_trackingQueue->waitUntilIdle(until)) {
                return false;
            }
            if (m_networkQueue->waitUntilIdle(std::chrono::steady_clock::now())) {
                return true;
            }
        }
    };
    // Each event asked for a flush of its own, and each of those would be a request: at quit their
    // sends are skipped, and one full flush sends everything in batches.
    m_gatheringAtQuit.store(true);
    bool idle = drained(deadline);
    m_gatheringAtQuit.store(false);
    if (idle) {
        flush(true, nullptr);
        idle = drained(deadline);
    }
    if (idle) {
        return true;
    }
    const std::size_t dropped = m_trackingQueue->discardPending() + m_networkQueue->discardPending();
    TallyLogger::warn(
        [&] {
            return "Quit could not wait for everything queued; " + std::to_string(dropped)
                + " tasks left undone, undelivered records stay queued";
        },
        "shutdown(deadline:)");
    // What is running now ends quickly once no transfer may go on.
    Network::setTransfersAborted(true);
    const bool stopped = drained(std::chrono::steady_clock::now() + std::chrono::seconds(1));
    Network::setTransfersAborted(false);
    return stopped;
}

void TallyInstance::applicationDidBecomeActive()
{
    m_flushInstance->applicationDidBecomeActive();
}

void TallyInstance::applicationWillResignActive()
{
    m_flushInstance->applicationWillResignActive();
    if (flushOnBackground()) {
        flush(false, nullptr);
    }
}

void TallyInstance::postCompletion(const Completion &completion) const
{
    if (completion) {
        m_mainExecutor->post(completion);
    }
}

} // namespace brimlark
