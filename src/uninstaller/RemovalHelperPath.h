#pragma once

#include <string>

namespace brimlark {

// Where the build put the privileged removal helper (absolute: pkexec needs it so).
std::string removalHelperPath();

} // namespace brimlark
