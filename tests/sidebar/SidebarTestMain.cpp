#include "shell/BrimlarkApp.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

Q_IMPORT_QML_PLUGIN(BrimlarkViewsPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkSidebarPlugin)

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
