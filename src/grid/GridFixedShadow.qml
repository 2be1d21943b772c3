import QtQuick
import Brimlark.Grid

// A soft shadow under its parent, for a parent whose size never changes (a
// tile's icon): one picture made at that size and shared by every shadow of
// the same look, drawn as it is. A nine-patch (GridShadow) would cost the
// software renderer nine scaled copies per shadow on every frame.
Image {
    id: shadow

    property real cornerRadius: 0
    property real blur: 0
    property real offsetY: 0
    property color shadowColor: "black"
    readonly property int reach: GridLooks.shadowMargin(blur)

    x: -reach
    y: -reach + offsetY
    width: parent.width + 2 * reach
    height: parent.height + 2 * reach
    source: GridLooks.shadowSource(cornerRadius, blur, shadowColor, parent.width, parent.height)
    // In points: the engine asks the provider for device pixels itself.
    sourceSize.width: Math.ceil(width)
    sourceSize.height: Math.ceil(height)
    smooth: true
    cache: true
}
