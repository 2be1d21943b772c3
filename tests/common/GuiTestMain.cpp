#ifdef BRIMLARK_TEST_VIEWS
#include "shell/BrimlarkApp.h"
#endif

#include <QGuiApplication>
#include <QQuickWindow>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

// The main() of every layer whose GoogleTest cases show views, use the
// clipboard or ask the display platform: a QGuiApplication alive for the
// whole run, the software scene graph (the offscreen platform has no
// OpenGL) and, where views show, the program's Controls style. The QML
// modules a layer loads are imported beside it, by brimlark_add_tests(...
// QML_PLUGINS ...).
int main(int argc, char **argv)
{
    ::testing::InitGoogleMock(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS(); // listing needs no display
    }
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
#ifdef BRIMLARK_TEST_VIEWS
    brimlark::BrimlarkApp::setUpStyle();
#endif
    const int result = RUN_ALL_TESTS();
    // What the last test's windows left for later deletion goes before the
    // application does.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    return result;
}
