import QtQuick
import Brimlark.Views

// A property animation shaped like a spring of the given response (seconds)
// and damping fraction, for Behaviors and transitions:
// Behavior on scale { Spring { response: 0.25; dampingFraction: 0.75 } }.
NumberAnimation {
    property real response: 0.55
    property real dampingFraction: 0.825

    duration: Style.springDuration(response)
    easing.type: dampingFraction < 1 ? Easing.OutBack : Easing.OutCubic
    easing.overshoot: Style.springOvershoot(dampingFraction)
}
