// The sidebar's QML views under Qt Quick Test; each test makes its own
// catalog and view model through `SidebarTest.fixture()`.

#include "SidebarFixture.h"

#include "shell/BrimlarkApp.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest/quicktest.h>

Q_IMPORT_QML_PLUGIN(BrimlarkViewsPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkSidebarPlugin)

namespace brimlark::test {

class SidebarTestSupport : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    Q_INVOKABLE QObject *fixture()
    {
        auto *f = new SidebarFixture;
        QQmlEngine::setObjectOwnership(f, QQmlEngine::JavaScriptOwnership);
        return f;
    }
};

class Setup : public QObject
{
    Q_OBJECT
public slots:
    void applicationAvailable()
    {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        BrimlarkApp::setUpStyle();
    }
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/"));
        engine->rootContext()->setContextProperty(
            QStringLiteral("SidebarTest"), new SidebarTestSupport(engine));
    }
};

} // namespace brimlark::test

QUICK_TEST_MAIN_WITH_SETUP(sidebar, brimlark::test::Setup)

#include "QmlTestMain.moc"
