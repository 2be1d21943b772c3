import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Uninstaller
import Brimlark.Views

// The uninstall sheet for one application: the access gate, the scan, the
// review and the result. `app` is the application to remove (its name and
// id, the bundle path, are read), `services` are the program's; without them
// the sheet stays empty. The sheet asks its host to close it by dismiss().
// The keyboard reaches every control (Tab, Shift+Tab, Space, Return); Escape
// closes.
FocusScope {
    id: root
    objectName: "appUninstallerView"
    focus: true
    // Between two stages the keyboard rests on the sheet: a reader hears
    // which sheet, not a bare panel.
    Accessible.role: Accessible.Dialog
    Accessible.name: "Uninstall " + root.app.name

    property appItem app
    property UninstallerServices services: null
    signal dismiss()

    implicitWidth: 680
    implicitHeight: 560
    width: 680
    height: 560

    AppUninstallerFlow {
        id: flow
        services: root.services
    }
    property alias flow: flow
    property alias permanentDeleteAlert: permanentDeleteAlert
    property alias permissionAlert: permissionAlert

    Component.onCompleted: {
        if (root.app.id !== "")
            flow.appeared(root.app.name, root.app.id)
    }
    Component.onDestruction: flow.disappeared()
    Keys.onEscapePressed: root.dismiss()

    // A press anywhere on the sheet stays on it: nothing under the sheet
    // sees presses, clicks or the wheel that its own controls leave.
    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.AllButtons
        onWheel: (wheel) => wheel.accepted = true
    }

    Rectangle {
        anchors.fill: parent
        radius: 20
        color: Style.hud(Style.isLight(palette))
        border.width: 1
        border.color: Style.withAlpha(Style.primary(palette), 0.1)
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        // Header
        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 24
            Layout.rightMargin: 24
            Layout.topMargin: 16
            Layout.bottomMargin: 16
            spacing: 14

            Image {
                Layout.preferredWidth: 40
                Layout.preferredHeight: 40
                source: flow.appIconSource
                sourceSize: Qt.size(80, 80)
                fillMode: Image.PreserveAspectFit
                asynchronous: true
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 2
                Text {
                    objectName: "sheetTitle"
                    Layout.fillWidth: true
                    Accessible.role: Accessible.Heading
                    Accessible.name: text
                    text: "Uninstall " + root.app.name
                    textFormat: Text.PlainText
                    font.pixelSize: 15
                    font.weight: Font.DemiBold
                    color: Style.primary(palette)
                    elide: Text.ElideRight
                }
                Text {
                    Layout.fillWidth: true
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    text: root.app.id
                    textFormat: Text.PlainText
                    font.pixelSize: 11
                    font.family: "monospace"
                    color: Style.secondary(palette)
                    elide: Text.ElideMiddle
                    maximumLineCount: 1
                }
            }
            Rectangle {
                objectName: "sizePill"
                visible: flow.stage !== AppUninstallerFlow.UninstallerStage.scanning
                implicitWidth: pillRow.implicitWidth + 20
                implicitHeight: pillRow.implicitHeight + 10
                radius: height / 2
                color: Style.withAlpha(Style.orange(Style.isLight(palette)), 0.12)
                Accessible.role: Accessible.StaticText
                Accessible.name: flow.formattedTotalSize
                Row {
                    id: pillRow
                    anchors.centerIn: parent
                    spacing: 4
                    SymbolImage {
                        anchors.verticalCenter: parent.verticalCenter
                        name: "internaldrive.fill"
                        size: 12
                        color: Style.orange(Style.isLight(palette))
                    }
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: flow.formattedTotalSize
                        textFormat: Text.PlainText
                        font.pixelSize: 13
                        font.weight: Font.DemiBold
                        color: Style.orange(Style.isLight(palette))
                    }
                }
            }
            AbstractButton {
                id: closeButton
                objectName: "closeButton"
                implicitWidth: 24
                implicitHeight: 24
                contentItem: SymbolImage {
                    name: "xmark.circle.fill"
                    size: 20
                    color: Style.withAlpha(Style.secondary(palette), 0.7)
                }
                onClicked: root.dismiss()
                Keys.onReturnPressed: root.dismiss()
                Keys.onEnterPressed: root.dismiss()
                FocusRing {}
                Accessible.role: Accessible.Button
                Accessible.name: qsTr("Close")
                Accessible.onPressAction: root.dismiss()
            }
        }
        Rectangle {
            Layout.fillWidth: true
            implicitHeight: 1
            color: Style.withAlpha(Style.primary(palette), 0.3 * 0.25)
        }

        // The stage on screen. A stage that gives way fades out over the
        // spring while the next one comes in, so what moves in it as it goes
        // (rows leaving the review list) is seen to go.
        Item {
            id: stageArea
            Layout.fillWidth: true
            Layout.fillHeight: true

            property Loader current: stageA
            readonly property Item item: current.item

            function componentFor(stage) {
                switch (stage) {
                case AppUninstallerFlow.UninstallerStage.checkingAccess:
                    return gate
                case AppUninstallerFlow.UninstallerStage.scanning:
                    return scanning
                case AppUninstallerFlow.UninstallerStage.review:
                    return review
                default:
                    return done
                }
            }
            function show() {
                const next = componentFor(flow.stage)
                if (current.sourceComponent === next)
                    return
                const outgoing = current
                const incoming = current === stageA ? stageB : stageA
                if (leave.running) {
                    leave.stop()
                    leave.target.sourceComponent = undefined
                    leave.target.opacity = 1
                }
                incoming.sourceComponent = next
                current = incoming
                if (flow.animateStage && outgoing.item) {
                    leave.target = outgoing
                    leave.restart()
                    appear.restart()
                } else {
                    outgoing.sourceComponent = undefined
                }
                // A keyboard user keeps seeing where the keyboard is.
                if (keyboardUser)
                    Qt.callLater(stageArea.showKeyboardFocus)
            }
            function showKeyboardFocus() {
                const focused = root.Window.activeFocusItem
                if (focused && focused.visualFocus === false)
                    focused.focusReason = Qt.TabFocusReason
            }
            Component.onCompleted: show()

            // Whether the keyboard (not the pointer) last moved the focus.
            property bool keyboardUser: false
            Connections {
                target: root.Window.window
                function onActiveFocusItemChanged() {
                    const f = root.Window.activeFocusItem
                    if (!f || f.focusReason === undefined)
                        return
                    if (f.focusReason === Qt.TabFocusReason || f.focusReason === Qt.BacktabFocusReason)
                        stageArea.keyboardUser = true
                    else if (f.focusReason === Qt.MouseFocusReason)
                        stageArea.keyboardUser = false
                }
            }
            Connections {
                target: flow
                function onStageChanged() { stageArea.show() }
            }

            Loader {
                id: stageA
                anchors.fill: parent
                // Each screen puts the keyboard on its own first control.
                focus: stageArea.current === stageA
                enabled: stageArea.current === stageA
                z: stageArea.current === stageA ? 1 : 0
            }
            Loader {
                id: stageB
                anchors.fill: parent
                focus: stageArea.current === stageB
                enabled: stageArea.current === stageB
                z: stageArea.current === stageB ? 1 : 0
            }

            SequentialAnimation {
                id: leave
                property Loader target: null
                NumberAnimation {
                    target: leave.target
                    property: "opacity"
                    from: 1
                    to: 0
                    duration: 450
                    easing.type: Easing.OutCubic
                }
                ScriptAction {
                    script: {
                        leave.target.sourceComponent = undefined
                        leave.target.opacity = 1
                    }
                }
            }
            // The spring the stage changes use, unless the change came with
            // the sheet itself.
            ParallelAnimation {
                id: appear
                NumberAnimation {
                    target: stageArea.current
                    property: "opacity"
                    from: 0
                    to: 1
                    duration: 450
                    easing.type: Easing.OutCubic
                }
                NumberAnimation {
                    target: stageArea.current
                    property: "scale"
                    from: 0.96
                    to: 1
                    duration: 600
                    easing.type: Easing.OutBack
                    easing.overshoot: 0.6
                }
            }
        }
    }

    Component {
        id: gate
        AccessGateView {
            focus: true
            flow: root.flow
            appName: root.app.name
            onCancel: root.dismiss()
        }
    }
    Component {
        id: scanning
        ScanningStageView {
            focus: true
            flow: root.flow
        }
    }
    Component {
        id: review
        ReviewStageView {
            focus: true
            flow: root.flow
            onCancel: root.dismiss()
        }
    }
    Component {
        id: done
        DoneStageView {
            focus: true
            flow: root.flow
            onDone: root.dismiss()
        }
    }

    UninstallerAlert {
        id: permanentDeleteAlert
        objectName: "permanentDeleteAlert"
        shown: flow.showPermanentDeleteAlert
        title: "Permanently Delete Files"
        message: flow.permanentDeleteMessage
        cancelText: "Cancel"
        actionText: "Permanently Delete"
        destructive: true
        onClosedByUser: flow.showPermanentDeleteAlert = false
        onAction: flow.performDeletion(AppUninstallerFlow.Method.permanent)
    }
    UninstallerAlert {
        id: permissionAlert
        objectName: "permissionErrorAlert"
        shown: flow.showPermissionError
        title: "Cannot Delete Files"
        message: flow.permissionErrorMessage
        cancelText: "OK"
        actionText: ""
        onClosedByUser: flow.showPermissionError = false
    }
}
