import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Views
import Brimlark.Sidebar

// The folder icon picker: Outline / Filled and the 43 symbols; a click
// stores the cell's symbol in the folder at once and leaves the picker open.
ColumnLayout {
    id: view

    property var folder
    property QtObject viewModel
    readonly property color tint: Colors.hex(picker.folderColor)

    spacing: 12

    FolderIconPicker {
        id: picker
        viewModel: view.viewModel
        folder: view.folder
    }

    Label {
        Layout.leftMargin: 4
        text: qsTr("Select Folder Icon")
        font.pixelSize: 13
        font.bold: true
        color: palette.placeholderText
    }

    Row {
        Layout.leftMargin: 4
        Layout.rightMargin: 4
        Layout.fillWidth: true
        Repeater {
            model: [{ "title": qsTr("Outline"), "filled": false }, { "title": qsTr("Filled"), "filled": true }]
            delegate: Button {
                required property var modelData
                objectName: "iconMode" + modelData.title
                width: (view.width - 8) / 2
                text: modelData.title
                checkable: true
                checked: picker.isFilled === modelData.filled
                Accessible.role: Accessible.RadioButton
                Accessible.name: text
                Accessible.onPressAction: picker.isFilled = modelData.filled
                onClicked: picker.isFilled = modelData.filled
            }
        }
    }

    ScrollView {
        id: area
        Layout.fillWidth: true
        // Columns beyond the width are scrolled to, not laid out.
        Layout.preferredWidth: 0
        Layout.preferredHeight: 165
        ScrollBar.vertical.policy: ScrollBar.AlwaysOff
        ScrollBar.horizontal: ThinScrollBar {
            objectName: "iconScrollBar"
            parent: area
            x: area.leftPadding
            y: area.height - height
            width: area.availableWidth
            policy: ScrollBar.AlwaysOn
        }
        contentWidth: cells.implicitWidth + 8
        contentHeight: cells.implicitHeight + 8

        Grid {
            id: cells
            x: 4
            y: 4
            rows: 4
            flow: Grid.TopToBottom
            rowSpacing: 8
            columnSpacing: 8
            Repeater {
                model: picker.shownNames
                delegate: Rectangle {
                    id: cell
                    required property string modelData
                    required property int index
                    readonly property bool chosen: picker.selectedIndex === index
                    objectName: "iconCell:" + modelData
                    width: 32
                    height: 32
                    radius: 8
                    color: chosen ? Style.fade(view.tint, 0.15) : Style.fade(palette.text, 0.04)
                    border.color: view.tint
                    border.width: chosen ? 1.5 : 0
                    Accessible.role: Accessible.Button
                    Accessible.name: modelData
                    Accessible.selected: chosen
                    Accessible.onPressAction: picker.choose(index)
                    SymbolImage {
                        anchors.centerIn: parent
                        name: cell.modelData
                        size: 15
                        color: cell.chosen ? view.tint : Style.fade(palette.text, 0.8)
                    }
                    TapHandler {
                        // The popover keeps the press: nothing under it sees it.
                        gesturePolicy: TapHandler.ReleaseWithinBounds
                        onTapped: picker.choose(cell.index)
                    }
                }
            }
        }
    }
}
