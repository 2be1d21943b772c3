import QtQuick
import QtQuick.Controls
import Brimlark.Uninstaller
import Brimlark.Views

// What the three button styles share: the label (text and an optional
// symbol), a capsule, a slight shrink while pressed, and its accessibility.
AbstractButton {
    id: control

    property string symbol: ""
    // Tells assistive technology when the button is disabled (see
    // AccessibleSheetButton: Qt Quick 6.4 does not).
    readonly property bool reportsEnabledState: true
    property int fontSize: 13
    property int fontWeight: Font.DemiBold
    property color textColor: "white"
    horizontalPadding: 18
    verticalPadding: 9
    opacity: enabled ? 1 : 0.45
    scale: pressed ? 0.97 : 1
    hoverEnabled: true

    Behavior on scale {
        NumberAnimation {
            duration: 150
            easing.type: Easing.OutQuad
        }
    }

    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: {
        if (control.enabled)
            control.clicked()
    }

    contentItem: Row {
        spacing: 6
        SymbolImage {
            visible: control.symbol !== ""
            anchors.verticalCenter: parent.verticalCenter
            name: control.symbol
            color: control.textColor
            size: control.fontSize
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: control.text
            textFormat: Text.PlainText
            color: control.textColor
            font.pixelSize: control.fontSize
            font.weight: control.fontWeight
        }
    }
}
