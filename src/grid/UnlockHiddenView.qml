import QtQuick
import QtQuick.Controls
import Brimlark.Views
import Brimlark.Grid

// The hidden section's unlock form: the password (Return submits), Touch ID
// while the preference is on, the reset while biometrics are available, and
// one message line.
Item {
    id: root
    objectName: "unlockHiddenView"

    required property HiddenItemsLock lock
    readonly property alias controller: form
    readonly property bool lightAppearance: Style.isLight(palette)
    readonly property color blue: Style.blue(lightAppearance)

    UnlockHiddenController {
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
            accent: Colors.hex(root.lightAppearance ? "#FF9500" : "#FF9F0A")
            symbol: "lock.fill"
        }

        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 8
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                objectName: "unlockHeading"
                text: qsTr("Hidden Items Locked")
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                font.pixelSize: 20
                font.bold: true
                color: Style.primary(palette)
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                objectName: "unlockExplanation"
                text: qsTr("Please authenticate to view hidden apps and folders.")
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                font.pixelSize: 13
                color: Style.secondary(palette)
            }
        }

        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 12
            TextField {
                objectName: "unlockPasswordField"
                anchors.verticalCenter: parent.verticalCenter
                width: 200
                echoMode: TextInput.Password
                // Named, and read as the mask (see EnabledStateAccessibility).
                readonly property bool servesMaskedText: true
                placeholderText: qsTr("Enter Password")
                text: form.passwordInput
                onTextEdited: form.passwordInput = text
                onAccepted: form.submitUnlock()
                Accessible.role: Accessible.EditableText
                Accessible.name: placeholderText
                Accessible.onPressAction: forceActiveFocus()
                Component.onCompleted: forceActiveFocus()
            }
            LockButton {
                objectName: "unlockButton"
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Unlock")
                fill: root.blue
                sidePadding: 16
                endPadding: 6
                cornerRadius: 6
                onClicked: form.submitUnlock()
            }
            BusyIndicator {
                objectName: "unlockBusy"
                anchors.verticalCenter: parent.verticalCenter
                width: 20
                height: 20
                running: form.busy
                visible: form.busy
                Accessible.name: qsTr("Checking password")
            }
        }

        Loader {
            anchors.horizontalCenter: parent.horizontalCenter
            active: form.showsTouchID
            sourceComponent: GridButton {
                id: touchID
                objectName: "useTouchIDButton"
                text: qsTr("Use Touch ID")
                focusRingRadius: 8
                topPadding: 6
                bottomPadding: 6
                leftPadding: 12
                rightPadding: 12
                contentItem: Row {
                    spacing: 8
                    SymbolImage {
                        anchors.verticalCenter: parent.verticalCenter
                        name: "touchid"
                        size: 18
                        color: root.blue
                    }
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: touchID.text
                        font.pixelSize: 12
                        font.weight: Font.Medium
                        color: root.blue
                    }
                }
                background: Rectangle {
                    radius: 8
                    color: Style.withAlpha(root.blue, 0.1)
                }
                onClicked: form.useTouchID()
                // Shown means asked: the prompt comes without a click.
                Component.onCompleted: form.appeared()
            }
        }

        Loader {
            anchors.horizontalCenter: parent.horizontalCenter
            active: form.showsReset
            sourceComponent: GridButton {
                id: reset
                objectName: "resetWithTouchIDButton"
                text: qsTr("Forgot Password? Reset with Touch ID")
                topPadding: 4
                focusRingRadius: 2
                contentItem: Text {
                    text: reset.text
                    font.pixelSize: 11
                    font.weight: Font.DemiBold
                    font.underline: true
                    color: Style.secondary(palette)
                }
                background: null
                onClicked: form.resetWithTouchID()
            }
        }

        Text {
            id: unlockError
            objectName: "unlockErrorMessage"
            anchors.horizontalCenter: parent.horizontalCenter
            visible: form.errorMessage !== ""
            text: form.errorMessage
            textFormat: Text.PlainText
            font.pixelSize: 11
            color: Style.red(root.lightAppearance)
            // Announced as it appears: a wrong password is heard, not only seen.
            Accessible.role: Accessible.AlertMessage
            Accessible.name: text
            Connections {
                target: form
                function onErrorRepeated() { Announcer.announce(unlockError) }
            }
        }
    }
}
