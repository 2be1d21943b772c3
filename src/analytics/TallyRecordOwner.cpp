#include "analytics/TallyRecordOwner.h"

namespace brimlark {

TallyRecordOwner::~TallyRecordOwner() = default;

} // namespace brimlark
