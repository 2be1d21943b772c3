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
    // EnabledStateAccessibility: Qt Quick 6.4 does not).
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

    // Space presses the button (the control's own); Return and Enter do too.
    Keys.onReturnPressed: (event) => control.pressByKey(event)
    Keys.onEnterPressed: (event) => control.pressByKey(event)
    function pressByKey(event) {
        event.accepted = true
        if (control.enabled)
            control.clicked()
    }

    // The focus ring the controls draw, around the capsule.
    FocusRing {
        target: control
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
