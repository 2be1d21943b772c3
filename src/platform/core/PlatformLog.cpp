#include "platform/core/PlatformLog.h"

namespace brimlark {

Q_LOGGING_CATEGORY(lcPlatform, "brimlark.platform")

} // namespace brimlark
