#include "analytics/SessionMetadata.h"

#include "analytics/TallyRandom.h"

#include <cstdio>

namespace brimlark {

SessionMetadata::SessionMetadata(std::shared_ptr<TallyRandom> random)
    : m_random(std::move(random))
{
    m_sessionID = randomId();
}

std::string SessionMetadata::randomId()
{
    const std::uint32_t high = m_random->next32();
    const std::uint32_t low = m_random->next32();
    char text[17];
    std::snprintf(text, sizeof text, "%08x%08x", static_cast<unsigned>(high), static_cast<unsigned>(low));
    return text;
}

TallyDictionary SessionMetadata::toDict(bool isEvent)
{
    std::atomic<std::uint64_t> &counter = isEvent ? m_eventsCounter : m_peopleCounter;
    TallyDictionary block;
    block.set("$tl_event_id", randomId());
    block.set("$tl_session_id", m_sessionID);
    block.set("$tl_session_seq_id", counter.fetch_add(1));
    block.set("$tl_session_start_sec", m_sessionStartEpoch);
    return TallyDictionary { { "$tl_metadata", std::move(block) } };
}

} // namespace brimlark
