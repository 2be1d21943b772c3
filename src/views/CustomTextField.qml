import QtQuick
import QtQuick.Controls

// A plain single-line text field without border or background whose
// keyboard focus follows the interface state. Bind `text` to the value and
// write it back from `textEdited` (every keystroke); set `isFocused` to ask
// for the focus, and clear it on `focusEnded` (editing ended, reported on the
// next turn of the event loop). Clearing `isFocused` never takes the focus away.
TextField {
    id: field

    property bool isFocused: false
    property alias placeholder: field.placeholderText
    signal focusEnded()

    // A field is named after its placeholder for assistive technology.
    Accessible.role: Accessible.EditableText
    Accessible.name: placeholderText
    Accessible.onPressAction: field.forceActiveFocus()

    font.pixelSize: 16
    color: palette.windowText
    background: null
    padding: 0
    selectByMouse: true
    wrapMode: TextInput.NoWrap
    clip: true

    function requestFocusIfAsked() {
        if (isFocused)
            Qt.callLater(field.takeFocus)
    }
    function takeFocus() {
        if (field.Window.window !== null && !field.activeFocus)
            field.forceActiveFocus()
    }

    onIsFocusedChanged: requestFocusIfAsked()
    onTextChanged: requestFocusIfAsked()
    Component.onCompleted: requestFocusIfAsked()
    Window.onWindowChanged: requestFocusIfAsked()
    onEditingFinished: Qt.callLater(field.focusEnded)
}
