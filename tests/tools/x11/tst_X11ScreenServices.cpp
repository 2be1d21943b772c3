#include "XvfbServer.h"
#include "model/WorkspaceManager.h"
#include "model/WorkspaceStorage.h"
#include "platform/CompositingManager.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/QuickRulerWindow.h"
#include "platform/X11ScreenSampler.h"
#include "tools/RulerManager.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <gtest/gtest.h>

Q_IMPORT_QML_PLUGIN(BrimlarkViewsPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkToolsPlugin)

using namespace brimlark;

namespace {

XvfbServer *s_server = nullptr;

class SolidWindow : public QRasterWindow
{
public:
    explicit SolidWindow(QColor color)
        : m_color(color)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(QRect(QPoint(), size()), m_color); }

private:
    QColor m_color;
};

QColor screenPixel(QPoint at)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), 1, 1).toImage().pixelColor(0, 0);
}

TEST(X11ScreenSampler, AClickReturnsThePixelOfTheFrozenScreen)
{
    SolidWindow known(QColor(0x33, 0x66, 0xCC));
    known.setFlags(Qt::Window | Qt::FramelessWindowHint);
    known.setGeometry(100, 100, 120, 80);
    known.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&known));
    QTRY_COMPARE_WITH_TIMEOUT(screenPixel(QPoint(150, 140)), QColor(0x33, 0x66, 0xCC), 5000);

    X11ScreenSampler sampler;
    std::vector<std::optional<QColor>> answers;
    sampler.showSampler([&](std::optional<QColor> color) { answers.push_back(color); });
    ASSERT_EQ(sampler.overlays().size(), 1u);
    QWindow *overlay = sampler.overlays().front();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(overlay));
    // The picture is frozen: what moves below it afterwards does not count.
    known.hide();
    QTest::mouseClick(overlay, Qt::LeftButton, {}, QPoint(150, 140));
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 1u, 5000);
    ASSERT_TRUE(answers[0].has_value());
    EXPECT_EQ(answers[0]->name(), QStringLiteral("#3366cc"));
    EXPECT_FALSE(sampler.isShowing());

    // Escape and a right click cancel.
    sampler.showSampler([&](std::optional<QColor> color) { answers.push_back(color); });
    QTest::keyClick(sampler.overlays().front(), Qt::Key_Escape);
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 2u, 5000);
    sampler.showSampler([&](std::optional<QColor> color) { answers.push_back(color); });
    QTest::mouseClick(sampler.overlays().front(), Qt::RightButton, {}, QPoint(10, 10));
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 3u, 5000);
    EXPECT_FALSE(answers[1].has_value());
    EXPECT_FALSE(answers[2].has_value());
}

TEST(RulerWindow, WithoutACompositorTheRulerIsFilledNotBlack)
{
    ASSERT_FALSE(CompositingManager::isRunningOnX11(s_server->display()));
    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager workspaces(defaults, center);
    WorkspaceStorage storage(defaults, workspaces, center);
    const std::unique_ptr<RulerManager> made = RulerManager::overStorage(storage);
    RulerManager &manager = *made;
    manager.showRuler();
    auto *window = dynamic_cast<QuickRulerWindow *>(manager.window());
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    ASSERT_NE(window->rootObject(), nullptr) << "the ruler's view did not load";
    EXPECT_FALSE(window->isTranslucent());
    EXPECT_TRUE(window->flags().testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
    // A spot between the ticks and the panel shows the tint.
    const QPoint spot = window->geometry().topLeft() + QPoint(60, 60);
    QTRY_COMPARE_WITH_TIMEOUT(
        screenPixel(spot).rgb() & 0xFFFFFF, QuickRulerWindow::opaqueTint().rgb() & 0xFFFFFF, 5000);
    manager.closeRuler();
}

TEST(RulerWindow, ACompositorIsFoundByItsSelection)
{
    xcb_connection_t *connection = s_server->connect();
    ASSERT_NE(connection, nullptr);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t owner = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, owner, screen->root, 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const char name[] = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t *atom
        = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    ASSERT_NE(atom, nullptr);
    xcb_set_selection_owner(connection, owner, atom->atom, XCB_CURRENT_TIME);
    free(atom);
    xcb_flush(connection);

    EXPECT_TRUE(CompositingManager::isRunningOnX11(s_server->display()));
    EXPECT_TRUE(CompositingManager::isRunning());
    QuickRulerWindow window(CompositingManager::isRunning());
    EXPECT_TRUE(window.isTranslucent());
    EXPECT_EQ(window.color().alpha(), 0);
    EXPECT_DOUBLE_EQ(window.opacity(), 0.98);
    xcb_disconnect(connection);
}

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    XvfbServer server;
    if (!server.isRunning()) {
        std::puts("Xvfb is not available: skipped");
        return 0;
    }
    s_server = &server;
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("DISPLAY", server.display());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    int result = 0;
    {
        QGuiApplication app(argc, argv);
        result = RUN_ALL_TESTS();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return result;
}
