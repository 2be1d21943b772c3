#include "shell/WindowDelegate.h"

#include "shell/ApplicationWindows.h"

#include <QEvent>
#include <QWindow>

namespace brimlark {

bool WindowDelegate::windowShouldClose()
{
    if (m_terminating) {
        return true;
    }
    ApplicationWindows::hideApplication();
    return false;
}

bool WindowDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close && qobject_cast<QWindow *>(watched)) {
        if (!windowShouldClose()) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace brimlark
