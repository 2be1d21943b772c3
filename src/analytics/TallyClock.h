#pragma once

#include <memory>

namespace brimlark {

// The analytics client's source of the current time, in seconds since 1970 (UTC).
class TallyClock
{
public:
    virtual ~TallyClock();
    virtual double now() const = 0;

    // The process-wide clock (see ProcessWide); the program installs a SystemTallyClock.
    static std::shared_ptr<TallyClock> shared();
    static std::shared_ptr<TallyClock> installShared(std::shared_ptr<TallyClock> clock);
};

class SystemTallyClock : public TallyClock
{
public:
    double now() const override;
};

} // namespace brimlark
