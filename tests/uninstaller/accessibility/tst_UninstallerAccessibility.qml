import QtQuick
import QtQuick.Controls
import QtTest
import Brimlark.Uninstaller
import "../qml"

// The sheet as a screen reader meets it, through Qt's accessibility bridge:
// each node's role, name and states, and which rows are in the tree.
SheetTestCase {
    id: test
    name: "UninstallerAccessibility"

    Component {
        id: scanningComponent
        ScanningStageView {
            width: 600
            height: 300
        }
    }

    function test_disabledRemovalButtonsSayTheyAreDisabled() {
        const sheet = openSheet(true)
        review(sheet)
        const trash = button(sheet, "moveToTrashButton")
        const permanent = button(sheet, "deletePermanentlyButton")
        for (const selected of [false, true]) {
            selected ? sheet.flow.selectAll() : sheet.flow.deselectAll()
            for (const b of [trash, permanent]) {
                compare(b.enabled, selected, b.text)
                const a = UninstallerTest.accessible(b)
                compare(a.name, b.text)
                compare(a.disabled, !selected, b.text)
                compare(a.actions.length, selected ? 1 : 0, b.text)
            }
        }
    }

    // What a screen reader is told about item: its role and name, and that
    // it is in the tree and showing.
    function verifyNode(item, role, name) {
        verify(item, name)
        const a = UninstallerTest.accessible(item)
        compare(a.role, role, name)
        compare(a.name, name)
        verify(a.inTree, name + " is not in the tree")
        verify(!a.invisible, name + " is not showing")
        return a
    }

    // Headings, messages, alerts and errors on every screen, each named by
    // its text; each stage, as it takes the keyboard, is named by what it
    // shows; the scan's bar has its value; the removal's busy indicator is named.
    function test_everyScreenSaysWhatItShows() {
        let sheet = openSheet(false, "Foo")
        const gate = tryVerify(() => findChild(sheet, "accessGateView")) || findChild(sheet, "accessGateView")
        verifyNode(gate, Accessible.Pane, findChild(gate, "gateTitle").text)
        verifyNode(findChild(sheet, "sheetTitle"), Accessible.Heading, "Uninstall Foo")
        verifyNode(findChild(sheet, "gateTitle"), Accessible.Heading, "Full Disk Access Required")
        verifyNode(findChild(sheet, "gateMessage"), Accessible.StaticText, "To scan and remove all residual files for Foo, "
                   + "Brimlark needs Full Disk Access.\nThis is required to find files in protected Library folders.")
        verifyNode(findChild(sheet, "accessStep2"), Accessible.StaticText, "2. Find Brimlark in the list and toggle it ON")

        sheet = openSheet(true)
        const list = review(sheet)
        const r = UninstallerTest.accessible(findChild(sheet, "reviewStageView"))
        compare(r.role, Accessible.Pane)
        verify(r.name.indexOf("Items found: " + sheet.flow.totalCount) === 0, r.name)
        verify(UninstallerTest.accessible(findChild(sheet, "removalBusy")).name !== "")
        const scanning = createTemporaryObject(scanningComponent, test, { "flow": sheet.flow })
        const bar = verifyNode(findChild(scanning, "scanProgress"), Accessible.ProgressBar, sheet.flow.scanStage)
        compare(bar.value, sheet.flow.scanProgress)
        verify(sheet.flow.scanProgress > 0)
        scanning.destroy() // it lies over the sheet's buttons
        verifyNode(findChild(sheet, "selectedCount"), Accessible.StaticText, "Selected: 3")
        const header = Array.from(list.contentItem.children).filter(c => c.title === "Preferences" && c.visible).pop()
        verifyNode(header, Accessible.Heading, "Preferences (2 items) " + sheet.flow.files.section("preferences").totalText)

        // The confirmation is named by its title and reads its message inside.
        mouseClick(button(sheet, "deletePermanentlyButton"))
        const alert = sheet.permanentDeleteAlert
        tryVerify(() => alert.opened)
        const a = verifyNode(alert.contentItem, Accessible.AlertMessage, "Permanently Delete Files")
        verify(sheet.flow.permanentDeleteMessage.indexOf("This will permanently delete 3 items") === 0)
        verify(a.children.some(c => c.role === Accessible.StaticText && c.name === sheet.flow.permanentDeleteMessage),
               JSON.stringify(a.children))
        mouseClick(findChild(alert.contentItem, "alertCancelButton"))
        tryVerify(() => !alert.visible)

        // Done, with one entry that could not go: the error is an alert.
        verify(fixture.linkSystemPreferences())
        sheet.flow.selectAll()
        sheet.flow.performDeletion(AppUninstallerFlow.Method.trash)
        tryCompare(sheet.flow, "stage", AppUninstallerFlow.UninstallerStage.done, 5000)
        tryVerify(() => findChild(sheet, "errorHeading"))
        verifyNode(findChild(sheet, "errorHeading"), Accessible.AlertMessage, "1 item(s) could not be removed:")
        verifyNode(findChild(sheet, "resultLine"), Accessible.StaticText, sheet.flow.resultLine)
    }

    // A finding's check box says whether it is checked; a locked one's mark
    // is a plain button that cannot be checked, checked when selected.
    function test_aRowSaysWhetherItIsChecked() {
        const sheet = openSheet(true)
        const list = review(sheet)
        const r = row(list, hostileFileName + ".plist")
        const box = findChild(r, "rowCheckbox")
        let a = verifyNode(box, Accessible.CheckBox, hostileFileName + ".plist")
        verify(a.checkable && a.checked, JSON.stringify(a))
        // What "Move to Trash" would take: the file's place and size.
        verify(a.description.indexOf(r.path) >= 0 && a.description.indexOf(r.sizeText) > 0, a.description)
        compare(a.actions.length, 2)
        sheet.flow.deselectAll()
        a = UninstallerTest.accessible(box)
        verify(a.checkable && !a.checked)
        const lockedBox = findChild(row(list, hostileFileName + " with"), "rowCheckbox")
        const locked = UninstallerTest.accessible(lockedBox)
        compare(locked.role, Accessible.Button)
        verify(!locked.checkable && !locked.checked)
        // Checked by "Select All", the locked entry says so.
        sheet.flow.selectAll()
        verify(UninstallerTest.accessible(lockedBox).checked)
        // A click leaves the check box saying what the entry is.
        mouseClick(box)
        compare(box.checked, false)
        verify(!UninstallerTest.accessible(box).checked)
        mouseClick(box)
        compare(box.checked, true)
    }

    // Rows kept beyond the list's edges or pooled are not in the tree; the
    // rows on screen are.
    function test_onlyRowsOnScreenAreInTheTree() {
        const sheet = openSheet(true, "", 30)
        const list = review(sheet, 34)
        list.positionViewAtEnd()
        waitForItemPolished(list)
        let shown = 0, hidden = 0, wrong = []
        // The list may still settle after the jump (a busy machine draws late):
        // every row must end up in the tree exactly while it is on screen.
        tryVerify(() => {
            shown = 0, hidden = 0, wrong = []
            for (let i = 0; i < list.contentItem.children.length; ++i) {
                const r = list.contentItem.children[i]
                if (r.fileId === undefined)
                    continue
                const onScreen = r.visible && r.y + r.height > list.contentY && r.y < list.contentY + list.height
                if (UninstallerTest.accessible(findChild(r, "rowCheckbox")).inTree !== onScreen)
                    wrong.push(r.displayName + " at " + r.y + " of " + list.contentY)
                onScreen ? ++shown : ++hidden
            }
            return wrong.length === 0
        }, 5000, "rows in the tree while off screen, or out of it while on screen")
        compare(wrong, [])
        verify(shown > 5 && hidden > 0, shown + " shown, " + hidden + " hidden")
    }

    // Rows that leave the list (what a removal took) fade out towards the
    // list's top edge while the review screen gives way, out of the tree at once.
    function test_leavingRowsFadeToTheTopEdge() {
        const sheet = openSheet(true)
        const list = review(sheet)
        const r = row(list, hostileFileName + ".plist")
        const box = findChild(r, "rowCheckbox")
        verify(r.y > 0)
        sheet.flow.deselectAll()
        sheet.flow.toggleSelection(r.fileId)
        sheet.flow.performDeletion(AppUninstallerFlow.Method.trash)
        tryVerify(() => r.leaving, 5000)
        verify(!UninstallerTest.accessible(box).inTree)
        // Above the list's top edge, all of it, by the end.
        tryVerify(() => r.opacity < 0.1 && r.y + r.height < list.contentY + 5, 2000,
                  "at " + r.y + ", opacity " + r.opacity)
        tryCompare(sheet.flow, "stage", AppUninstallerFlow.UninstallerStage.done)
    }
}
