#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// What a key means to the views' own keyboard ways (tiles, cards, sidebar
// rows): every view asks here, so one key does one thing everywhere.
class KeyCommands : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
public:
    enum Command {
        None,
        // Return, Enter or Space: what a click does.
        Activate,
        // The Menu key or Shift+F10: the item's context menu.
        ContextMenu,
        Previous,
        Next,
        Up,
        Down,
        First,
        Last,
    };
    Q_ENUM(Command)

    using QObject::QObject;

    // The command of a key press (a Qt::Key and its Qt::KeyboardModifiers);
    // a press with Ctrl, Alt or Meta means none of these.
    Q_INVOKABLE static brimlark::KeyCommands::Command command(int key, int modifiers);
    // Where a move command takes the keyboard in `count` items laid out
    // in rows of `columns`, from `index` (-1: none yet, so the first):
    // the index to go to, `index` itself where there is nowhere to go, -1
    // when there are no items or the command is no move.
    Q_INVOKABLE static int step(brimlark::KeyCommands::Command command, int index, int count, int columns);
};

} // namespace brimlark
