#pragma once

#include "analytics/SessionMetadata.h"
#include "analytics/TallyIdentity.h"
#include "analytics/TallyPersistence.h"
#include "analytics/TallyRecordOwner.h"
#include "analytics/TallyType.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace brimlark {

// Turns tracked events into stored event records and applies the rules for super properties and
// timed events. It keeps no maps of its own: the instance passes its current maps in and keeps
// what comes back. Called on the instance's tracking queue only.
class Track
{
public:
    Track(std::string apiToken, std::string instanceName, std::shared_ptr<SessionMetadata> metadata,
        std::shared_ptr<TallyPersistence> tallyPersistence);

    void setTallyInstance(std::weak_ptr<TallyRecordOwner> owner);
    std::shared_ptr<TallyRecordOwner> tallyInstance() const;

    // Builds and stores one event record (epochInterval: seconds since 1970, taken when the
    // caller's track was called), saves the timed events and returns them: an event that was
    // being timed leaves the map.
    TallyDictionary track(const std::optional<std::string> &event,
        const std::optional<TallyDictionary> &properties, const TallyDictionary &timedEvents,
        const TallyDictionary &superProperties, const TallyIdentity &tallyIdentity, double epochInterval);

    // The new super properties (unchanged while opted out).
    TallyDictionary registerSuperProperties(
        const TallyDictionary &properties, const TallyDictionary &superProperties);
    // Writes a key only when it is not yet registered, or when its value equals defaultValue.
    TallyDictionary registerSuperPropertiesOnce(const TallyDictionary &properties,
        const TallyDictionary &superProperties, const std::optional<TallyType> &defaultValue);

    // The new timed events; an absent or empty name is refused with an error line.
    TallyDictionary time(
        const std::optional<std::string> &event, const TallyDictionary &timedEvents, double startTime);
    TallyDictionary clearTimedEvent(
        const std::optional<std::string> &event, const TallyDictionary &timedEvents);

    // Equality as object equality sees it: numbers and Booleans by value, containers element by
    // element (dictionaries in any order); two absent values are equal.
    static bool objectEquals(const TallyType &left, const TallyType &right);

private:
    bool ownerOptedOut() const;

    const std::string m_instanceName;
    const std::string m_apiToken;
    std::shared_ptr<SessionMetadata> m_metadata;
    std::shared_ptr<TallyPersistence> m_tallyPersistence;
    mutable std::mutex m_ownerMutex;
    std::weak_ptr<TallyRecordOwner> m_tallyInstance;
};

} // namespace brimlark
