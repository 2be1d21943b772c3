#include "SequenceTallyUuidSource.h"

namespace brimlark {

SequenceTallyUuidSource::SequenceTallyUuidSource(std::vector<std::string> texts)
    : m_texts(std::move(texts))
{
    if (m_texts.empty()) {
        m_texts.emplace_back("00000000-0000-0000-0000-000000000000");
    }
}

std::string SequenceTallyUuidSource::newUuidText()
{
    std::lock_guard lock(m_mutex);
    std::string text = m_texts[m_next];
    m_next = (m_next + 1) % m_texts.size();
    return text;
}

} // namespace brimlark
