#include "SequenceTallyRandom.h"

namespace brimlark {

SequenceTallyRandom::SequenceTallyRandom(std::vector<std::uint32_t> values)
    : m_values(std::move(values))
{
    if (m_values.empty()) {
        m_values.push_back(0);
    }
}

std::uint32_t SequenceTallyRandom::next32()
{
    std::lock_guard lock(m_mutex);
    const std::uint32_t value = m_values[m_next];
    m_next = (m_next + 1) % m_values.size();
    return value;
}

std::uint32_t SequenceTallyRandom::uniform(std::uint32_t upperBound)
{
    const std::uint32_t value = next32();
    return upperBound < 2 ? 0 : value % upperBound;
}

} // namespace brimlark
