import QtQuick
import QtQuick.Controls
import Brimlark.Views
import Brimlark.Grid

// The unified grid: the "Add Folder" tile, then one card per folder and
// category in the stored order. A card dragged onto another takes its place.
Flickable {
    id: root
    objectName: "unifiedGridView"
    Accessible.role: Accessible.List
    Accessible.name: qsTr("Folders and Categories")

    required property AppGridController gridController
    required property BrimlarkViewModel viewModel
    readonly property alias controller: unified

    readonly property var columns: gridController.categoryColumns
    readonly property real padding: 32
    readonly property real available: Math.max(0, width - 2 * padding)
    readonly property real columnWidth: columns.columnWidth(available)
    readonly property bool lightAppearance: palette.window.hslLightness >= 0.5

    contentWidth: width
    contentHeight: cells.height + 2 * padding
    clip: true
    boundsBehavior: Flickable.StopAtBounds

    ScrollBar.vertical: ThinScrollBar {
        policy: ScrollBar.AsNeeded
    }

    UnifiedGridController {
        id: unified
        viewModel: root.viewModel
    }

    // Whether a cell's rows lie in the scrolled view; a cell beyond it is
    // not in the accessibility tree.
    function shows(top, height) {
        contentY
        return cells.y + top + height > contentY && cells.y + top < contentY + root.height
    }

    // One Tab stop for the cards: the keyboard is on one of them ("Add
    // Folder" first) and the arrows move it; Return or Space opens a card.
    activeFocusOnTab: true
    property Item keyItem: addFolder
    function keyItems() {
        const out = [addFolder]
        for (let i = 0; i < cardRepeater.count; ++i) {
            const cell = cardRepeater.itemAt(i)
            if (cell && cell.present)
                out.push(cell.card)
        }
        return out
    }
    function moveKeyTo(item) {
        keyItem = item
        item.forceActiveFocus(Qt.TabFocusReason)
        const top = cells.y + item.parent.y
        const bottom = top + item.parent.height
        if (top < contentY)
            contentY = Math.max(0, top - padding)
        else if (bottom > contentY + height)
            contentY = Math.min(contentHeight - height, bottom + padding - height)
    }
    onActiveFocusChanged: {
        if (activeFocus && !keyItem.activeFocus)
            moveKeyTo(keyItems().indexOf(keyItem) >= 0 ? keyItem : addFolder)
    }
    Keys.onPressed: (event) => {
        const items = keyItems()
        const target = KeyCommands.step(KeyCommands.command(event.key, event.modifiers),
                                        items.indexOf(keyItem), items.length, cells.columns)
        event.accepted = target >= 0
        if (target >= 0)
            moveKeyTo(items[target])
    }
    // Shift+Tab from a card leaves the cards, as Tab does.
    Keys.onBacktabPressed: nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)

    Grid {
        id: cells
        x: root.padding + Math.max(0, (root.available - root.columns.contentWidth(root.available)) / 2)
        y: root.padding
        columns: Math.max(1, root.columns.count)
        columnSpacing: root.columns.spacing
        rowSpacing: 32

        // Makes a new folder, which the order puts in front of the cards.
        Item {
            id: addFolder
            objectName: "addFolderTile"
            width: root.columnWidth
            height: 190
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Add Folder")
            Accessible.ignored: !root.shows(y, height)
            Accessible.onPressAction: unified.addFolder()
            Keys.onPressed: (event) => {
                event.accepted = KeyCommands.command(event.key, event.modifiers) === KeyCommands.Activate
                if (event.accepted)
                    unified.addFolder()
            }
            GridFocusRing {
                anchors.fill: undefined
                anchors.centerIn: parent
                width: 260 + 6
                height: 190 + 6
                cornerRadius: 32
                visible: addFolder.activeFocus
            }

            Item {
                anchors.centerIn: parent
                width: 260
                height: 190

                Rectangle {
                    anchors.fill: parent
                    radius: 32
                    color: root.lightAppearance ? Style.withAlpha(palette.window, 0.6) : Qt.rgba(0, 0, 0, 0.45)
                }
                // The sheen from the top-leading corner to the bottom-trailing one.
                Image {
                    anchors.fill: parent
                    source: GridLooks.fillSource(260, 190, 32, Qt.rgba(1, 1, 1, root.lightAppearance ? 0.35 : 0.08),
                                                 Qt.rgba(1, 1, 1, root.lightAppearance ? 0.1 : 0.02))
                    smooth: true
                }
                // The dashed outline.
                Canvas {
                    id: outline
                    anchors.fill: parent
                    readonly property color stroke: root.lightAppearance ? Qt.rgba(0, 0, 0, 0.15) : Qt.rgba(1, 1, 1, 0.2)
                    onStrokeChanged: requestPaint()
                    onPaint: {
                        const ctx = getContext("2d")
                        ctx.reset()
                        ctx.strokeStyle = Style.css(stroke)
                        ctx.lineWidth = 1.5
                        ctx.lineCap = "round"
                        ctx.setLineDash([4 / 1.5, 6 / 1.5])
                        const r = 32, w = width - 1.5, h = height - 1.5, o = 0.75
                        ctx.beginPath()
                        ctx.roundedRect(o, o, w, h, r, r)
                        ctx.stroke()
                    }
                }
                Column {
                    anchors.centerIn: parent
                    spacing: 12

                    SymbolImage {
                        anchors.horizontalCenter: parent.horizontalCenter
                        name: "plus.circle.fill"
                        size: 40
                        color: root.lightAppearance ? Style.blue(true) : Style.withAlpha(Style.blue(false), 0.8)
                    }
                    Text {
                        anchors.horizontalCenter: parent.horizontalCenter
                        text: qsTr("Add Folder")
                        font.pixelSize: 16
                        font.bold: true
                        color: root.lightAppearance ? Style.withAlpha(Style.primary(palette), 0.85) : Qt.rgba(1, 1, 1, 0.9)
                    }
                }
                MouseArea {
                    anchors.fill: parent
                    onClicked: unified.addFolder()
                }
            }
        }

        Repeater {
            id: cardRepeater
            model: unified.cards

            delegate: Item {
                id: cell
                objectName: "unifiedGridCell"

                required property string item
                required property bool present
                required property string title
                required property var folder
                required property var apps
                required property bool inserted
                readonly property bool targeted: unified.dropTargetID === cell.item
                readonly property alias card: card
                readonly property alias dropShadow: dropShadow
                readonly property alias entrance: entrance
                readonly property alias glowSpring: glowSpring

                // A cell with nothing behind it takes no place.
                visible: present
                width: root.columnWidth
                height: 190

                // Cards are reordered by dropping one's text on another. Below the
                // card, so a dropped application reaches a folder card first.
                DropArea {
                    anchors.fill: card
                    keys: ["text/plain"]
                    onEntered: unified.setTargeted(cell.item, true)
                    onExited: unified.setTargeted(cell.item, false)
                    onDropped: (drop) => {
                        if (unified.drop(drop.hasText ? drop.text : "", cell.item))
                            drop.accept(Qt.MoveAction)
                        else
                            drop.accepted = false
                    }
                }

                CategoryCardView {
                    id: card
                    anchors.centerIn: parent
                    // A card scrolled out of view is hidden, and so leaves the
                    // accessibility tree; its cell keeps its place.
                    visible: root.shows(cell.y, cell.height)
                    categoryName: cell.title
                    apps: cell.apps
                    folder: cell.folder
                    viewModel: root.viewModel
                    dragText: cell.item
                    scale: cell.targeted ? 1.05 : 1
                    onExpand: {
                        if (cell.folder !== undefined)
                            root.gridController.expandedFolderID = cell.folder.idText
                        else
                            root.gridController.expandedCategoryName = cell.title
                    }

                    Behavior on scale { Spring { response: 0.3; dampingFraction: 0.825 } }

                    // The blue glow of the card a drag would put the dragged
                    // card on: a shadow without offset, grown with the card.
                    GridShadow {
                        id: dropShadow
                        objectName: "dropShadow"
                        z: -1
                        cornerRadius: 32
                        blur: 15
                        shadowColor: Style.withAlpha(Style.blue(root.lightAppearance), 0.8)
                        opacity: cell.targeted ? 1 : 0
                        visible: opacity > 0 || cell.targeted

                        Behavior on opacity { Spring { id: glowSpring; response: 0.3; dampingFraction: 0.825 } }
                    }
                }

                // A card that joins the grid (a new folder, a new category)
                // grows from 0.95 and fades in; the first cards and cards
                // that only moved just stand there.
                ParallelAnimation {
                    id: entrance
                    NumberAnimation {
                        target: cell; property: "opacity"; from: 0; to: 1
                        duration: 350; easing.type: Easing.InOutQuad
                    }
                    NumberAnimation {
                        target: cell; property: "scale"; from: 0.95; to: 1
                        duration: 350; easing.type: Easing.InOutQuad
                    }
                }
                Component.onCompleted: {
                    if (inserted)
                        entrance.start()
                }

            }
        }
    }
}
