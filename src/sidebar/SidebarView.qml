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

    property QtObject viewModel: null
    // The process's WorkspaceManager.
    property QtObject workspaceManager: null
    readonly property alias controller: controller
    readonly property alias folderModel: folderModel

    SidebarController {
        id: controller
        viewModel: sidebar.viewModel
        workspaceManager: sidebar.workspaceManager
    }
    SidebarFolderModel {
        id: folderModel
        viewModel: sidebar.viewModel
    }

    // The row item showing a folder, or null.
    function rowFor(folder) {
        if (!folder)
            return null
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
        ScrollBar.vertical: ThinScrollBar {}

        Column {
            id: list
            width: scroll.availableWidth
            padding: 8
            spacing: 1

            Label {
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
                model: controller.libraryRows()
                delegate: SidebarRow {
                    required property var modelData
                    width: list.width - 16
                    title: modelData.title
                    symbol: modelData.symbol
                    selected: controller.selectedKey === modelData.key
                    onActivated: controller.selectLibrary(modelData.kind)
                    TapHandler { onTapped: parent.activated() }
                }
            }

            Label {
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
                model: folderModel
                delegate: SidebarRow {
                    id: folderRow
                    required property var folder
                    required property string folderId
                    required property string name
                    required property string icon
                    required property string folderColor
                    required property bool isPinned
                    required property real indent
                    required property int depth
                    required property int rootIndex
                    objectName: "folderRow:" + name

                    width: list.width - 16
                    title: name
                    symbol: icon
                    tint: Colors.hex(folderColor)
                    pinned: isPinned
                    selected: controller.selectedKey === "folder:" + folderId || dropArea.containsDrag
                    onActivated: controller.selectFolder(folder)

                    MouseArea {
                        id: mouse
                        anchors.fill: parent
                        acceptedButtons: Qt.LeftButton | Qt.RightButton
                        property point pressPoint
                        property bool dragging: false
                        onPressed: event => {
                            pressPoint = Qt.point(event.x, event.y)
                            dragging = false
                        }
                        onPositionChanged: event => {
                            // Root rows move by dragging; child rows stay.
                            if (folderRow.depth === 0 && Math.abs(event.y - pressPoint.y) > 6)
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
                        onClicked: event => {
                            if (event.button === Qt.RightButton)
                                folderMenu.openFor(folderRow.folder, folderRow, event.x, event.y)
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
                Accessible.name: text
                Accessible.onPressAction: controller.newFolder()
                onClicked: controller.newFolder()
            }
        }

        Rectangle {
            id: dropMarker
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

    WorkspaceSwitcher {
        id: switcher
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        controller: controller
    }

    // A folder row's context menu, made from the controller's entries.
    Menu {
        id: folderMenu
        objectName: "folderMenu"
        property var folder
        readonly property var entries: folder ? controller.menuEntries(folder) : []

        function openFor(f, row, x, y) {
            folder = f
            popup(row, x, y)
        }

        Instantiator {
            model: folderMenu.entries.length
            onObjectAdded: (index, object) => folderMenu.insertItem(index, object)
            onObjectRemoved: (index, object) => folderMenu.removeItem(object)
            delegate: MenuItem {
                required property int index
                readonly property var entry: folderMenu.entries[index]
                visible: !entry.separator
                height: entry.separator ? 9 : implicitHeight
                enabled: !entry.separator
                text: entry.separator ? "" : entry.title
                Accessible.name: text
                palette.text: entry.destructive ? "#FF3B30" : folderMenu.palette.text
                contentItem: Item {
                    implicitHeight: entry.separator ? 1 : label.implicitHeight
                    Rectangle {
                        visible: entry.separator
                        anchors.centerIn: parent
                        width: parent.width
                        height: 1
                        color: palette.mid
                    }
                    Text {
                        id: label
                        visible: !entry.separator
                        anchors.verticalCenter: parent.verticalCenter
                        text: entry.separator ? "" : entry.title
                        textFormat: Text.PlainText
                        font: parent.parent.font
                        color: entry.destructive ? "#FF3B30" : (parent.parent.highlighted ? palette.highlightedText : palette.text)
                    }
                }
                onTriggered: controller.triggerMenu(entry.action, folderMenu.folder)
            }
        }
    }

    // The pickers open beside the row of their folder.
    Popup {
        id: iconPopover
        objectName: "iconPopover"
        padding: 12
        x: sidebar.width - 8
        onClosed: controller.folderForIconPopover = null
        contentItem: Loader {
            active: iconPopover.visible
            sourceComponent: FolderIconPickerPopoverView {
                folder: controller.folderForIconPopover
                viewModel: sidebar.viewModel
            }
        }
    }
    Popup {
        id: colorPopover
        objectName: "colorPopover"
        padding: 12
        x: sidebar.width - 8
        onClosed: controller.folderForColorPopover = null
        contentItem: Loader {
            id: colorLoader
            active: colorPopover.visible
            sourceComponent: FolderColorPickerPopoverView {
                folder: controller.folderForColorPopover
                viewModel: sidebar.viewModel
                Component.onCompleted: appear()
            }
        }
    }

    function placePopover(popover, folder) {
        const row = rowFor(folder)
        if (!folder || !row) {
            popover.close()
            return
        }
        popover.y = Math.max(0, row.mapToItem(sidebar, 0, 0).y - 12)
        if (popover.visible && popover === colorPopover && colorLoader.item)
            colorLoader.item.appear()
        popover.open()
    }

    Connections {
        target: controller
        function onFolderForIconPopoverChanged() { sidebar.placePopover(iconPopover, controller.folderForIconPopover) }
        function onFolderForColorPopoverChanged() { sidebar.placePopover(colorPopover, controller.folderForColorPopover) }
        function onShowingAddFolderChanged() { controller.showingAddFolder ? createSheet.open() : createSheet.close() }
        function onShowingRenameFolderChanged() { controller.showingRenameFolder ? editSheet.open() : editSheet.close() }
        function onShowingAddWorkspaceChanged() { controller.showingAddWorkspace ? createWorkspaceSheet.open() : createWorkspaceSheet.close() }
        function onShowingEditWorkspaceChanged() { controller.showingEditWorkspace ? editWorkspaceSheet.open() : editWorkspaceSheet.close() }
        function onShowingDeleteConfirmationChanged() { controller.showingDeleteConfirmation ? deleteAlert.open() : deleteAlert.close() }
    }

    EditingSheet {
        id: createSheet
        objectName: "createFolderSheet"
        parent: Overlay.overlay
        title: qsTr("Create Folder")
        confirmText: qsTr("Create")
        onConfirmed: controller.createFolder()
        onCancelled: controller.cancelCreateFolder()
        FolderCustomizerView {
            Layout.fillWidth: true
            name: controller.newFolderName
            selectedIcon: controller.selectedFolderIcon
            selectedColor: controller.selectedFolderColor
            onNameEdited: name => controller.newFolderName = name
            onIconChosen: icon => controller.selectedFolderIcon = icon
            onColorChosen: color => controller.selectedFolderColor = color
        }
    }
    EditingSheet {
        id: editSheet
        objectName: "editFolderSheet"
        parent: Overlay.overlay
        title: qsTr("Edit Folder")
        confirmText: qsTr("Save")
        onAboutToShow: controller.renameSheetAppeared()
        onConfirmed: controller.saveRenameFolder()
        onCancelled: controller.cancelRenameFolder()
        FolderCustomizerView {
            Layout.fillWidth: true
            name: controller.renameFolderName
            selectedIcon: controller.selectedFolderIcon
            selectedColor: controller.selectedFolderColor
            onNameEdited: name => controller.renameFolderName = name
            onIconChosen: icon => controller.selectedFolderIcon = icon
            onColorChosen: color => controller.selectedFolderColor = color
        }
    }

    EditingSheet {
        id: createWorkspaceSheet
        objectName: "createWorkspaceSheet"
        parent: Overlay.overlay
        title: qsTr("Create Workspace")
        confirmText: qsTr("Create")
        onConfirmed: controller.createWorkspace()
        onCancelled: controller.cancelCreateWorkspace()
        WorkspaceCustomizerView {
            Layout.fillWidth: true
            name: controller.newWorkspaceName
            selectedIcon: controller.selectedWorkspaceIcon
            selectedColor: controller.selectedWorkspaceColor
            onNameEdited: name => controller.newWorkspaceName = name
            onIconChosen: icon => controller.selectedWorkspaceIcon = icon
            onColorChosen: color => controller.selectedWorkspaceColor = color
        }
    }
    EditingSheet {
        id: editWorkspaceSheet
        objectName: "editWorkspaceSheet"
        parent: Overlay.overlay
        title: qsTr("Edit Workspace")
        confirmText: qsTr("Save")
        onConfirmed: controller.saveEditWorkspace()
        onCancelled: controller.cancelEditWorkspace()
        WorkspaceCustomizerView {
            Layout.fillWidth: true
            name: controller.editWorkspaceName
            selectedIcon: controller.editWorkspaceIcon
            selectedColor: controller.editWorkspaceColor
            onNameEdited: name => controller.editWorkspaceName = name
            onIconChosen: icon => controller.editWorkspaceIcon = icon
            onColorChosen: color => controller.editWorkspaceColor = color
        }
    }

    Dialog {
        id: deleteAlert
        objectName: "deleteFolderAlert"
        parent: Overlay.overlay
        anchors.centerIn: parent
        modal: true
        width: 300
        title: qsTr("Delete Folder")
        closePolicy: Popup.CloseOnEscape
        onClosed: controller.showingDeleteConfirmation = false
        contentItem: Label {
            Accessible.role: Accessible.AlertMessage
            Accessible.name: deleteAlert.title
            Accessible.description: text
            text: controller.deleteMessage
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
        }
        footer: DialogButtonBox {
            Button {
                objectName: "deleteCancelButton"
                text: qsTr("Cancel")
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
                Accessible.name: text
                Accessible.onPressAction: deleteAlert.reject()
            }
            Button {
                objectName: "deleteConfirmButton"
                text: qsTr("Delete")
                palette.buttonText: "#FF3B30"
                DialogButtonBox.buttonRole: DialogButtonBox.DestructiveRole
                Accessible.name: text
                Accessible.onPressAction: controller.confirmDelete()
                onClicked: controller.confirmDelete()
            }
        }
        onRejected: controller.showingDeleteConfirmation = false
    }
}
