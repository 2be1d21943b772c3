#include "platform/gui/GlobalHotKey.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeySequence>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <memory>

namespace brimlark {

namespace {

static_assert(GlobalHotKey::Key.keyboardModifiers() == (Qt::ControlModifier | Qt::AltModifier)
        && GlobalHotKey::Key.key() >= Qt::Key_A && GlobalHotKey::Key.key() <= Qt::Key_Z,
    "the grab below is made for Ctrl+Alt and a letter");
// The letter's keysym is its lower case (XK_a .. XK_z).
constexpr xcb_keysym_t KeysymOfKey = xcb_keysym_t('a' + (GlobalHotKey::Key.key() - Qt::Key_A));
constexpr xcb_keysym_t KeysymNumLock = 0xff7f; // XK_Num_Lock
constexpr xcb_keysym_t KeysymAltL = 0xffe9; // XK_Alt_L
constexpr std::uint8_t BadAccess = 10;

// Every modifier bit a key event can carry (Shift .. Mod5).
constexpr std::uint16_t AllModifiers = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_CONTROL
    | XCB_MOD_MASK_1 | XCB_MOD_MASK_2 | XCB_MOD_MASK_3 | XCB_MOD_MASK_4 | XCB_MOD_MASK_5;

struct KeySymbolsDeleter
{
    void operator()(xcb_key_symbols_t *symbols) const { xcb_key_symbols_free(symbols); }
};
using KeySymbols = std::unique_ptr<xcb_key_symbols_t, KeySymbolsDeleter>;

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};

// The modifier bit (e.g. Mod2) to which the server maps a key, 0 when none.
std::uint16_t modifierMaskFor(xcb_connection_t *connection, xcb_key_symbols_t *symbols, xcb_keysym_t keysym)
{
    std::unique_ptr<xcb_keycode_t, FreeDeleter> keycodes(xcb_key_symbols_get_keycode(symbols, keysym));
    if (!keycodes) {
        return 0;
    }
    std::unique_ptr<xcb_get_modifier_mapping_reply_t, FreeDeleter> mapping(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    if (!mapping) {
        return 0;
    }
    const xcb_keycode_t *map = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = map[modifier * perModifier + i];
            if (code == XCB_NO_SYMBOL) {
                continue;
            }
            for (const xcb_keycode_t *k = keycodes.get(); *k != XCB_NO_SYMBOL; ++k) {
                if (*k == code) {
                    return static_cast<std::uint16_t>(1u << modifier);
                }
            }
        }
    }
    return 0;
}

// Waits until the server has handled every request sent so far, so an
// ungrab is in effect before anyone is told the key is free.
void sync(xcb_connection_t *connection)
{
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

} // namespace

QString GlobalHotKey::keyText()
{
    return QKeySequence(Key).toString(QKeySequence::NativeText);
}

GlobalHotKey::GlobalHotKey(QObject *parent)
    : QObject(parent)
{
}

GlobalHotKey::~GlobalHotKey()
{
    release();
}

GlobalHotKey::Session GlobalHotKey::currentSession()
{
    Session session;
    session.platformName = QGuiApplication::platformName();
    const QByteArray waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    const QByteArray sessionType = qgetenv("XDG_SESSION_TYPE");
    session.waylandSession
        = !waylandDisplay.isEmpty() || sessionType.compare("wayland", Qt::CaseInsensitive) == 0;
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (auto *x11 = app->nativeInterface<QNativeInterface::QX11Application>()) {
            session.connection = x11->connection();
        }
    }
    return session;
}

GlobalHotKey::Result GlobalHotKey::registerHotKey()
{
    return registerHotKey(currentSession());
}

GlobalHotKey::Result GlobalHotKey::registerHotKey(const Session &session)
{
    if (isRegistered()) {
        return { true, {} };
    }
    if (session.platformName.startsWith(QLatin1String("wayland")) || session.waylandSession) {
        return { false, QStringLiteral("Wayland does not let applications grab keys globally") };
    }
    if (!session.connection || xcb_connection_has_error(session.connection)) {
        return { false,
            QStringLiteral("no X server (display platform \"%1\")")
                .arg(session.platformName.isEmpty() ? QStringLiteral("none") : session.platformName) };
    }
    xcb_connection_t *connection = session.connection;
    const xcb_setup_t *setup = xcb_get_setup(connection);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    if (screens.rem == 0) {
        return { false, QStringLiteral("the X server has no screen") };
    }
    const xcb_window_t root = screens.data->root;

    KeySymbols symbols(xcb_key_symbols_alloc(connection));
    if (!symbols) {
        return { false, QStringLiteral("the keyboard mapping could not be read") };
    }
    std::unique_ptr<xcb_keycode_t, FreeDeleter> keycodes(
        xcb_key_symbols_get_keycode(symbols.get(), KeysymOfKey));
    if (!keycodes || keycodes.get()[0] == XCB_NO_SYMBOL) {
        return { false,
            QStringLiteral("no key of this keyboard types %1").arg(QKeySequence(Key.key()).toString()) };
    }
    const xcb_keycode_t keycode = keycodes.get()[0];
    std::uint16_t alt = modifierMaskFor(connection, symbols.get(), KeysymAltL);
    if (alt == 0) {
        alt = XCB_MOD_MASK_1;
    }
    const std::uint16_t numLock = modifierMaskFor(connection, symbols.get(), KeysymNumLock);
    const std::uint16_t modifiers = XCB_MOD_MASK_CONTROL | alt;

    std::vector<std::uint16_t> variants { 0, XCB_MOD_MASK_LOCK };
    if (numLock != 0 && numLock != alt) {
        variants.push_back(numLock);
        variants.push_back(static_cast<std::uint16_t>(numLock | XCB_MOD_MASK_LOCK));
    }

    std::vector<xcb_void_cookie_t> cookies;
    cookies.reserve(variants.size());
    for (const std::uint16_t variant : variants) {
        cookies.push_back(
            xcb_grab_key_checked(connection, 1, root, static_cast<std::uint16_t>(modifiers | variant),
                keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    std::vector<std::uint16_t> grabbed;
    std::uint8_t errorCode = 0;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        std::unique_ptr<xcb_generic_error_t, FreeDeleter> error(xcb_request_check(connection, cookies[i]));
        if (error) {
            if (errorCode == 0) {
                errorCode = error->error_code;
            }
        } else {
            grabbed.push_back(static_cast<std::uint16_t>(modifiers | variants[i]));
        }
    }
    if (errorCode != 0) {
        // All or nothing: a half-grabbed key would work only with some locks on.
        for (const std::uint16_t mods : grabbed) {
            xcb_ungrab_key(connection, keycode, root, mods);
        }
        sync(connection);
        if (errorCode == BadAccess) {
            return { false, keyText() + QStringLiteral(" is already taken by another application") };
        }
        return { false, QStringLiteral("the X server refused the key grab (error %1)").arg(errorCode) };
    }

    m_connection = connection;
    m_root = root;
    m_keycode = keycode;
    m_modifiers = modifiers;
    m_lockMask = static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock);
    m_grabbedModifiers = std::move(grabbed);
    if (!m_filterInstalled && QCoreApplication::instance()) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filterInstalled = true;
    }
    return { true, {} };
}

bool GlobalHotKey::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result)
{
    Q_UNUSED(result);
    if (!isRegistered() || eventType != "xcb_generic_event_t" || !message) {
        return false;
    }
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const std::uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) {
        return false;
    }
    const auto *key = static_cast<const xcb_key_press_event_t *>(message);
    if (key->detail != m_keycode || key->root != m_root) {
        return false;
    }
    const std::uint16_t state = key->state & AllModifiers & static_cast<std::uint16_t>(~m_lockMask);
    if (state != m_modifiers) {
        return false;
    }
    if (type == XCB_KEY_PRESS) {
        emit activated();
    }
    // Qt still sees the event: it records the press's time there, and the
    // window's activation request must carry that time or a window manager's
    // focus-stealing prevention refuses it. The event is reported on the
    // root window, so no window of ours takes it as a key press.
    return false;
}

void GlobalHotKey::release()
{
    if (m_filterInstalled && QCoreApplication::instance()) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    m_filterInstalled = false;
    if (m_connection && !xcb_connection_has_error(m_connection)) {
        for (const std::uint16_t mods : m_grabbedModifiers) {
            xcb_ungrab_key(m_connection, m_keycode, m_root, mods);
        }
        if (!m_grabbedModifiers.empty()) {
            sync(m_connection);
        }
    }
    m_grabbedModifiers.clear();
    m_connection = nullptr;
}

} // namespace brimlark
