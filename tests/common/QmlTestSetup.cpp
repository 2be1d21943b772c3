#include "QmlTestSetup.h"

#include "platform/gui/AppIconImageProvider.h"
#include "shell/BrimlarkApp.h"
#include "support/QueuedTextures.h"
#include "support/SharedIconStore.h"

#include <QQmlContext>
#include <QQuickWindow>

namespace brimlark::test {

QmlTestSetup::QmlTestSetup(QString supportName, MakeSupport makeSupport)
    : m_supportName(std::move(supportName))
    , m_makeSupport(std::move(makeSupport))
{
}

void QmlTestSetup::applicationAvailable()
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    BrimlarkApp::setUpStyle();
}

void QmlTestSetup::qmlEngineAvailable(QQmlEngine *engine)
{
    BrimlarkApp::prepareEngine(*engine);
    AppIconImageProvider::install(*engine, sharedIconStore());
    if (m_makeSupport) {
        engine->rootContext()->setContextProperty(m_supportName, m_makeSupport(engine));
    }
}

void QmlTestSetup::cleanupTestCase()
{
    // The test windows are gone by now.
    freeQueuedTextures();
}

} // namespace brimlark::test
