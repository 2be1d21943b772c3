#pragma once

#include <functional>
#include <memory>

namespace brimlark {

// A single pending shot on the main thread: starting it again replaces the
// pending one. Debounces take one so tests can fire it by hand.
class OneShotTimer
{
public:
    virtual ~OneShotTimer();
    virtual void start(int msec, std::function<void()> fire) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

    // Backed by QTimer on the calling thread's event loop.
    static std::unique_ptr<OneShotTimer> create();
};

} // namespace brimlark
