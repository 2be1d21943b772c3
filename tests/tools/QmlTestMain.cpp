// The desk tools' popovers under Qt Quick Test, made the way the window makes
// them; each test makes its own stores through `ToolsTest.fixture()`.

#include "QmlTestSetup.h"
#include "ToolsFixture.h"

#include <QtQuickTest/quicktest.h>

namespace brimlark::test {

struct Setup : QmlTestSetup
{
    Setup()
        : QmlTestSetup(u"ToolsTest"_qs, &FixtureFactory::of<ToolsFixture>)
    {
    }
};

} // namespace brimlark::test

QUICK_TEST_MAIN_WITH_SETUP(tools, brimlark::test::Setup)
