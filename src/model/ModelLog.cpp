#include "model/ModelLog.h"

namespace brimlark {

Q_LOGGING_CATEGORY(lcModel, "brimlark.model")

} // namespace brimlark
