import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// A modal sheet: a title, a customiser and Cancel / confirm. Escape is
// Cancel; Return is the confirm button, or the button the keyboard is on;
// Tab walks the field, the swatches, the icons and the two buttons. What
// the buttons do is the owner's.
Popup {
    id: sheet

    property string title
    property string confirmText
    // The customiser, made the first time the sheet shows and kept from then
    // on: the window's start makes none of its sheets' contents.
    default property Component content
    signal confirmed()
    signal cancelled()

    modal: true
    // Keeps the keyboard when the menu that opened it closes after it.
    focus: true
    closePolicy: Popup.NoAutoClose
    anchors.centerIn: Overlay.overlay
    onAboutToShow: body.active = true
    width: 320
    padding: 20

    contentItem: ColumnLayout {
        spacing: 20
        Accessible.role: Accessible.Dialog
        Accessible.name: sheet.title
        Keys.onEscapePressed: sheet.cancelled()
        Keys.onReturnPressed: sheet.confirmed()
        Keys.onEnterPressed: sheet.confirmed()

        // A Text, not a Label: a Label takes the plain-text role back when
        // assistive technology starts.
        Text {
            objectName: "sheetTitle"
            Layout.alignment: Qt.AlignHCenter
            text: sheet.title
            textFormat: Text.PlainText
            font.pixelSize: 16
            font.bold: true
            color: sheet.palette.windowText
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
        Loader {
            id: body
            Layout.fillWidth: true
            active: false
            sourceComponent: sheet.content
        }
        RowLayout {
            Layout.fillWidth: true
            Button {
                objectName: "sheetCancelButton"
                text: qsTr("Cancel")
                flat: true
                palette.buttonText: sheet.palette.placeholderText
                Accessible.name: text
                Accessible.onPressAction: sheet.cancelled()
                Keys.onReturnPressed: sheet.cancelled()
                Keys.onEnterPressed: sheet.cancelled()
                onClicked: sheet.cancelled()
            }
            Item { Layout.fillWidth: true }
            ProminentButton {
                objectName: "sheetConfirmButton"
                text: sheet.confirmText
                Accessible.name: text
                Accessible.onPressAction: sheet.confirmed()
                onClicked: sheet.confirmed()
            }
        }
    }
}
