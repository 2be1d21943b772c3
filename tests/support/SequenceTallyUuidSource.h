#pragma once

#include "analytics/TallyUuidSource.h"

#include <mutex>
#include <string>
#include <vector>

namespace brimlark {

// Hands out the given texts in turn, starting over after the last.
class SequenceTallyUuidSource : public TallyUuidSource
{
public:
    explicit SequenceTallyUuidSource(std::vector<std::string> texts);
    std::string newUuidText() override;

private:
    std::mutex m_mutex;
    std::vector<std::string> m_texts;
    std::size_t m_next = 0;
};

} // namespace brimlark
