import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Views
import Brimlark.Sidebar

// The sidebar column: "Library" with its five rows, "Folders" with the
// active workspace's folder tree and "New Folder", the workspace switcher
// below them, the folder and workspace sheets, the folder pickers and the
// delete confirmation.
Item {
    id: sidebar
    objectName: "sidebarView"

    property BrimlarkViewModel viewModel: null
    // The process's workspaces.
    property WorkspaceManager workspaceManager: null
    // The catalog whose folders the rows, sheets and pickers show and change.
    readonly property AppFinder catalog: viewModel ? viewModel.catalog : null
    readonly property alias controller: controller
    readonly property alias folderModel: folderModel

    SidebarController {
        id: controller
        viewModel: sidebar.viewModel
        catalog: sidebar.catalog
        workspaceManager: sidebar.workspaceManager
    }
    SidebarFolderModel {
        id: folderModel
        catalog: sidebar.catalog
    }

    // The item the keyboard was on before a menu, sheet, popover or the
    // alert took it; it gets the keyboard back when that closes.
    property Item focusBeforeOverlay: null
    property bool focusBeforeOverlayShown: false
    function insideOverlay(item) {
        for (let p = item; p; p = p.parent) {
            if (p === Overlay.overlay)
                return true
        }
        return false
    }
    function rememberFocus() {
        const item = sidebar.Window.activeFocusItem
        if (!item || insideOverlay(item))
            return
        focusBeforeOverlay = item
        focusBeforeOverlayShown = item.visualFocus === true
    }
    function restoreFocus() {
        // Another surface still open keeps it.
        const item = focusBeforeOverlay
        if (!item)
            return
        const shown = Overlay.overlay.children
        for (let i = 0; i < shown.length; ++i) {
            if (shown[i].visible && shown[i].width > 0 && shown[i].height > 0)
                return
        }
        focusBeforeOverlay = null
        if (item.visible && item.enabled)
            item.forceActiveFocus(focusBeforeOverlayShown ? Qt.TabFocusReason : Qt.OtherFocusReason)
    }

    // The row the keyboard was last on: the list's one Tab stop (the first
    // library row until then), the arrows move it.
    property Item keyRow: null
    function keyRows() {
        const out = []
        for (let i = 0; i < libraryRows.count; ++i)
            out.push(libraryRows.itemAt(i))
        for (let j = 0; j < folderRows.count; ++j)
            out.push(folderRows.itemAt(j))
        return out
    }
    function moveKey(row, command) {
        const rows = keyRows()
        const target = KeyCommands.step(command, rows.indexOf(row), rows.length, 1)
        if (target >= 0)
            rows[target].forceActiveFocus(Qt.TabFocusReason)
    }
    // The row with the keyboard is scrolled into view.
    function keyRowFocused(row) {
        keyRow = row
        const flick = scroll.contentItem
        const top = row.mapToItem(list, 0, 0).y
        if (top < flick.contentY)
            flick.contentY = Math.max(0, top - list.padding)
        else if (top + row.height > flick.contentY + flick.height)
            flick.contentY = top + row.height - flick.height
    }

    // The row item showing a folder, or null.
    function rowFor(folder) {
        for (let i = 0; i < folderRows.count; ++i) {
            const item = folderRows.itemAt(i)
            if (item && item.folderId === folder.idText)
                return item
        }
        return null
    }

    ScrollView {
        id: scroll
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: switcher.top
        contentWidth: availableWidth
        ScrollBar.vertical: ThinScrollBar {
            objectName: "sidebarScrollBar"
            // A bar of our own is placed by us, not by the style.
            parent: scroll
            x: scroll.mirrored ? 0 : scroll.width - width
            y: scroll.topPadding
            height: scroll.availableHeight
        }

        Column {
            id: list
            objectName: "sidebarList"
            width: scroll.availableWidth
            padding: 8
            spacing: 1

            // A Text, not a Label: a Label takes the plain-text role back
            // when assistive technology starts.
            Text {
                text: qsTr("Library")
                font.pixelSize: 11
                font.bold: true
                color: palette.placeholderText
                leftPadding: 8
                bottomPadding: 4
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Repeater {
                id: libraryRows
                model: controller.libraryRows()
                delegate: SidebarRow {
                    id: libraryRow
                    required property var modelData
                    required property int index
                    width: list.width - 16
                    title: modelData.title
                    symbol: modelData.symbol
                    selected: controller.selectedKey === modelData.key
                    viewport: scroll.contentItem
                    activeFocusOnTab: sidebar.keyRow ? sidebar.keyRow === libraryRow : index === 0
                    onActiveFocusChanged: if (activeFocus) sidebar.keyRowFocused(libraryRow)
                    onMoveRequested: (command) => sidebar.moveKey(libraryRow, command)
                    onActivated: controller.selectLibrary(modelData.kind)
                    TapHandler {
                        gesturePolicy: TapHandler.ReleaseWithinBounds
                        onTapped: parent.activated()
                    }
                }
            }

            // A Text, not a Label: a Label takes the plain-text role back
            // when assistive technology starts.
            Text {
                text: qsTr("Folders")
                font.pixelSize: 11
                font.bold: true
                color: palette.placeholderText
                leftPadding: 8
                topPadding: 12
                bottomPadding: 4
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Repeater {
                id: folderRows
                objectName: "folderRows"
                model: folderModel
                delegate: SidebarRow {
                    id: folderRow
                    required property appFolder folder
                    required property string folderId
                    required property string name
                    required property string icon
                    required property string folderColor
                    required property bool isPinned
                    // The row's own `indent` reads this; a required property
                    // of that name would hide it from the row.
                    required property real rowIndent
                    required property int depth
                    required property int rootIndex
                    objectName: "folderRow:" + name

                    width: list.width - 16
                    title: name
                    symbol: icon
                    tint: Colors.hex(folderColor)
                    pinned: isPinned
                    indent: rowIndent
                    selected: controller.selectedKey === "folder:" + folderId || dropArea.containsDrag
                    viewport: scroll.contentItem
                    activeFocusOnTab: sidebar.keyRow === folderRow
                    onActiveFocusChanged: if (activeFocus) sidebar.keyRowFocused(folderRow)
                    onMoveRequested: (command) => sidebar.moveKey(folderRow, command)
                    onContextMenuRequested: (x, y) => sidebar.overlays().folderMenu.openFor(folder, folderRow, x, y)
                    onActivated: controller.selectFolder(folder)

                    MouseArea {
                        id: mouse
                        anchors.fill: parent
                        acceptedButtons: Qt.LeftButton | Qt.RightButton
                        // A root row's drag is a reorder: the list must not
                        // take the press away to scroll.
                        preventStealing: folderRow.depth === 0
                        property point pressPoint
                        property bool dragging: false
                        onPressed: event => {
                            pressPoint = Qt.point(event.x, event.y)
                            dragging = false
                        }
                        onPositionChanged: event => {
                            // Root rows move by dragging with the primary button;
                            // child rows stay, and the secondary button only opens the menu.
                            if (folderRow.depth === 0 && (event.buttons & Qt.LeftButton)
                                    && Math.abs(event.y - pressPoint.y) > 6)
                                dragging = true
                            if (dragging)
                                dropMarker.showAt(folderRow, event.y)
                        }
                        onReleased: event => {
                            if (dragging) {
                                dragging = false
                                dropMarker.visible = false
                                const target = list.childAt(list.width / 2, folderRow.mapToItem(list, 0, event.y).y)
                                if (target && target.rootIndex !== undefined)
                                    controller.moveRoot(folderRow.rootIndex, target.rootIndex, folderModel.rootCount)
                            }
                        }
                        onCanceled: {
                            dragging = false
                            dropMarker.visible = false
                        }
                        onClicked: event => {
                            if (event.button === Qt.RightButton)
                                folderRow.contextMenuRequested(event.x, event.y)
                            else
                                folderRow.activated()
                        }
                    }

                    // Applications dropped as a URL or URL text are added (copied).
                    DropArea {
                        id: dropArea
                        anchors.fill: parent
                        onEntered: drag => {
                            if (drag.hasUrls || drag.hasText)
                                drag.accept(Qt.CopyAction)
                            else
                                drag.accepted = false
                        }
                        onDropped: drop => {
                            controller.handleDrop(drop.hasText ? drop.text : "", drop.urls, folderRow.folder)
                            drop.accept(Qt.CopyAction)
                        }
                    }
                }
            }

            Button {
                id: newFolderButton
                objectName: "newFolderButton"
                flat: true
                text: qsTr("New Folder")
                icon.width: 0
                leftPadding: 8
                palette.buttonText: sidebar.palette.placeholderText
                contentItem: Row {
                    spacing: 6
                    SymbolImage {
                        anchors.verticalCenter: parent.verticalCenter
                        name: "plus.circle"
                        size: 14
                        color: palette.placeholderText
                    }
                    Label {
                        text: qsTr("New Folder")
                        color: palette.placeholderText
                    }
                }
                background: null
                FocusRing {}
                Accessible.name: text
                Accessible.onPressAction: controller.newFolder()
                Keys.onReturnPressed: controller.newFolder()
                Keys.onEnterPressed: controller.newFolder()
                onClicked: controller.newFolder()
            }
        }

        Rectangle {
            id: dropMarker
            objectName: "dropMarker"
            visible: false
            parent: list
            width: list.width - 16
            x: 8
            height: 2
            color: palette.highlight
            function showAt(row, y) {
                const p = row.mapToItem(list, 0, y)
                const target = list.childAt(list.width / 2, p.y)
                visible = !!target && target.rootIndex !== undefined
                if (visible)
                    dropMarker.y = target.y + (target.rootIndex > row.rootIndex ? target.height : 0)
            }
        }
    }

    // Another workspace's folders come in with the 0.2 s ease-in-out of the
    // switch, as the switcher's tile does.
    readonly property string workspaceId: controller.activeWorkspace.idText
    onWorkspaceIdChanged: folderSwitch.restart()
    NumberAnimation {
        id: folderSwitch
        objectName: "folderSwitchAnimation"
        target: list
        property: "opacity"
        from: 0
        to: 1
        duration: 200
        easing.type: Easing.InOutQuad
    }

    // Rows made anew (another workspace, a new folder) end any drag.
    Connections {
        target: folderModel
        function onModelReset() { dropMarker.visible = false }
    }

    WorkspaceSwitcher {
        id: switcher
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        controller: controller
        onMenuOpening: sidebar.rememberFocus()
        onMenuClosed: sidebar.restoreFocus()
    }

    // The menu, pickers, sheets and confirmation, made the first time one is
    // wanted and kept from then on: the window's start makes none of them.
    Loader {
        id: overlayLoader
        objectName: "sidebarOverlays"
        anchors.fill: parent
    }
    function overlays() {
        if (!overlayLoader.item) {
            overlayLoader.setSource(Qt.resolvedUrl("SidebarOverlays.qml"),
                                    { "sidebar": sidebar, "controller": controller })
        }
        return overlayLoader.item
    }
    Connections {
        target: controller
        enabled: overlayLoader.item === null
        function onFolderForIconPopoverChanged() { sidebar.overlays() }
        function onFolderForColorPopoverChanged() { sidebar.overlays() }
        function onShowingAddFolderChanged() { sidebar.overlays() }
        function onShowingRenameFolderChanged() { sidebar.overlays() }
        function onShowingAddWorkspaceChanged() { sidebar.overlays() }
        function onShowingEditWorkspaceChanged() { sidebar.overlays() }
        function onShowingDeleteConfirmationChanged() { sidebar.overlays() }
    }
}
