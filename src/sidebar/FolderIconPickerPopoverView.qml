import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Views
import Brimlark.Sidebar

// The folder icon picker: Outline / Filled and the 43 symbols; a click
// stores the cell's symbol in the folder at once and leaves the picker open.
ColumnLayout {
    id: view

    property appFolder folder
    property AppFinder catalog
    readonly property color tint: Colors.hex(picker.folderColor)

    spacing: 12

    FolderIconPicker {
        id: picker
        catalog: view.catalog
        folder: view.folder
    }

    // A Text, not a Label: a Label takes the plain-text role back when
    // assistive technology starts.
    Text {
        Layout.leftMargin: 4
        text: qsTr("Select Folder Icon")
        font.pixelSize: 13
        font.bold: true
        color: palette.placeholderText
        Accessible.role: Accessible.Heading
        Accessible.name: text
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
                // Shown pressed while it is the mode, which follows the picker
                // alone: a click on the mode shown keeps it.
                checkable: true
                checked: picker.isFilled === modelData.filled
                Accessible.name: text
                Accessible.checkable: true
                Accessible.onPressAction: clicked()
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
                onClicked: {
                    picker.isFilled = modelData.filled
                    checked = Qt.binding(() => picker.isFilled === modelData.filled)
                }
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
                delegate: ChoiceButton {
                    id: cell
                    required property string modelData
                    required property int index
                    objectName: "iconCell:" + modelData
                    width: 32
                    height: 32
                    cornerRadius: 8
                    text: modelData
                    chosen: picker.selectedIndex === index
                    viewport: area.contentItem
                    onClicked: picker.choose(cell.index)
                    background: Rectangle {
                        radius: 8
                        color: cell.chosen ? Style.fade(view.tint, 0.15) : Style.fade(palette.text, 0.04)
                        border.color: view.tint
                        border.width: cell.chosen ? 1.5 : 0
                    }
                    contentItem: Item {
                        SymbolImage {
                            anchors.centerIn: parent
                            name: cell.modelData
                            size: 15
                            color: cell.chosen ? view.tint : Style.fade(palette.text, 0.8)
                        }
                    }
                }
            }
        }
    }
}
