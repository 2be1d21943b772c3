#pragma once

#include <filesystem>
#include <string>

namespace brimlark {

// The privileged removal helper pkexec runs (absolute: pkexec needs it so).
// An installed program uses the helper installed beside it, the one its
// polkit action names; a program run from its build tree uses the build's.
std::string removalHelperPath();

// The installed helper for a program whose executable lies in programDir,
// or an empty path when there is none there.
std::filesystem::path installedHelperBeside(const std::filesystem::path &programDir);

} // namespace brimlark
