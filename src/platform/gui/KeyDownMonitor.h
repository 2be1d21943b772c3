#pragma once

#include "platform/core/KeyDownEvent.h"

#include <QObject>

#include <functional>
#include <optional>

class QKeyEvent;

namespace brimlark {

// A local monitor of the application's key-down events, seen before they are
// dispatched to windows, menus and shortcuts. It is an application-wide event
// filter: the shortcut-override query is answered first (so a claimed key is
// never taken by a menu key equivalent), then the key press itself is handed
// to the handler, which consumes it by returning true.
class KeyDownMonitor : public QObject
{
    Q_OBJECT
public:
    struct Handlers
    {
        // Whether the handler would consume this key; must not change anything.
        std::function<bool(const KeyDownEvent &)> claims;
        // Acts on the key; true consumes it.
        std::function<bool(const KeyDownEvent &)> handle;
    };
    using FocusPredicate = std::function<bool()>;

    // Installs a monitor for the rest of the process (it is a child of the
    // application object).
    static KeyDownMonitor *install(Handlers handlers);

    explicit KeyDownMonitor(Handlers handlers, QObject *parent = nullptr);

    // Replaces the process-wide test for "a text field has the keyboard focus".
    // The default asks the focus object whether it accepts text input.
    static void setTextInputFocusPredicate(FocusPredicate predicate);
    static bool textInputHasFocus();

    // The monitor's view of a Qt key event; nothing for events other than key
    // presses and shortcut-override queries.
    static std::optional<KeyDownEvent> translate(const QKeyEvent &event);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handlers m_handlers;
};

} // namespace brimlark
