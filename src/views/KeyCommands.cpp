#include "views/KeyCommands.h"

#include <algorithm>

namespace brimlark {

KeyCommands::Command KeyCommands::command(int key, int modifiers)
{
    // The keypad's Enter carries KeypadModifier; it is still Enter.
    const int mods = modifiers & ~int(Qt::KeypadModifier);
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return None;
    }
    const bool shift = mods & Qt::ShiftModifier;
    switch (key) {
    case Qt::Key_F10:
        // F10 alone is the window's, for its menu bar.
        return shift ? ContextMenu : None;
    case Qt::Key_Menu:
        return ContextMenu;
    default:
        break;
    }
    if (shift) {
        return None;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        return Activate;
    case Qt::Key_Left:
        return Previous;
    case Qt::Key_Right:
        return Next;
    case Qt::Key_Up:
        return Up;
    case Qt::Key_Down:
        return Down;
    case Qt::Key_Home:
        return First;
    case Qt::Key_End:
        return Last;
    default:
        return None;
    }
}

int KeyCommands::step(Command command, int index, int count, int columns)
{
    if (count <= 0) {
        return -1;
    }
    columns = std::max(1, columns);
    if (index < 0 || index >= count) {
        return command >= Previous && command <= Last ? 0 : -1;
    }
    switch (command) {
    case Previous:
        return std::max(0, index - 1);
    case Next:
        return std::min(count - 1, index + 1);
    case Up:
        return index >= columns ? index - columns : index;
    case Down:
        // The last row may be short: Down from above its end goes to its end.
        if (index / columns == (count - 1) / columns) {
            return index;
        }
        return std::min(count - 1, index + columns);
    case First:
        return 0;
    case Last:
        return count - 1;
    default:
        return -1;
    }
}

} // namespace brimlark
