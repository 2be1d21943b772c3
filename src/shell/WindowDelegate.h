#pragma once

#include <QObject>

namespace brimlark {

// The window's close button hides the application instead of closing the
// window, so the window keeps its state and comes back with the hot key or
// when brimlark is started again.
class WindowDelegate : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Hides the application and answers "do not close", unless the
    // application is quitting: then the window closes.
    bool windowShouldClose();
    void setTerminating(bool terminating) { m_terminating = terminating; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_terminating = false;
};

} // namespace brimlark
