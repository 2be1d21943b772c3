import QtQuick
import Brimlark.Grid

// A soft shadow filling its parent's place (or wherever it is anchored),
// drawn from one nine-patch that every shadow of the same look shares: its
// corners stay as made and only its middle stretches, so a grid of tiles
// pays for one small texture and no per-tile blur.
BorderImage {
    id: shadow

    property real cornerRadius: 0
    property real blur: 0
    property real offsetY: 0
    property color shadowColor: "black"
    readonly property int reach: GridLooks.shadowMargin(blur)
    readonly property int edge: GridLooks.shadowBorder(cornerRadius, blur)

    anchors.fill: parent
    anchors.leftMargin: -reach
    anchors.rightMargin: -reach
    anchors.topMargin: -reach + offsetY
    anchors.bottomMargin: -reach - offsetY
    source: GridLooks.shadowSource(cornerRadius, blur, shadowColor)
    border.left: edge
    border.right: edge
    border.top: edge
    border.bottom: edge
    horizontalTileMode: BorderImage.Stretch
    verticalTileMode: BorderImage.Stretch
    smooth: true
    cache: true
}
