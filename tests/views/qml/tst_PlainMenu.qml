import QtQuick
import QtQuick.Controls
import QtTest
import Brimlark.Views

// A name from a user shows as written in every row of a plain menu,
// submenu rows included: no markup drawn, no "&" taken as a mnemonic, and an
// image tag in a submenu's title no longer ends the program.
TestCase {
    id: testCase
    name: "PlainMenu"
    when: windowShown
    width: 400
    height: 400

    readonly property string oddName: "<img src=\"x\"> <b>R&D</b> & Co"

    Component {
        id: menuComponent
        PlainMenu {
            PlainMenuItem { text: testCase.oddName }
            PlainMenu {
                title: testCase.oddName
                PlainMenuItem { text: testCase.oddName }
            }
        }
    }

    Component {
        id: narrowMenuComponent
        PlainMenu {
            width: 160
            PlainMenu {
                title: "A folder name far longer than the menu is wide"
            }
        }
    }

    function shownTexts(item, out) {
        if (item.objectName === "plainMenuItemText")
            out.push(item)
        for (let i = 0; i < item.children.length; ++i)
            shownTexts(item.children[i], out)
        return out
    }

    function test_rowsAndSubmenuTitlesShowThePlainName() {
        const menu = createTemporaryObject(menuComponent, testCase)
        menu.open()
        tryCompare(menu, "opened", true)
        const sub = menu.menuAt(1)
        menu.itemAt(1).triggered()
        sub.open()
        tryCompare(sub, "opened", true)
        const texts = shownTexts(menu.contentItem, []).concat(shownTexts(sub.contentItem, []))
        compare(texts.length, 3)
        for (const t of texts) {
            compare(t.text, oddName)
            compare(t.textFormat, Text.PlainText)
        }
        compare(menu.itemAt(1).subMenu, sub)
    }

    // A submenu row's title ends before the row's arrow.
    function test_aLongSubmenuTitleStopsAtTheArrow() {
        const menu = createTemporaryObject(narrowMenuComponent, testCase)
        menu.open()
        tryCompare(menu, "opened", true)
        const row = menu.itemAt(0)
        waitForItemPolished(row)
        verify(row.arrow && row.arrow.visible)
        const text = shownTexts(row, [])[0]
        const right = text.mapToItem(row, text.width, 0).x
        verify(right <= row.arrow.x, right + " overlaps the arrow at " + row.arrow.x)
    }
}
