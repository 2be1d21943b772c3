import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Uninstaller
import Brimlark.Views

// The uninstall sheet for one application: the access gate, the scan, the
// review and the result. `app` is the AppItem to remove (its name and id,
// the bundle path, are read), `dismiss` closes the sheet.
Item {
    id: root
    objectName: "appUninstallerView"

    property var app
    property var dismiss

    function close() {
        if (root.dismiss)
            root.dismiss()
    }

    implicitWidth: 680
    implicitHeight: 560
    width: 680
    height: 560

    AppUninstallerFlow {
        id: flow
        services: typeof uninstallerServices !== "undefined" ? uninstallerServices : null
    }
    property alias flow: flow
    property alias permanentDeleteAlert: permanentDeleteAlert
    property alias permissionAlert: permissionAlert

    Component.onCompleted: {
        if (root.app)
            flow.appeared(root.app.name, root.app.id)
    }
    Component.onDestruction: flow.disappeared()

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
                    Layout.fillWidth: true
                    text: "Uninstall " + (root.app ? root.app.name : "")
                    textFormat: Text.PlainText
                    font.pixelSize: 15
                    font.weight: Font.DemiBold
                    color: Style.primary(palette)
                    elide: Text.ElideRight
                }
                Text {
                    Layout.fillWidth: true
                    text: root.app ? root.app.id : ""
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
                onClicked: root.close()
                Accessible.role: Accessible.Button
                Accessible.name: qsTr("Close")
                Accessible.onPressAction: root.close()
            }
        }
        Rectangle {
            Layout.fillWidth: true
            implicitHeight: 1
            color: Style.withAlpha(Style.primary(palette), 0.3 * 0.25)
        }

        Loader {
            id: stageLoader
            Layout.fillWidth: true
            Layout.fillHeight: true
            sourceComponent: {
                switch (flow.stage) {
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
            // The spring the stage changes use, unless the change came with
            // the sheet itself.
            onLoaded: {
                if (flow.animateStage)
                    appear.restart()
            }
            ParallelAnimation {
                id: appear
                NumberAnimation {
                    target: stageLoader.item
                    property: "opacity"
                    from: 0
                    to: 1
                    duration: 450
                    easing.type: Easing.OutCubic
                }
                NumberAnimation {
                    target: stageLoader.item
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
            flow: root.flow
            appName: root.app ? root.app.name : ""
            onCancel: root.close()
        }
    }
    Component {
        id: scanning
        ScanningStageView {
            flow: root.flow
        }
    }
    Component {
        id: review
        ReviewStageView {
            flow: root.flow
            onCancel: root.close()
        }
    }
    Component {
        id: done
        DoneStageView {
            flow: root.flow
            onDone: root.close()
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
