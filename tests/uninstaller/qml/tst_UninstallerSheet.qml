import QtQuick
import QtQuick.Controls
import QtTest
import Brimlark.Uninstaller

TestCase {
    id: test
    name: "UninstallerSheet"
    when: windowShown
    visible: true
    width: 760
    height: 640

    readonly property string hostile: "<img src=\"x\"> <b>R&D</b> & Co"
    // As a bundle on disk can be named: no "/".
    readonly property string hostileFileName: hostile.replace("/", "\u2215")
    property var fixture
    property int pressesBelow: 0
    property int tapsBelow: 0

    // What lies under the sheet: it must never hear of a press on the sheet.
    MouseArea {
        anchors.fill: parent
        onPressed: test.pressesBelow += 1
        TapHandler { onTapped: test.tapsBelow += 1 }
    }

    Component {
        id: sheetComponent
        AppUninstallerView {
            x: 40
            y: 40
        }
    }

    function init() {
        pressesBelow = 0
        tapsBelow = 0
    }
    function cleanup() {
        fixture = null
    }

    // The application's name as the catalog gives it, or (shownName) as any
    // text the sheet may be handed.
    function openSheet(access, shownName) {
        fixture = UninstallerTest.sheet(hostile, access)
        const sheet = createTemporaryObject(sheetComponent, test, {
            "app": { "name": shownName || fixture.appName, "id": fixture.bundlePath } })
        verify(sheet)
        return sheet
    }
    function review(sheet) {
        tryCompare(sheet.flow, "stage", AppUninstallerFlow.UninstallerStage.review, 5000)
        const list = findChild(sheet, "findingsList")
        tryVerify(() => list.count === 4, 5000, "findings: " + list.count + " " + sheet.flow.totalCount)
        waitForItemPolished(list)
        return list
    }

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
    function button(sheet, name) {
        const b = findChild(sheet, name)
        verify(b, name)
        return b
    }
    function row(list, nameStart) {
        for (let i = 0; i < list.count; ++i) {
            const r = list.itemAtIndex(i)
            if (r && r.displayName.indexOf(nameStart) === 0)
                return r
        }
        return null
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
        sheet.flow.toggleCategory("Preferences")
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

    function test_disabledRemovalButtonsSayTheyAreDisabled() {
        const sheet = openSheet(true)
        review(sheet)
        const trash = button(sheet, "moveToTrashButton")
        const permanent = button(sheet, "deletePermanentlyButton")
        sheet.flow.deselectAll()
        for (const b of [trash, permanent]) {
            verify(!b.enabled)
            const a = UninstallerTest.accessible(b)
            compare(a.name, b.text)
            compare(a.disabled, true, b.text)
            compare(a.actions.length, 0)
        }
        sheet.flow.selectAll()
        for (const b of [trash, permanent]) {
            verify(b.enabled)
            const a = UninstallerTest.accessible(b)
            compare(a.disabled, false, b.text)
            compare(a.actions.length, 1)
        }
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
}
