import QtQuick
import Brimlark.Uninstaller

StyledButton {
    id: control
    fontSize: 13
    fontWeight: Font.DemiBold
    textColor: "white"
    horizontalPadding: 18
    verticalPadding: 9

    background: Rectangle {
        radius: height / 2
        gradient: Gradient {
            orientation: Gradient.Horizontal
            GradientStop { position: 0; color: control.pressed ? "#4048C8" : "#5E5CE6" }
            GradientStop { position: 1; color: control.pressed ? "#9040C8" : "#BF5AF2" }
        }
    }
}
