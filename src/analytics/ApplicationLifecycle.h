#pragma once

#include <memory>
#include <mutex>
#include <vector>

namespace brimlark {

class ApplicationLifecycleObserver
{
public:
    virtual ~ApplicationLifecycleObserver();
    virtual void applicationWillResignActive() = 0;
    virtual void applicationDidBecomeActive() = 0;
};

// The application's activation changes, as the analytics client hears them. The host posts them
// on its main thread; every observer still alive is told, in registration order. Observers are
// held weakly, so an observer that is destroyed simply stops hearing.
class ApplicationLifecycle
{
public:
    void addObserver(std::weak_ptr<ApplicationLifecycleObserver> observer);
    void removeObserver(const ApplicationLifecycleObserver *observer);

    void postWillResignActive();
    void postDidBecomeActive();

    std::size_t observerCount() const;

    // The process-wide one the host posts to (see ProcessWide).
    static std::shared_ptr<ApplicationLifecycle> shared();
    static std::shared_ptr<ApplicationLifecycle> installShared(
        std::shared_ptr<ApplicationLifecycle> lifecycle);

private:
    std::vector<std::shared_ptr<ApplicationLifecycleObserver>> liveObservers();

    mutable std::mutex m_mutex;
    std::vector<std::weak_ptr<ApplicationLifecycleObserver>> m_observers;
};

} // namespace brimlark
