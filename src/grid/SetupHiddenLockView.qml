import QtQuick
import QtQuick.Controls
import Brimlark.Views
import Brimlark.Grid

// The hidden section's form for a new password: the password twice, the
// Touch ID choice and one message line. Return in a field does nothing.
Item {
    id: root
    objectName: "setupHiddenLockView"

    required property HiddenItemsLock lock
    readonly property alias controller: form
    readonly property bool lightAppearance: Style.isLight(palette)
    readonly property color blue: Style.blue(lightAppearance)

    SetupHiddenLockController {
        id: form
        lock: root.lock
    }

    // Presses on the lock screen stay on it: nothing under it sees them.
    MouseArea {
        objectName: "lockScreenPressCatcher"
        anchors.fill: parent
        acceptedButtons: Qt.AllButtons
    }

    opacity: 0
    OpacityAnimator on opacity { from: 0; to: 1; duration: 200 }

    Column {
        anchors.centerIn: parent
        spacing: 24

        LockBadge {
            anchors.horizontalCenter: parent.horizontalCenter
            accent: root.blue
            symbol: "lock.shield"
        }

        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 8
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                objectName: "setupHeading"
                text: qsTr("Secure Hidden Items")
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                font.pixelSize: 20
                font.bold: true
                color: Style.primary(palette)
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                width: 320
                objectName: "setupExplanation"
                text: qsTr("Set a password to protect your hidden apps and folders.")
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                font.pixelSize: 13
                wrapMode: Text.WordWrap
                horizontalAlignment: Text.AlignHCenter
                color: Style.secondary(palette)
            }
        }

        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 12
            TextField {
                id: passwordField
                objectName: "setupPasswordField"
                width: 260
                echoMode: TextInput.Password
                // Named, and read as the mask (see EnabledStateAccessibility).
                readonly property bool servesMaskedText: true
                placeholderText: qsTr("Enter Password")
                text: form.password
                onTextEdited: form.password = text
                Accessible.role: Accessible.EditableText
                Accessible.name: placeholderText
                Accessible.onPressAction: forceActiveFocus()
                Component.onCompleted: forceActiveFocus()
            }
            TextField {
                objectName: "setupConfirmField"
                width: 260
                echoMode: TextInput.Password
                // Named, and read as the mask (see EnabledStateAccessibility).
                readonly property bool servesMaskedText: true
                placeholderText: qsTr("Confirm Password")
                text: form.confirmPassword
                onTextEdited: form.confirmPassword = text
                Accessible.role: Accessible.EditableText
                Accessible.name: placeholderText
                Accessible.onPressAction: forceActiveFocus()
            }
        }

        CheckBox {
            id: touchIDBox
            objectName: "setupTouchIDCheckBox"
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Enable Touch ID / Apple Watch Unlock")
            font.pixelSize: 12
            checked: form.useTouchID
            onToggled: form.useTouchID = checked
            Accessible.role: Accessible.CheckBox
            Accessible.name: text
            Accessible.onPressAction: {
                touchIDBox.toggle()
                form.useTouchID = touchIDBox.checked
            }
        }

        Text {
            id: setupError
            objectName: "setupErrorMessage"
            anchors.horizontalCenter: parent.horizontalCenter
            visible: form.errorMessage !== ""
            text: form.errorMessage
            textFormat: Text.PlainText
            font.pixelSize: 11
            color: Style.red(root.lightAppearance)
            // Announced as it appears: the user may not be looking.
            Accessible.role: Accessible.AlertMessage
            Accessible.name: text
            Connections {
                target: form
                function onErrorRepeated() { Announcer.announce(setupError) }
            }
        }

        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 8
            LockButton {
                objectName: "setPasswordButton"
                text: qsTr("Set Password & Enable Lock")
                fill: root.blue
                onClicked: form.submit()
            }
            BusyIndicator {
                objectName: "setupBusy"
                anchors.verticalCenter: parent.verticalCenter
                width: 20
                height: 20
                running: form.busy
                visible: form.busy
                Accessible.name: qsTr("Saving password")
            }
        }
    }
}
