#pragma once

#include <QObject>

#include <memory>

namespace brimlark {

class ApplicationLifecycle;

// Tells the analytics client when the application becomes active and when it
// stops being active, from Qt's application state.
class QtApplicationLifecycle : public QObject
{
    Q_OBJECT
public:
    explicit QtApplicationLifecycle(
        std::shared_ptr<ApplicationLifecycle> lifecycle, QObject *parent = nullptr);

    // Active after anything else: did become active; anything else after
    // active: will resign active; other changes say nothing.
    void applicationStateChanged(Qt::ApplicationState state);

private:
    std::shared_ptr<ApplicationLifecycle> m_lifecycle;
    bool m_active = false;
};

} // namespace brimlark
