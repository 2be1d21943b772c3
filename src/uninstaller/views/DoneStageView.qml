import QtQuick
import QtQuick.Layouts
import Brimlark.Uninstaller
import Brimlark.Views

// The result: what was removed and freed, and what could not be.
FocusScope {
    id: doneView
    objectName: "doneStageView"
    // The stage takes the keyboard as it comes: a reader hears the outcome.
    Accessible.role: Accessible.Pane
    Accessible.name: doneHeading.text + (flow && flow.hasDeletionResult ? ". " + flow.resultLine : "")
    property AppUninstallerFlow flow
    signal done()

    ColumnLayout {
        anchors.fill: parent
        spacing: 32

        Item { Layout.fillHeight: true }

        Rectangle {
            Layout.alignment: Qt.AlignHCenter
            implicitWidth: 100
            implicitHeight: 100
            radius: 50
            gradient: Gradient {
                GradientStop { position: 0; color: "#34C759" }
                GradientStop { position: 1; color: "#30D158" }
            }
            SymbolImage {
                anchors.centerIn: parent
                name: "checkmark"
                size: 44
                color: "white"
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 10
            Text {
                id: doneHeading
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignHCenter
                text: "Uninstall Complete"
                textFormat: Text.PlainText
                font.pixelSize: 22
                font.bold: true
                color: Style.primary(palette)
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Text {
                objectName: "resultLine"
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignHCenter
                visible: doneView.flow.hasDeletionResult
                text: doneView.flow.resultLine
                textFormat: Text.PlainText
                font.pixelSize: 14
                font.weight: Font.Medium
                color: Style.secondary(palette)
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Rectangle {
                objectName: "errorBox"
                visible: doneView.flow.errorHeading !== ""
                Layout.fillWidth: true
                Layout.leftMargin: 40
                Layout.rightMargin: 40
                implicitHeight: errors.implicitHeight + 24
                radius: 10
                color: Style.withAlpha(Style.orange(Style.isLight(palette)), 0.08)
                ColumnLayout {
                    id: errors
                    anchors.fill: parent
                    anchors.margins: 12
                    spacing: 4
                    Text {
                        objectName: "errorHeading"
                        text: doneView.flow.errorHeading
                        Accessible.role: Accessible.AlertMessage
                        Accessible.name: text
                        textFormat: Text.PlainText
                        font.pixelSize: 12
                        font.weight: Font.DemiBold
                        color: Style.orange(Style.isLight(palette))
                    }
                    Repeater {
                        model: doneView.flow.errorLines
                        Text {
                            required property string modelData
                            Layout.fillWidth: true
                            text: modelData
                            textFormat: Text.PlainText
                            // The reason is at the end of the line: wrap
                            // rather than cut it out.
                            wrapMode: Text.WrapAtWordBoundaryOrAnywhere
                            maximumLineCount: 3
                            elide: Text.ElideRight
                            font.pixelSize: 11
                            color: Style.secondary(palette)
                            Accessible.role: Accessible.StaticText
                            Accessible.name: text
                        }
                    }
                }
            }
        }

        Item { Layout.fillHeight: true }

        PrimaryButtonStyle {
            objectName: "doneButton"
            Layout.alignment: Qt.AlignHCenter
            Layout.bottomMargin: 24
            text: "Done"
            focus: true
            onClicked: doneView.done()
        }
    }
}
