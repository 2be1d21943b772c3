#pragma once

#include <memory>

namespace brimlark {

class MainExecutor;

// The analytics client's process-wide objects as the program runs them. The composition root
// calls install() once, before anything reads them, with its own main executor; it installs the
// system clock, random numbers and UUIDs, an application lifecycle, the registry and the facade
// over the build's configuration. A test installs these, or its own doubles, the same way.
class AnalyticsServices
{
public:
    AnalyticsServices() = delete;
    static void install(std::shared_ptr<MainExecutor> mainExecutor);
};

} // namespace brimlark
