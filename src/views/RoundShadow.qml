import QtQuick
import Brimlark.Views

// A circle's soft shadow under its parent (the circle), drawn from a
// picture made once and shared: RoundShadow { blur: 4; offsetY: 1;
// shadowColor: Style.fade(tint, 0.35) } as the circle's first child.
Image {
    id: shadow

    property real diameter: parent ? Math.min(parent.width, parent.height) : 0
    property real blur: 0
    property real offsetY: 0
    property color shadowColor: Qt.rgba(0, 0, 0, 0.33)
    readonly property int reach: RoundShadows.reach(blur)

    width: diameter + 2 * reach
    height: width
    x: parent ? (parent.width - width) / 2 : 0
    y: parent ? (parent.height - height) / 2 + offsetY : 0
    z: -1
    source: diameter > 0 ? RoundShadows.source(diameter, blur, shadowColor) : ""
    // In points: the engine asks the provider for device pixels itself.
    sourceSize.width: Math.ceil(width)
    sourceSize.height: Math.ceil(height)
    smooth: true
    cache: true
    Accessible.ignored: true
}
