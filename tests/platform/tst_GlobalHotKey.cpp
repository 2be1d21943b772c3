#include "platform/gui/GlobalHotKey.h"

#include "support/ScopedVariable.h"
#include "support/XvfbServer.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <memory>

using brimlark::GlobalHotKey;

namespace {

struct Disconnect
{
    void operator()(xcb_connection_t *c) const { xcb_disconnect(c); }
};
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;

struct FailureCase
{
    const char *name;
    QString platform;
    bool waylandSession;
    QString reason;
};

void PrintTo(const FailureCase &c, std::ostream *os)
{
    *os << c.name;
}

class HotKeyFailure : public ::testing::TestWithParam<FailureCase>
{
};

TEST_P(HotKeyFailure, ReportsWhyWithoutGrabbing)
{
    const FailureCase &c = GetParam();
    GlobalHotKey hotKey;
    const GlobalHotKey::Result result
        = hotKey.registerHotKey(GlobalHotKey::Session { c.platform, c.waylandSession, nullptr });
    EXPECT_FALSE(result.registered);
    EXPECT_EQ(result.failureReason, c.reason);
    EXPECT_FALSE(hotKey.isRegistered());
}

INSTANTIATE_TEST_SUITE_P(Sessions, HotKeyFailure,
    ::testing::Values(FailureCase { "wayland_platform", u"wayland"_qs, true,
                          u"Wayland does not let applications grab keys globally"_qs },
        FailureCase { "wayland_egl_platform", u"wayland-egl"_qs, false,
            u"Wayland does not let applications grab keys globally"_qs },
        FailureCase {
            "xwayland", u"xcb"_qs, true, u"Wayland does not let applications grab keys globally"_qs },
        FailureCase {
            "offscreen", u"offscreen"_qs, false, u"no X server (display platform \"offscreen\")"_qs },
        FailureCase {
            "xcb_without_connection", u"xcb"_qs, false, u"no X server (display platform \"xcb\")"_qs },
        FailureCase { "no_platform", QString(), false, u"no X server (display platform \"none\")"_qs }));

TEST(GlobalHotKey, CurrentSessionOfTheOffscreenTestRunHasNoXServer)
{
    {
        const brimlark::test::ScopedVariable wayland("WAYLAND_DISPLAY", nullptr);
        const brimlark::test::ScopedVariable x11("XDG_SESSION_TYPE", "x11");
        const GlobalHotKey::Session session = GlobalHotKey::currentSession();
        EXPECT_EQ(session.platformName, u"offscreen"_qs);
        EXPECT_FALSE(session.waylandSession);
        EXPECT_EQ(session.connection, nullptr);
        const brimlark::test::ScopedVariable waylandSession("XDG_SESSION_TYPE", "wayland");
        EXPECT_TRUE(GlobalHotKey::currentSession().waylandSession);
    }

    GlobalHotKey hotKey;
    EXPECT_FALSE(hotKey.registerHotKey().registered);
}

// Against a real X server.
class GlobalHotKeyOnX : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!m_server.isRunning()) {
            GTEST_SKIP() << "Xvfb is not available";
        }
        m_first.reset(m_server.connect());
        m_second.reset(m_server.connect());
        ASSERT_TRUE(m_first && m_second);
        std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
            xcb_key_symbols_alloc(m_first.get()), &xcb_key_symbols_free);
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols.get(), 0x006e);
        ASSERT_NE(codes, nullptr);
        m_keycode = codes[0];
        std::free(codes);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_first.get())).data->root;
    }

    GlobalHotKey::Session session(xcb_connection_t *connection) const
    {
        return GlobalHotKey::Session { u"xcb"_qs, false, connection };
    }

    xcb_key_press_event_t keyEvent(std::uint8_t type, std::uint8_t keycode, std::uint16_t state) const
    {
        xcb_key_press_event_t event {};
        event.response_type = type;
        event.detail = keycode;
        event.root = m_root;
        event.event = m_root;
        event.state = state;
        return event;
    }

    bool deliver(GlobalHotKey &hotKey, xcb_key_press_event_t event)
    {
        qintptr result = 0;
        return hotKey.nativeEventFilter("xcb_generic_event_t", &event, &result);
    }

    XvfbServer m_server;
    Connection m_first;
    Connection m_second;
    xcb_keycode_t m_keycode = 0;
    xcb_window_t m_root = 0;
};

TEST_F(GlobalHotKeyOnX, GrabsAndReportsAKeyTakenByAnotherClient)
{
    auto first = std::make_unique<GlobalHotKey>();
    const GlobalHotKey::Result registered = first->registerHotKey(session(m_first.get()));
    EXPECT_TRUE(registered.registered);
    EXPECT_TRUE(registered.failureReason.isEmpty());
    EXPECT_TRUE(first->isRegistered());
    // Registering again changes nothing.
    EXPECT_TRUE(first->registerHotKey(session(m_first.get())).registered);

    GlobalHotKey second;
    const GlobalHotKey::Result taken = second.registerHotKey(session(m_second.get()));
    EXPECT_FALSE(taken.registered);
    EXPECT_EQ(taken.failureReason, u"Ctrl+Alt+N is already taken by another application"_qs);
    EXPECT_FALSE(second.isRegistered());

    // Releasing the first grab frees every variant for the second.
    first.reset();
    EXPECT_TRUE(second.registerHotKey(session(m_second.get())).registered);
}

TEST_F(GlobalHotKeyOnX, AKeyTakenInOneLockStateOnlyIsNotHalfGrabbed)
{
    // Another client holds Ctrl+Alt+N with CapsLock only.
    xcb_void_cookie_t cookie = xcb_grab_key_checked(m_first.get(), 1, m_root,
        XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_LOCK, m_keycode, XCB_GRAB_MODE_ASYNC,
        XCB_GRAB_MODE_ASYNC);
    ASSERT_EQ(xcb_request_check(m_first.get(), cookie), nullptr);

    GlobalHotKey hotKey;
    EXPECT_FALSE(hotKey.registerHotKey(session(m_second.get())).registered);

    // Nothing of ours was left behind: the plain combination is still free.
    cookie = xcb_grab_key_checked(m_first.get(), 1, m_root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, m_keycode,
        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_generic_error_t *error = xcb_request_check(m_first.get(), cookie);
    EXPECT_EQ(error, nullptr);
    std::free(error);
}

TEST_F(GlobalHotKeyOnX, PressesMatchWhateverTheLocks)
{
    GlobalHotKey hotKey;
    ASSERT_TRUE(hotKey.registerHotKey(session(m_first.get())).registered);
    QSignalSpy activated(&hotKey, &GlobalHotKey::activated);

    const std::uint16_t ctrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
    struct Press
    {
        std::uint8_t type;
        std::uint16_t state;
        bool consumed;
        int activations;
    };
    // No event is kept from Qt: it takes the time of the press from it, which
    // the window's activation then carries.
    const Press presses[] = {
        { XCB_KEY_PRESS, ctrlAlt, false, 1 },
        { XCB_KEY_PRESS, ctrlAlt | XCB_MOD_MASK_LOCK, false, 1 },
        { XCB_KEY_PRESS, ctrlAlt | XCB_MOD_MASK_2, false, 1 }, // NumLock on Xvfb
        { XCB_KEY_PRESS, ctrlAlt | XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK, false, 1 },
        { static_cast<std::uint8_t>(XCB_KEY_PRESS | 0x80), ctrlAlt, false, 1 }, // sent by a client
        { XCB_KEY_RELEASE, ctrlAlt, false, 0 },
        { XCB_KEY_PRESS, XCB_MOD_MASK_CONTROL, false, 0 },
        { XCB_KEY_PRESS, ctrlAlt | XCB_MOD_MASK_SHIFT, false, 0 },
        { XCB_KEY_PRESS, ctrlAlt | XCB_MOD_MASK_4, false, 0 },
    };
    for (const Press &press : presses) {
        SCOPED_TRACE(press.state);
        activated.clear();
        EXPECT_EQ(deliver(hotKey, keyEvent(press.type, m_keycode, press.state)), press.consumed);
        EXPECT_EQ(activated.count(), press.activations);
    }
    activated.clear();
    EXPECT_FALSE(deliver(hotKey, keyEvent(XCB_KEY_PRESS, static_cast<std::uint8_t>(m_keycode + 1), ctrlAlt)));
    qintptr result = 0;
    xcb_key_press_event_t event = keyEvent(XCB_KEY_PRESS, m_keycode, ctrlAlt);
    EXPECT_FALSE(hotKey.nativeEventFilter("windows_generic_MSG", &event, &result));
    EXPECT_EQ(activated.count(), 0);
}

TEST_F(GlobalHotKeyOnX, AnUnregisteredKeyConsumesNothing)
{
    GlobalHotKey hotKey;
    QSignalSpy activated(&hotKey, &GlobalHotKey::activated);
    EXPECT_FALSE(deliver(hotKey, keyEvent(XCB_KEY_PRESS, m_keycode, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1)));
    EXPECT_EQ(activated.count(), 0);
}

} // namespace
