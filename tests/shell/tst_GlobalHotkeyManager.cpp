#include "platform/core/NotificationCenter.h"
#include "shell/GlobalHotkeyManager.h"

#include "TestSupport.h"
#include "support/XvfbServer.h"

#include <gtest/gtest.h>

#include <QWindow>

#include <memory>

using namespace brimlark;

namespace {

class GlobalHotkeyManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_token = m_center.addObserver(
            Notifications::HotkeyTriggered, &m_context, [this](const QVariant &) { ++m_triggered; });
    }
    void TearDown() override { m_center.removeObserver(m_token); }

    std::unique_ptr<GlobalHotkeyManager> manager(GlobalHotKey::Session session)
    {
        auto m = std::make_unique<GlobalHotkeyManager>(m_center, [session] { return session; });
        m->setOutput([this](const QString &line) { m_lines.append(line); });
        return m;
    }

    NotificationCenter m_center;
    QObject m_context;
    quint64 m_token = 0;
    int m_triggered = 0;
    QStringList m_lines;
};

TEST_F(GlobalHotkeyManagerTest, PrintsTheFailureWithItsReason)
{
    const struct
    {
        GlobalHotKey::Session session;
        QString line;
    } cases[] = {
        { { u"offscreen"_qs, false, nullptr },
            u"⚠️ Failed to register Carbon global hotkey: no X server (display platform \"offscreen\")"_qs },
        { { u"wayland"_qs, true, nullptr },
            u"⚠️ Failed to register Carbon global hotkey: Wayland does not let applications grab keys globally"_qs },
    };
    for (const auto &c : cases) {
        m_lines.clear();
        auto m = manager(c.session);
        m->registerHotKey();
        EXPECT_EQ(m_lines, QStringList { c.line });
        EXPECT_FALSE(m->isRegistered());
    }
}

TEST_F(GlobalHotkeyManagerTest, TheRealSessionOfAnOffscreenRunFails)
{
    GlobalHotkeyManager m(m_center);
    m.setOutput([this](const QString &line) { m_lines.append(line); });
    m.registerHotKey();
    ASSERT_EQ(m_lines.size(), 1);
    EXPECT_TRUE(m_lines.first().startsWith(GlobalHotkeyManager::FailurePrefix));
    EXPECT_GT(m_lines.first().size(), GlobalHotkeyManager::FailurePrefix.size());
}

TEST_F(GlobalHotkeyManagerTest, PrintsSuccessOnAnXServerAndFailureWhenTaken)
{
    XvfbServer server;
    if (!server.isRunning()) {
        GTEST_SKIP() << "Xvfb is not available";
    }
    xcb_connection_t *first = server.connect();
    xcb_connection_t *second = server.connect();
    ASSERT_TRUE(first && second);
    {
        auto owner = manager({ u"xcb"_qs, false, first });
        owner->registerHotKey();
        auto latecomer = manager({ u"xcb"_qs, false, second });
        latecomer->registerHotKey();
        EXPECT_EQ(m_lines,
            (QStringList { u"🚀 Successfully registered global hotkey Ctrl+Alt+N"_qs,
                u"⚠️ Failed to register Carbon global hotkey: Ctrl+Alt+N is already taken by another application"_qs }));
        EXPECT_TRUE(owner->isRegistered());
        EXPECT_FALSE(latecomer->isRegistered());
    }
    xcb_disconnect(first);
    xcb_disconnect(second);
}

TEST_F(GlobalHotkeyManagerTest, APressBringsTheHiddenWindowForwardOnALaterTurn)
{
    QWindow window;
    window.show();
    window.hide();
    auto m = manager({ u"offscreen"_qs, false, nullptr });
    m->setWindow(&window);

    emit m->hotKey().activated();
    // Nothing happens inside the key event itself.
    EXPECT_EQ(m_triggered, 0);
    EXPECT_FALSE(window.isVisible());
    ASSERT_TRUE(test::waitUntil([this] { return m_triggered == 1; }));
    EXPECT_TRUE(window.isVisible());

    // A press while in front activates again and posts again.
    emit m->hotKey().activated();
    ASSERT_TRUE(test::waitUntil([this] { return m_triggered == 2; }));
}

// A press posts with or without a window, and leaves a minimised one minimised.
TEST_F(GlobalHotkeyManagerTest, APressPostsWithOrWithoutAWindowAndLeavesAMinimisedOneMinimised)
{
    QWindow window;
    auto m = manager({ u"offscreen"_qs, false, nullptr });
    m->hotKeyPressed();
    EXPECT_EQ(m_triggered, 1);
    window.show();
    window.setWindowStates(Qt::WindowMinimized);
    m->setWindow(&window);
    m->hotKeyPressed();
    EXPECT_TRUE(window.windowStates().testFlag(Qt::WindowMinimized));
    EXPECT_EQ(m_triggered, 2);
}

} // namespace
