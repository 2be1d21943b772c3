#include "platform/core/PathComponent.h"

namespace brimlark {

bool plainComponent(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/')
        && !name.contains(QChar(0));
}

} // namespace brimlark
