#include "platform/base/Defaults.h"
#include "platform/core/NotificationCenter.h"
#include "shell/AppDelegate.h"
#include "shell/GlobalHotkeyManager.h"
#include "shell/WindowSizing.h"

#include "TestSupport.h"
#include "support/FakeRulerPresence.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QWindow>

#include <functional>
#include <memory>

using namespace brimlark;

namespace {

class AppDelegateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_defaults = std::make_shared<Defaults>();
        m_window = std::make_unique<QWindow>();
        m_window->resize(1000, 700);
        m_window->show();
        // Each registration prints one line.
        m_hotkeys.setOutput([this](const QString &) {
            ++m_hotKeyRegistrations;
            m_setUpRanBeforeHotKey = m_setUpCount > 0;
        });
        m_reopened = m_center.addObserver(
            Notifications::AppReopened, &m_context, [this](const QVariant &) { ++m_reopenedCount; });
    }
    void TearDown() override
    {
        m_center.removeObserver(m_reopened);
        m_window.reset();
    }

    void launch(AppDelegate &delegate)
    {
        QObject::connect(
            &delegate, &AppDelegate::windowSetUpFinished, &m_context, [this] { ++m_setUpCount; });
        delegate.applicationDidFinishLaunching(m_window.get());
        // The set-up waits for a later turn of the event loop.
        EXPECT_EQ(m_setUpCount, 0);
        ASSERT_TRUE(test::waitUntil([this] { return m_setUpCount == 1; }));
    }

    std::optional<QRectF> screenFrame() const
    {
        if (QScreen *screen = m_window->screen()) {
            return QRectF(screen->geometry());
        }
        return std::nullopt;
    }

    std::shared_ptr<Defaults> m_defaults;
    NotificationCenter m_center;
    GlobalHotkeyManager m_hotkeys { m_center };
    test::FakeRulerPresence m_ruler;
    std::unique_ptr<QWindow> m_window;
    QObject m_context;
    quint64 m_reopened = 0;
    int m_reopenedCount = 0;
    int m_hotKeyRegistrations = 0;
    int m_setUpCount = 0;
    bool m_setUpRanBeforeHotKey = false;
};

// A flag of another type counts as no flag.
TEST_F(AppDelegateTest, FirstLaunchSizesTheWindowAndRecordsIt)
{
    for (const std::optional<DefaultsValue> &stored :
        { std::optional<DefaultsValue>(), std::optional(DefaultsValue("yes")) }) {
        SCOPED_TRACE(stored.has_value());
        if (stored) {
            m_defaults->set(AppDelegate::HasLaunchedBeforeKey, *stored);
        }
        m_window->resize(1000, 700);
        m_setUpCount = m_hotKeyRegistrations = 0;
        AppDelegate delegate(*m_defaults, m_center, m_hotkeys, m_ruler);
        launch(delegate);

        EXPECT_EQ(m_hotKeyRegistrations, 1);
        EXPECT_FALSE(m_setUpRanBeforeHotKey);
        EXPECT_EQ(m_window->minimumSize(), QSize(900, 600));
        const QSizeF content = WindowSizing::firstLaunchContentSize(screenFrame());
        EXPECT_EQ(m_window->size(), content.toSize());
        const QRectF centred = WindowSizing::centred(content, screenFrame());
        EXPECT_EQ(m_window->position(), centred.topLeft().toPoint());
        EXPECT_EQ(m_defaults->boolean(AppDelegate::HasLaunchedBeforeKey), true);
    }
}

TEST_F(AppDelegateTest, LaterLaunchesKeepTheRestoredSizeGrownToTheMinimum)
{
    m_defaults->set(AppDelegate::HasLaunchedBeforeKey, DefaultsValue(true));
    for (const auto &[restored, expected] :
        { std::pair { QSize(800, 700), QSize(900, 700) }, std::pair { QSize(1000, 500), QSize(1000, 600) },
            std::pair { QSize(1200, 800), QSize(1200, 800) } }) {
        m_window->setMinimumSize(QSize());
        m_window->resize(restored);
        const QPoint position = m_window->position();
        m_setUpCount = 0;
        AppDelegate delegate(*m_defaults, m_center, m_hotkeys, m_ruler);
        launch(delegate);

        EXPECT_EQ(m_window->size(), expected);
        EXPECT_EQ(m_window->position(), position);
        EXPECT_EQ(m_window->minimumSize(), QSize(900, 600));
        EXPECT_EQ(m_defaults->boolean(AppDelegate::HasLaunchedBeforeKey), true);
    }
}

TEST_F(AppDelegateTest, LaterLaunchesComeBackAtTheLastFrameKeptOnAScreen)
{
    // The first run moves its window and quits.
    {
        AppDelegate delegate(*m_defaults, m_center, m_hotkeys, m_ruler);
        launch(delegate);
        m_window->setGeometry(QRect(70, 80, 1000, 650));
        ASSERT_TRUE(test::waitUntil([this] { return m_window->geometry() == QRect(70, 80, 1000, 650); }));
        delegate.applicationWillTerminate();
    }
    const QRect screen = m_window->screen()->availableGeometry();
    const struct
    {
        const char *name;
        std::optional<DefaultsValue::Array> stored;
        std::function<bool(const QRect &frame)> expected;
    } rows[] = {
        // The offscreen test screen is narrower than the frame: it comes back no wider.
        { "as it was left", std::nullopt,
            [screen](const QRect &frame) {
                return frame.y() == 80 && frame.height() == 650
                    && frame.width() == std::min(1000, screen.width());
            } },
        { "off every screen, back on one", DefaultsValue::Array { 9000, 9000, 1000, 650 },
            [screen](const QRect &frame) { return screen.contains(frame.topLeft()); } },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.stored) {
            m_defaults->set(AppDelegate::WindowFrameKey, DefaultsValue(*row.stored));
        }
        m_window->setGeometry(QRect(0, 0, 1200, 800));
        m_setUpCount = 0;
        AppDelegate delegate(*m_defaults, m_center, m_hotkeys, m_ruler);
        launch(delegate);
        EXPECT_TRUE(test::waitUntil([&] { return row.expected(m_window->geometry()); }));
    }
}

TEST_F(AppDelegateTest, ClosingHidesTheWindowReopenBringsItBackAndQuittingLetsItClose)
{
    AppDelegate delegate(*m_defaults, m_center, m_hotkeys, m_ruler);
    launch(delegate);
    ASSERT_TRUE(m_window->isVisible());

    EXPECT_FALSE(m_window->close());
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_NE(m_window->handle(), nullptr); // still there, state kept
    EXPECT_FALSE(AppDelegate::applicationShouldTerminateAfterLastWindowClosed());

    EXPECT_TRUE(delegate.applicationShouldHandleReopen());
    EXPECT_TRUE(m_window->isVisible());
    m_window->setWindowStates(Qt::WindowMinimized);
    EXPECT_TRUE(delegate.applicationShouldHandleReopen());
    EXPECT_FALSE(m_window->windowStates().testFlag(Qt::WindowMinimized));
    EXPECT_EQ(m_reopenedCount, 0);

    delegate.applicationWillTerminate();
    EXPECT_TRUE(m_window->close());
}

TEST_F(AppDelegateTest, ReopenPostsOnlyWhileTheRulerIsShowingAndOnlyAfterLaunch)
{
    m_ruler.showing = true;
    AppDelegate delegate(*m_defaults, m_center, m_hotkeys, m_ruler);
    EXPECT_TRUE(delegate.applicationShouldHandleReopen());
    EXPECT_EQ(m_reopenedCount, 0);

    m_ruler.showing = false;
    launch(delegate);
    EXPECT_TRUE(delegate.applicationShouldHandleReopen());
    EXPECT_EQ(m_reopenedCount, 0);
    m_ruler.showing = true;
    EXPECT_TRUE(delegate.applicationShouldHandleReopen());
    EXPECT_EQ(m_reopenedCount, 1);
}

} // namespace
