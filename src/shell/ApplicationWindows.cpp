#include "shell/ApplicationWindows.h"

#include <QGuiApplication>
#include <QWindow>

namespace brimlark::ApplicationWindows {

void hideApplication()
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (QWindow *window : windows) {
        if (window->isVisible()) {
            window->hide();
        }
    }
}

void bringForward(QWindow *window, bool deminimise)
{
    if (!window) {
        return;
    }
    const bool minimised = window->windowStates().testFlag(Qt::WindowMinimized);
    if (minimised && deminimise) {
        window->setWindowStates(window->windowStates() & ~Qt::WindowMinimized);
    }
    if (!window->isVisible()) {
        // A hidden application comes back with its window; showing keeps the
        // window's state, so a minimised one stays minimised unless asked.
        window->setVisible(true);
    }
    window->raise();
    window->requestActivate();
}

} // namespace brimlark::ApplicationWindows
