#pragma once

#include <QAbstractNativeEventFilter>
#include <QKeyCombination>
#include <QObject>
#include <QString>

#include <cstdint>
#include <vector>

struct xcb_connection_t;

namespace brimlark {

// The system-wide hot key Ctrl+Alt+N as a passive key grab on the X11 root
// window. The grab covers every NumLock/CapsLock state, so the key works
// whatever those locks are. Wayland gives applications no such grab, and
// without an X server there is nothing to grab on: both report a reason.
class GlobalHotKey : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    // What decides whether a grab is possible, and where it goes.
    struct Session
    {
        QString platformName; // the Qt platform plugin ("xcb", "wayland", "offscreen")
        bool waylandSession = false; // WAYLAND_DISPLAY or XDG_SESSION_TYPE=wayland
        xcb_connection_t *connection = nullptr;
    };

    struct Result
    {
        bool registered = false;
        QString failureReason; // empty when registered
    };

    // The key grabbed: Ctrl+Alt and a letter.
    static constexpr QKeyCombination Key = Qt::ControlModifier | Qt::AltModifier | Qt::Key_N;
    // The key as this system writes it: "Ctrl+Alt+N".
    static QString keyText();

    explicit GlobalHotKey(QObject *parent = nullptr);
    ~GlobalHotKey() override;

    // The running application's session; the connection is Qt's own, so its
    // key events reach nativeEventFilter().
    static Session currentSession();

    // Grabs Ctrl+Alt+N; a second call while registered changes nothing.
    Result registerHotKey();
    Result registerHotKey(const Session &session);
    bool isRegistered() const { return !m_grabbedModifiers.empty(); }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    void activated();

private:
    void release();

    xcb_connection_t *m_connection = nullptr;
    std::uint32_t m_root = 0;
    std::uint8_t m_keycode = 0;
    std::uint16_t m_modifiers = 0;
    std::uint16_t m_lockMask = 0; // CapsLock and NumLock: ignored when matching presses
    std::vector<std::uint16_t> m_grabbedModifiers;
    bool m_filterInstalled = false;
};

} // namespace brimlark
