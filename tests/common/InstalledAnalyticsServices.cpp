// The analytics client's process-wide objects, installed once for the whole
// run as the program installs them, with a main executor of its own thread
// (GoogleTest runs no event loop). Tests install their doubles over them and
// put back what they replaced.
#include "analytics/AnalyticsServices.h"
#include "analytics/ThreadMainExecutor.h"

#include <gtest/gtest.h>

namespace {

class InstalledAnalyticsServices : public ::testing::Environment
{
public:
    void SetUp() override
    {
        brimlark::AnalyticsServices::install(std::make_shared<brimlark::ThreadMainExecutor>());
    }
};

[[maybe_unused]] ::testing::Environment *const s_environment
    = ::testing::AddGlobalTestEnvironment(new InstalledAnalyticsServices);

} // namespace
