#include "uninstaller/views/AccessibleSheetButton.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QMetaObject>
#include <QQuickItem>
#include <QQuickWindow>

#include <mutex>

namespace brimlark {

namespace {

constexpr char s_marker[] = "reportsEnabledState";

// Items with an Accessible attached object are the ones in the tree.
bool isAccessibleItem(const QQuickItem *item)
{
    for (const QObject *child : item->children()) {
        if (qstrcmp(child->metaObject()->className(), "QQuickAccessibleAttached") == 0) {
            return true;
        }
    }
    return false;
}

QString attachedText(const QQuickItem *item, const char *name)
{
    for (const QObject *child : item->children()) {
        if (qstrcmp(child->metaObject()->className(), "QQuickAccessibleAttached") == 0) {
            return child->property(name).toString();
        }
    }
    return {};
}

class AccessibleSheetButton : public QAccessibleObject, public QAccessibleActionInterface
{
public:
    explicit AccessibleSheetButton(QQuickItem *item)
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
            return attachedText(item(), "name");
        case QAccessible::Description:
            return attachedText(item(), "description");
        default:
            return {};
        }
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        const QQuickItem *i = item();
        state.disabled = !i->isEnabled();
        state.focusable = i->isEnabled();
        state.focused = i->hasActiveFocus();
        state.pressed = i->property("pressed").toBool();
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
        return item()->isEnabled() ? QStringList { pressAction() } : QStringList();
    }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && item()->isEnabled()) {
            QMetaObject::invokeMethod(item(), "clicked");
        }
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
};

QAccessibleInterface *factory(const QString &, QObject *object)
{
    auto *item = qobject_cast<QQuickItem *>(object);
    if (item && item->property(s_marker).toBool()) {
        return new AccessibleSheetButton(item);
    }
    return nullptr;
}

} // namespace

void installAccessibleSheetButtons()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(factory); });
}

} // namespace brimlark
