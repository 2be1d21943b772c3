import QtQuick
import Brimlark.Uninstaller
import Brimlark.Views

StyledButton {
    id: control
    property bool compact: false
    fontSize: compact ? 10 : 12
    fontWeight: Font.Medium
    textColor: Style.secondary(palette)
    horizontalPadding: compact ? 8 : 14
    verticalPadding: compact ? 4 : 7

    background: Rectangle {
        radius: height / 2
        color: Style.withAlpha(Style.primary(control.palette), control.pressed ? 0.1 : 0.06)
    }
}
