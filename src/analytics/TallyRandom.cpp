#include "analytics/TallyRandom.h"

#include "analytics/SeededGenerator.h"
#include "platform/base/ProcessWide.h"

#include <random>

namespace brimlark {

namespace {

ProcessWide<TallyRandom> s_random("TallyRandom::shared()");

} // namespace

TallyRandom::~TallyRandom() = default;

std::shared_ptr<TallyRandom> TallyRandom::shared()
{
    return s_random.get();
}

std::shared_ptr<TallyRandom> TallyRandom::installShared(std::shared_ptr<TallyRandom> random)
{
    return s_random.install(std::move(random));
}

std::uint32_t SystemTallyRandom::next32()
{
    return static_cast<std::uint32_t>(seededGenerator<std::mt19937>()());
}

std::uint32_t SystemTallyRandom::uniform(std::uint32_t upperBound)
{
    if (upperBound < 2) {
        return 0;
    }
    std::uniform_int_distribution<std::uint32_t> distribution(0, upperBound - 1);
    return distribution(seededGenerator<std::mt19937>());
}

} // namespace brimlark
