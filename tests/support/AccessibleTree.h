#pragma once

#include <QAccessible>
#include <QAccessibleInterface>
#include <QList>
#include <QString>
#include <QTest>

namespace brimlark::test {

// Whether Qt's accessibility bridge is on (it connects a moment after the
// application starts). Without it the controls never run their
// accessibility code, so a test that reads the tree then reads what no
// screen reader meets: such a test fails instead (run it through
// tests/accessibility/with-bridge.sh).
inline bool accessibilityBridgeActive()
{
    return QTest::qWaitFor([] { return QAccessible::isActive(); }, 10000);
}
inline const char *const bridgeInactiveMessage
    = "accessibility is not active: run this test under tests/accessibility/with-bridge.sh";

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
