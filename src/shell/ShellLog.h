#pragma once

#include <QLoggingCategory>

namespace brimlark {

// The log category of the shell: the program, its windows, delegates and hot key.
Q_DECLARE_LOGGING_CATEGORY(lcShell)
// The analytics client has no Qt; the shell, the one layer that links it,
// takes its console lines into this category.
Q_DECLARE_LOGGING_CATEGORY(lcAnalytics)

} // namespace brimlark
