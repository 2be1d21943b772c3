import QtQuick
import QtQuick.Controls
import QtTest
import Brimlark.Uninstaller

SheetTestCase {
    id: test
    name: "UninstallerSheet"

    property int pressesBelow: 0
    property int tapsBelow: 0
    property int dismissed: 0

    // What lies under the sheet: it must never hear of a press on the sheet.
    MouseArea {
        anchors.fill: parent
        onPressed: test.pressesBelow += 1
        TapHandler { onTapped: test.tapsBelow += 1 }
    }

    function init() {
        pressesBelow = 0
        tapsBelow = 0
        dismissed = 0
    }
    onSheetOpened: sheet => sheet.dismiss.connect(() => test.dismissed += 1)

    // Every Text under item whose text has the markup in it.
    function textsWithMarkup(item, out) {
        if (item.textFormat !== undefined && typeof item.text === "string" && item.text.indexOf("<b>") >= 0)
            out.push(item)
        for (let i = 0; i < item.children.length; ++i)
            textsWithMarkup(item.children[i], out)
        return out
    }
    function verifyPlain(item, atLeast) {
        const texts = textsWithMarkup(item, [])
        verify(texts.length >= atLeast, "found " + texts.length + " texts with the name")
        for (const t of texts)
            compare(t.textFormat, Text.PlainText, "rich text: " + t.text)
    }

    function test_namesShowAsPlainTextOnEveryScreen() {
        const sheet = openSheet(true)
        const list = review(sheet)
        // Header name and path, three rows' names and paths at least.
        verifyPlain(sheet, 8)

        // The locked file cannot go: its folder is no longer a real one.
        verify(fixture.linkSystemPreferences())
        sheet.flow.selectAll()
        mouseClick(button(sheet, "moveToTrashButton"))
        tryCompare(sheet.flow, "stage", AppUninstallerFlow.UninstallerStage.done, 5000)
        const box = findChild(sheet, "errorBox")
        tryVerify(() => box.visible)
        verifyPlain(box, 1)
        // The reason at the end of a long line stays in view.
        const lines = textsWithMarkup(box, [])
        verify(lines[0].text.endsWith(": “Preferences” is not a real folder"), lines[0].text)
        verify(!lines[0].truncated, "the error line is cut")
    }

    function test_theAlertShowsTheNameAsPlainText() {
        const sheet = openSheet(true)
        const list = review(sheet)
        // Only the locked preferences file is left to remove, and it fails.
        verify(fixture.vanish("Library/Preferences/" + hostileFileName + ".plist"))
        verify(fixture.linkSystemPreferences())
        sheet.flow.deselectAll()
        sheet.flow.toggleCategory("preferences")
        mouseClick(button(sheet, "moveToTrashButton"))
        const alert = sheet.permissionAlert
        tryVerify(() => alert.opened, 5000)
        const message = findChild(alert.contentItem, "alertMessage")
        verify(message.text.indexOf(hostileFileName) === 0, message.text)
        compare(message.textFormat, Text.PlainText)
        mouseClick(message)
        compare(pressesBelow, 0)
    }

    function test_pressesOnTheSheetAndItsAlertStayThere() {
        const sheet = openSheet(true)
        const list = review(sheet)
        // Empty header, statistics bar, list below the rows, footer between buttons.
        for (const p of [Qt.point(300, 20), Qt.point(330, 95), Qt.point(300, 440), Qt.point(200, 530)])
            mouseClick(sheet, p.x, p.y)
        const before = sheet.flow.selectedCount
        const r = row(list, hostileFileName + ".plist")
        verify(r)
        mouseClick(r, r.width / 2, r.height / 2)
        compare(sheet.flow.selectedCount, before - 1)
        // Buttons that are disabled take their press too.
        sheet.flow.deselectAll()
        mouseClick(button(sheet, "moveToTrashButton"))
        mouseClick(button(sheet, "deletePermanentlyButton"))
        compare(sheet.flow.stage, AppUninstallerFlow.UninstallerStage.review)
        compare(pressesBelow, 0)
        compare(tapsBelow, 0)

        // The confirmation alert.
        mouseClick(r, r.width / 2, r.height / 2)
        mouseClick(button(sheet, "deletePermanentlyButton"))
        const alert = sheet.permanentDeleteAlert
        tryVerify(() => alert.opened)
        mouseClick(alert.contentItem, 5, 5)
        mouseClick(alert.contentItem, alert.contentItem.width / 2, 2)
        compare(pressesBelow, 0)
        compare(tapsBelow, 0)
        mouseClick(findChild(alert.contentItem, "alertCancelButton"))
        tryVerify(() => !alert.visible)
    }

    // A category's header selects all of it, then offers to deselect it.
    function test_aHeaderSelectsItsWholeCategory() {
        const sheet = openSheet(true)
        const list = review(sheet)
        const header = Array.from(list.contentItem.children).find(c => c.title === "Preferences" && c.visible)
        const select = findChild(header, "sectionSelectButton")
        compare(select.text, "Select All")
        const before = sheet.flow.selectedCount
        mouseClick(select)
        compare(sheet.flow.selectedCount, before + 1)
        compare(select.text, "Deselect All")
    }

    function test_theAccessGateFitsTheSheet() {
        const sheet = openSheet(false, hostile)
        const gate = findChild(sheet, "accessGateView")
        tryVerify(() => gate && gate.visible)
        waitForItemPolished(gate)
        const settings = button(sheet, "openSystemSettingsButton")
        const p = settings.mapToItem(sheet, 0, 0)
        verify(p.y >= 0 && p.y + settings.height <= sheet.height, "button at y " + p.y + " in " + sheet.height)
        verify(p.x >= 0 && p.x + settings.width <= sheet.width)
        verifyPlain(sheet, 2)
        mouseClick(sheet, 100, 300)
        compare(pressesBelow, 0)
    }

    // The access gate's badge runs from indigo at its top left to violet
    // at its bottom right.
    function test_theGateBadgeIsAGradient() {
        const sheet = openSheet(false)
        const badge = findChild(sheet, "gateBadge")
        tryVerify(() => badge && badge.width > 0)
        waitForRendering(badge)
        // Read from the whole sheet, where the badge is drawn.
        const image = grabImage(sheet)
        const from = badge.mapToItem(sheet, 0, 0)
        const to = badge.mapToItem(sheet, badge.width, badge.height)
        const w = Math.floor(to.x - from.x), h = Math.floor(to.y - from.y)
        let first = null, last = null
        for (let d = 0; d < w + h; ++d) {
            for (let x = 0; x <= d; ++x) {
                const y = d - x
                // The glyph, not the light halo behind it.
                if (x < w && y < h && image.pixel(from.x + x, from.y + y).g < 0.45) {
                    if (!first)
                        first = image.pixel(from.x + x, from.y + y)
                    last = image.pixel(from.x + x, from.y + y)
                }
            }
        }
        verify(first && last)
        verify(Math.abs(first.r - 0x5E / 255) < 0.15 && first.b > 0.8, "top left " + first)
        verify(Math.abs(last.r - 0xBF / 255) < 0.15 && last.g < 0.45, "bottom right " + last)
    }

    // Every action of the review screen and its alert by keyboard alone,
    // with the focus ring on the control the keyboard is on.
    function test_theSheetWorksByKeyboardAlone() {
        const sheet = openSheet(true)
        const list = review(sheet)
        sheet.forceActiveFocus()
        const visited = []
        for (let i = 0; i < 20 && !(test.Window.activeFocusItem && test.Window.activeFocusItem.objectName === "deletePermanentlyButton"); ++i) {
            keyClick(Qt.Key_Tab)
            const item = test.Window.activeFocusItem
            visited.push(item.objectName)
            verify(item.visualFocus, item.objectName + " shows no focus ring")
        }
        for (const name of ["closeButton", "selectAllButton", "deselectAllButton", "sectionSelectButton",
                            "rowCheckbox", "reviewCancelButton", "deletePermanentlyButton"])
            verify(visited.indexOf(name) >= 0, name + " not in " + visited)

        // Space on a finding unchecks it.
        while (test.Window.activeFocusItem.objectName !== "rowCheckbox")
            keyClick(Qt.Key_Tab, Qt.ShiftModifier)
        const before = sheet.flow.selectedCount
        keyClick(Qt.Key_Space)
        compare(sheet.flow.selectedCount, before - 1)
        keyClick(Qt.Key_Space)

        // Return on "Delete Permanently": the alert, on its Cancel; Tab to the
        // other button; Escape closes it and the keyboard is back.
        while (test.Window.activeFocusItem.objectName !== "deletePermanentlyButton")
            keyClick(Qt.Key_Tab)
        keyClick(Qt.Key_Return)
        const alert = sheet.permanentDeleteAlert
        tryVerify(() => alert.opened)
        compare(test.Window.activeFocusItem.objectName, "alertCancelButton")
        verify(test.Window.activeFocusItem.visualFocus)
        keyClick(Qt.Key_Tab)
        compare(test.Window.activeFocusItem.objectName, "alertActionButton")
        keyClick(Qt.Key_Escape)
        tryVerify(() => !alert.visible)
        compare(sheet.flow.stage, AppUninstallerFlow.UninstallerStage.review)
        compare(test.Window.activeFocusItem.objectName, "deletePermanentlyButton")

        // Return on "Move to Trash" removes; on the result, Return is "Done".
        keyClick(Qt.Key_Tab)
        compare(test.Window.activeFocusItem.objectName, "moveToTrashButton")
        keyClick(Qt.Key_Return)
        tryCompare(sheet.flow, "stage", AppUninstallerFlow.UninstallerStage.done, 5000)
        tryCompare(test.Window.activeFocusItem, "objectName", "doneButton")
        tryVerify(() => test.Window.activeFocusItem.visualFocus)
        keyClick(Qt.Key_Return)
        compare(dismissed, 1)
    }

    // The gate opens on "Open System Settings"; Shift+Tab, then Space is
    // "Cancel"; Escape closes the sheet from anywhere in it.
    function test_theGateWorksByKeyboardAlone() {
        const sheet = openSheet(false)
        tryVerify(() => findChild(sheet, "accessGateView"))
        sheet.forceActiveFocus()
        compare(test.Window.activeFocusItem.objectName, "openSystemSettingsButton")
        keyClick(Qt.Key_Return)
        verify(sheet.flow.isPolling)
        keyClick(Qt.Key_Tab, Qt.ShiftModifier)
        compare(test.Window.activeFocusItem.objectName, "gateCancelButton")
        keyClick(Qt.Key_Space)
        compare(dismissed, 1)
        keyClick(Qt.Key_Escape)
        compare(dismissed, 2)
    }
}
