#pragma once

#include <atomic>
#include <memory>

namespace brimlark {

// The analytics client's source of the current time, in seconds since 1970 (UTC).
class TallyClock
{
public:
    virtual ~TallyClock();
    virtual double now() const = 0;

    // The process-wide clock: the one installed, else the system clock.
    static std::shared_ptr<TallyClock> shared();
    static void installShared(std::shared_ptr<TallyClock> clock);
};

class SystemTallyClock : public TallyClock
{
public:
    double now() const override;
};

// A clock for tests that moves only when told to. Safe to read and set from any thread.
class ManualTallyClock : public TallyClock
{
public:
    explicit ManualTallyClock(double start = 1700000000.0) : m_now(start) { }
    double now() const override { return m_now.load(); }
    void set(double secondsSince1970) { m_now.store(secondsSince1970); }
    void advance(double seconds);

private:
    std::atomic<double> m_now;
};

} // namespace brimlark
