import QtQuick
import QtQuick.Controls
import Brimlark.Shell

// One command of the Library menu, as MenuCommands.libraryCommands lists it.
// Declared in the menu itself so that its shortcut works while the menu is
// closed.
Action {
    required property int entry
    readonly property var command: MenuCommands.libraryCommands[entry]

    text: qsTr(command.title)
    shortcut: command.shortcut
    onTriggered: MenuCommands.showLibrarySection(command.selection)
}
