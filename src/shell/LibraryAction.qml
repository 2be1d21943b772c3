import QtQuick
import QtQuick.Controls
import Brimlark.Shell

// The Library menu's command for one section (a SidebarSelection.Kind), with
// the title and shortcut MenuCommands.libraryCommands gives it. Declared on
// the window, so that its shortcut works while the menu is closed.
Action {
    required property int section
    readonly property var command: MenuCommands.libraryCommands.find(c => c.selection === section)

    text: qsTr(command.title)
    shortcut: command.shortcut
    onTriggered: MenuCommands.showLibrarySection(section)
}
