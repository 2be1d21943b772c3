import QtQuick
import QtTest
import Brimlark.Uninstaller

// A test case that opens uninstall sheets for an application whose name is
// markup, each over a fixture of its own, and finds their parts.
TestCase {
    id: sheetCase
    when: windowShown
    visible: true
    width: 760
    height: 640

    readonly property string hostile: "<img src=\"x\"> <b>R&D</b> & Co"
    // As a bundle on disk can be named: no "/".
    readonly property string hostileFileName: hostile.replace("/", "\u2215")
    property var fixture
    signal sheetOpened(var sheet)

    Component {
        id: sheetComponent
        AppUninstallerView {
            x: 40
            y: 40
        }
    }

    function cleanup() {
        fixture = null
    }

    // The application's name as the catalog gives it, or (shownName) as any
    // text the sheet may be handed.
    function openSheet(access, shownName, extraCaches) {
        fixture = UninstallerTest.sheet(hostile, access, extraCaches || 0)
        const sheet = createTemporaryObject(sheetComponent, sheetCase, {
            "app": fixture.app(shownName || ""),
            "services": fixture.services })
        verify(sheet)
        sheetOpened(sheet)
        return sheet
    }
    function review(sheet, findings) {
        tryCompare(sheet.flow, "stage", AppUninstallerFlow.UninstallerStage.review, 5000)
        const list = findChild(sheet, "findingsList")
        tryVerify(() => list.count === (findings || 4), 5000, "findings: " + list.count + " " + sheet.flow.totalCount)
        waitForItemPolished(list)
        return list
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
}
