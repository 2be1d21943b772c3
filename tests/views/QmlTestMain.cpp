// The shared view types (Brimlark.Views) under Qt Quick Test.

#include "QmlTestSetup.h"

#include <QQmlEngine>
#include <QtQuickTest/quicktest.h>

namespace brimlark::test {

class Setup : public QmlTestSetup
{
    Q_OBJECT
public slots:
    void qmlEngineAvailable(QQmlEngine *engine) { engine->addImportPath(QStringLiteral("qrc:/")); }
};

} // namespace brimlark::test

QUICK_TEST_MAIN_WITH_SETUP(views, brimlark::test::Setup)

#include "QmlTestMain.moc"
