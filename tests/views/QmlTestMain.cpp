// The shared view types (Brimlark.Views) under Qt Quick Test.

#include "QmlTestSetup.h"

#include <QtQuickTest/quicktest.h>

QUICK_TEST_MAIN_WITH_SETUP(views, brimlark::test::QmlTestSetup)
