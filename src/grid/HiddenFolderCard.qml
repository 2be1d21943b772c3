import QtQuick
import QtQuick.Controls
import Brimlark.Shell
import Brimlark.Grid

// A hidden folder in the hidden section: its name, colour and first icons.
// A click opens the folder's panel over the grid; its menu unhides it.
AbstractButton {
    id: card
    objectName: "hiddenFolderCard"

    required property var folder
    required property var apps
    required property QtObject gridController
    // Gives the icons' image URLs (a HiddenSectionController).
    required property QtObject section
    required property QtObject viewModel
    readonly property color primary: GridStyle.primary(palette)
    readonly property color tint: Colors.hex(folder ? folder.color : "")

    implicitWidth: 260
    implicitHeight: 190

    Accessible.role: Accessible.Button
    Accessible.name: folder ? folder.name : ""
    Accessible.description: qsTr("Folder")
    Accessible.onPressAction: card.open()

    function open() {
        gridController.expandedFolderID = folder.idText
    }
    onClicked: open()

    background: Rectangle {
        radius: 20
        color: GridStyle.withAlpha(card.tint, card.hovered ? 0.16 : 0.1)
        border.width: 1
        border.color: GridStyle.withAlpha(card.tint, 0.3)
    }

    contentItem: Column {
        padding: 16
        spacing: 12
        Row {
            spacing: 8
            SymbolImage {
                anchors.verticalCenter: parent.verticalCenter
                name: card.folder && card.folder.icon ? card.folder.icon : "folder"
                size: 18
                color: card.tint
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                width: card.width - 80
                text: card.folder ? card.folder.name : ""
                font.pixelSize: 15
                font.bold: true
                elide: Text.ElideRight
                color: card.primary
            }
        }
        Text {
            text: card.apps.length === 1 ? qsTr("1 app") : qsTr("%1 apps").arg(card.apps.length)
            font.pixelSize: 12
            color: GridStyle.secondary(palette)
        }
        Grid {
            columns: 4
            spacing: 12
            Repeater {
                model: card.apps.slice(0, 8)
                delegate: Image {
                    required property var modelData
                    width: 48
                    height: 48
                    source: card.section.iconSource(modelData)
                    sourceSize: Qt.size(96, 96)
                    asynchronous: true
                }
            }
        }
    }

    TapHandler {
        acceptedButtons: Qt.RightButton
        onTapped: menu.popup()
    }
    Menu {
        id: menu
        MenuItem {
            text: qsTr("Unhide Folder Globally")
            Accessible.role: Accessible.MenuItem
            Accessible.name: text
            Accessible.onPressAction: triggered()
            onTriggered: card.viewModel.unhideFolderGlobally(card.folder)
        }
    }
}
