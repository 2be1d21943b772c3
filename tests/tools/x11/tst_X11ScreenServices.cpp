#include "TestSupport.h"
#include "model/WorkspaceManager.h"
#include "model/WorkspaceStorage.h"
#include "platform/base/Defaults.h"
#include "platform/core/NotificationCenter.h"
#include "platform/gui/CompositingManager.h"
#include "platform/gui/QuickRulerWindow.h"
#include "platform/gui/X11ScreenSampler.h"
#include "support/XvfbServer.h"
#include "tools/MeasurementText.h"
#include "tools/RulerManager.h"

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <tuple>

Q_IMPORT_QML_PLUGIN(BrimlarkViewsPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkToolsPlugin)

using namespace brimlark;
using brimlark::test::waitUntil;

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
    EXPECT_TRUE(waitUntil([&] { return screenPixel(QPoint(150, 140)) == QColor(0x33, 0x66, 0xCC); }));

    X11ScreenSampler sampler;
    std::vector<std::optional<QColor>> answers;
    sampler.showSampler([&](std::optional<QColor> color) { answers.push_back(color); });
    ASSERT_EQ(sampler.overlays().size(), 1u);
    QWindow *overlay = sampler.overlays().front();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(overlay));
    // The picture is frozen: what moves below it afterwards does not count.
    known.hide();
    QTest::mouseClick(overlay, Qt::LeftButton, {}, QPoint(150, 140));
    EXPECT_TRUE(waitUntil([&] { return answers.size() == 1u; }));
    ASSERT_TRUE(answers[0].has_value());
    EXPECT_EQ(answers[0]->name(), QStringLiteral("#3366cc"));
    EXPECT_FALSE(sampler.isShowing());

    // Escape and a right click cancel.
    sampler.showSampler([&](std::optional<QColor> color) { answers.push_back(color); });
    QTest::keyClick(sampler.overlays().front(), Qt::Key_Escape);
    EXPECT_TRUE(waitUntil([&] { return answers.size() == 2u; }));
    sampler.showSampler([&](std::optional<QColor> color) { answers.push_back(color); });
    QTest::mouseClick(sampler.overlays().front(), Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_TRUE(waitUntil([&] { return answers.size() == 3u; }));
    EXPECT_FALSE(answers[1].has_value());
    EXPECT_FALSE(answers[2].has_value());
}

// The ruler over a storage of its own.
struct Ruler
{
    QuickRulerWindow *window() const { return dynamic_cast<QuickRulerWindow *>(manager.window()); }

    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager workspaces { defaults, center };
    WorkspaceStorage storage { defaults, workspaces, center };
    std::unique_ptr<RulerManager> made = RulerManager::overStorage(storage);
    RulerManager &manager = *made;
};

TEST(RulerWindow, WithoutACompositorTheRulerIsFilledNotBlack)
{
    ASSERT_FALSE(CompositingManager::isRunningOnX11(s_server->display()));
    Ruler ruler;
    RulerManager &manager = ruler.manager;
    manager.showRuler();
    QuickRulerWindow *window = ruler.window();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    ASSERT_NE(window->rootObject(), nullptr) << "the ruler's view did not load";
    EXPECT_FALSE(window->isTranslucent());
    EXPECT_TRUE(window->flags().testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
    // A spot between the ticks and the panel shows the tint.
    const QPoint spot = window->geometry().topLeft() + QPoint(60, 60);
    // The view's nearly clear fill (1.5 % black) lies over the tint.
    const auto nearTint = [](QColor c) {
        const QColor tint = QuickRulerWindow::opaqueTint();
        return std::abs(c.red() - tint.red()) <= 2 && std::abs(c.green() - tint.green()) <= 2
            && std::abs(c.blue() - tint.blue()) <= 2;
    };
    EXPECT_TRUE(waitUntil([&] { return nearTint(screenPixel(spot)); }))
        << qPrintable(screenPixel(spot).name());
    manager.closeRuler();
}

// The ruler opened and shown on the server.
class ShownRuler : public ::testing::Test, protected Ruler
{
protected:
    void SetUp() override
    {
        manager.showRuler();
        ASSERT_NE(window(), nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    }
    void TearDown() override { manager.closeRuler(); }
};

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t out = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return out;
}

TEST_F(ShownRuler, ARecordedSizeGivesAWindowBetweenTheMinimumAndTheDesktop)
{
    const QRect desktop = window()->screen()->virtualGeometry();
    ASSERT_EQ(desktop.size(), QSize(640, 480));
    const QPoint topLeft = window()->position();
    // The largest size X11 takes (a surface of 4 GiB, were it not held),
    // nothing too small to see or grab either, and a fraction cut as its
    // record cuts it.
    for (auto [w, h, size] : { std::tuple { 32767.0, 32767.0, desktop.size() },
             { 0.0, -20.0, QSize(200, 160) }, { 300.9, 200.5, QSize(300, 200) } }) {
        manager.resizeRuler(w, h);
        EXPECT_TRUE(waitUntil([&] { return window()->size() == size; }))
            << w << " x " << h << ": " << window()->width() << " x " << window()->height();
        EXPECT_EQ(window()->position(), topLeft);
        EXPECT_TRUE(window()->isExposed());
        EXPECT_EQ(storage.recentMeasurements().first(), MeasurementText::format(qint64(w), qint64(h)));
    }
}

TEST_F(ShownRuler, MovedOffTheScreenAndStretchedBackTheRulerIsNoLargerThanTheDesktop)
{
    ASSERT_NE(window()->rootObject(), nullptr);
    const QRect desktop = window()->screen()->virtualGeometry();
    const QRect start = window()->geometry();
    // The background dragged far up and left, in one step: part of the
    // ruler stays on the screen, to be grabbed again.
    const QPoint background(60, 60);
    QTest::mousePress(window(), Qt::LeftButton, {}, background);
    QTest::mouseMove(window(), background - QPoint(3000, 3000));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, background - QPoint(3000, 3000));
    EXPECT_TRUE(waitUntil([&] { return window()->position() != start.topLeft(); }));
    EXPECT_TRUE(window()->geometry().intersects(desktop)) << window()->x() << ", " << window()->y();
    // Then the bottom-right corner dragged far past the screen's corner.
    const QPoint grip(window()->width() - 3, window()->height() - 3);
    QTest::mousePress(window(), Qt::LeftButton, {}, grip);
    QTest::mouseMove(window(), grip + QPoint(3000, 3000));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, grip + QPoint(3000, 3000));
    EXPECT_TRUE(waitUntil([&] { return window()->size() != start.size(); }));
    EXPECT_LE(window()->width(), desktop.width());
    EXPECT_LE(window()->height(), desktop.height());
}

TEST_F(ShownRuler, DraggingAnEdgePastTheScreenStopsTheRulerAtItsEdge)
{
    ASSERT_NE(window()->rootObject(), nullptr);
    const QRect start = window()->geometry();
    const QRect desktop = window()->screen()->virtualGeometry();

    // The bottom-right corner's handle, dragged far beyond the screen.
    const QPoint grip(start.width() - 3, start.height() - 3);
    QTest::mousePress(window(), Qt::LeftButton, {}, grip);
    for (int step = 1; step <= 4; ++step) {
        QTest::mouseMove(window(), grip + QPoint(400 * step, 300 * step));
    }
    QTest::mouseRelease(window(), Qt::LeftButton, {}, grip + QPoint(1600, 1200));
    EXPECT_TRUE(waitUntil([&] { return window()->geometry().bottomRight() == desktop.bottomRight(); }))
        << window()->geometry().right() << ", " << window()->geometry().bottom();
    EXPECT_EQ(window()->position(), start.topLeft());
}

TEST_F(ShownRuler, ARulerTheWindowManagerClosesIsNoLongerShowing)
{
    QSignalSpy changed(&manager, &RulerManager::isRulerShowingChanged);

    // What a window manager sends for its close key or a taskbar's close.
    xcb_connection_t *connection = s_server->connect();
    ASSERT_NE(connection, nullptr);
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window()->winId());
    message.type = internAtom(connection, "WM_PROTOCOLS");
    message.data.data32[0] = internAtom(connection, "WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(
        connection, 0, message.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&message));
    xcb_flush(connection);

    EXPECT_TRUE(waitUntil([&] { return !manager.isRulerShowing(); }));
    EXPECT_EQ(manager.window(), nullptr);
    EXPECT_EQ(changed.count(), 1);
    // A new start opens a fresh ruler, as after the ruler's own close button.
    manager.showRuler();
    ASSERT_NE(window(), nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window()));
    xcb_disconnect(connection);
}

// Under a compositing manager the grid lies over what is below the ruler.
// (`xwd -root` still shows a black box: it reads a 32-bit window by itself
// and drops its alpha; the screen, read as a whole, is as here.)
TEST(RulerWindow, UnderACompositorTheRulerShowsWhatLiesBelow)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xcompmgr"));
    if (program.isEmpty()) {
        GTEST_SKIP() << "xcompmgr is not installed";
    }
    QProcess compositor;
    compositor.setProgram(program);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(s_server->display()));
    compositor.setProcessEnvironment(env);
    compositor.start();
    ASSERT_TRUE(compositor.waitForStarted(5000));
    ASSERT_TRUE(waitUntil([] { return CompositingManager::isRunningOnX11(s_server->display()); }));

    const QColor red(0xCC, 0x33, 0x33);
    SolidWindow below(red);
    below.setFlags(Qt::Window | Qt::FramelessWindowHint);
    below.setGeometry(QGuiApplication::primaryScreen()->geometry());
    below.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&below));
    Ruler ruler;
    ruler.manager.showRuler();
    QuickRulerWindow *window = ruler.window();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_TRUE(window->isTranslucent());
    const auto nearRed = [&](QColor c) {
        return std::abs(c.red() - red.red()) <= 8 && std::abs(c.green() - red.green()) <= 8
            && std::abs(c.blue() - red.blue()) <= 8;
    };
    // Once the ruler's dark panel is on the screen...
    const QPoint panel = window->geometry().center();
    ASSERT_TRUE(waitUntil([&] { return screenPixel(panel).red() < red.red() / 2; }))
        << qPrintable(screenPixel(panel).name());
    // ...a spot between the ticks and the panel shows the red below under 1.5 % black.
    const QPoint spot = window->geometry().topLeft() + QPoint(60, 60);
    EXPECT_TRUE(nearRed(screenPixel(spot))) << qPrintable(screenPixel(spot).name());
    ruler.manager.closeRuler();
    compositor.terminate();
    compositor.waitForFinished(5000);
}

TEST(RulerWindow, ACompositorIsFoundByItsSelection)
{
    xcb_connection_t *connection = s_server->connect();
    ASSERT_NE(connection, nullptr);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t owner = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, owner, screen->root, 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t selection = internAtom(connection, "_NET_WM_CM_S0");
    ASSERT_NE(selection, xcb_atom_t(XCB_ATOM_NONE));
    xcb_set_selection_owner(connection, owner, selection, XCB_CURRENT_TIME);
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
