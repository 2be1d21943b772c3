import QtQuick
import QtQuick.Layouts
import Brimlark.Views
import QtQuick.Controls

// A menu item that shows its text exactly as written: names come from users,
// bundles and stored files, so no markup is drawn and "&" is no mnemonic.
// Every menu and submenu that can show such a name is made of these
// (a submenu's own row comes from its parent's delegate: see PlainMenu).
MenuItem {
    id: item

    // Optional symbol before the text, a check mark after it, red text.
    property string symbol
    property bool check: false
    property bool destructive: false

    // A row shown disabled (an empty submenu's) says so to assistive
    // technology too (see EnabledStateAccessibility).
    readonly property bool reportsEnabledState: true

    // Told through the control's own state: as it completes, a control
    // overwrites Accessible.checked with it. The tick is drawn below, not
    // as the style's check box.
    checkable: check
    checked: check
    indicator: null
    Accessible.role: Accessible.MenuItem
    Accessible.name: text
    Accessible.onPressAction: item.triggered()

    contentItem: RowLayout {
        spacing: 8
        SymbolImage {
            visible: item.symbol !== ""
            name: item.symbol
            size: 13
            color: item.highlighted ? item.palette.highlightedText : item.palette.text
        }
        Text {
            objectName: "plainMenuItemText"
            Layout.fillWidth: true
            text: item.text
            textFormat: Text.PlainText
            elide: Text.ElideRight
            font: item.font
            opacity: item.enabled ? 1 : 0.5
            verticalAlignment: Text.AlignVCenter
            color: item.destructive ? Style.red(Style.isLight(item.palette))
                                    : (item.highlighted ? item.palette.highlightedText : item.palette.text)
        }
        SymbolImage {
            visible: item.check
            name: "checkmark"
            size: 12
            color: item.highlighted ? item.palette.highlightedText : item.palette.text
        }
        // A submenu row keeps its title clear of the style's arrow.
        Item {
            visible: item.subMenu !== null && item.arrow !== null
            implicitWidth: item.arrow ? item.arrow.width : 0
        }
    }
}
