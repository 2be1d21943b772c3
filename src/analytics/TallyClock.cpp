#include "analytics/TallyClock.h"

#include "platform/base/ProcessWide.h"

#include <chrono>

namespace brimlark {

namespace {

ProcessWide<TallyClock> s_clock("TallyClock::shared()");

} // namespace

TallyClock::~TallyClock() = default;

std::shared_ptr<TallyClock> TallyClock::shared()
{
    return s_clock.get();
}

std::shared_ptr<TallyClock> TallyClock::installShared(std::shared_ptr<TallyClock> clock)
{
    return s_clock.install(std::move(clock));
}

double SystemTallyClock::now() const
{
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(sinceEpoch).count();
}

} // namespace brimlark
