#include "views/EnabledStateAccessibility.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QMetaObject>
#include <QQuickItem>
#include <QQuickWindow>
#include <qqml.h>

#include <mutex>

namespace brimlark {

namespace {

// The property an item declares to be described by the interface below.
constexpr char s_marker[] = "reportsEnabledState";
// The property a progress bar drawn by a view declares to be described by
// ProgressValue.
constexpr char s_progressMarker[] = "reportsProgress";

QObject *attachedObject(const QQuickItem *item)
{
    for (QObject *child : item->children()) {
        if (qstrcmp(child->metaObject()->className(), "QQuickAccessibleAttached") == 0) {
            // Once accessibility is on, a Qt Quick control makes a second,
            // empty one for itself; the one the view's Accessible properties
            // set is the engine's.
            auto *self = const_cast<QQuickItem *>(item);
            QObject *own
                = qmlAttachedPropertiesObject(self, qmlAttachedPropertiesFunction(self, child->metaObject()),
                    /*create*/ false);
            return own ? own : child;
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

// An item of ours in the tree: its place (parent, window, rectangle) as
// Qt Quick's own interface would give it; no children.
class ItemAccessible : public QAccessibleObject
{
public:
    explicit ItemAccessible(QQuickItem *item)
        : QAccessibleObject(item)
    {
    }

    QQuickItem *item() const { return static_cast<QQuickItem *>(object()); }

    QWindow *window() const override { return item()->window(); }

    // The name and description the view set on the item.
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

    QRect rect() const override
    {
        const QQuickItem *i = item();
        if (!i->window()) {
            return {};
        }
        const QRectF inScene = i->mapRectToScene(QRectF(0, 0, i->width(), i->height()));
        return QRect(i->window()->mapToGlobal(inScene.topLeft().toPoint()), inScene.size().toSize());
    }

protected:
    // The states every item of ours reports alike.
    QAccessible::State placeState() const
    {
        QAccessible::State state;
        const QQuickItem *i = item();
        state.disabled = !i->isEnabled();
        state.focused = i->hasActiveFocus();
        state.invisible = !i->isVisible() || qFuzzyIsNull(i->opacity()) || !i->window();
        if (i->window()) {
            const QRectF inScene = i->mapRectToScene(QRectF(0, 0, i->width(), i->height()));
            state.offscreen = !QRectF(QPointF(0, 0), i->window()->size()).intersects(inScene);
        }
        return state;
    }
};

class EnabledStateButton : public ItemAccessible, public QAccessibleActionInterface
{
public:
    using ItemAccessible::ItemAccessible;

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this)
                                                    : QAccessibleObject::interface_cast(type);
    }

    QAccessible::Role role() const override
    {
        const QVariant role = attachedValue(item(), "role");
        return role.isValid() && role.toInt() != QAccessible::NoRole ? QAccessible::Role(role.toInt())
                                                                     : QAccessible::Button;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = placeState();
        const QQuickItem *i = item();
        state.focusable = i->isEnabled() && i->activeFocusOnTab();
        state.pressed = i->property("pressed").toBool();
        // A check box keeps its checked state. A control overwrites the
        // Accessible values with its own as it completes, so its own
        // checkable and checked count too.
        const bool ownCheck = i->property("checkable").toBool();
        state.checkable = attachedValue(i, "checkable").toBool() || ownCheck;
        state.checked = attachedValue(i, "checked").toBool() || (ownCheck && i->property("checked").toBool());
        return state;
    }

    // Pressing does what a click does, and nothing while disabled.
    QStringList actionNames() const override
    {
        if (!item()->isEnabled()) {
            return {};
        }
        if (state().checkable) {
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

// A text field whose echo mode hides its text. Its text, in every form a
// reader can ask for it, is the mask the screen shows (`displayText`).
class PasswordField : public ItemAccessible,
                      public QAccessibleTextInterface,
                      public QAccessibleActionInterface
{
public:
    using ItemAccessible::ItemAccessible;

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        switch (type) {
        case QAccessible::TextInterface:
            return static_cast<QAccessibleTextInterface *>(this);
        case QAccessible::ActionInterface:
            return static_cast<QAccessibleActionInterface *>(this);
        default:
            return QAccessibleObject::interface_cast(type);
        }
    }

    QString shown() const { return item()->property("displayText").toString(); }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: {
            const QString name = ItemAccessible::text(t);
            return name.isEmpty() ? item()->property("placeholderText").toString() : name;
        }
        case QAccessible::Value:
            return shown();
        default:
            return ItemAccessible::text(t);
        }
    }
    QAccessible::Role role() const override { return QAccessible::EditableText; }
    QAccessible::State state() const override
    {
        QAccessible::State state = placeState();
        const QQuickItem *i = item();
        state.focusable = i->isEnabled();
        state.editable = !i->property("readOnly").toBool();
        state.readOnly = !state.editable;
        state.passwordEdit = true;
        return state;
    }

    // Text
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && selectionCount() == 1) {
            *startOffset = item()->property("selectionStart").toInt();
            *endOffset = item()->property("selectionEnd").toInt();
        }
    }
    int selectionCount() const override
    {
        return item()->property("selectionStart").toInt() != item()->property("selectionEnd").toInt() ? 1 : 0;
    }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int) override { QMetaObject::invokeMethod(item(), "deselect"); }
    void setSelection(int, int startOffset, int endOffset) override
    {
        QMetaObject::invokeMethod(item(), "select", Q_ARG(int, startOffset), Q_ARG(int, endOffset));
    }
    int cursorPosition() const override { return item()->property("cursorPosition").toInt(); }
    void setCursorPosition(int position) override { item()->setProperty("cursorPosition", position); }
    QString text(int startOffset, int endOffset) const override
    {
        const QString all = shown();
        startOffset = qBound(0, startOffset, int(all.size()));
        endOffset = endOffset < 0 ? int(all.size()) : qBound(startOffset, endOffset, int(all.size()));
        return all.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(shown().size()); }
    QRect characterRect(int offset) const override
    {
        QRectF r;
        QMetaObject::invokeMethod(item(), "positionToRectangle", Q_RETURN_ARG(QRectF, r), Q_ARG(int, offset));
        if (!item()->window()) {
            return {};
        }
        const QRectF inScene = item()->mapRectToScene(r);
        return QRect(item()->window()->mapToGlobal(inScene.topLeft().toPoint()), inScene.size().toSize());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        if (!item()->window()) {
            return -1;
        }
        const QPointF at = item()->mapFromScene(item()->window()->mapFromGlobal(point));
        int offset = -1;
        QMetaObject::invokeMethod(
            item(), "positionAt", Q_RETURN_ARG(int, offset), Q_ARG(qreal, at.x()), Q_ARG(qreal, at.y()));
        return offset;
    }
    void scrollToSubstring(int, int) override { }
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

    // Pressing puts the keyboard in the field, as the field's own press does.
    QStringList actionNames() const override
    {
        return item()->isEnabled() ? QStringList { pressAction() } : QStringList();
    }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && item()->isEnabled()) {
            item()->forceActiveFocus(Qt::OtherFocusReason);
        }
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
};

// A bar drawn by a view that says how far something has come: its value
// and range are the item's own `value`, `from` and `to`.
class ProgressValue : public ItemAccessible, public QAccessibleValueInterface
{
public:
    using ItemAccessible::ItemAccessible;

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface *>(this)
                                                   : QAccessibleObject::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Value:
            return QString::number(
                       qRound(currentValue().toDouble() * 100 / qMax(maximumValue().toDouble(), 1e-9)))
                + QLatin1Char('%');
        default:
            return ItemAccessible::text(t);
        }
    }
    QAccessible::Role role() const override { return QAccessible::ProgressBar; }
    QAccessible::State state() const override { return placeState(); }

    QVariant currentValue() const override { return item()->property("value"); }
    void setCurrentValue(const QVariant &) override { }
    QVariant maximumValue() const override { return item()->property("to"); }
    QVariant minimumValue() const override { return item()->property("from"); }
    QVariant minimumStepSize() const override { return 0; }
};

QAccessibleInterface *factory(const QString &, QObject *object)
{
    auto *item = qobject_cast<QQuickItem *>(object);
    // The declaration decides, not its value: an item is asked for while it
    // is still being made, before its properties are set.
    if (item && item->metaObject()->indexOfProperty(s_marker) >= 0) {
        return new EnabledStateButton(item);
    }
    if (item && item->metaObject()->indexOfProperty(s_progressMarker) >= 0) {
        return new ProgressValue(item);
    }
    return nullptr;
}

// The property a password field declares to be described by PasswordField.
constexpr char s_passwordMarker[] = "servesMaskedText";

QAccessibleInterface *passwordFactory(const QString &, QObject *object)
{
    auto *item = qobject_cast<QQuickItem *>(object);
    return item && item->inherits("QQuickTextInput")
            && item->metaObject()->indexOfProperty(s_passwordMarker) >= 0
        ? new PasswordField(item)
        : nullptr;
}

} // namespace

void installEnabledStateAccessibility()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(factory); });
}

void installPasswordFieldAccessibility()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(passwordFactory); });
}

} // namespace brimlark
