import QtQuick
import Brimlark.Views
import QtQuick.Controls
import Brimlark.Shell
import Brimlark.Grid
import Brimlark.Sidebar

// The root view: the sidebar column beside the grid column.
SplitView {
    id: root
    objectName: "contentView"
    orientation: Qt.Horizontal
    implicitWidth: 1200
    implicitHeight: 800

    property QtObject viewModel: null
    // The desk tools the grid's toolbar opens (DeskTools), or null.
    property QtObject deskTools: null
    // The process's WorkspaceManager, for the sidebar's switcher.
    property QtObject workspaceManager: null
    readonly property bool lightAppearance: palette.window.hslLightness >= 0.5

    // Sidebar column.
    Item {
        objectName: "sidebarColumn"
        SplitView.minimumWidth: 220
        SplitView.preferredWidth: 240
        SplitView.maximumWidth: 320

        VisualEffectView {
            anchors.fill: parent
            material: "sidebar"
        }
        SidebarView {
            anchors.fill: parent
            viewModel: root.viewModel
            workspaceManager: root.workspaceManager
        }
    }

    // Detail column: the app grid.
    Item {
        objectName: "detailColumn"
        SplitView.fillWidth: true

        AppGridView {
            anchors.fill: parent
            viewModel: root.viewModel
            rulerManager: root.deskTools ? root.deskTools.rulerManager : null
            colorPickerPopover: tools.item ? tools.item.colorPicker : null
            measurePopover: tools.item ? tools.item.measure : null
            qrPopover: tools.item ? tools.item.qr : null
            notesPopover: tools.item ? tools.item.notes : null
            snippetsPopover: tools.item ? tools.item.snippets : null
            uninstallerSheet: tools.item ? tools.item.uninstaller : null
        }

        // Loaded in the background while the window starts.
        Loader {
            id: tools
            objectName: "windowTools"
            asynchronous: true
            source: "WindowTools.qml"
            onLoaded: item.deskTools = Qt.binding(() => root.deskTools)
        }
    }
}
