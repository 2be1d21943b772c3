#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace brimlark {

// SIGTERM (the session logging out, a service manager), SIGINT, SIGHUP (the
// terminal it was started from closed) and SIGQUIT end the program the way
// "Quit" does: the window's frame is kept, analytics and the settings are
// drained. The handler only writes a byte to a pipe; the event
// loop reads it and says so. One instance per process; the default actions
// come back when it goes.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // Whether the handlers are in place.
    bool isInstalled() const { return m_installed; }

signals:
    // On the thread this object lives on, once per signal received.
    void received(int signalNumber);

private:
    void readPending();

    bool m_installed = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace brimlark
