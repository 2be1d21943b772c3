// Identity and opt-out operations of TallyInstance.
#include "analytics/TallyInstance.h"

#include "analytics/People.h"
#include "analytics/TallyClock.h"
#include "analytics/TallyLogger.h"
#include "analytics/TallyPersistence.h"

namespace brimlark {

namespace {

constexpr std::string_view s_identifyLabel = "identify(distinctId:usePeople:completion:)";
constexpr std::string_view s_aliasLabel = "createAlias(_:distinctId:usePeople:andIdentify:completion:)";

} // namespace

void TallyInstance::identify(const std::string &distinctId, bool usePeople, Completion completion)
{
    if (hasOptedOutTracking()) {
        postCompletion(completion);
        return;
    }
    if (distinctId.empty()) {
        TallyLogger::error(debugDescription() + " cannot identify blank distinct id", s_identifyLabel);
        postCompletion(completion);
        return;
    }
    const double epochInterval = m_clock->now();
    onTrackingQueue([distinctId, usePeople, completion, epochInterval](TallyInstance &self) {
        std::optional<std::string> previousDistinctId;
        self.m_readWriteLock.write([&] {
            if (!self.m_anonymousId) {
                self.m_anonymousId = self.m_distinctId;
                self.m_hadPersistedDistinctId = true;
            }
            if (!self.m_userId) {
                self.m_userId = distinctId;
            }
            if (distinctId != self.m_distinctId) {
                previousDistinctId = self.m_distinctId;
                self.m_alias.reset();
                self.m_distinctId = distinctId;
                self.m_userId = distinctId;
            }
        });
        // Recorded within this task, so the identification comes before whatever was tracked
        // after identify() was called.
        if (previousDistinctId) {
            self.recordEvent(
                "$identify", TallyDictionary { { "$anon_distinct_id", *previousDistinctId } }, epochInterval);
        }
        self.m_readWriteLock.write([&] {
            self.m_people->setDistinctId(usePeople ? std::optional<std::string>(distinctId) : std::nullopt);
        });
        if (usePeople) {
            self.m_tallyPersistence->identifyPeople(self.m_apiToken);
        }
        self.m_readWriteLock.read(
            [&] { TallyPersistence::saveIdentity(self.identityLocked(), self.m_name); });
        self.postCompletion(completion);
    });
}

void TallyInstance::createAlias(const std::string &alias, const std::string &distinctId, bool usePeople,
    bool andIdentify, Completion completion)
{
    if (hasOptedOutTracking()) {
        postCompletion(completion);
        return;
    }
    if (distinctId.empty()) {
        TallyLogger::error(debugDescription() + " cannot identify blank distinct id", s_aliasLabel);
        postCompletion(completion);
        return;
    }
    if (alias.empty()) {
        TallyLogger::error(debugDescription() + " create alias called with empty alias", s_aliasLabel);
        postCompletion(completion);
        return;
    }
    if (alias == distinctId) {
        TallyLogger::error(
            "alias: " + alias + " matches distinctId: " + distinctId + " - skipping api call.", s_aliasLabel);
        postCompletion(completion);
        return;
    }
    // A vanished instance leaves the completion to the flush below, so it runs once.
    onTrackingQueue([alias](TallyInstance &self) {
        self.m_readWriteLock.write([&] { self.m_alias = alias; });
        self.m_readWriteLock.read(
            [&] { TallyPersistence::saveIdentity(self.identityLocked(), self.m_name); });
    });
    track("$create_alias", TallyDictionary { { "distinct_id", distinctId }, { "alias", alias } });
    if (andIdentify) {
        identify(distinctId, usePeople, nullptr);
    }
    flush(false, std::move(completion));
}

void TallyInstance::resetIdentityToAnonymousLocked()
{
    m_anonymousId = defaultDeviceId();
    m_distinctId = addPrefixToDeviceId(m_anonymousId);
    m_hadPersistedDistinctId = true;
    m_userId.reset();
    m_alias.reset();
    m_people->setDistinctId(std::nullopt);
}

void TallyInstance::reset(Completion completion)
{
    // Queued ahead of the reset, so up to one batch of what was tracked until now still goes out.
    flush(false, nullptr);
    onTrackingQueue([completion](TallyInstance &self) {
        TallyPersistence::deleteUserDefaultsData(self.m_name);
        self.m_readWriteLock.write([&] {
            self.m_timedEvents = TallyDictionary();
            self.m_superProperties = TallyDictionary();
            self.resetIdentityToAnonymousLocked();
        });
        self.m_tallyPersistence->resetEntities();
        self.archive();
        self.postCompletion(completion);
    });
}

void TallyInstance::archiveLocked() const
{
    TallyPersistence::saveTimedEvents(m_timedEvents, m_name);
    TallyPersistence::saveSuperProperties(m_superProperties, m_name);
    TallyPersistence::saveIdentity(identityLocked(), m_name);
}

void TallyInstance::archive()
{
    m_readWriteLock.read([&] { archiveLocked(); });
}

void TallyInstance::optOutTracking()
{
    onTrackingQueue([](TallyInstance &self) {
        if (self.m_people->distinctId()) {
            self.m_people->deleteUser();
            self.m_people->clearCharges();
            self.flush(false, nullptr);
        }
        self.m_readWriteLock.write([&] {
            self.resetIdentityToAnonymousLocked();
            self.m_superProperties = TallyDictionary();
            self.m_timedEvents = TallyDictionary();
        });
        TallyPersistence::saveTimedEvents(TallyDictionary(), self.m_name);
        self.archive();
        self.m_readWriteLock.write([&] { self.m_optOutStatus = true; });
        self.m_readWriteLock.read([&] { TallyPersistence::saveOptOutStatusFlag(true, self.m_name); });
    });
}

void TallyInstance::optInTracking(
    const std::optional<std::string> &distinctId, const std::optional<TallyDictionary> &properties)
{
    onTrackingQueue([distinctId, properties](TallyInstance &self) {
        const bool wasOptedOut = self.m_readWriteLock.write([&] {
            const bool was = self.m_optOutStatus.value_or(false);
            self.m_optOutStatus = false;
            return was;
        });
        self.m_readWriteLock.read([&] { TallyPersistence::saveOptOutStatusFlag(false, self.m_name); });
        if (wasOptedOut) {
            // Profile updates still queued from before the opt-out (among them the profile
            // deletion the opt-out asked for) lost their identity with it; profile updates are
            // sent under whatever identity is current when they leave, so they would land on the
            // profile of whoever is identified next.
            self.m_tallyPersistence->tldb().deleteRows(PersistenceType::People, {}, true);
            TallyLogger::info("Discarded the profile updates queued before opting out",
                "optInTracking(distinctId:properties:)");
        }
        if (distinctId) {
            self.identify(*distinctId, true, nullptr);
        }
        self.track("$opt_in", properties);
    });
}

} // namespace brimlark
