import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Views
import Brimlark.Sidebar

// The folder colour picker: a hue and saturation wheel, the hex and the
// R, G, B, A fields and the presets; every change is stored at once.
ColumnLayout {
    id: view

    property appFolder folder
    property AppFinder catalog
    readonly property alias picker: picker

    // Runs when the picker comes on screen for a folder.
    function appear() {
        picker.appear()
    }

    spacing: 12

    FolderColorPicker {
        id: picker
        catalog: view.catalog
        folder: view.folder
    }

    // A Text, not a Label: a Label takes the plain-text role back when
    // assistive technology starts.
    Text {
        Layout.leftMargin: 4
        text: qsTr("Select Folder Color")
        font.pixelSize: 13
        font.bold: true
        color: palette.placeholderText
        Accessible.role: Accessible.Heading
        Accessible.name: text
    }

    Item {
        Layout.alignment: Qt.AlignHCenter
        Layout.topMargin: 4
        Layout.bottomMargin: 4
        width: 140
        height: 140

        ColorWheel {
            id: wheel
            objectName: "colorWheel"
            anchors.fill: parent
            Accessible.role: Accessible.Dial
            Accessible.name: qsTr("Color Wheel")
            Accessible.description: picker.hexText
            Accessible.onPressAction: picker.dragTo(width / 2, height / 2)
        }
        Rectangle {
            readonly property point center: {
                picker.hue
                picker.saturation
                return picker.knobCenter()
            }
            x: center.x - 7
            y: center.y - 7
            width: 14
            height: 14
            radius: 7
            color: Colors.hex(picker.folderColor)
            border.color: "white"
            border.width: 2
            RoundShadow {
                objectName: "knobShadow"
                blur: 2
                shadowColor: Qt.rgba(0, 0, 0, 0.33)
            }
        }
        MouseArea {
            anchors.fill: parent
            preventStealing: true
            onPressed: mouse => picker.dragTo(mouse.x, mouse.y)
            onPositionChanged: mouse => picker.dragTo(mouse.x, mouse.y)
        }
    }

    RowLayout {
        Layout.leftMargin: 4
        Layout.rightMargin: 4
        spacing: 8
        Label {
            Layout.preferredWidth: 32
            text: qsTr("HEX:")
            font.pixelSize: 10
            font.bold: true
            color: palette.placeholderText
            // The field says it by name.
            Accessible.ignored: true
        }
        TextField {
            objectName: "hexField"
            Layout.preferredWidth: 80
            placeholderText: "#FFFFFF"
            font.pixelSize: 11
            font.family: "monospace"
            text: picker.hexText
            Accessible.name: qsTr("HEX")
            // Text can arrive without a keystroke (assistive technology,
            // input methods): any change that is not the picker's own is an edit.
            onTextChanged: {
                if (text !== picker.hexText)
                    picker.hexText = text
            }
            onAccepted: picker.handleHexInput()
        }
        Item { Layout.fillWidth: true }
        Rectangle {
            width: 44
            height: 20
            radius: 6
            color: Colors.hex(picker.folderColor)
            border.color: Style.fade(palette.text, 0.15)
            border.width: 1
        }
    }

    RowLayout {
        Layout.leftMargin: 4
        Layout.rightMargin: 4
        spacing: 4
        Repeater {
            model: ["R", "G", "B", "A"]
            delegate: ColumnLayout {
                required property string modelData
                // Four equal columns across the picker's width.
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                readonly property string key: modelData.toLowerCase() + "Text"
                spacing: 2
                Label {
                    Layout.alignment: Qt.AlignHCenter
                    text: modelData
                    font.pixelSize: 9
                    font.bold: true
                    color: palette.placeholderText
                    Accessible.ignored: true
                }
                TextField {
                    objectName: "field" + modelData
                    Layout.fillWidth: true
                    placeholderText: modelData
                    horizontalAlignment: TextInput.AlignHCenter
                    font.pixelSize: 10
                    font.family: "monospace"
                    text: picker[parent.key]
                    Accessible.name: modelData
                    onTextChanged: {
                        if (text !== picker[parent.key])
                            picker[parent.key] = text
                    }
                    onAccepted: picker.handleRGBAInput()
                }
            }
        }
    }

    MenuSeparator { Layout.fillWidth: true }

    Row {
        Layout.alignment: Qt.AlignHCenter
        spacing: 8
        Repeater {
            model: SidebarPresets.presetColors
            delegate: ChoiceButton {
                id: preset
                required property var modelData
                objectName: "preset:" + modelData.name
                width: 16
                height: 16
                text: modelData.name
                chosen: picker.folderColor === modelData.hex
                onClicked: picker.choosePreset(modelData.hex)
                background: Rectangle {
                    radius: 8
                    color: Colors.hex(preset.modelData.hex)
                    border.color: Style.fade(palette.text, 0.2)
                    border.width: preset.chosen ? 2 : 1
                }
            }
        }
    }
}
