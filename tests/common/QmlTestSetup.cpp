#include "QmlTestSetup.h"

#include "shell/BrimlarkApp.h"
#include "support/QueuedTextures.h"

#include <QQuickWindow>

namespace brimlark::test {

void QmlTestSetup::applicationAvailable()
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    BrimlarkApp::setUpStyle();
}

void QmlTestSetup::cleanupTestCase()
{
    // The test windows are gone by now.
    freeQueuedTextures();
}

} // namespace brimlark::test
