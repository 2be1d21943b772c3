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
    property list<string> icons
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
        Accessible.role: Accessible.Graphic
        Accessible.name: customizer.selectedIcon
        SymbolImage {
            id: previewSymbol
            objectName: "previewSymbol"
            anchors.centerIn: parent
            name: customizer.selectedIcon
            size: 40
            color: customizer.tint
            // A new icon springs into place; the one the sheet opens with
            // is simply there.
            property bool shown: false
            Component.onCompleted: shown = true
            onNameChanged: {
                if (shown)
                    iconChange.restart()
            }
            ParallelAnimation {
                id: iconChange
                objectName: "iconChangeAnimation"
                Spring {
                    objectName: "iconChangeSpring"
                    target: previewSymbol
                    property: "scale"
                    from: 0.6
                    to: 1
                    response: 0.35
                    dampingFraction: 0.7
                }
                NumberAnimation {
                    target: previewSymbol
                    property: "opacity"
                    from: 0
                    to: 1
                    duration: Style.springDuration(0.35) / 2
                }
            }
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
            delegate: ChoiceButton {
                id: swatch
                required property var modelData
                readonly property color fill: Colors.hex(modelData.hex)
                objectName: "color:" + modelData.name
                width: 22
                height: 22
                text: modelData.name
                chosen: customizer.selectedColor === modelData.hex
                scale: chosen ? 1.15 : 1
                readonly property alias selectionSpring: selectionSpring
                Behavior on scale { Spring { id: selectionSpring; response: 0.25; dampingFraction: 0.75 } }
                onClicked: customizer.colorChosen(modelData.hex)
                background: Rectangle {
                    radius: 11
                    color: swatch.fill
                    border.color: palette.text
                    border.width: swatch.chosen ? 2 : 0
                    Behavior on border.width { Spring { response: 0.25; dampingFraction: 0.75 } }
                    // The shadow in the swatch's own colour, one point down:
                    // sharp while not chosen, soft (radius 4) while chosen.
                    RoundShadow {
                        objectName: "swatchShadow"
                        blur: 4
                        offsetY: 1
                        shadowColor: Style.fade(swatch.fill, 0.35)
                        opacity: swatch.chosen ? 1 : 0
                        Behavior on opacity { Spring { response: 0.25; dampingFraction: 0.75 } }
                    }
                    RoundShadow {
                        blur: 0
                        offsetY: 1
                        shadowColor: Style.fade(swatch.fill, 0.35)
                        opacity: swatch.chosen ? 0 : 1
                        Behavior on opacity { Spring { response: 0.25; dampingFraction: 0.75 } }
                    }
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
                delegate: ChoiceButton {
                    id: cell
                    required property string modelData
                    objectName: "icon:" + modelData
                    width: 34
                    height: 34
                    cornerRadius: 10
                    text: modelData
                    chosen: customizer.selectedIcon === modelData
                    readonly property alias selectionSpring: cellSpring
                    onClicked: customizer.iconChosen(modelData)
                    background: Rectangle {
                        radius: 10
                        color: cell.chosen ? Style.fade(customizer.tint, 0.15) : Style.fade(palette.text, 0.04)
                        border.color: customizer.tint
                        border.width: cell.chosen ? 1.5 : 0
                        Behavior on color { ColorAnimation { duration: Style.springDuration(0.25); easing.type: Easing.OutCubic } }
                        Behavior on border.width { Spring { id: cellSpring; response: 0.25; dampingFraction: 0.75 } }
                    }
                    contentItem: Item {
                        SymbolImage {
                            anchors.centerIn: parent
                            name: cell.modelData
                            size: 16
                            color: cell.chosen ? customizer.tint : Style.fade(palette.text, 0.6)
                            Behavior on color { ColorAnimation { duration: Style.springDuration(0.25); easing.type: Easing.OutCubic } }
                        }
                    }
                }
            }
        }
    }
}
