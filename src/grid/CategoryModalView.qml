import QtQuick
import QtQuick.Controls
import Brimlark.Views
import Brimlark.Grid

// The panel of an opened folder or category over the grid: its name, how
// many applications it has and all of them. A click launches an application
// and closes the panel; inside a folder an application dropped on another,
// or held over it for a moment, takes its place.
Item {
    id: root
    objectName: "categoryModalView"
    Accessible.role: Accessible.Dialog
    Accessible.name: root.categoryName

    property string categoryName
    property list<appItem> apps
    // The panel's folder; none (folder.isNull) for a category.
    property appFolder folder
    required property BrimlarkViewModel viewModel
    // The panel has finished closing (it may be reported more than once).
    signal dismiss()

    readonly property alias controller: panel
    readonly property bool lightAppearance: Style.isLight(palette)
    readonly property color primary: Style.primary(palette)
    readonly property size panelSize: panel.panelSize(Qt.size(width, height))
    property real appearanceOpacity: 0
    property real contentScale: 0.98
    // What had the keyboard before the panel opened: it gets it back when
    // the panel has closed. Meanwhile the panel has it (Escape closes it).
    property Item returnFocusTo: null
    readonly property alias body: panelBody

    // Once the panel is in the window (a loader places it after making it).
    function takeFocus() {
        if (!Window.window)
            return
        returnFocusTo = Window.activeFocusItem
        panelBody.forceActiveFocus()
    }
    Component.onCompleted: Qt.callLater(takeFocus)

    function dismissWithAnimation() {
        panel.dismissWithAnimation()
    }

    CategoryPanelController {
        id: panel
        appList: root.apps
        viewModel: root.viewModel
        onDismissingChanged: {
            if (dismissing) {
                closing.start()
            }
        }
        onDismissed: {
            if (root.returnFocusTo && root.returnFocusTo.visible)
                root.returnFocusTo.forceActiveFocus()
            root.dismiss()
        }
    }

    GridDropController {
        id: drops
        viewModel: root.viewModel
        catalog: root.viewModel.catalog
        folderFlag: !root.folder.isNull
        folder: root.folder
    }

    ParallelAnimation {
        id: opening
        running: true
        NumberAnimation { target: root; property: "appearanceOpacity"; to: 1; duration: 250; easing.type: Easing.OutQuad }
        NumberAnimation { target: root; property: "contentScale"; to: 1; duration: 250; easing.type: Easing.OutQuad }
    }
    ParallelAnimation {
        id: closing
        onStarted: opening.stop()
        NumberAnimation { target: root; property: "appearanceOpacity"; to: 0; duration: 200; easing.type: Easing.InQuad }
        NumberAnimation { target: root; property: "contentScale"; to: 0.98; duration: 200; easing.type: Easing.InQuad }
    }

    Rectangle {
        id: backdrop
        objectName: "panelBackdrop"
        anchors.fill: parent
        color: Qt.rgba(0, 0, 0, 0.45)
        opacity: root.appearanceOpacity

        // Not a control of its own: the panel's close button is the one
        // a screen reader offers.

        // Also takes the hover, so the cards below show no hover look.
        // Any press on it is its own: a right click closes nothing and
        // reaches no card beneath.
        MouseArea {
            anchors.fill: parent
            hoverEnabled: true
            acceptedButtons: Qt.AllButtons
            onClicked: (mouse) => {
                if (mouse.button === Qt.LeftButton)
                    root.dismissWithAnimation()
            }
        }
    }

    FocusScope {
        id: panelBody
        objectName: "categoryPanel"
        Keys.onEscapePressed: root.dismissWithAnimation()
        anchors.centerIn: parent
        width: root.panelSize.width
        height: root.panelSize.height
        scale: root.contentScale
        opacity: root.appearanceOpacity

        GridShadow {
            objectName: "panelShadow"
            cornerRadius: 32
            blur: 40
            offsetY: 20
            shadowColor: Qt.rgba(0, 0, 0, root.lightAppearance ? 0.15 : 0.4)
        }

        // Presses on the panel stay on the panel: neither the backdrop nor a
        // card under it sees them.
        MouseArea {
            objectName: "panelPressCatcher"
            anchors.fill: parent
            hoverEnabled: true
            acceptedButtons: Qt.AllButtons
            onWheel: (wheel) => wheel.accepted = true
        }

        Rectangle {
            anchors.fill: parent
            radius: 32
            color: root.lightAppearance ? "transparent" : Qt.rgba(0, 0, 0, 0.2)
            border.width: 1
            border.color: root.lightAppearance ? Qt.rgba(0, 0, 0, 0.1) : Qt.rgba(1, 1, 1, 0.1)
            z: 1
        }
        // The grid's cards must not show through the panel's list.
        Rectangle {
            anchors.fill: parent
            radius: 32
            color: palette.window
        }
        VisualEffectView {
            anchors.fill: parent
            radius: 32
            material: root.lightAppearance ? "sidebar" : "hudWindow"
        }

        Column {
            id: header
            width: parent.width
            topPadding: 32
            bottomPadding: 24
            // Clear of the close button on both sides, so a long title stays
            // centred and never runs under the button.
            leftPadding: closeButton.width
            rightPadding: closeButton.width
            spacing: 8
            z: 2

            Text {
                objectName: "panelTitle"
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                width: parent.width - 2 * closeButton.width
                text: root.categoryName
                textFormat: Text.PlainText
                font.pixelSize: 24
                font.bold: true
                color: root.primary
                horizontalAlignment: Text.AlignHCenter
                elide: Text.ElideRight
            }
            Text {
                objectName: "panelCount"
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                width: parent.width - 2 * closeButton.width
                text: qsTr("%1 Apps").arg(root.apps.length)
                font.pixelSize: 13
                font.weight: Font.Medium
                color: Style.secondary(palette)
                horizontalAlignment: Text.AlignHCenter
            }
        }

        GridButton {
            id: closeButton
            objectName: "panelCloseButton"
            z: 3
            anchors.top: parent.top
            anchors.right: parent.right
            padding: 24
            text: qsTr("Close")
            focusRingRadius: 10
            contentItem: SymbolImage {
                name: "xmark.circle.fill"
                size: 20
                color: root.lightAppearance ? Style.withAlpha(root.primary, 0.3) : Qt.rgba(1, 1, 1, 0.3)
            }
            background: null
            onClicked: root.dismissWithAnimation()
        }

        GridView {
            id: appGrid
            objectName: "panelApps"
            z: 2
            anchors.top: header.bottom
            anchors.bottom: parent.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.leftMargin: 40
            anchors.rightMargin: 40
            anchors.bottomMargin: 40
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            readonly property int columnCount: Math.max(1, Math.floor((width + GridLooks.tileSpacing) / (GridLooks.tileWidth + GridLooks.tileSpacing)))
            cellWidth: Math.max(1, width / columnCount - 0.001)
            cellHeight: GridLooks.tileHeight(Style.nameLineSpacing) + 28
            model: panel.apps

            ScrollBar.vertical: ThinScrollBar {
                policy: ScrollBar.AsNeeded
            }

            delegate: FocusScope {
                id: item
                objectName: "panelItem"
                required property int index
                required property appItem app
                required property string path
                required property url iconSource
                width: appGrid.cellWidth
                height: appGrid.cellHeight

                // Tab reaches each application, and the keyboard is then on
                // its tile (the node a screen reader follows): Return or Space
                // launches it (and the panel closes), the menu key opens its menu.
                activeFocusOnTab: true
                onActiveFocusChanged: {
                    if (activeFocus)
                        appGrid.positionViewAtIndex(index, GridView.Contain)
                }

                AppItemView {
                    id: tile
                    focus: true
                    anchors.horizontalCenter: parent.horizontalCenter
                    app: item.app
                    viewModel: root.viewModel
                    iconSource: item.iconSource
                    scale: drops.draggedAppTarget !== "" && drops.draggedAppTarget === item.path ? 1.08 : 1
                    // The tile's own click is the one launch; the panel then closes.
                    onLaunched: root.dismissWithAnimation()

                    Behavior on scale { Spring { response: 0.2; dampingFraction: 0.825 } }
                }

                DropArea {
                    anchors.fill: tile
                    keys: ["text/uri-list"]
                    onEntered: (drag) => drops.tileTargeted(true, item.path, drag.urls)
                    onExited: drops.tileTargeted(false, item.path, [])
                    onDropped: (drop) => {
                        if (drops.dropOnTile(drop.urls, item.path))
                            drop.accept(Qt.MoveAction)
                        else
                            drop.accepted = false
                    }
                }
            }
        }
    }
}
