import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Views
import Brimlark.Sidebar

// What the sidebar shows over the window on demand: a folder row's menu, the
// folder pickers, the folder and workspace sheets and the delete
// confirmation. SidebarView makes it the first time one of them is wanted.
Item {
    id: overlays

    required property Item sidebar
    required property SidebarController controller
    readonly property alias folderMenu: folderMenu

    // Opens whatever the controller already asked for before this was made.
    Component.onCompleted: {
        sidebar.rememberFocus()
        if (controller.showingIconPopover)
            placePopover(iconPopover, true, controller.folderForIconPopover)
        if (controller.showingColorPopover)
            placePopover(colorPopover, true, controller.folderForColorPopover)
        if (controller.showingAddFolder)
            createSheet.open()
        if (controller.showingRenameFolder)
            editSheet.open()
        if (controller.showingAddWorkspace)
            createWorkspaceSheet.open()
        if (controller.showingEditWorkspace)
            editWorkspaceSheet.open()
        if (controller.showingDeleteConfirmation)
            deleteAlert.open()
    }

    // A folder row's context menu, made from the controller's entries each
    // time it opens.
    PlainMenu {
        id: folderMenu
        objectName: "folderMenu"
        property appFolder folder

        function openFor(f, row, x, y) {
            overlays.sidebar.rememberFocus()
            folder = f
            while (count > 0)
                removeItem(itemAt(0))
            for (const entry of controller.menuEntries(f)) {
                if (entry.kind === MenuEntry.Kind.divider) {
                    addItem(menuDivider.createObject(null))
                } else {
                    addItem(actionItem.createObject(null, {
                        text: entry.title, destructive: entry.destructive, folderAction: entry.action }))
                }
            }
            popup(row, x, y)
            // Rows added while the menu was closed are laid out only on request.
            contentItem.forceLayout()
        }
    }
    Component {
        id: actionItem
        PlainMenuItem {
            // A SidebarController.FolderAction.
            property int folderAction
            onTriggered: controller.triggerMenu(folderAction, folderMenu.folder)
        }
    }
    Component {
        id: menuDivider
        MenuSeparator { objectName: "folderMenuDivider" }
    }

    // The pickers open beside the row of their folder, moved as far as
    // needed to lie whole inside the window.
    Popup {
        id: iconPopover
        objectName: "iconPopover"
        padding: 12
        margins: 8
        width: 360
        x: overlays.sidebar.width - 8
        // Takes the keyboard: Tab walks its controls, Escape closes it.
        focus: true
        onClosed: {
            controller.closeIconPopover()
            overlays.sidebar.restoreFocus()
        }
        contentItem: Loader {
            active: iconPopover.visible
            sourceComponent: FolderIconPickerPopoverView {
                folder: controller.folderForIconPopover
                catalog: overlays.sidebar.catalog
            }
        }
    }
    Popup {
        id: colorPopover
        objectName: "colorPopover"
        padding: 12
        margins: 8
        contentWidth: 200
        x: overlays.sidebar.width - 8
        focus: true
        onClosed: {
            controller.closeColorPopover()
            overlays.sidebar.restoreFocus()
        }
        contentItem: Loader {
            id: colorLoader
            active: colorPopover.visible
            sourceComponent: FolderColorPickerPopoverView {
                folder: controller.folderForColorPopover
                catalog: overlays.sidebar.catalog
                Component.onCompleted: appear()
            }
        }
    }

    function placePopover(popover, showing, folder) {
        const row = showing ? sidebar.rowFor(folder) : null
        if (!row) {
            popover.close()
            return
        }
        sidebar.rememberFocus()
        popover.y = Math.max(0, row.mapToItem(sidebar, 0, 0).y - 12)
        if (popover.visible && popover === colorPopover && colorLoader.item)
            colorLoader.item.appear()
        popover.open()
    }

    Connections {
        target: controller
        function onFolderForIconPopoverChanged() {
            overlays.placePopover(iconPopover, controller.showingIconPopover, controller.folderForIconPopover)
        }
        function onFolderForColorPopoverChanged() {
            overlays.placePopover(colorPopover, controller.showingColorPopover, controller.folderForColorPopover)
        }
        function onShowingAddFolderChanged() { overlays.show(createSheet, controller.showingAddFolder) }
        function onShowingRenameFolderChanged() { overlays.show(editSheet, controller.showingRenameFolder) }
        function onShowingAddWorkspaceChanged() { overlays.show(createWorkspaceSheet, controller.showingAddWorkspace) }
        function onShowingEditWorkspaceChanged() { overlays.show(editWorkspaceSheet, controller.showingEditWorkspace) }
        function onShowingDeleteConfirmationChanged() { overlays.show(deleteAlert, controller.showingDeleteConfirmation) }
    }

    // A sheet or the alert takes the keyboard while it shows and gives it
    // back to where it was when it goes.
    function show(surface, showing) {
        if (showing) {
            sidebar.rememberFocus()
            surface.open()
        } else {
            surface.close()
        }
    }

    EditingSheet {
        id: createSheet
        onClosed: overlays.sidebar.restoreFocus()
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
        onClosed: overlays.sidebar.restoreFocus()
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
        onClosed: overlays.sidebar.restoreFocus()
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
        onClosed: overlays.sidebar.restoreFocus()
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
        // Takes the keyboard: Tab walks the two buttons, Escape cancels.
        focus: true
        width: 300
        padding: 16
        title: qsTr("Delete Folder")
        closePolicy: Popup.CloseOnEscape
        onClosed: {
            controller.showingDeleteConfirmation = false
            overlays.sidebar.restoreFocus()
        }
        // Assistive technology meets the alert by its title, its sentence
        // as a text inside it. Texts, not Labels: a Label takes the
        // plain-text role back when assistive technology starts.
        header: null
        contentItem: ColumnLayout {
            objectName: "deleteAlertBody"
            spacing: 8
            Accessible.role: Accessible.AlertMessage
            Accessible.name: deleteAlert.title
            Text {
                text: deleteAlert.title
                textFormat: Text.PlainText
                font.bold: true
                color: deleteAlert.palette.windowText
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Text {
                objectName: "deleteAlertMessage"
                Layout.fillWidth: true
                text: controller.deleteMessage
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                color: deleteAlert.palette.windowText
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
        footer: DialogButtonBox {
            // "Cancel", then "Delete", whatever this desktop's own order: the
            // box places a rejecting button before an accepting one this way.
            buttonLayout: DialogButtonBox.MacLayout
            Button {
                objectName: "deleteCancelButton"
                text: qsTr("Cancel")
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
                Accessible.name: text
                Accessible.onPressAction: deleteAlert.reject()
                Keys.onReturnPressed: deleteAlert.reject()
                Keys.onEnterPressed: deleteAlert.reject()
            }
            Button {
                objectName: "deleteConfirmButton"
                text: qsTr("Delete")
                palette.buttonText: "#FF3B30"
                DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
                Accessible.name: text
                Accessible.onPressAction: clicked()
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
                onClicked: controller.confirmDelete()
            }
        }
        onRejected: controller.showingDeleteConfirmation = false
    }
}
