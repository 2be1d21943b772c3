#pragma once

#include <QLoggingCategory>

namespace brimlark {

// The log category of the view model, the selection and the lock.
Q_DECLARE_LOGGING_CATEGORY(lcState)

} // namespace brimlark
