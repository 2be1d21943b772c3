import QtQuick
import QtQuick.Layouts
import Brimlark.Uninstaller
import Brimlark.Views

// Shown until the folders the scan reads can be read: what to do, and the
// button that shows where and starts testing again every two seconds.
FocusScope {
    id: gateView
    objectName: "accessGateView"
    // The stage takes the keyboard as it comes: a reader hears what it is.
    Accessible.role: Accessible.Pane
    Accessible.name: gateTitle.text

    property AppUninstallerFlow flow
    property string appName
    signal cancel()

    // Centred, and never taller than the sheet: when a long name makes the
    // message wrap, the badge gives up height first, so "Open System
    // Settings" stays inside the sheet.
    ColumnLayout {
        id: column
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        height: Math.min(implicitHeight, parent.height)
        spacing: 28

        Item {
            id: badge
            Layout.alignment: Qt.AlignHCenter
            Layout.fillHeight: true
            Layout.preferredHeight: 160
            Layout.maximumHeight: 160
            Layout.minimumHeight: 48
            implicitWidth: 160
            Item {
                anchors.centerIn: parent
                width: 160
                height: 160
                scale: Math.min(1, badge.height / 160)
                Canvas {
                    anchors.fill: parent
                    onPaint: {
                        const ctx = getContext("2d")
                        const g = ctx.createRadialGradient(80, 80, 0, 80, 80, 80)
                        g.addColorStop(0, "rgba(94,92,230,0.3)")
                        g.addColorStop(1, "rgba(94,92,230,0)")
                        ctx.fillStyle = g
                        ctx.fillRect(0, 0, 160, 160)
                    }
                }
                GradientSymbolImage {
                    objectName: "gateBadge"
                    anchors.centerIn: parent
                    name: "lock.shield.fill"
                    size: 64
                    startColor: Style.indigo
                    endColor: Style.violet
                }
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 10
            Text {
                id: gateTitle
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignHCenter
                objectName: "gateTitle"
                text: "Full Disk Access Required"
                Accessible.role: Accessible.Heading
                Accessible.name: text
                textFormat: Text.PlainText
                font.pixelSize: 20
                font.bold: true
                color: Style.primary(palette)
            }
            Text {
                objectName: "gateMessage"
                Layout.fillWidth: true
                Layout.leftMargin: 40
                Layout.rightMargin: 40
                text: "To scan and remove all residual files for " + gateView.appName
                      + ", Brimlark needs Full Disk Access.\nThis is required to find files in protected Library folders."
                textFormat: Text.PlainText
                font.pixelSize: 13
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WrapAtWordBoundaryOrAnywhere
                maximumLineCount: 4
                elide: Text.ElideRight
                lineHeight: 1.2
                color: Style.secondary(palette)
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.leftMargin: 40
            Layout.rightMargin: 40
            implicitHeight: steps.implicitHeight + 32
            radius: 14
            color: Style.ultraThin(Style.isLight(palette))
            ColumnLayout {
                id: steps
                anchors.fill: parent
                anchors.margins: 16
                spacing: 10
                AccessStep { number: "1"; text: "Click \"Open System Settings\" below" }
                AccessStep { number: "2"; text: "Find Brimlark in the list and toggle it ON" }
                AccessStep { number: "3"; text: "Return here — scanning will start automatically" }
            }
        }

        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 12
            GhostButtonStyle {
                objectName: "gateCancelButton"
                text: "Cancel"
                onClicked: gateView.cancel()
            }
            PrimaryButtonStyle {
                objectName: "openSystemSettingsButton"
                text: "Open System Settings"
                symbol: "gear"
                focus: true
                onClicked: gateView.flow.openSystemSettings()
            }
        }
    }
}
