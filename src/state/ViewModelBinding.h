#pragma once

#include "state/BrimlarkViewModel.h"

#include <QPointer>

namespace brimlark {

// Points a view's controller at the view model its view hands it: every
// connection from the old view model to the controller goes, and the new
// one is stored for the controller to connect to. False when it is the one
// already held (nothing to do).
inline bool rebindViewModel(QObject &controller, QPointer<BrimlarkViewModel> &held, BrimlarkViewModel *next)
{
    if (held == next) {
        return false;
    }
    if (held) {
        QObject::disconnect(held, nullptr, &controller, nullptr);
    }
    held = next;
    return true;
}

} // namespace brimlark
