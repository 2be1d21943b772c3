import QtQuick
import QtQuick.Controls
import Brimlark.Views
import Brimlark.Grid

// The tiles of the view model's filtered applications, built lazily row by
// row, in the columns fitted to the pane. Inside a folder a tile takes the
// place of an application of the folder dropped on it, or held over it for a
// moment.
GridView {
    id: tiles
    objectName: "appTileGrid"
    Accessible.role: Accessible.List
    Accessible.name: viewModel && viewModel.selectionTitle ? viewModel.selectionTitle : qsTr("Applications")

    required property AppGridController gridController
    required property BrimlarkViewModel viewModel
    // Whether the tiles are a folder's: fixed when the grid is built.
    property bool folderFlag: false
    // Whether a dragged application may land on a tile at all.
    property bool acceptsDrops: true
    readonly property alias drops: drops

    readonly property gridColumnLayout columns: gridController.appColumns
    readonly property real padding: 32
    readonly property real available: Math.max(0, width - 2 * padding)
    readonly property real columnWidth: columns.columnWidth(available)
    readonly property real tileHeight: GridLooks.tileHeight(Style.nameLineSpacing)

    // The view spans the pane, so it scrolls from anywhere in it; its cells
    // split the width evenly and each tile stands where its column is: the
    // columns, `columns.spacing` apart, centred within the padding.
    readonly property real firstColumnX: padding + Math.max(0, (available - columns.contentWidth(available)) / 2)
    readonly property real columnStep: columnWidth + columns.spacing
    // The tiles' text colour, read from the palette once for all of them.
    readonly property color primary: Style.primary(palette)

    model: gridController.apps
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    // A hair under an even share, so rounding never drops a column.
    cellWidth: Math.max(1, width / Math.max(1, columns.count) - 0.001)
    cellHeight: tileHeight + 32
    topMargin: padding
    bottomMargin: padding - 32
    reuseItems: true
    // No tiles made ahead off screen: a keystroke rebinds only the tiles in
    // view, and none are left half made to finish in the next keystroke's
    // frame. A row scrolled into view costs less than a frame to make.
    cacheBuffer: 0

    ScrollBar.vertical: ThinScrollBar {
        policy: ScrollBar.AsNeeded
    }

    // One Tab stop: the current tile takes the keyboard, the arrows move it.
    activeFocusOnTab: true
    keyNavigationEnabled: false
    function moveBy(command) {
        const target = KeyCommands.step(command, currentIndex, count, columns.count)
        if (target < 0)
            return false
        currentIndex = target
        positionViewAtIndex(target, GridView.Contain)
        return true
    }

    // A shorter list would leave the view scrolled past its end, and the
    // view would build every tile from its new end down to where it stood:
    // it goes to where that end will be first, reusing the tiles it has.
    Connections {
        target: tiles.gridController
        function onAppsAboutToChange(count) {
            const perRow = Math.max(1, Math.floor(tiles.width / tiles.cellWidth))
            const end = Math.ceil(count / perRow) * tiles.cellHeight + tiles.bottomMargin
            if (end >= tiles.contentY + tiles.height)
                return
            // Moved in one step, the view puts its tiles aside before it
            // fills the new place, and fills it with them; going to an index
            // would fill the index's place first, with a screen of new tiles.
            tiles.contentY = Math.max(tiles.originY - tiles.topMargin, tiles.originY + end - tiles.height)
        }
    }

    GridDropController {
        id: drops
        viewModel: tiles.viewModel
        catalog: tiles.viewModel.catalog
        folderFlag: tiles.folderFlag
    }

    // One drop area for all the tiles: it follows the tile under the drag.
    DropArea {
        id: tileDrops
        parent: tiles
        anchors.fill: parent
        enabled: tiles.acceptsDrops
        keys: ["text/uri-list"]

        // The path of the tile under the drag, or "".
        property string targetPath

        function pathAt(x, y) {
            const cell = tiles.itemAt(x + tiles.contentX, y + tiles.contentY)
            if (!cell)
                return ""
            const tile = cell.tile
            const p = tile.mapFromItem(tileDrops, x, y)
            return p.x >= 0 && p.y >= 0 && p.x < tile.width && p.y < tile.height ? cell.path : ""
        }
        function follow(drag) {
            const path = pathAt(drag.x, drag.y)
            if (path === targetPath)
                return
            if (targetPath !== "")
                drops.tileTargeted(false, targetPath, [])
            targetPath = path
            if (path !== "")
                drops.tileTargeted(true, path, drag.urls)
        }

        onEntered: (drag) => follow(drag)
        onPositionChanged: (drag) => follow(drag)
        onExited: {
            if (targetPath !== "")
                drops.tileTargeted(false, targetPath, [])
            targetPath = ""
        }
        onDropped: (drop) => {
            follow(drop)
            const path = targetPath
            targetPath = ""
            if (path !== "" && drops.dropOnTile(drop.urls, path))
                drop.accept(Qt.MoveAction)
            else
                drop.accepted = false
        }
    }

    // The tile under a drag grows a little and shrinks back when the drag
    // moves on; one animation each way serves every tile.
    Spring { id: growTarget; property: "scale"; to: 1.08; response: 0.2; dampingFraction: 0.825 }
    Spring { id: shrinkTarget; property: "scale"; to: 1; response: 0.2; dampingFraction: 0.825 }
    function showTargeted(tile, targeted) {
        const animation = targeted ? growTarget : shrinkTarget
        if (animation.running)
            animation.complete()
        if (growTarget.target === tile)
            growTarget.stop()
        if (shrinkTarget.target === tile)
            shrinkTarget.stop()
        animation.target = tile
        animation.restart()
    }

    delegate: FocusScope {
        id: cell

        required property int index
        required property appItem app
        required property string name
        required property string path
        required property url iconSource
        readonly property int column: index % Math.max(1, tiles.columns.count)
        readonly property alias tile: tile
        readonly property bool targeted: drops.draggedAppTarget !== "" && drops.draggedAppTarget === cell.path

        width: tiles.cellWidth
        height: tiles.cellHeight

        // A tile put aside for reuse, or left behind by a row that went
        // (its index is then -1 until it is destroyed), is not on screen:
        // hidden, it leaves the accessibility tree too.
        property bool pooled: false
        visible: !pooled && index >= 0

        onTargetedChanged: tiles.showTargeted(tile, targeted)
        GridView.onPooled: {
            pooled = true
            tile.rest()
            tile.scale = 1
        }
        GridView.onReused: pooled = false
        Keys.onPressed: (event) => {
            event.accepted = tiles.moveBy(KeyCommands.command(event.key, event.modifiers))
        }

        AppItemView {
            id: tile
            focus: true
            x: tiles.firstColumnX + cell.column * (tiles.columnStep - tiles.cellWidth) + (tiles.columnWidth - width) / 2
            app: cell.app
            name: cell.name
            primary: tiles.primary
            viewModel: tiles.viewModel
            iconSource: cell.iconSource
        }
    }
}
