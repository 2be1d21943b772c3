#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brimlark::fuzz {

// One reader of untrusted bytes as a fuzz target drives it: the real reader,
// with the checks that make a wrong answer as loud as a crash (a value that
// does not survive being stored and read again aborts).
struct Target
{
    const char *name;
    void (*read)(const std::uint8_t *data, std::size_t size);
};

// Every target, by the name of its fuzz executable (fuzz_<name>) and of its
// folders under fuzz/seeds and fuzz/regressions.
const std::vector<Target> &targets();

} // namespace brimlark::fuzz
