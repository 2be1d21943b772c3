import QtQuick
import QtQuick.Controls
import Brimlark.Views
import Brimlark.Grid

// The unlocked hidden section: a header that relocks it or switches the
// password lock off, the hidden folders (whatever the search says), the
// hidden applications the search leaves, or a note that nothing is hidden.
// The applications are the tile grid's own lazily made, reused tiles (without
// drops); the header and the folder cards ride above them as its header.
AppTileGrid {
    id: root
    objectName: "hiddenSectionView"

    readonly property alias section: section
    readonly property bool lightAppearance: Style.isLight(palette)
    readonly property color secondary: Style.secondary(palette)

    acceptsDrops: false
    topMargin: 0

    HiddenSectionController {
        id: section
        viewModel: root.viewModel
        hiddenItemsLock: root.viewModel.hiddenItemsLock
    }

    component HeaderButton: GridButton {
        id: headerButton
        property string symbol
        property color tint: root.primary
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

    header: Column {
        id: stack
        width: root.width
        spacing: 32
        bottomPadding: 24
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
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
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
            id: folderSection
            x: 24
            width: parent.width - 48
            spacing: 16
            visible: section.hasHiddenFolders

            Text {
                text: qsTr("Hidden Folders")
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                font.pixelSize: 20
                font.bold: true
                color: root.primary
            }
            Grid {
                id: folderGrid
                objectName: "hiddenFolders"
                // Adaptive columns of 240 to 280 points, 24 apart, centred.
                readonly property int count: Math.max(1, Math.floor((parent.width + 24) / (240 + 24)))
                readonly property real columnWidth: Math.min(280, (parent.width - 24 * (count - 1)) / count)
                x: Math.max(0, (parent.width - (count * columnWidth + (count - 1) * 24)) / 2)
                columns: count
                columnSpacing: 24
                rowSpacing: 24
                Repeater {
                    model: section.folderCards
                    // A hidden folder's card opens its panel like any folder card.
                    delegate: Item {
                        id: folderCell
                        required property int index
                        required property string title
                        required property appFolder folder
                        required property list<appItem> apps
                        width: folderGrid.columnWidth
                        height: 190
                        // Where the card lies in the scrolling content: one
                        // scrolled out of view is hidden, and so leaves the
                        // accessibility tree, as tiles put aside do. Only the
                        // rows in view and the next one have their card built.
                        // Counted from its row, not its y: the grid places the
                        // cells after making them all at the top.
                        readonly property real contentTop: stack.y + folderSection.y + folderGrid.y
                                                           + Math.floor(index / folderGrid.count) * (height + folderGrid.rowSpacing)
                        readonly property bool inView: contentTop + height > root.contentY
                                                       && contentTop < root.contentY + root.height
                        Loader {
                            anchors.centerIn: parent
                            active: folderCell.contentTop + folderCell.height > root.contentY
                                    && folderCell.contentTop < root.contentY + root.height + folderCell.height
                                       + folderGrid.rowSpacing
                            sourceComponent: Component {
                        CategoryCardView {
                            visible: folderCell.inView
                            categoryName: folderCell.title
                            apps: folderCell.apps
                            folder: folderCell.folder
                            viewModel: root.viewModel
                            activeFocusOnTab: true
                            onExpand: root.gridController.expandedFolderID = folderCell.folder.idText
                        }
                            }
                        }
                    }
                }
            }
        }

        Item {
            width: parent.width
            objectName: "noHiddenItems"
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
                    objectName: "noHiddenItemsText"
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: qsTr("No Hidden Items")
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    font.pixelSize: 20
                    font.weight: Font.DemiBold
                    color: root.secondary
                }
            }
        }
    }
}
