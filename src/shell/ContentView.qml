import QtQuick
import Brimlark.Views
import QtQuick.Controls
import Brimlark.Shell
import Brimlark.Grid
import Brimlark.Sidebar
import Brimlark.Tools
import Brimlark.Uninstaller

// The root view: the sidebar column beside the grid column.
SplitView {
    id: root
    objectName: "contentView"
    orientation: Qt.Horizontal
    implicitWidth: 1200
    implicitHeight: 800

    property BrimlarkViewModel viewModel: null
    // The desk tools the grid's toolbar opens, or null.
    property DeskTools deskTools: null
    // What the uninstall sheet works with, or null.
    property UninstallerServices uninstallerServices: null
    // The process's workspaces, for the sidebar's switcher.
    property WorkspaceManager workspaceManager: null

    // Sidebar column.
    Item {
        objectName: "sidebarColumn"
        SplitView.minimumWidth: 220
        SplitView.preferredWidth: 240
        SplitView.maximumWidth: 320

        VisualEffectView {
            anchors.fill: parent
            material: "sidebar"
            // Nothing but the window's own colour lies under the column.
            backdrop: root.Window.window ? root.Window.window.color : "transparent"
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
            isRulerShowing: root.deskTools ? root.deskTools.rulerManager.isRulerShowing : false
            colorPickerPopover: tools.item ? tools.item.colorPicker : null
            measurePopover: tools.item ? tools.item.measure : null
            qrPopover: tools.item ? tools.item.qr : null
            notesPopover: tools.item ? tools.item.notes : null
            snippetsPopover: tools.item ? tools.item.snippets : null
            uninstallerSheet: tools.item ? tools.item.uninstaller : null
        }

        // Loaded in the background once the window has shown its first
        // frame: the first frame waits for none of their files.
        Loader {
            id: tools
            objectName: "windowTools"
            asynchronous: true
            active: false
            source: "WindowTools.qml"
            onLoaded: {
                item.deskTools = Qt.binding(() => root.deskTools)
                item.uninstallerServices = Qt.binding(() => root.uninstallerServices)
            }
        }
        Connections {
            target: root.Window.window
            enabled: !tools.active
            function onFrameSwapped() { tools.active = true }
        }
    }
}
