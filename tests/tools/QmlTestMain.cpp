// The desk tools' popovers under Qt Quick Test, made the way the window makes
// them; each test makes its own stores through `ToolsTest.fixture()`.

#include "QmlTestSetup.h"
#include "ToolsFixture.h"

#include "shell/BrimlarkApp.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest/quicktest.h>

namespace brimlark::test {

class ToolsTestSupport : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    Q_INVOKABLE QObject *fixture()
    {
        auto *f = new ToolsFixture;
        QQmlEngine::setObjectOwnership(f, QQmlEngine::JavaScriptOwnership);
        return f;
    }
};

class Setup : public QmlTestSetup
{
    Q_OBJECT
public slots:
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/"));
        BrimlarkApp::prepareEngine(*engine);
        engine->rootContext()->setContextProperty(QStringLiteral("ToolsTest"), new ToolsTestSupport(engine));
    }
};

} // namespace brimlark::test

QUICK_TEST_MAIN_WITH_SETUP(tools, brimlark::test::Setup)

#include "QmlTestMain.moc"
