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
            // The tools open empty without their controllers.
            colorPickerPopover: root.deskTools ? colorPickerContent : null
            measurePopover: root.deskTools ? measureContent : null
            qrPopover: root.deskTools ? qrContent : null
            notesPopover: root.deskTools ? notesContent : null
            snippetsPopover: root.deskTools ? snippetsContent : null
            uninstallerSheet: Component {
                AppUninstallerView {}
            }
        }

        Component {
            id: colorPickerContent
            ColorPickerPopoverView {
                id: colorPicker
                controller: root.deskTools.makeColorPicker(colorPicker)
            }
        }
        Component {
            id: measureContent
            MeasurePopoverView {
                id: measure
                controller: root.deskTools.makeMeasurePopover(measure)
            }
        }
        Component {
            id: qrContent
            QRGeneratorPopoverView {
                controller: root.deskTools.qrGenerator
            }
        }
        Component {
            id: notesContent
            StickyNotesPopoverView {
                controller: root.deskTools.stickyNotes
            }
        }
        Component {
            id: snippetsContent
            CodeSnippetsPopoverView {
                controller: root.deskTools.codeSnippets
            }
        }
    }
}
