#include "platform/gui/KeyDownMonitor.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>

namespace brimlark {

namespace {

// X11 and xkb both keep Caps Lock in bit 1 of the native modifier state.
constexpr quint32 nativeLockMask = 0x2;

KeyDownMonitor::FocusPredicate &focusPredicate()
{
    static KeyDownMonitor::FocusPredicate predicate;
    return predicate;
}

bool focusObjectAcceptsText()
{
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!app) {
        return false;
    }
    QObject *focus = QGuiApplication::focusObject();
    if (!focus) {
        return false;
    }
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QCoreApplication::sendEvent(focus, &query);
    return query.value(Qt::ImEnabled).toBool();
}

} // namespace

KeyDownMonitor *KeyDownMonitor::install(Handlers handlers)
{
    auto *app = QCoreApplication::instance();
    auto *monitor = new KeyDownMonitor(std::move(handlers), app);
    if (app) {
        app->installEventFilter(monitor);
    }
    return monitor;
}

KeyDownMonitor::KeyDownMonitor(Handlers handlers, QObject *parent)
    : QObject(parent)
    , m_handlers(std::move(handlers))
{
}

void KeyDownMonitor::setTextInputFocusPredicate(FocusPredicate predicate)
{
    focusPredicate() = std::move(predicate);
}

bool KeyDownMonitor::textInputHasFocus()
{
    const auto &predicate = focusPredicate();
    return predicate ? predicate() : focusObjectAcceptsText();
}

std::optional<KeyDownEvent> KeyDownMonitor::translate(const QKeyEvent &event)
{
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::ShortcutOverride) {
        return std::nullopt;
    }
    KeyDownEvent out;
    const Qt::KeyboardModifiers mods = event.modifiers();
    if (mods & Qt::ControlModifier) {
        out.modifierFlags |= KeyModifier::command;
    }
    if (mods & (Qt::AltModifier | Qt::GroupSwitchModifier)) {
        out.modifierFlags |= KeyModifier::option;
    }
    if (mods & Qt::MetaModifier) {
        out.modifierFlags |= KeyModifier::control;
    }
    if (mods & Qt::ShiftModifier) {
        out.modifierFlags |= KeyModifier::shift;
    }
    if (mods & Qt::KeypadModifier) {
        out.modifierFlags |= KeyModifier::numericPad;
    }
    if (event.nativeModifiers() & nativeLockMask) {
        out.modifierFlags |= KeyModifier::capsLock;
    }
    if (event.key() == Qt::Key_Help) {
        out.modifierFlags |= KeyModifier::help;
    }
    // Qt's key code is the unmodified key's character for printable keys
    // (upper case for letters); special keys live above the Unicode range.
    const int key = event.key();
    if (key > 0 && key < 0x110000 && QChar::isPrint(char32_t(key))) {
        const char32_t character = char32_t(key);
        out.charactersIgnoringModifiers = QString::fromUcs4(&character, 1).toLower();
    }
    out.textInputHasFocus = textInputHasFocus();
    return out;
}

bool KeyDownMonitor::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) {
        return QObject::eventFilter(watched, event);
    }
    const auto keyDown = translate(*static_cast<QKeyEvent *>(event));
    if (!keyDown) {
        return false;
    }
    if (type == QEvent::ShortcutOverride) {
        // Claiming the override keeps menu shortcuts from taking the key;
        // the action itself waits for the key press that follows.
        if (m_handlers.claims && m_handlers.claims(*keyDown)) {
            event->accept();
            return true;
        }
        return false;
    }
    // A key press may pass this filter more than once on its way up the item
    // tree; a handler that declines changes nothing, so asking again is safe.
    return m_handlers.handle && m_handlers.handle(*keyDown);
}

} // namespace brimlark
