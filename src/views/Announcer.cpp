#include "views/Announcer.h"

#include <QAccessible>
#include <QQuickItem>

namespace brimlark {

void Announcer::announce(QQuickItem *item) const
{
    if (!item || !item->isVisible() || !QAccessible::isActive()) {
        return;
    }
    QAccessibleEvent shown(item, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

} // namespace brimlark
