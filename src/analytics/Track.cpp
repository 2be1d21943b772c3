#include "analytics/Track.h"

#include "analytics/AutomaticProperties.h"
#include "analytics/TallyLogger.h"

#include <charconv>
#include <cmath>

namespace brimlark {

namespace {

constexpr std::string_view s_trackLabel
    = "track(event:properties:timedEvents:superProperties:tallyIdentity:epochInterval:)";

// A number as object equality sees it: Booleans are the numbers 0 and 1.
std::optional<TallyType> asNumber(const TallyType &value)
{
    if (const bool *flag = value.get<bool>()) {
        return TallyType(std::int64_t(*flag ? 1 : 0));
    }
    if (value.isNumber()) {
        return value;
    }
    return std::nullopt;
}

// "%.3f" of the value read back as a double, independent of the process locale.
std::optional<double> roundedToMilliseconds(double seconds)
{
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed, 3);
    if (written.ec != std::errc()) {
        return std::nullopt;
    }
    double value = 0;
    const auto read = std::from_chars(text, written.ptr, value);
    if (read.ec != std::errc() || read.ptr != written.ptr) {
        // Non-finite values come out as "inf" or "nan", which read back as themselves.
        if (!std::isfinite(seconds)) {
            return seconds;
        }
        return std::nullopt;
    }
    return value;
}

} // namespace

Track::Track(std::string apiToken, std::string instanceName, std::shared_ptr<SessionMetadata> metadata,
    std::shared_ptr<TallyPersistence> tallyPersistence)
    : m_instanceName(std::move(instanceName))
    , m_apiToken(std::move(apiToken))
    , m_metadata(std::move(metadata))
    , m_tallyPersistence(std::move(tallyPersistence))
{
}

void Track::setTallyInstance(std::weak_ptr<TallyRecordOwner> owner)
{
    std::lock_guard lock(m_ownerMutex);
    m_tallyInstance = std::move(owner);
}

std::shared_ptr<TallyRecordOwner> Track::tallyInstance() const
{
    std::lock_guard lock(m_ownerMutex);
    return m_tallyInstance.lock();
}

bool Track::ownerOptedOut() const
{
    const auto owner = tallyInstance();
    return owner && owner->hasOptedOutTracking();
}

TallyDictionary Track::track(const std::optional<std::string> &event,
    const std::optional<TallyDictionary> &properties, const TallyDictionary &timedEvents,
    const TallyDictionary &superProperties, const TallyIdentity &tallyIdentity, double epochInterval)
{
    std::string name;
    if (event) {
        name = *event;
    } else {
        TallyLogger::info("tally track called with empty event parameter. using 'tl_event'", s_trackLabel);
        name = "tl_event";
    }
    if (name.starts_with("$ae_")) {
        const auto owner = tallyInstance();
        if (!owner || !owner->trackAutomaticEventsEnabled()) {
            return timedEvents;
        }
    }

    const double milliseconds = std::round(epochInterval * 1000.0); // halves away from zero
    const TallyType *timedEntry = timedEvents.find(name);
    const std::optional<double> startTime = timedEntry ? timedEntry->toDouble() : std::nullopt;

    TallyDictionary eventProperties = AutomaticProperties::properties();
    eventProperties.set("token", m_apiToken);
    eventProperties.set("time", milliseconds);

    TallyDictionary remainingTimedEvents = timedEvents;
    if (startTime) {
        remainingTimedEvents.remove(name);
        if (const auto duration = roundedToMilliseconds(epochInterval - *startTime)) {
            eventProperties.set("$duration", *duration);
        }
    }

    eventProperties.set("distinct_id", tallyIdentity.distinctID);
    if (tallyIdentity.anonymousId) {
        eventProperties.set("$device_id", *tallyIdentity.anonymousId);
    }
    if (tallyIdentity.userId) {
        eventProperties.set("$user_id", *tallyIdentity.userId);
    }
    if (tallyIdentity.hadPersistedDistinctId) {
        eventProperties.set("$had_persisted_distinct_id", *tallyIdentity.hadPersistedDistinctId);
    }
    eventProperties += superProperties;
    if (properties) {
        eventProperties += *properties;
    }

    TallyDictionary record { { "event", name }, { "properties", std::move(eventProperties) } };
    record += m_metadata->toDict(true);
    m_tallyPersistence->saveEntity(record, PersistenceType::Events, false);

    // Only an event that was being timed changes the stored list; rewriting the settings for
    // every other event would hold the tracking queue (and the deletion of delivered rows) up.
    if (startTime) {
        TallyPersistence::saveTimedEvents(remainingTimedEvents, m_instanceName);
    }
    return remainingTimedEvents;
}

TallyDictionary Track::registerSuperProperties(
    const TallyDictionary &properties, const TallyDictionary &superProperties)
{
    if (ownerOptedOut()) {
        return superProperties;
    }
    TallyDictionary updated = superProperties;
    updated += properties;
    return updated;
}

TallyDictionary Track::registerSuperPropertiesOnce(const TallyDictionary &properties,
    const TallyDictionary &superProperties, const std::optional<TallyType> &defaultValue)
{
    if (ownerOptedOut() || properties.empty()) {
        return superProperties;
    }
    TallyDictionary updated = superProperties;
    for (const auto &[key, value] : properties) {
        const TallyType *existing = updated.find(key);
        if (!existing || (defaultValue && objectEquals(*existing, *defaultValue))) {
            updated.set(key, value);
        }
    }
    return updated;
}

TallyDictionary Track::time(
    const std::optional<std::string> &event, const TallyDictionary &timedEvents, double startTime)
{
    if (ownerOptedOut()) {
        return timedEvents;
    }
    if (!event || event->empty()) {
        TallyLogger::error("tally cannot time an empty event", "time(event:timedEvents:startTime:)");
        return timedEvents;
    }
    TallyDictionary updated = timedEvents;
    updated.set(*event, startTime);
    return updated;
}

TallyDictionary Track::clearTimedEvent(
    const std::optional<std::string> &event, const TallyDictionary &timedEvents)
{
    if (!event || event->empty()) {
        TallyLogger::error("tally cannot clear an empty timed event", "clearTimedEvent(event:timedEvents:)");
        return timedEvents;
    }
    TallyDictionary updated = timedEvents;
    updated.remove(*event);
    return updated;
}

bool Track::objectEquals(const TallyType &left, const TallyType &right)
{
    using Kind = TallyType::Kind;
    if (left.isAbsent() || right.isAbsent()) {
        return left.isAbsent() && right.isAbsent();
    }
    const auto leftNumber = asNumber(left);
    const auto rightNumber = asNumber(right);
    if (leftNumber || rightNumber) {
        return leftNumber && rightNumber && leftNumber->equals(*rightNumber);
    }
    if (left.kind() != right.kind()) {
        return false;
    }
    switch (left.kind()) {
    case Kind::Array: {
        const TallyArray &a = *left.get<TallyArray>();
        const TallyArray &b = *right.get<TallyArray>();
        if (a.size() != b.size()) {
            return false;
        }
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (!objectEquals(a[i], b[i])) {
                return false;
            }
        }
        return true;
    }
    case Kind::Dictionary: {
        const TallyDictionary &a = *left.get<TallyDictionary>();
        const TallyDictionary &b = *right.get<TallyDictionary>();
        if (a.size() != b.size()) {
            return false;
        }
        for (const auto &[key, value] : a) {
            const TallyType *other = b.find(key);
            if (!other || !objectEquals(value, *other)) {
                return false;
            }
        }
        return true;
    }
    default:
        return left.sameAs(right);
    }
}

} // namespace brimlark
