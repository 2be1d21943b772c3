import QtQuick
import QtQuick.Controls

// A thin bar for a ScrollView: the style places only the bars it makes
// itself, so one of ours places itself along the view's edge:
// ScrollView { id: s; ScrollBar.vertical: ScrollViewBar { view: s } }.
ThinScrollBar {
    id: bar

    required property ScrollView view

    parent: view
    x: vertical ? (view.mirrored ? 0 : view.width - width) : view.leftPadding
    y: vertical ? view.topPadding : view.height - height
    width: vertical ? implicitWidth : view.availableWidth
    height: vertical ? view.availableHeight : implicitHeight
}
