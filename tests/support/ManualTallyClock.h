#pragma once

#include "analytics/TallyClock.h"

#include <atomic>

namespace brimlark {

// A clock for tests that moves only when told to. Safe to read and set from any thread.
class ManualTallyClock : public TallyClock
{
public:
    explicit ManualTallyClock(double start = 1700000000.0)
        : m_now(start)
    {
    }
    double now() const override { return m_now.load(); }
    void set(double secondsSince1970) { m_now.store(secondsSince1970); }
    void advance(double seconds);

private:
    std::atomic<double> m_now;
};

} // namespace brimlark
