import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Tools
import Brimlark.Views

ApplicationWindow {
    id: window

    required property DeskTools deskTools
    required property WorkspaceManager workspaceManager

    title: "Brimlark Desk Tools"
    width: 1600
    height: 640
    visible: true

    Shortcut {
        sequence: StandardKey.Quit
        onActivated: Qt.quit()
    }

    header: ToolBar {
        RowLayout {
            anchors.fill: parent
            anchors.margins: 6
            Label { text: "Workspace:" }
            ComboBox {
                id: workspaces
                objectName: "workspaceBox"
                model: window.workspaceManager.workspaces
                textRole: "name"
                valueRole: "idText"
                Component.onCompleted: currentIndex = indexOfValue(window.workspaceManager.activeWorkspaceID)
                onActivated: window.workspaceManager.activeWorkspaceID = currentValue
                Accessible.name: "Workspace"
            }
            Button {
                text: "New Workspace"
                onClicked: {
                    window.workspaceManager.createWorkspace("Workspace " + (workspaces.count + 1), "star", "#007AFF")
                    workspaces.currentIndex = workspaces.indexOfValue(window.workspaceManager.activeWorkspaceID)
                }
                Accessible.role: Accessible.Button
                Accessible.name: text
                Accessible.onPressAction: clicked()
            }
            Item { Layout.fillWidth: true }
        }
    }

    RowLayout {
        anchors.fill: parent
        anchors.margins: 12
        spacing: 12

        Repeater {
            model: [measureComponent, pickerComponent, qrComponent, notesComponent, snippetsComponent]
            delegate: Rectangle {
                required property var modelData
                Layout.alignment: Qt.AlignTop
                implicitWidth: popover.implicitWidth
                implicitHeight: popover.implicitHeight
                color: palette.window
                border.color: palette.mid
                radius: 10
                Loader {
                    id: popover
                    sourceComponent: modelData
                }
            }
        }
    }

    Component {
        id: measureComponent
        MeasurePopoverView {
            id: measure
            controller: window.deskTools.makeMeasurePopover(measure)
        }
    }
    Component {
        id: pickerComponent
        ColorPickerPopoverView {
            id: picker
            controller: window.deskTools.makeColorPicker(picker)
        }
    }
    Component {
        id: qrComponent
        QRGeneratorPopoverView {
            id: qr
            controller: window.deskTools.makeQRGenerator(qr)
        }
    }
    Component {
        id: notesComponent
        StickyNotesPopoverView {
            id: notes
            controller: window.deskTools.makeStickyNotes(notes)
        }
    }
    Component {
        id: snippetsComponent
        CodeSnippetsPopoverView {
            id: snippets
            controller: window.deskTools.makeCodeSnippets(snippets)
        }
    }
}
