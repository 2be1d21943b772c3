import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Uninstaller
import Brimlark.Views

// A small modal alert over the sheet: title, plain-text message, a cancel
// button and, when actionText is set, one more button. Assistive technology
// meets an alert named by its title with the message inside; the keyboard
// starts on the cancel button (Tab to the other, Return or Space presses,
// Escape closes).
Popup {
    id: alert

    property bool shown: false
    property string title
    property string message
    property string cancelText: "Cancel"
    property string actionText
    property bool destructive: false
    signal action()
    signal closedByUser()

    parent: Overlay.overlay
    anchors.centerIn: parent
    modal: true
    dim: true
    focus: true
    visible: shown
    width: 300
    padding: 20
    closePolicy: Popup.CloseOnEscape

    // The keyboard goes back to where it was when the alert opened (the
    // popup itself gives it to the window, which has lost that place).
    property Item returnFocusTo: null
    property int returnFocusReason: Qt.OtherFocusReason
    onAboutToShow: {
        const item = alert.parent ? alert.parent.Window.activeFocusItem : null
        alert.returnFocusTo = item
        alert.returnFocusReason = item && item.focusReason !== undefined ? item.focusReason : Qt.OtherFocusReason
    }
    // Opened from the keyboard, it shows the ring on its first button.
    onOpened: {
        if (alert.returnFocusReason === Qt.TabFocusReason || alert.returnFocusReason === Qt.BacktabFocusReason)
            cancelButton.focusReason = Qt.TabFocusReason
    }
    onClosed: {
        const item = alert.returnFocusTo
        alert.returnFocusTo = null
        if (item && item.visible && item.enabled)
            item.forceActiveFocus(alert.returnFocusReason)
        alert.closedByUser()
    }

    background: Rectangle {
        radius: 12
        color: alert.palette.window
        border.width: 1
        border.color: Style.withAlpha(alert.palette.windowText, 0.15)
    }

    contentItem: ColumnLayout {
        objectName: "alertBody"
        spacing: 12
        Accessible.role: Accessible.AlertMessage
        Accessible.name: alert.title
        Text {
            // The alert's name already reads the title.
            Accessible.ignored: true
            Layout.fillWidth: true
            text: alert.title
            textFormat: Text.PlainText
            font.pixelSize: 14
            font.bold: true
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            color: Style.primary(alert.palette)
        }
        Text {
            objectName: "alertMessage"
            Layout.fillWidth: true
            text: alert.message
            textFormat: Text.PlainText
            font.pixelSize: 12
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            color: Style.secondary(alert.palette)
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 10
            GhostButtonStyle {
                id: cancelButton
                objectName: "alertCancelButton"
                text: alert.cancelText
                focus: true
                onClicked: alert.close()
            }
            DestructiveButtonStyle {
                objectName: "alertActionButton"
                visible: alert.actionText !== "" && alert.destructive
                text: alert.actionText
                onClicked: {
                    alert.close()
                    alert.action()
                }
            }
        }
    }
}
