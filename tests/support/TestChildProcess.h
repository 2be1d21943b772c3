#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <sys/types.h>

namespace brimlark::test {

// A variable of this process's environment, or "" when unset.
std::string environmentValue(const char *name);

// Starts this test executable again to run the one test named (disabled
// tests included), with this process's environment plus `variables`
// ("NAME=value"; a name given here replaces the inherited one) and its
// output and errors going to `logFile`. The child's pid, or -1.
pid_t spawnTestChild(
    const std::string &test, const std::vector<std::string> &variables, const std::string &logFile);

// Rows of an analytics store's events table matching `where`, read from the
// outside (waiting up to a second for a writer); -1 when it cannot be read.
int eventRowsLeft(
    const std::filesystem::path &database, const std::string &token, const std::string &where = "1");

} // namespace brimlark::test
