import QtQuick
import QtQuick.Controls
import Brimlark.Shell

// The launcher's one window: the menus and the root split view. Its size
// limits and first-launch size are set by the application delegate.
ApplicationWindow {
    id: window
    objectName: "brimlarkWindow"
    width: 1200
    height: 800
    visible: true

    menuBar: MenuBar {
        objectName: "menuBar"

        Menu {
            objectName: "fileMenu"
            title: qsTr("File")

            Action {
                objectName: "searchAppsAction"
                text: qsTr("Search Apps")
                shortcut: "Ctrl+K"
                onTriggered: MenuCommands.searchApps()
            }
            MenuSeparator {}
            Action {
                objectName: "quitAction"
                text: qsTr("Quit")
                shortcut: "Ctrl+Q"
                onTriggered: MenuCommands.quit()
            }
        }

        Menu {
            id: libraryMenu
            objectName: "libraryMenu"
            title: qsTr("Library")

            Instantiator {
                model: MenuCommands.libraryCommands
                delegate: Action {
                    required property var modelData
                    text: qsTr(modelData.title)
                    shortcut: modelData.shortcut
                    onTriggered: MenuCommands.showLibrarySection(modelData.selection)
                }
                onObjectAdded: (index, object) => libraryMenu.insertAction(index, object)
                onObjectRemoved: (index, object) => libraryMenu.removeAction(object)
            }
        }
    }

    ContentView {
        anchors.fill: parent
    }
}
