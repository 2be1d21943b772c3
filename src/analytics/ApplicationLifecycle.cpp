#include "analytics/ApplicationLifecycle.h"

#include "platform/base/ProcessWide.h"

#include <algorithm>

namespace brimlark {

namespace {

ProcessWide<ApplicationLifecycle> s_lifecycle("ApplicationLifecycle::shared()");

} // namespace

ApplicationLifecycleObserver::~ApplicationLifecycleObserver() = default;

void ApplicationLifecycle::addObserver(std::weak_ptr<ApplicationLifecycleObserver> observer)
{
    std::lock_guard lock(m_mutex);
    m_observers.push_back(std::move(observer));
}

void ApplicationLifecycle::removeObserver(const ApplicationLifecycleObserver *observer)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_observers, [observer](const auto &weak) {
        const auto strong = weak.lock();
        return !strong || strong.get() == observer;
    });
}

std::vector<std::shared_ptr<ApplicationLifecycleObserver>> ApplicationLifecycle::liveObservers()
{
    // Observers are called outside the lock, so they may add or remove observers themselves.
    std::lock_guard lock(m_mutex);
    std::erase_if(m_observers, [](const auto &weak) { return weak.expired(); });
    std::vector<std::shared_ptr<ApplicationLifecycleObserver>> live;
    for (const auto &weak : m_observers) {
        if (auto strong = weak.lock()) {
            live.push_back(std::move(strong));
        }
    }
    return live;
}

void ApplicationLifecycle::postWillResignActive()
{
    for (const auto &observer : liveObservers()) {
        observer->applicationWillResignActive();
    }
}

void ApplicationLifecycle::postDidBecomeActive()
{
    for (const auto &observer : liveObservers()) {
        observer->applicationDidBecomeActive();
    }
}

std::size_t ApplicationLifecycle::observerCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(std::count_if(
        m_observers.begin(), m_observers.end(), [](const auto &weak) { return !weak.expired(); }));
}

std::shared_ptr<ApplicationLifecycle> ApplicationLifecycle::shared()
{
    return s_lifecycle.get();
}

std::shared_ptr<ApplicationLifecycle> ApplicationLifecycle::installShared(
    std::shared_ptr<ApplicationLifecycle> lifecycle)
{
    return s_lifecycle.install(std::move(lifecycle));
}

} // namespace brimlark
