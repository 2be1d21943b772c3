import QtQuick
import Brimlark.Uninstaller
import Brimlark.Views

StyledButton {
    id: control
    readonly property color red: Style.red(Style.isLight(palette))
    fontSize: 13
    fontWeight: Font.DemiBold
    textColor: red
    horizontalPadding: 16
    verticalPadding: 9

    background: Rectangle {
        radius: height / 2
        color: Style.withAlpha(control.red, control.pressed ? 0.2 : 0.1)
        border.width: 1
        border.color: Style.withAlpha(control.red, 0.3)
    }
}
