import QtQuick
import QtQuick.Controls

// A menu of the window's commands whose entries are made the first time it
// opens: the window's start makes none of them. The commands stay on the
// window, so their shortcuts work before then.
Menu {
    id: menu

    // The commands in their order; null stands for a separator.
    property var commands: []

    delegate: ShortcutMenuItem {}

    onAboutToShow: {
        if (count > 0)
            return
        for (const command of commands) {
            if (command)
                addAction(command)
            else
                addItem(separator.createObject(contentItem))
        }
        // Entries added while the menu was closed are laid out only on request.
        contentItem.forceLayout()
    }

    Component {
        id: separator
        MenuSeparator {}
    }
}
