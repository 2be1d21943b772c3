#pragma once

#include <random>

namespace brimlark {

// The calling thread's generator of the engine, seeded from the operating system on first use;
// one per thread, so no lock is taken.
template <typename Engine> Engine &seededGenerator()
{
    thread_local Engine generator = [] {
        std::random_device device;
        std::seed_seq seed { device(), device(), device(), device(), device(), device(), device(), device() };
        return Engine(seed);
    }();
    return generator;
}

} // namespace brimlark
