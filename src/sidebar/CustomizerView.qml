import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Views
import Brimlark.Sidebar

// Edits a name, an icon and a colour with a live preview. The three values
// come in as properties and go out through the signals; nothing is stored here.
ColumnLayout {
    id: customizer

    property string name
    property string selectedIcon
    property string selectedColor
    property var icons: []
    property string placeholder
    property real gridPadding: 0
    signal nameEdited(string name)
    signal iconChosen(string icon)
    signal colorChosen(string color)

    readonly property color tint: Colors.hex(selectedColor)
    spacing: 20

    // Preview.
    Rectangle {
        Layout.alignment: Qt.AlignHCenter
        Layout.topMargin: 4
        width: 90
        height: 90
        radius: 24
        color: Style.fade(customizer.tint, 0.12)
        border.color: Style.fade(customizer.tint, 0.2)
        border.width: 1
        SymbolImage {
            anchors.centerIn: parent
            name: customizer.selectedIcon
            size: 40
            color: customizer.tint
        }
    }

    // Name.
    Rectangle {
        Layout.fillWidth: true
        implicitHeight: nameField.implicitHeight + 12
        radius: 10
        color: Style.fade(palette.text, 0.04)
        CustomTextField {
            id: nameField
            objectName: "customizerNameField"
            anchors.fill: parent
            anchors.leftMargin: 16
            anchors.rightMargin: 16
            anchors.topMargin: 6
            anchors.bottomMargin: 6
            placeholder: customizer.placeholder
            horizontalAlignment: TextInput.AlignHCenter
            font.pixelSize: 18
            font.bold: true
            text: customizer.name
            isFocused: true
            // Text can arrive without a keystroke (assistive technology,
            // input methods): any change that is not the bound name is an edit.
            onTextChanged: {
                if (text !== customizer.name)
                    customizer.nameEdited(text)
            }
            // The style hides a centred field's placeholder while it has the
            // focus, and the field takes the focus on opening.
            placeholderTextColor: "transparent"
        }
        Label {
            objectName: "customizerPlaceholder"
            anchors.fill: nameField
            visible: nameField.length === 0 && nameField.preeditText === ""
            text: customizer.placeholder
            textFormat: Text.PlainText
            font: nameField.font
            color: palette.placeholderText
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
            Accessible.ignored: true
        }
    }

    // Preset colours.
    Row {
        Layout.alignment: Qt.AlignHCenter
        Layout.topMargin: 4
        Layout.bottomMargin: 4
        spacing: 12
        Repeater {
            model: SidebarPresets.presetColors
            delegate: Rectangle {
                required property var modelData
                readonly property bool chosen: customizer.selectedColor === modelData.hex
                objectName: "color:" + modelData.name
                width: 22
                height: 22
                radius: 11
                color: Colors.hex(modelData.hex)
                border.color: palette.text
                border.width: chosen ? 2 : 0
                scale: chosen ? 1.15 : 1
                Behavior on scale { SpringAnimation { spring: 5; damping: 0.35 } }
                Accessible.role: Accessible.RadioButton
                Accessible.name: modelData.name
                Accessible.checkable: true
                Accessible.checked: chosen
                Accessible.onPressAction: customizer.colorChosen(modelData.hex)
                TapHandler {
                    // The sheet keeps the press: nothing under it sees it.
                    gesturePolicy: TapHandler.ReleaseWithinBounds
                    onTapped: customizer.colorChosen(modelData.hex)
                }
            }
        }
    }

    // Icon grid.
    Rectangle {
        Layout.alignment: Qt.AlignHCenter
        implicitWidth: grid.implicitWidth + 2 * customizer.gridPadding
        implicitHeight: grid.implicitHeight + 2 * customizer.gridPadding
        radius: 16
        color: Style.fade(palette.text, 0.02)
        border.color: Style.fade(palette.text, 0.06)
        border.width: 1
        Grid {
            id: grid
            anchors.centerIn: parent
            columns: 5
            columnSpacing: 12
            rowSpacing: 12
            Repeater {
                model: customizer.icons
                delegate: Rectangle {
                    required property string modelData
                    readonly property bool chosen: customizer.selectedIcon === modelData
                    objectName: "icon:" + modelData
                    width: 34
                    height: 34
                    radius: 10
                    color: chosen ? Style.fade(customizer.tint, 0.15) : Style.fade(palette.text, 0.04)
                    border.color: customizer.tint
                    border.width: chosen ? 1.5 : 0
                    Accessible.role: Accessible.RadioButton
                    Accessible.name: modelData
                    Accessible.checkable: true
                    Accessible.checked: chosen
                    Accessible.onPressAction: customizer.iconChosen(modelData)
                    SymbolImage {
                        anchors.centerIn: parent
                        name: modelData
                        size: 16
                        color: chosen ? customizer.tint : Style.fade(palette.text, 0.6)
                    }
                    TapHandler {
                        gesturePolicy: TapHandler.ReleaseWithinBounds
                        onTapped: customizer.iconChosen(modelData)
                    }
                }
            }
        }
    }
}
