#include "TestChildProcess.h"
#include "XvfbServer.h"

#include "shell/BrimlarkApp.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <iterator>
#include <memory>

#include <sys/wait.h>

namespace {

// Draws dark text on white through OpenGL, as the program does on a display,
// and fails on any pixel with a colour cast.
TEST(TextAntialiasingChild, DISABLED_Draw)
{
    if (qEnvironmentVariableIsEmpty("BRIMLARK_TEXT_CHILD")) {
        GTEST_SKIP() << "started by TextAntialiasing only";
    }
    brimlark::BrimlarkApp::setUpStyle();
    // The test main chose the software scene graph, which has no such text.
    QQuickWindow::setSceneGraphBackend(u"rhi"_qs);
    QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData("import QtQuick\n"
                      "Text { x: 8; y: 8; text: 'Newly Added 0123'; font.pixelSize: 17; color: '#1d1d1f' }",
        QUrl());
    const std::unique_ptr<QQuickItem> text(qobject_cast<QQuickItem *>(component.create()));
    ASSERT_TRUE(text) << component.errorString().toStdString();
    QQuickWindow window;
    window.setColor(Qt::white);
    window.resize(220, 40);
    text->setParentItem(window.contentItem());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.rendererInterface()->graphicsApi(), QSGRendererInterface::OpenGL);
    const QImage image = window.grabWindow().convertToFormat(QImage::Format_RGB32);
    int inked = 0;
    int tinted = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const int low = std::min({ pixel.red(), pixel.green(), pixel.blue() });
            const int high = std::max({ pixel.red(), pixel.green(), pixel.blue() });
            inked += low < 200;
            tinted += high - low > 12;
        }
    }
    EXPECT_GT(inked, 100);
    EXPECT_EQ(tinted, 0);
}

// Text is antialiased in grey: the scene graph's own choice, subpixel
// antialiasing, fringed every glyph in colour.
TEST(TextAntialiasing, TextOnADisplayHasNoColourFringes)
{
    XvfbServer server;
    if (!server.isRunning()) {
        GTEST_SKIP() << "needs Xvfb";
    }
    QTemporaryDir folder;
    const std::string log = folder.filePath(u"child.log"_qs).toStdString();
    const pid_t child = brimlark::test::spawnTestChild("TextAntialiasingChild.DISABLED_Draw",
        { "BRIMLARK_TEXT_CHILD=1", "QT_QPA_PLATFORM=xcb", "DISPLAY=" + server.display().toStdString(),
            std::string(brimlark::BrimlarkApp::textAntialiasingVariable) + "=" },
        log);
    ASSERT_GT(child, 0);
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    std::ifstream in(log);
    const std::string output((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}

} // namespace
