#include "state/StateLog.h"

namespace brimlark {

Q_LOGGING_CATEGORY(lcState, "brimlark.state")

} // namespace brimlark
