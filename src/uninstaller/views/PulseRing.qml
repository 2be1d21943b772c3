import QtQuick
import Brimlark.Uninstaller
import Brimlark.Views

// A ring that grows from half size to nearly twice it while it fades, over
// and over, after its own start delay.
Rectangle {
    id: ring
    property real delay: 0
    width: 120
    height: 120
    radius: 60
    color: "transparent"
    border.width: 2
    border.color: Style.purple(Style.isLight(palette))
    scale: 0.5
    opacity: 0.6

    SequentialAnimation {
        running: ring.visible
        PauseAnimation { duration: ring.delay * 1000 }
        ParallelAnimation {
            loops: Animation.Infinite
            NumberAnimation { target: ring; property: "scale"; from: 0.5; to: 1.8; duration: 1600; easing.type: Easing.OutQuad }
            NumberAnimation { target: ring; property: "opacity"; from: 0.6; to: 0; duration: 1600; easing.type: Easing.OutQuad }
        }
    }
}
