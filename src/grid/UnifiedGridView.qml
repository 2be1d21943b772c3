import QtQuick
import QtQuick.Controls
import Brimlark.Views
import Brimlark.Grid

// The unified grid: the "Add Folder" tile, then one card per folder and
// category in the stored order. A card dragged onto another takes its place.
// Built lazily row by row: only the rows in view have their cells.
GridView {
    id: root
    objectName: "unifiedGridView"
    Accessible.role: Accessible.List
    Accessible.name: qsTr("Folders and Categories")

    required property AppGridController gridController
    required property BrimlarkViewModel viewModel
    readonly property alias controller: unified

    readonly property gridColumnLayout columns: gridController.categoryColumns
    readonly property real padding: 32
    readonly property real available: Math.max(0, width - 2 * padding)
    readonly property real columnWidth: columns.columnWidth(available)
    readonly property bool lightAppearance: Style.isLight(palette)
    // The cells split the width evenly; each card stands where its column
    // is: the columns, `columns.spacing` apart, centred within the padding.
    readonly property real firstColumnX: padding + Math.max(0, (available - columns.contentWidth(available)) / 2)
    readonly property real columnStep: columnWidth + columns.spacing
    // Set from a change of the cards until its frame is shown: the cells
    // made then are the ones that joined, not ones scrolled into view.
    property bool cardsChanging: false

    model: unified.cards
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    // A hair under an even share, so rounding never drops a column.
    cellWidth: Math.max(1, width / Math.max(1, columns.count) - 0.001)
    cellHeight: 190 + 32
    topMargin: padding
    bottomMargin: padding - 32
    // Only the rows in view are made.
    cacheBuffer: 0

    ScrollBar.vertical: ThinScrollBar {
        policy: ScrollBar.AsNeeded
    }

    // One Tab stop for the cards: the keyboard is on one of them ("Add
    // Folder" first) and the arrows move it; Return or Space opens a card.
    keyNavigationEnabled: false
    property int keyIndex: 0
    function keyItemAt(index) {
        const cell = itemAtIndex(index)
        return cell ? (cell.addTile ? cell.tile : cell.card) : null
    }
    function moveKeyTo(index) {
        keyIndex = index
        positionViewAtIndex(index, GridView.Contain)
        const item = keyItemAt(index)
        if (item)
            item.forceActiveFocus(Qt.TabFocusReason)
    }
    // The Tab stop: the list is a focus scope that keeps the keyboard when
    // a field inside a card gives it up, so only this item, reached by Tab,
    // hands it on to the card it points at. Made before the cells, so Tab
    // from a card goes on past the list.
    Item {
        id: tabStop
        activeFocusOnTab: true
        onActiveFocusChanged: {
            if (activeFocus && root.count > 0)
                root.moveKeyTo(root.keyIndex < root.count ? root.keyIndex : 0)
        }
    }
    Keys.onPressed: (event) => {
        const target = KeyCommands.step(KeyCommands.command(event.key, event.modifiers),
                                        keyIndex, count, columns.count)
        event.accepted = target >= 0
        if (target >= 0)
            moveKeyTo(target)
    }
    // Shift+Tab from a card leaves the cards, as Tab does.
    Keys.onBacktabPressed: tabStop.nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)

    UnifiedGridController {
        id: unified
        viewModel: root.viewModel
        catalog: root.viewModel.catalog
        cards.leadingTile: true
    }

    Connections {
        target: unified.cards
        function onModelAboutToBeReset() { root.cardsChanging = true }
    }
    Connections {
        target: root.Window.window
        enabled: root.cardsChanging
        function onFrameSwapped() { root.cardsChanging = false }
    }

    Component {
        id: addFolderComponent
        Item {
            id: addFolder
            objectName: "addFolderTile"
            width: root.columnWidth
            height: 190
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Add Folder")
            Accessible.onPressAction: unified.addFolder()
            Accessible.ignored: !visible
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
    }

    delegate: Item {
        id: cell
        objectName: addTile ? "addFolderCell" : "unifiedGridCell"

        required property int index
        required property bool addTile
        required property string item
        required property string title
        required property appFolder folder
        required property list<appItem> apps
        required property bool inserted
        readonly property bool targeted: !addTile && unified.dropTargetID === cell.item
        readonly property int column: index % Math.max(1, root.columns.count)
        // Where the cell's column starts, and the card in it.
        readonly property real columnX: root.firstColumnX + column * (root.columnStep - root.cellWidth)
        readonly property real cardX: columnX + (root.columnWidth - 260) / 2
        readonly property bool inView: y + 190 > root.contentY && y < root.contentY + root.height
        // The view keeps a row of cells beyond each edge; only the rows in
        // view and the next one have a card.
        readonly property bool nearView: y + 190 > root.contentY && y < root.contentY + root.height + root.cellHeight
        readonly property CategoryCardView card: cardLoader.item
        readonly property Item tile: tileLoader.item
        // Scrolled out of view (under the toolbar), the tile leaves the
        // accessibility tree, as the cards do.
        Binding {
            target: cell.tile
            when: cell.tile !== null
            property: "visible"
            value: cell.inView
        }
        readonly property Item dropShadow: card ? card.dropShadow : null
        readonly property var glowSpring: card ? card.glowSpring : null
        readonly property alias entrance: entrance

        width: root.cellWidth
        height: 190

        Loader {
            id: tileLoader
            x: cell.columnX
            active: cell.addTile
            sourceComponent: addFolderComponent
        }

        // Cards are reordered by dropping one's text on another. Below the
        // card, so a dropped application reaches a folder card first.
        DropArea {
            anchors.fill: cardLoader
            enabled: !cell.addTile
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

        Loader {
            id: cardLoader
            x: cell.cardX
            active: !cell.addTile && cell.nearView
            sourceComponent: cardComponent
        }

        Component {
            id: cardComponent
            CategoryCardView {
                id: card
                // A card scrolled out of view is hidden, and so leaves the
                // accessibility tree.
                visible: cell.inView
                readonly property alias dropShadow: dropShadow
                readonly property alias glowSpring: glowSpring
                categoryName: cell.title
                apps: cell.apps
                folder: cell.folder
                viewModel: root.viewModel
                dragText: cell.item
                scale: cell.targeted ? 1.05 : 1
                onExpand: {
                    if (!cell.folder.isNull)
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
        }

        // A card that joins the grid (a new folder, a new category)
        // grows from 0.95 and fades in; the first cards, cards that only
        // moved and cards scrolled into view just stand there.
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
            if (inserted && root.cardsChanging)
                entrance.start()
        }
    }
}
