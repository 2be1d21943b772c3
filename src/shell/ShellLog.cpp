#include "shell/ShellLog.h"

namespace brimlark {

Q_LOGGING_CATEGORY(lcShell, "brimlark.shell")
Q_LOGGING_CATEGORY(lcAnalytics, "brimlark.analytics")

} // namespace brimlark
