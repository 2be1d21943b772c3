import QtQuick
import QtQuick.Controls

// A desk-tool button drawn by its popover (a filled rounded rectangle around
// its content): a click, Space, Return or Enter presses it, and assistive
// technology presses it by name. As the delegate of a list, set `listView`
// and `listIndex`: the button is in the accessibility tree only while on
// screen (not pooled or kept beyond the edges), and the keyboard scrolls to it.
AbstractButton {
    id: control

    property color fill: "transparent"
    property color outline: "transparent"
    property real cornerRadius: 6
    property ListView listView: null
    property int listIndex: -1
    readonly property bool onScreen: {
        if (!visible)
            return false
        if (!listView)
            return true
        return listView.orientation === ListView.Horizontal
               ? x + width > listView.contentX && x < listView.contentX + listView.width
               : y + height > listView.contentY && y < listView.contentY + listView.height
    }

    hoverEnabled: true
    padding: 0
    background: Rectangle {
        radius: control.cornerRadius
        color: control.fill
        border.color: control.outline
        border.width: control.outline.a > 0 ? 1 : 0
    }

    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.ignored: !onScreen
    Accessible.onPressAction: control.clicked()

    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()
    onActiveFocusChanged: {
        if (activeFocus && listView && listIndex >= 0)
            listView.positionViewAtIndex(listIndex, ListView.Contain)
    }

    FocusRing {
        targetRadius: control.cornerRadius
        inset: control.listView !== null
    }
}
