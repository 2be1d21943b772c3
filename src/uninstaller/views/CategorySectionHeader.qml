import QtQuick
import QtQuick.Layouts
import Brimlark.Uninstaller
import Brimlark.Views

// A category's header in the review list: its icon, title, count, total
// and the button that selects or deselects the whole category.
Rectangle {
    id: header
    property AppUninstallerFlow flow
    // The category's summary: it tells when this category changes, and only then.
    property ResidualSection entry
    readonly property string title: entry ? entry.title : ""
    // In the accessibility tree only while on screen, as the rows.
    readonly property ListView listView: ListView.view
    readonly property bool onScreen: visible && (listView === null
                                     || (y + height > listView.contentY
                                         && y < listView.contentY + listView.height))

    implicitHeight: row.implicitHeight + 16
    // The section in one line for assistive technology: title, count, size.
    Accessible.ignored: !onScreen
    Accessible.role: Accessible.Heading
    Accessible.name: title + " " + countText.text + " " + totalText.text
    color: Style.withAlpha(Style.hud(Style.isLight(palette)), 0.9)

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 20
        anchors.rightMargin: 20
        anchors.topMargin: 8
        anchors.bottomMargin: 8
        spacing: 10

        SymbolImage {
            Layout.preferredWidth: 20
            name: header.entry ? header.entry.icon : ""
            size: 14
            color: header.entry ? header.entry.accent : "transparent"
        }
        Text {
            text: header.title
            textFormat: Text.PlainText
            font.pixelSize: 12
            font.bold: true
            color: Style.withAlpha(Style.primary(palette), 0.8)
        }
        Text {
            id: countText
            text: header.entry ? header.entry.countText : ""
            textFormat: Text.PlainText
            font.pixelSize: 11
            color: Style.secondary(palette)
        }
        Item { Layout.fillWidth: true }
        Text {
            id: totalText
            text: header.entry ? header.entry.totalText : ""
            textFormat: Text.PlainText
            font.pixelSize: 11
            font.weight: Font.DemiBold
            color: Style.secondary(palette)
        }
        GhostButtonStyle {
            objectName: "sectionSelectButton"
            Accessible.ignored: !header.onScreen
            compact: true
            enabled: header.flow && header.flow.canChangeSelection
            text: header.entry && header.entry.allSelected ? "Deselect All" : "Select All"
            Accessible.name: text + " " + header.title
            onClicked: header.flow.toggleCategory(header.entry.categoryId)
        }
    }
}
