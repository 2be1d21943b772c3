#include "shell/BrimlarkApp.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

Q_IMPORT_QML_PLUGIN(BrimlarkShellPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkViewsPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkToolsPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkGridPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkSidebarPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkUninstallerPlugin)

// GoogleTest with a QGuiApplication alive for the whole run, the program's
// Controls style, and the software scene graph (the offscreen platform has
// no OpenGL).
int main(int argc, char **argv)
{
    ::testing::InitGoogleMock(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS(); // listing needs no display
    }
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    brimlark::BrimlarkApp::setUpStyle();
    return RUN_ALL_TESTS();
}
