#pragma once

#include <cstdint>
#include <memory>

namespace brimlark {

// The analytics client's source of random numbers (event and session ids, back-off jitter).
class TallyRandom
{
public:
    virtual ~TallyRandom();
    // A uniformly distributed 32-bit number.
    virtual std::uint32_t next32() = 0;
    // A uniformly distributed number from 0 to upperBound - 1; 0 when upperBound is 0 or 1.
    virtual std::uint32_t uniform(std::uint32_t upperBound) = 0;

    // The process-wide source (see ProcessWide); the program installs a SystemTallyRandom.
    static std::shared_ptr<TallyRandom> shared();
    static std::shared_ptr<TallyRandom> installShared(std::shared_ptr<TallyRandom> random);
};

// Seeded from the operating system, one generator per thread, so no lock is taken.
class SystemTallyRandom : public TallyRandom
{
public:
    std::uint32_t next32() override;
    std::uint32_t uniform(std::uint32_t upperBound) override;
};

} // namespace brimlark
