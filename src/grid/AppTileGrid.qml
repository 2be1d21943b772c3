import QtQuick
import QtQuick.Controls
import Brimlark.Shell
import Brimlark.Grid

// The tiles of the view model's filtered applications, built lazily row by
// row, in the columns fitted to the pane. Inside a folder a tile takes the
// place of an application of the folder dropped on it, or held over it for a
// moment.
GridView {
    id: tiles
    objectName: "appTileGrid"

    required property QtObject gridController
    required property QtObject viewModel
    // Whether the tiles are a folder's: fixed when the grid is built.
    property bool folderFlag: false
    readonly property alias drops: drops

    readonly property var columns: gridController.appColumns
    readonly property real padding: 32
    readonly property real available: Math.max(0, width - 2 * padding)
    readonly property real columnWidth: columns.columnWidth(available)
    readonly property real tileHeight: 8 + 90 + 8 + nameMetrics.lineSpacing * 2 + 8

    model: gridController.apps
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    cellWidth: columnWidth + columns.spacing
    cellHeight: tileHeight + 32
    // The columns stand centred; the last one's spacing lies beyond the edge.
    leftMargin: padding + Math.max(0, (available - columns.contentWidth(available)) / 2)
    rightMargin: width - leftMargin - columns.count * cellWidth
    topMargin: padding
    bottomMargin: padding - 32
    reuseItems: true

    ScrollBar.vertical: ThinScrollBar {
        policy: ScrollBar.AsNeeded
    }

    FontMetrics {
        id: nameMetrics
        font.pixelSize: 12
        font.weight: Font.Medium
    }

    GridDropController {
        id: drops
        viewModel: tiles.viewModel
        folderFlag: tiles.folderFlag
    }

    delegate: Item {
        id: cell

        required property var app
        required property string path
        required property url iconSource

        width: tiles.cellWidth
        height: tiles.cellHeight

        AppItemView {
            id: tile
            x: (tiles.columnWidth - width) / 2
            app: cell.app
            viewModel: tiles.viewModel
            iconSource: cell.iconSource
            scale: drops.draggedAppTarget !== "" && drops.draggedAppTarget === cell.path ? 1.08 : 1

            Behavior on scale { SpringCurve { response: 0.2; dampingFraction: 0.825 } }
        }

        DropArea {
            anchors.fill: tile
            keys: ["text/uri-list"]
            onEntered: (drag) => drops.tileTargeted(true, cell.path, drag.urls)
            onExited: drops.tileTargeted(false, cell.path, [])
            onDropped: (drop) => {
                if (drops.dropOnTile(drop.urls, cell.path))
                    drop.accept(Qt.MoveAction)
                else
                    drop.accepted = false
            }
        }
    }
}
