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

    // Hides the application; the answer is always "do not close".
    bool windowShouldClose();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace brimlark
