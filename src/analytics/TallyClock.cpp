#include "analytics/TallyClock.h"

#include <chrono>
#include <mutex>

namespace brimlark {

namespace {

std::mutex s_clockMutex;
std::shared_ptr<TallyClock> s_clock;

} // namespace

TallyClock::~TallyClock() = default;

std::shared_ptr<TallyClock> TallyClock::shared()
{
    std::lock_guard lock(s_clockMutex);
    if (!s_clock) {
        s_clock = std::make_shared<SystemTallyClock>();
    }
    return s_clock;
}

void TallyClock::installShared(std::shared_ptr<TallyClock> clock)
{
    std::lock_guard lock(s_clockMutex);
    s_clock = std::move(clock);
}

double SystemTallyClock::now() const
{
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(sinceEpoch).count();
}

} // namespace brimlark
