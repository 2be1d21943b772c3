#include "shell/GlobalHotkeyManager.h"

#include "platform/base/ProcessWide.h"
#include "platform/core/NotificationCenter.h"
#include "shell/ApplicationWindows.h"
#include "shell/ShellLog.h"

#include <QWindow>

namespace brimlark {

namespace {

void printLine(const QString &line)
{
    qCInfo(lcShell).noquote() << line;
}

ProcessWide<GlobalHotkeyManager> s_shared("GlobalHotkeyManager::shared()");

} // namespace

GlobalHotkeyManager &GlobalHotkeyManager::shared()
{
    return *s_shared.get();
}

void GlobalHotkeyManager::installShared(GlobalHotkeyManager *manager)
{
    s_shared.installUnowned(manager);
}

GlobalHotkeyManager::GlobalHotkeyManager(NotificationCenter &center, SessionProvider session, QObject *parent)
    : QObject(parent)
    , m_center(center)
    , m_session(std::move(session))
    , m_output(printLine)
{
    if (!m_session) {
        m_session = &GlobalHotKey::currentSession;
    }
    // The grab reports presses from inside event processing; the reaction
    // runs on a later turn of the main loop.
    connect(
        &m_hotKey, &GlobalHotKey::activated, this, &GlobalHotkeyManager::hotKeyPressed, Qt::QueuedConnection);
}

void GlobalHotkeyManager::registerHotKey()
{
    const GlobalHotKey::Result result = m_hotKey.registerHotKey(m_session());
    // The key as it is here (Ctrl+Alt+N), not the home platform's Command+Option+N.
    m_output(
        result.registered ? SuccessPrefix + GlobalHotKey::keyText() : FailurePrefix + result.failureReason);
}

void GlobalHotkeyManager::setWindow(QWindow *window)
{
    m_window = window;
}

void GlobalHotkeyManager::hotKeyPressed()
{
    ApplicationWindows::bringForward(m_window, false);
    m_center.post(Notifications::HotkeyTriggered);
}

} // namespace brimlark
