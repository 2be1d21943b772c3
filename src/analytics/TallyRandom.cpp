#include "analytics/TallyRandom.h"

#include "analytics/ProcessWide.h"

#include <random>

namespace brimlark {

namespace {

ProcessWide<TallyRandom> s_random("TallyRandom::shared()");

std::mt19937 &threadGenerator()
{
    thread_local std::mt19937 generator = [] {
        std::random_device device;
        std::seed_seq seed { device(), device(), device(), device(), device(), device(), device(), device() };
        return std::mt19937(seed);
    }();
    return generator;
}

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
    return static_cast<std::uint32_t>(threadGenerator()());
}

std::uint32_t SystemTallyRandom::uniform(std::uint32_t upperBound)
{
    if (upperBound < 2) {
        return 0;
    }
    std::uniform_int_distribution<std::uint32_t> distribution(0, upperBound - 1);
    return distribution(threadGenerator());
}

} // namespace brimlark
