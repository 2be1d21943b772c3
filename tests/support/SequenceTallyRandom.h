#pragma once

#include "analytics/TallyRandom.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace brimlark {

// Hands out the given numbers in turn, starting over after the last. uniform() takes the
// next number modulo the bound. Safe from any thread.
class SequenceTallyRandom : public TallyRandom
{
public:
    explicit SequenceTallyRandom(std::vector<std::uint32_t> values);
    std::uint32_t next32() override;
    std::uint32_t uniform(std::uint32_t upperBound) override;

private:
    std::mutex m_mutex;
    std::vector<std::uint32_t> m_values;
    std::size_t m_next = 0;
};

} // namespace brimlark
