import QtQuick
import QtQuick.Controls
import QtTest
import Brimlark.Shell

// The window's content by keyboard alone, no pointer event at all: a folder
// chosen in the sidebar and renamed, an application added to it through the
// picker, each desk tool opened and closed, and an application uninstalled.
TestCase {
    id: test
    name: "KeyboardWalk"
    when: windowShown
    visible: true
    width: 1200
    height: 800

    property var fixture

    Component {
        id: contentComponent
        ContentView {
            anchors.fill: parent
        }
    }

    function init() {
        failOnWarning(/.?/)
        fixture = ShellTest.fixture()
    }
    function cleanup() {
        fixture = null
    }

    function focused() {
        return test.Window.activeFocusItem
    }
    // Presses `key` until `accept` holds for the item with the keyboard;
    // every stop shows where the keyboard is.
    function pressUntil(key, modifiers, accept, what) {
        for (let i = 0; i < 40; ++i) {
            const item = focused()
            if (item && accept(item))
                return item
            keyClick(key, modifiers)
            const now = focused()
            verify(now, "nothing has the keyboard on the way to " + what)
            if (now.visualFocus !== undefined)
                verify(now.visualFocus, (now.objectName || now) + " shows no focus ring")
        }
        fail(what + " is out of the keyboard's reach")
    }
    function tabTo(name) {
        return pressUntil(Qt.Key_Tab, Qt.NoModifier, item => item.objectName === name, name)
    }
    // Down through an open menu to the entry of that text, and Return.
    function choose(menu, text) {
        tryVerify(() => menu.opened)
        for (let i = 0; i < menu.count + 1; ++i) {
            keyClick(Qt.Key_Down)
            const item = menu.itemAt(menu.currentIndex)
            if (item && item.text === text) {
                keyClick(Qt.Key_Return)
                return
            }
        }
        fail(text + " is not in the menu")
    }
    function test_everyStepByKeyboardAlone() {
        fixture.publish(["Alpha", "Bravo", "Charlie"])
        fixture.makeFolder("Work")
        const content = createTemporaryObject(contentComponent, test, {
            "viewModel": fixture.viewModel, "workspaceManager": fixture.workspaceManager,
            "deskTools": fixture.deskTools, "uninstallerServices": fixture.uninstallerServices })
        verify(content)
        const sidebar = findChild(content, "sidebarView")
        const grid = findChild(content, "appGridView")
        tryVerify(() => grid.toolbar.searchField.activeFocus)
        tryVerify(() => findChild(content, "windowTools").status === Loader.Ready)

        // The sidebar: Tab to its list, Down to the folder, Return selects it.
        pressUntil(Qt.Key_Tab, Qt.NoModifier, item => item.title === "All Apps", "the sidebar's list")
        const row = pressUntil(Qt.Key_Down, Qt.NoModifier, item => item.objectName === "folderRow:Work", "the folder")
        keyClick(Qt.Key_Space)
        compare(fixture.viewModel.selectionTitle, "Work")

        // A new selection hands the keyboard to the search field; Shift+Tab
        // is back on the folder, the list's one stop. Its menu by the Menu
        // key; "Rename", a new name and Return.
        tryVerify(() => grid.toolbar.searchField.activeFocus)
        pressUntil(Qt.Key_Tab, Qt.ShiftModifier, item => item === row, "the folder again")
        keyClick(Qt.Key_Menu)
        choose(findChild(sidebar, "folderMenu"), "Rename")
        const sheet = findChild(sidebar, "editFolderSheet")
        tryVerify(() => sheet.opened)
        tryVerify(() => focused() && focused().objectName === "customizerNameField")
        keyClick(Qt.Key_A, Qt.ControlModifier)
        for (const c of "Tools")
            keyClick(c)
        keyClick(Qt.Key_Return)
        tryVerify(() => !sheet.visible)
        compare(fixture.folderNames(), ["Tools"])
        tryVerify(() => focused() && focused().objectName === "folderRow:Tools")

        // The empty folder's own "Add Apps" (not the toolbar's), a cell
        // marked by Space, Return for Done: the button went with the empty
        // folder, and the keyboard lands on the folder's tiles.
        pressUntil(Qt.Key_Tab, Qt.NoModifier,
                   item => item.objectName === "addAppsButton" && item.focusRingRadius !== undefined, "the folder's Add Apps")
        keyClick(Qt.Key_Space)
        const picker = findChild(grid, "appPickerSheet")
        tryVerify(() => picker.opened)
        tryVerify(() => focused() && focused().objectName === "pickerSearchField")
        // Its cells come with the sheet's first layout; a Tab before then
        // goes on to Done.
        tryVerify(() => findChild(findChild(picker, "pickerGrid"), "pickerCell"))
        keyClick(Qt.Key_Tab)
        keyClick(Qt.Key_Space)
        keyClick(Qt.Key_Return)
        tryVerify(() => !picker.visible)
        compare(fixture.folderMembers("Tools"), ["Alpha"])
        tryVerify(() => focused() && focused().objectName === "appTile" && focused().name === "Alpha")

        // Each desk tool by Tab and Space; Escape closes it and the keyboard
        // is back on its button.
        for (let i = 0; i < 5; ++i) {
            const button = tabTo("deskToolButton" + i)
            keyClick(Qt.Key_Space)
            tryVerify(() => grid.toolbar.controller.openDeskTools[i] === true, 5000, "desk tool " + i)
            const popover = findChild(button, "deskToolPopover" + i)
            tryVerify(() => popover && popover.opened)
            keyClick(Qt.Key_Escape)
            tryVerify(() => !popover.visible)
            tryVerify(() => button.activeFocus && button.visualFocus)
        }

        // The tile's menu by Shift+F10, "Uninstall App…", and Return on
        // "Move to Trash": the bundle is gone.
        const tile = pressUntil(Qt.Key_Tab, Qt.NoModifier, item => item.objectName === "appTile", "the tiles")
        keyClick(Qt.Key_F10, Qt.ShiftModifier)
        tryVerify(() => tile.openedMenu !== null)
        choose(tile.openedMenu, "Uninstall App\u2026")
        const uninstall = findChild(grid, "uninstallerSheet")
        tryVerify(() => uninstall.opened)
        const view = uninstall.contentItem.item
        tryVerify(() => findChild(view, "moveToTrashButton") && findChild(view, "moveToTrashButton").enabled, 5000)
        tabTo("moveToTrashButton")
        keyClick(Qt.Key_Return)
        tryVerify(() => focused() && focused().objectName === "doneButton", 5000)
        keyClick(Qt.Key_Return)
        tryVerify(() => !uninstall.visible)
        verify(!fixture.bundleExists("Alpha"))
        verify(fixture.bundleExists("Bravo"))
    }
}
