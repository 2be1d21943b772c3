import QtQuick
import QtQuick.Controls
import Brimlark.Views
import Brimlark.Grid

// A selected folder with nothing to show: an invitation to add applications,
// and a drop target for one named by a dropped URL or URL text.
Item {
    id: root
    objectName: "emptyFolderView"

    required property AppGridController gridController
    required property BrimlarkViewModel viewModel
    // The folder selected when the view was built.
    property appFolder folder
    readonly property alias drops: drops
    readonly property bool lightAppearance: Style.isLight(palette)
    readonly property color primary: Style.primary(palette)
    readonly property color secondary: Style.secondary(palette)

    GridDropController {
        id: drops
        viewModel: root.viewModel
        catalog: root.viewModel.catalog
    }

    Rectangle {
        id: card
        anchors.centerIn: parent
        width: content.implicitWidth + 80
        height: content.implicitHeight + 80
        radius: 32
        color: Style.withAlpha(root.primary, 0.03)
        border.width: 1
        border.color: Style.withAlpha(root.primary, 0.05)

        Column {
            id: content
            anchors.centerIn: parent
            spacing: 24

            SymbolImage {
                anchors.horizontalCenter: parent.horizontalCenter
                name: "plus.circle"
                size: 80
                color: Style.withAlpha(root.secondary, 0.5)
            }

            Column {
                anchors.horizontalCenter: parent.horizontalCenter
                spacing: 8

                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    objectName: "emptyFolderTitle"
                    text: qsTr("No apps in this folder")
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    font.pixelSize: 20
                    font.weight: Font.DemiBold
                    color: root.secondary
                }
                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: qsTr("Add new apps below to get started")
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    font.pixelSize: 13
                    color: Style.withAlpha(root.secondary, 0.8)
                }
            }

            Item {
                anchors.horizontalCenter: parent.horizontalCenter
                width: addButton.width
                height: addButton.height + 12

                GridButton {
                    id: addButton
                    objectName: "addAppsButton"
                    y: 12
                    text: qsTr("Add Apps")
                    focusRingRadius: 12
                    padding: 0
                    contentItem: Rectangle {
                        implicitWidth: label.implicitWidth + 40
                        implicitHeight: label.implicitHeight + 20
                        radius: 12
                        color: Style.blue(root.lightAppearance)
                        opacity: addButton.pressed ? 0.8 : 1

                        Row {
                            id: label
                            anchors.centerIn: parent
                            spacing: 6

                            SymbolImage {
                                anchors.verticalCenter: parent.verticalCenter
                                name: "plus"
                                size: 14
                                color: "white"
                            }
                            Text {
                                anchors.verticalCenter: parent.verticalCenter
                                text: addButton.text
                                font.pixelSize: 13
                                font.weight: Font.Medium
                                color: "white"
                            }
                        }
                    }
                    onClicked: root.gridController.openAppPicker(root.folder)
                }
            }
        }
    }

    DropArea {
        anchors.fill: parent
        onDropped: (drop) => {
            drop.accepted = drops.dropOnEmptyFolder(root.folder, drop.hasText ? drop.text : "", drop.urls)
        }
    }
}
