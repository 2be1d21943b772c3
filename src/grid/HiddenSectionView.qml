import QtQuick
import QtQuick.Controls
import Brimlark.Views
import Brimlark.Grid

// The unlocked hidden section: a header that relocks it or switches the
// password lock off, the hidden folders (whatever the search says), the
// hidden applications the search leaves, or a note that nothing is hidden.
Flickable {
    id: root
    objectName: "hiddenSectionView"

    required property QtObject gridController
    required property QtObject viewModel
    readonly property alias section: section
    readonly property bool lightAppearance: palette.window.hslLightness >= 0.5
    readonly property color primary: Style.primary(palette)
    readonly property color secondary: Style.secondary(palette)

    HiddenSectionController {
        id: section
        viewModel: root.viewModel
    }

    contentWidth: width
    contentHeight: stack.height + 24
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ThinScrollBar {
        policy: ScrollBar.AsNeeded
    }

    component HeaderButton: AbstractButton {
        id: headerButton
        property string symbol
        property color tint: root.primary
        Accessible.role: Accessible.Button
        Accessible.name: text
        Accessible.onPressAction: headerButton.clicked()
        padding: 6
        leftPadding: 10
        rightPadding: 10
        background: Rectangle {
            radius: 6
            color: Style.withAlpha(root.primary, headerButton.pressed ? 0.12 : 0.06)
            border.width: 1
            border.color: Style.withAlpha(root.primary, 0.12)
        }
        contentItem: Row {
            spacing: 6
            SymbolImage {
                anchors.verticalCenter: parent.verticalCenter
                name: headerButton.symbol
                size: 13
                color: headerButton.tint
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: headerButton.text
                font.pixelSize: 13
                color: headerButton.tint
            }
        }
    }

    Column {
        id: stack
        width: root.width
        spacing: 32

        Item {
            width: parent.width
            height: header.height + 16
            Row {
                id: header
                x: 24
                y: 16
                width: parent.width - 48
                spacing: 8
                Text {
                    id: title
                    anchors.verticalCenter: parent.verticalCenter
                    width: header.width - disableButton.width - lockButton.width - 16
                    text: qsTr("Hidden Apps")
                    font.pixelSize: 20
                    font.bold: true
                    color: root.primary
                }
                HeaderButton {
                    id: disableButton
                    objectName: "disablePasswordLockButton"
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("Disable Password Lock")
                    symbol: "lock.open.fill"
                    tint: Style.red(root.lightAppearance)
                    onClicked: section.disablePasswordLock()
                }
                HeaderButton {
                    id: lockButton
                    objectName: "lockButton"
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("Lock")
                    symbol: "lock.fill"
                    onClicked: section.lock()
                }
            }
        }

        Column {
            x: 24
            width: parent.width - 48
            spacing: 16
            visible: section.hiddenFolders.length > 0

            Text {
                text: qsTr("Hidden Folders")
                font.pixelSize: 20
                font.bold: true
                color: root.primary
            }
            Flow {
                width: parent.width
                spacing: 24
                Repeater {
                    model: section.hiddenFolders
                    // A hidden folder's card opens its panel like any folder card.
                    delegate: CategoryCardView {
                        required property var modelData
                        categoryName: modelData.name
                        apps: section.appsInFolder(modelData)
                        folder: modelData
                        viewModel: root.viewModel
                        onExpand: root.gridController.expandedFolderID = modelData.idText
                    }
                }
            }
        }

        Flow {
            objectName: "hiddenApps"
            x: 24
            width: parent.width - 48
            spacing: 32
            visible: section.showsHiddenApps
            Repeater {
                model: root.gridController.apps
                delegate: Item {
                    id: cell
                    required property var app
                    required property url iconSource
                    width: tile.implicitWidth
                    height: tile.implicitHeight
                    AppItemView {
                        id: tile
                        app: cell.app
                        iconSource: cell.iconSource
                        viewModel: root.viewModel
                    }
                }
            }
        }

        Item {
            width: parent.width
            height: Math.max(200, root.height - header.height - 64)
            visible: section.showsEmptyState
            Column {
                anchors.centerIn: parent
                spacing: 16
                SymbolImage {
                    anchors.horizontalCenter: parent.horizontalCenter
                    name: "eye.slash"
                    size: 64
                    color: Style.withAlpha(root.secondary, 0.5)
                }
                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: qsTr("No Hidden Items")
                    font.pixelSize: 20
                    font.weight: Font.DemiBold
                    color: root.secondary
                }
            }
        }
    }
}
