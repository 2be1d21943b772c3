#include "shell/QtApplicationLifecycle.h"

#include "analytics/ApplicationLifecycle.h"

#include <QGuiApplication>

namespace brimlark {

QtApplicationLifecycle::QtApplicationLifecycle(
    std::shared_ptr<ApplicationLifecycle> lifecycle, QObject *parent)
    : QObject(parent)
    , m_lifecycle(std::move(lifecycle))
{
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        m_active = QGuiApplication::applicationState() == Qt::ApplicationActive;
        connect(app, &QGuiApplication::applicationStateChanged, this,
            &QtApplicationLifecycle::applicationStateChanged);
    }
}

void QtApplicationLifecycle::applicationStateChanged(Qt::ApplicationState state)
{
    const bool active = state == Qt::ApplicationActive;
    if (active == m_active || !m_lifecycle) {
        m_active = active;
        return;
    }
    m_active = active;
    if (active) {
        m_lifecycle->postDidBecomeActive();
    } else {
        m_lifecycle->postWillResignActive();
    }
}

} // namespace brimlark
