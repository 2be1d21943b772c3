// Tracking operations of TallyInstance: events, timed events, super properties and groups.
#include "analytics/TallyInstance.h"

#include "analytics/Group.h"
#include "analytics/JSONHandler.h"
#include "analytics/People.h"
#include "analytics/SerialQueue.h"
#include "analytics/TallyArchiver.h"
#include "analytics/TallyClock.h"
#include "analytics/TallyLogger.h"
#include "analytics/TallyPersistence.h"
#include "analytics/Track.h"

namespace brimlark {

namespace {

// Leaves out, with a log line each, the entries nested deeper than what can be read back later:
// stored anyway they would be dropped as unreadable (records) or take every other super property
// with them (the archive).
TallyDictionary withoutTooDeepEntries(
    const TallyDictionary &properties, int levels, std::string_view function)
{
    TallyDictionary kept;
    for (const auto &[key, value] : properties) {
        if (value.nestsDeeperThan(levels)) {
            TallyLogger::warn(
                "Property \"" + key + "\" nests deeper than " + std::to_string(levels) + " levels; left out",
                function);
            continue;
        }
        kept.set(key, value);
    }
    return kept;
}

std::optional<TallyDictionary> withoutTooDeepEntries(
    const std::optional<TallyDictionary> &properties, int levels, std::string_view function)
{
    if (!properties) {
        return std::nullopt;
    }
    return withoutTooDeepEntries(*properties, levels, function);
}

constexpr int s_superPropertyDepth = TallyArchiver::maximumValueDepth;

} // namespace

void TallyInstance::onTrackingQueue(std::function<void(TallyInstance &self)> task)
{
    m_trackingQueue->async([weak = weak_from_this(), task = std::move(task)] {
        if (const auto self = weak.lock()) {
            task(*self);
        }
    });
}

void TallyInstance::track(
    const std::optional<std::string> &event, const std::optional<TallyDictionary> &givenProperties)
{
    const double epochInterval = m_clock->now();
    std::optional<TallyDictionary> properties = withoutTooDeepEntries(
        givenProperties, JSONHandler::maximumPropertyDepth, "track(event:properties:)");
    onTrackingQueue([event, properties = std::move(properties), epochInterval](
                        TallyInstance &self) { self.recordEvent(event, properties, epochInterval); });
}

void TallyInstance::recordEvent(const std::optional<std::string> &event,
    const std::optional<TallyDictionary> &properties, double epochInterval)
{
    if (hasOptedOutTracking()) {
        return;
    }
    TallyDictionary timedEvents;
    TallyDictionary superProperties;
    TallyIdentity identity;
    m_readWriteLock.read([&] {
        timedEvents = m_timedEvents;
        superProperties = m_superProperties;
        identity.distinctID = m_distinctId;
        identity.anonymousId = m_anonymousId;
        identity.userId = m_userId;
        identity.hadPersistedDistinctId = m_hadPersistedDistinctId;
    });
    TallyDictionary remaining
        = m_trackInstance->track(event, properties, timedEvents, superProperties, identity, epochInterval);
    m_readWriteLock.write([&] { m_timedEvents = std::move(remaining); });
}

void TallyInstance::trackWithGroups(const std::optional<std::string> &event,
    const std::optional<TallyDictionary> &properties, const std::optional<TallyDictionary> &groups)
{
    if (hasOptedOutTracking()) {
        return;
    }
    if (!properties) {
        track(event, groups);
        return;
    }
    if (!groups) {
        track(event, properties);
        return;
    }
    TallyDictionary merged = *properties;
    merged += *groups;
    track(event, merged);
}

void TallyInstance::time(const std::string &event)
{
    const double startTime = m_clock->now();
    onTrackingQueue([event, startTime](TallyInstance &self) {
        TallyDictionary updated = self.m_trackInstance->time(event, self.currentTimedEvents(), startTime);
        self.m_readWriteLock.write([&] { self.m_timedEvents = std::move(updated); });
        self.m_readWriteLock.read(
            [&] { TallyPersistence::saveTimedEvents(self.m_timedEvents, self.m_name); });
    });
}

double TallyInstance::eventElapsedTime(const std::string &event) const
{
    const TallyDictionary timedEvents = currentTimedEvents();
    const TallyType *entry = timedEvents.find(event);
    const double *startTime = entry ? entry->get<double>() : nullptr;
    return startTime ? m_clock->now() - *startTime : 0;
}

TallyDictionary TallyInstance::currentTimedEvents() const
{
    return m_readWriteLock.read([&] { return m_timedEvents; });
}

void TallyInstance::clearTimedEvent(const std::string &event)
{
    onTrackingQueue([event](TallyInstance &self) {
        TallyDictionary updated = self.m_trackInstance->clearTimedEvent(event, self.currentTimedEvents());
        self.m_readWriteLock.write([&] { self.m_timedEvents = std::move(updated); });
        self.m_readWriteLock.read(
            [&] { TallyPersistence::saveTimedEvents(self.m_timedEvents, self.m_name); });
    });
}

void TallyInstance::clearTimedEvents()
{
    onTrackingQueue([](TallyInstance &self) {
        self.m_readWriteLock.write([&] { self.m_timedEvents = TallyDictionary(); });
        TallyPersistence::saveTimedEvents(TallyDictionary(), self.m_name);
    });
}

void TallyInstance::storeSuperProperties() const
{
    m_readWriteLock.read([&] { TallyPersistence::saveSuperProperties(m_superProperties, m_name); });
}

void TallyInstance::registerSuperProperties(const TallyDictionary &givenProperties)
{
    TallyDictionary properties
        = withoutTooDeepEntries(givenProperties, s_superPropertyDepth, "registerSuperProperties(_:)");
    onTrackingQueue([properties = std::move(properties)](TallyInstance &self) {
        TallyDictionary updated
            = self.m_trackInstance->registerSuperProperties(properties, self.currentSuperProperties());
        self.m_readWriteLock.write([&] { self.m_superProperties = std::move(updated); });
        self.storeSuperProperties();
    });
}

void TallyInstance::registerSuperPropertiesOnce(
    const TallyDictionary &givenProperties, const std::optional<TallyType> &defaultValue)
{
    TallyDictionary properties = withoutTooDeepEntries(
        givenProperties, s_superPropertyDepth, "registerSuperPropertiesOnce(_:defaultValue:)");
    onTrackingQueue([properties = std::move(properties), defaultValue](TallyInstance &self) {
        TallyDictionary updated = self.m_trackInstance->registerSuperPropertiesOnce(
            properties, self.currentSuperProperties(), defaultValue);
        self.m_readWriteLock.write([&] { self.m_superProperties = std::move(updated); });
        self.storeSuperProperties();
    });
}

void TallyInstance::unregisterSuperProperty(const std::string &propertyName)
{
    onTrackingQueue([propertyName](TallyInstance &self) {
        TallyDictionary updated = self.currentSuperProperties();
        updated.remove(propertyName);
        self.m_readWriteLock.write([&] { self.m_superProperties = std::move(updated); });
        self.storeSuperProperties();
    });
}

void TallyInstance::clearSuperProperties()
{
    onTrackingQueue([](TallyInstance &self) {
        self.m_readWriteLock.write([&] { self.m_superProperties = TallyDictionary(); });
        TallyPersistence::saveSuperProperties(TallyDictionary(), self.m_name);
    });
}

TallyDictionary TallyInstance::currentSuperProperties() const
{
    return m_readWriteLock.read([&] { return m_superProperties; });
}

void TallyInstance::updateSuperProperty(std::function<void(TallyDictionary &)> update)
{
    onTrackingQueue([update = std::move(update)](TallyInstance &self) {
        TallyDictionary updated = self.currentSuperProperties();
        if (update) {
            update(updated);
            updated = withoutTooDeepEntries(updated, s_superPropertyDepth, "updateSuperProperty(_:)");
        }
        self.m_readWriteLock.write([&] { self.m_superProperties = std::move(updated); });
        self.storeSuperProperties();
    });
}

void TallyInstance::handleSuperPropertiesRegistrationNotification(const TallyNotification &notification)
{
    if (!notification.userInfo) {
        return;
    }
    if (notification.name == m_registerSuperPropertiesNotificationName) {
        TallyDictionary properties;
        for (const auto &[key, value] : *notification.userInfo) {
            const std::string *name = key.get<std::string>();
            if (!name || value.kind() == TallyType::Kind::Opaque || !value.isValidNestedTypeAndValue()) {
                return; // one entry that is no property registers none
            }
            properties.set(*name, value);
        }
        registerSuperProperties(properties);
        return;
    }
    for (const auto &entry : *notification.userInfo) {
        if (const std::string *name = entry.first.get<std::string>()) {
            unregisterSuperProperty(*name);
        }
    }
}

void TallyInstance::setGroup(const std::string &groupKey, const TallyType &groupID)
{
    if (hasOptedOutTracking()) {
        return;
    }
    setGroup(groupKey, TallyArray { groupID });
}

void TallyInstance::setGroup(const std::string &groupKey, const TallyArray &groupIDs)
{
    if (hasOptedOutTracking()) {
        return;
    }
    const TallyDictionary properties { { groupKey, groupIDs } };
    registerSuperProperties(properties);
    m_people->set(properties);
}

void TallyInstance::addGroup(const std::string &groupKey, const TallyType &groupID)
{
    if (hasOptedOutTracking()) {
        return;
    }
    updateSuperProperty([people = m_people, groupKey, groupID](TallyDictionary &superProperties) {
        TallyType *existing = superProperties.find(groupKey);
        if (!existing) {
            superProperties.set(groupKey, TallyArray { groupID });
            people->set(TallyDictionary { { groupKey, TallyArray { groupID } } });
            return;
        }
        if (TallyArray *list = existing->get<TallyArray>()) {
            const bool present = std::any_of(list->begin(), list->end(),
                [&](const TallyType &element) { return element.equals(groupID); });
            if (!present) {
                list->push_back(groupID);
            }
        } else {
            *existing = TallyArray { *existing, groupID };
        }
        people->unionProperties(TallyDictionary { { groupKey, TallyArray { groupID } } });
    });
}

void TallyInstance::removeGroup(const std::string &groupKey, const TallyType &groupID)
{
    if (hasOptedOutTracking()) {
        return;
    }
    updateSuperProperty([people = m_people, groupKey, groupID](TallyDictionary &superProperties) {
        TallyType *existing = superProperties.find(groupKey);
        if (!existing) {
            return;
        }
        if (const TallyArray *list = existing->get<TallyArray>(); list && list->size() > 1) {
            TallyArray kept;
            for (const TallyType &element : *list) {
                if (!element.equals(groupID)) {
                    kept.push_back(element);
                }
            }
            *existing = std::move(kept);
            people->remove(TallyDictionary { { groupKey, groupID } });
            return;
        }
        superProperties.remove(groupKey);
        people->unset(std::vector<std::string> { groupKey });
    });
}

std::string TallyInstance::groupCacheKey(const std::string &groupKey, const TallyType &groupID)
{
    // Text prints as itself, as string interpolation writes it; other values by their description.
    const std::string *text = groupID.get<std::string>();
    return groupKey + "_" + (text ? *text : groupID.description());
}

std::shared_ptr<Group> TallyInstance::getGroup(const std::string &groupKey, const TallyType &groupID)
{
    const std::string key = groupCacheKey(groupKey, groupID);
    const auto makeGroup = [&] {
        return Group::create(m_apiToken, m_trackingQueue, groupKey, groupID, m_sessionMetadata,
            m_tallyPersistence, weak_from_this());
    };
    const std::shared_ptr<Group> cached = m_readWriteLock.read([&]() -> std::shared_ptr<Group> {
        const auto found = m_groups.find(key);
        return found == m_groups.end() ? nullptr : found->second;
    });
    if (cached) {
        if (cached->groupKey() == groupKey && cached->groupID().equals(groupID)) {
            return cached;
        }
        TallyLogger::info("groups dictionary key collision: " + key, "getGroup(groupKey:groupID:)");
        std::shared_ptr<Group> replacement = makeGroup();
        m_readWriteLock.write([&] { m_groups[key] = replacement; });
        return replacement;
    }
    return m_readWriteLock.write([&] {
        auto &slot = m_groups[key];
        if (!slot) {
            slot = makeGroup();
        }
        return slot;
    });
}

std::shared_ptr<Group> TallyInstance::removeCachedGroup(const std::string &groupKey, const TallyType &groupID)
{
    const std::string key = groupCacheKey(groupKey, groupID);
    return m_readWriteLock.write([&]() -> std::shared_ptr<Group> {
        const auto found = m_groups.find(key);
        if (found == m_groups.end()) {
            return nullptr;
        }
        std::shared_ptr<Group> removed = std::move(found->second);
        m_groups.erase(found);
        return removed;
    });
}

} // namespace brimlark
