import QtQuick
import Brimlark.Views
import QtQuick.Controls

// A menu item that shows its action's shortcut at its right edge, as
// desktop menus do.
MenuItem {
    id: item

    readonly property string shortcutText: action && action.shortcut ? String(action.shortcut) : ""

    rightPadding: shortcutLabel.text !== "" ? shortcutLabel.implicitWidth + 28 : 12
    // The window's commands are neither checkable nor submenus: no check box
    // or arrow is made for them (the style would load their images at start).
    indicator: null
    arrow: null

    Label {
        id: shortcutLabel
        objectName: "shortcutText"
        anchors.right: parent.right
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        text: item.shortcutText
        textFormat: Text.PlainText
        opacity: item.enabled ? 0.6 : 0.3
        Accessible.ignored: true
    }
}
