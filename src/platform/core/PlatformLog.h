#pragma once

#include <QLoggingCategory>

namespace brimlark {

// The log category of the platform's services; the lines of its part without Qt come here through the
// program's console sink.
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)

} // namespace brimlark
