#include "views/EnabledStateAccessibility.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>

namespace brimlark {

namespace {

const char *const optInProperty = "reportsEnabledState";

// The item's Accessible attached object: it holds the role, the name and the
// press action that QML gave the item.
QObject *accessibleAttached(QObject *item)
{
    for (QObject *child : item->children()) {
        if (qstrcmp(child->metaObject()->className(), "QQuickAccessibleAttached") == 0) {
            return child;
        }
    }
    return nullptr;
}

class EnabledStateButton : public QAccessibleObject, public QAccessibleActionInterface
{
public:
    explicit EnabledStateButton(QQuickItem *item)
        : QAccessibleObject(item)
    {
    }

    QQuickItem *item() const { return static_cast<QQuickItem *>(object()); }

    QWindow *window() const override { return item()->window(); }

    QAccessibleInterface *parent() const override
    {
        for (QQuickItem *up = item()->parentItem(); up; up = up->parentItem()) {
            if (QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(up)) {
                return iface;
            }
        }
        return item()->window() ? QAccessible::queryAccessibleInterface(item()->window()) : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        QObject *attached = accessibleAttached(item());
        if (!attached) {
            return {};
        }
        switch (t) {
        case QAccessible::Name:
            return attached->property("name").toString();
        case QAccessible::Description:
            return attached->property("description").toString();
        default:
            return {};
        }
    }

    QAccessible::Role role() const override
    {
        QObject *attached = accessibleAttached(item());
        return attached ? QAccessible::Role(attached->property("role").toInt()) : QAccessible::Button;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        const QQuickItem *it = item();
        state.disabled = !it->isEnabled();
        state.invisible
            = !it->isVisible() || !it->window() || !it->window()->isVisible() || qFuzzyIsNull(it->opacity());
        state.focusable = it->activeFocusOnTab();
        state.focused = it->hasActiveFocus();
        if (QObject *attached = accessibleAttached(item())) {
            state.pressed = attached->property("pressed").toBool();
            // A toggle keeps its checked state.
            state.checkable = attached->property("checkable").toBool();
            state.checked = attached->property("checked").toBool();
        }
        return state;
    }

    QRect rect() const override
    {
        const QQuickItem *it = item();
        if (!it->window()) {
            return {};
        }
        const QRectF scene = it->mapRectToScene(QRectF(0, 0, it->width(), it->height()));
        return QRect(it->window()->mapToGlobal(scene.topLeft().toPoint()), scene.size().toSize());
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this)
                                                    : nullptr;
    }

    // A disabled button offers nothing to press, as a click does nothing.
    QStringList actionNames() const override
    {
        if (!item()->isEnabled()) {
            return {};
        }
        QObject *attached = accessibleAttached(item());
        if (attached && attached->property("checkable").toBool()) {
            return { pressAction(), toggleAction() };
        }
        return { pressAction() };
    }
    void doAction(const QString &name) override
    {
        if (!item()->isEnabled() || !actionNames().contains(name)) {
            return;
        }
        if (QObject *attached = accessibleAttached(item())) {
            QMetaObject::invokeMethod(attached, name == toggleAction() ? "toggleAction" : "pressAction");
        }
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
};

QAccessibleInterface *enabledStateFactory(const QString &, QObject *object)
{
    auto *item = qobject_cast<QQuickItem *>(object);
    if (!item || !item->property(optInProperty).toBool()) {
        return nullptr;
    }
    return new EnabledStateButton(item);
}

} // namespace

void installEnabledStateAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(enabledStateFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace brimlark
