#include "uninstaller/RemovalHelperPath.h"

namespace brimlark {

std::string removalHelperPath()
{
    return BRIMLARK_REMOVAL_HELPER;
}

} // namespace brimlark
