import QtQuick
import QtQuick.Templates as T
import Brimlark.Views

// One choice of a row or grid of choices (a colour swatch, an icon cell):
// a click, Space, Return or Enter chooses it, and assistive technology
// hears it by name as a radio button that is checked while chosen. Inside
// a scrolled area (`viewport`) it is in the accessibility tree only while
// on screen, and the keyboard scrolls it into view.
T.RadioButton {
    id: control

    property bool chosen: false
    property real cornerRadius: width / 2
    property Flickable viewport: null
    readonly property bool onScreen: {
        if (!visible)
            return false
        if (!viewport)
            return true
        // Read so the rule runs again once the cell is placed: a cell made
        // by a change stands at 0 until then.
        x
        y
        viewport.contentX
        viewport.contentY
        viewport.width
        viewport.height
        const p = mapToItem(viewport, 0, 0)
        return p.x + width > 0 && p.x < viewport.width && p.y + height > 0 && p.y < viewport.height
    }

    padding: 0
    indicator: null
    focusPolicy: Qt.TabFocus
    // Checked follows the choice alone: a click asks for it, and whoever
    // owns the choice answers.
    autoExclusive: false
    checked: chosen
    onClicked: checked = Qt.binding(() => control.chosen)
    Accessible.name: text
    Accessible.checkable: true
    Accessible.ignored: !onScreen
    Accessible.onPressAction: control.clicked()

    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()
    onActiveFocusChanged: {
        if (!activeFocus || !viewport)
            return
        const p = mapToItem(viewport.contentItem, 0, 0)
        if (p.x < viewport.contentX)
            viewport.contentX = Math.max(0, p.x - 4)
        else if (p.x + width > viewport.contentX + viewport.width)
            viewport.contentX = Math.min(viewport.contentWidth - viewport.width, p.x + width + 4 - viewport.width)
    }

    FocusRing { targetRadius: control.cornerRadius }
}
