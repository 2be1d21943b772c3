import QtQuick
import Brimlark.Uninstaller

StyledButton {
    id: control
    property bool compact: false
    fontSize: compact ? 10 : 12
    fontWeight: Font.Medium
    textColor: UninstallerStyle.secondary(palette)
    horizontalPadding: compact ? 8 : 14
    verticalPadding: compact ? 4 : 7

    background: Rectangle {
        radius: height / 2
        color: UninstallerStyle.withAlpha(UninstallerStyle.primary(control.palette), control.pressed ? 0.1 : 0.06)
    }
}
