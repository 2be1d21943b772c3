import QtQuick
import Brimlark.Views
import Brimlark.Grid

// A property animation shaped like a spring of the given response and
// damping fraction: Behavior on scale { SpringCurve { response: 0.4 } }.
NumberAnimation {
    property real response: 0.4
    property real dampingFraction: 0.825

    duration: Style.springDuration(response)
    easing.type: dampingFraction < 1 ? Easing.OutBack : Easing.OutCubic
    easing.overshoot: Style.springOvershoot(dampingFraction)
}
