#pragma once

#include "platform/gui/GlobalHotKey.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

QT_BEGIN_NAMESPACE
class QWindow;
QT_END_NAMESPACE

namespace brimlark {

class NotificationCenter;

// Registers the system-wide hot key Ctrl+Alt+N (Command+Option+N on the
// launcher's home platform). A press brings the window forward and
// posts "brimLarkHotkeyTriggered".
class GlobalHotkeyManager : public QObject
{
    Q_OBJECT
public:
    using SessionProvider = std::function<GlobalHotKey::Session()>;
    using Output = std::function<void(const QString &line)>;

    static inline const QString SuccessPrefix = QStringLiteral("🚀 Successfully registered global hotkey ");
    static inline const QString FailurePrefix
        = QStringLiteral("⚠️ Failed to register Carbon global hotkey: ");

    // The process's one manager, built and installed by the program at start
    // (nullptr uninstalls); asking before that is a programming error.
    static GlobalHotkeyManager &shared();
    static void installShared(GlobalHotkeyManager *manager);

    // Presses are posted to the centre; without a session provider the
    // desktop session this process runs in.
    explicit GlobalHotkeyManager(
        NotificationCenter &center, SessionProvider session = {}, QObject *parent = nullptr);

    // Grabs the key and logs one line as information (or to the output
    // set below): success, or failure with the reason. The launcher runs on
    // without the hot key when it fails.
    void registerHotKey();
    bool isRegistered() const { return m_hotKey.isRegistered(); }

    void setOutput(Output output) { m_output = std::move(output); }
    // The application's window, the one a press brings forward; once it is
    // gone a press has no window to bring.
    void setWindow(QWindow *window);

    // What a press does, on the main thread: brings the window forward (a
    // minimised one stays minimised) and posts "brimLarkHotkeyTriggered",
    // also when there is no window.
    void hotKeyPressed();

    GlobalHotKey &hotKey() { return m_hotKey; }

private:
    GlobalHotKey m_hotKey;
    NotificationCenter &m_center;
    SessionProvider m_session;
    Output m_output;
    QPointer<QWindow> m_window;
};

} // namespace brimlark
