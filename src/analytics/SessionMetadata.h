#pragma once

#include "analytics/TallyType.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace brimlark {

class TallyRandom;

// Numbers the records of one instance in the running process: the "$tl_metadata" block of every
// event, profile and group record. Nothing of it is kept across starts; a session is one run.
class SessionMetadata
{
public:
    explicit SessionMetadata(std::shared_ptr<TallyRandom> random);

    // {"$tl_metadata": {"$tl_event_id", "$tl_session_id", "$tl_session_seq_id",
    // "$tl_session_start_sec"}}; advances the events counter for an event, else the counter that
    // profile and group records share.
    TallyDictionary toDict(bool isEvent);

    const std::string &sessionID() const { return m_sessionID; }
    std::uint64_t eventsCounter() const { return m_eventsCounter.load(); }
    std::uint64_t peopleCounter() const { return m_peopleCounter.load(); }
    std::uint64_t sessionStartEpoch() const { return m_sessionStartEpoch; }

private:
    std::string randomId();

    std::shared_ptr<TallyRandom> m_random;
    std::atomic<std::uint64_t> m_eventsCounter { 0 };
    std::atomic<std::uint64_t> m_peopleCounter { 0 };
    std::string m_sessionID;
    const std::uint64_t m_sessionStartEpoch = 0;
};

} // namespace brimlark
