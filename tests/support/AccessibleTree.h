#pragma once

#include <QAccessible>
#include <QAccessibleInterface>
#include <QList>
#include <QString>

namespace brimlark::test {

// One node of what a screen reader meets: listed by its parent and not
// hidden.
struct AccessibleNode
{
    QAccessible::Role role;
    QString name;
    QAccessible::State state;
    QAccessibleInterface *iface;
};

// Every node below iface that is in the tree, depth first; a hidden node
// and what lies under it are left out.
inline void collectAccessibleNodes(QAccessibleInterface *iface, QList<AccessibleNode> &out)
{
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface *child = iface->child(i);
        if (!child || child->state().invisible) {
            continue;
        }
        out.append({ child->role(), child->text(QAccessible::Name), child->state(), child });
        collectAccessibleNodes(child, out);
    }
}

} // namespace brimlark::test
