#include "views/EnabledStateAccessibility.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QMetaObject>
#include <QQuickItem>
#include <QQuickWindow>

#include <mutex>

namespace brimlark {

namespace {

// The property an item declares to be described by the interface below.
constexpr char s_marker[] = "reportsEnabledState";

QObject *attachedObject(const QQuickItem *item)
{
    for (QObject *child : item->children()) {
        if (qstrcmp(child->metaObject()->className(), "QQuickAccessibleAttached") == 0) {
            return child;
        }
    }
    return nullptr;
}

QVariant attachedValue(const QQuickItem *item, const char *name)
{
    const QObject *attached = attachedObject(item);
    return attached ? attached->property(name) : QVariant();
}

// Items with an Accessible attached object that is not ignored are the ones
// in the tree.
bool isAccessibleItem(const QQuickItem *item)
{
    const QObject *attached = attachedObject(item);
    return attached && !attached->property("ignored").toBool();
}

class EnabledStateButton : public QAccessibleObject, public QAccessibleActionInterface
{
public:
    explicit EnabledStateButton(QQuickItem *item)
        : QAccessibleObject(item)
    {
    }

    QQuickItem *item() const { return static_cast<QQuickItem *>(object()); }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this)
                                                    : QAccessibleObject::interface_cast(type);
    }

    QWindow *window() const override { return item()->window(); }

    QAccessibleInterface *parent() const override
    {
        QQuickItem *p = item()->parentItem();
        QQuickWindow *window = item()->window();
        while (p && window && p != window->contentItem() && !isAccessibleItem(p)) {
            p = p->parentItem();
        }
        if (!p || (window && p == window->contentItem())) {
            return window ? QAccessible::queryAccessibleInterface(window) : nullptr;
        }
        return QAccessible::queryAccessibleInterface(p);
    }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return attachedValue(item(), "name").toString();
        case QAccessible::Description:
            return attachedValue(item(), "description").toString();
        default:
            return {};
        }
    }
    QAccessible::Role role() const override
    {
        const QVariant role = attachedValue(item(), "role");
        return role.isValid() && role.toInt() != QAccessible::NoRole ? QAccessible::Role(role.toInt())
                                                                     : QAccessible::Button;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        const QQuickItem *i = item();
        state.disabled = !i->isEnabled();
        state.focusable = i->isEnabled() && i->activeFocusOnTab();
        state.focused = i->hasActiveFocus();
        state.pressed = i->property("pressed").toBool();
        // A check box keeps its checked state.
        state.checkable = attachedValue(i, "checkable").toBool();
        state.checked = attachedValue(i, "checked").toBool();
        state.invisible = !i->isVisible() || qFuzzyIsNull(i->opacity()) || !i->window();
        if (i->window()) {
            const QRectF inScene = i->mapRectToScene(QRectF(0, 0, i->width(), i->height()));
            state.offscreen = !QRectF(QPointF(0, 0), i->window()->size()).intersects(inScene);
        }
        return state;
    }
    QRect rect() const override
    {
        const QQuickItem *i = item();
        if (!i->window()) {
            return {};
        }
        const QRectF inScene = i->mapRectToScene(QRectF(0, 0, i->width(), i->height()));
        return QRect(i->window()->mapToGlobal(inScene.topLeft().toPoint()), inScene.size().toSize());
    }

    // Pressing does what a click does, and nothing while disabled.
    QStringList actionNames() const override
    {
        if (!item()->isEnabled()) {
            return {};
        }
        if (attachedValue(item(), "checkable").toBool()) {
            return { pressAction(), toggleAction() };
        }
        return { pressAction() };
    }
    void doAction(const QString &name) override
    {
        if (!item()->isEnabled() || !actionNames().contains(name)) {
            return;
        }
        if (QObject *attached = attachedObject(item())) {
            QMetaObject::invokeMethod(attached, name == toggleAction() ? "toggleAction" : "pressAction");
        }
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
};

QAccessibleInterface *factory(const QString &, QObject *object)
{
    auto *item = qobject_cast<QQuickItem *>(object);
    if (item && item->property(s_marker).toBool()) {
        return new EnabledStateButton(item);
    }
    return nullptr;
}

} // namespace

void installEnabledStateAccessibility()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(factory); });
}

} // namespace brimlark
