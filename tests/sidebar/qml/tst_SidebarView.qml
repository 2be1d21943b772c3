import QtQuick
import QtTest
import Brimlark.Sidebar

TestCase {
    id: testCase
    name: "SidebarView"
    when: windowShown
    visible: true
    width: 400
    height: 700

    Component {
        id: sidebarComponent
        SidebarView { width: 240; height: 700 }
    }

    function init() {
        failOnWarning(/.?/)
    }

    function makeSidebar() {
        const fixture = SidebarTest.fixture()
        const sidebar = createTemporaryObject(sidebarComponent, testCase, { viewModel: fixture.viewModel, workspaceManager: fixture.workspaceManager })
        return { fixture: fixture, sidebar: sidebar }
    }

    function rowNamed(root, name) {
        const stack = [root]
        while (stack.length) {
            const item = stack.pop()
            if (item.visible && (item.title === name || item.objectName === name || (item.text === name && item.clicked !== undefined)))
                return item
            for (let i = 0; i < item.children.length; ++i)
                stack.push(item.children[i])
        }
        return null
    }

    function test_libraryRowsSelectSections() {
        const t = makeSidebar()
        for (const title of ["All Apps", "Newly Added", "Recent Apps", "Favorites", "Hidden Apps"])
            verify(rowNamed(t.sidebar, title) !== null, title)
        mouseClick(rowNamed(t.sidebar, "Favorites"))
        compare(t.fixture.selectionKind(), 2)
        verify(rowNamed(t.sidebar, "Favorites").selected)
        verify(!rowNamed(t.sidebar, "All Apps").selected)
    }

    function test_newFolderSheetCreatesAFolderRow() {
        const t = makeSidebar()
        verify(rowNamed(t.sidebar, "New Folder") !== null)
        mouseClick(rowNamed(t.sidebar, "New Folder"))
        const sheet = findChild(t.sidebar, "createFolderSheet")
        tryVerify(() => sheet.opened)
        const field = findChild(sheet.contentItem, "customizerNameField")
        tryVerify(() => field.activeFocus)
        keyClick(Qt.Key_Return) // empty name: nothing happens
        verify(sheet.visible)
        for (const c of "Work")
            keyClick(c)
        mouseClick(rowNamed(sheet.contentItem, "icon:tag.fill"))
        mouseClick(rowNamed(sheet.contentItem, "Create"))
        tryVerify(() => !sheet.visible)
        compare(t.fixture.folderNames(), ["Work"])
        const row = rowNamed(t.sidebar, "Work")
        verify(row !== null)
        compare(row.symbol, "tag.fill")
        menuClick(row)
        compare(t.fixture.selectionKind(), 3)
    }

    function test_colourPickerSurvivesItsOwnStores() {
        const t = makeSidebar()
        const folder = t.fixture.makeFolder("Work", "")
        t.sidebar.controller.triggerMenu("color", folder)
        const popover = findChild(t.sidebar, "colorPopover")
        tryVerify(() => popover.opened)
        const wheel = findChild(popover.contentItem, "colorWheel")
        mousePress(wheel, 139, 70)
        mouseMove(wheel, 70, 139)
        mouseRelease(wheel, 70, 139)
        verify(popover.visible)
        const stored = popover.contentItem.item.picker.folderColor
        verify(stored !== "#336699")
        compare(rowNamed(t.sidebar, "Work").tint, Qt.color(stored))
    }

    // A menu row clicked right after the click that opened the menu would
    // arrive as a double click.
    function menuClick(item) {
        mouseClick(item, item.width / 2, item.height / 2, Qt.LeftButton, Qt.NoModifier, Qt.styleHints.mouseDoubleClickInterval + 50)
    }

    function test_workspaceSwitcherCreatesSwitchesAndEdits() {
        const t = makeSidebar()
        const button = findChild(t.sidebar, "workspaceMenuButton")
        compare(button.Accessible.name, "Default")
        const switcher = findChild(t.sidebar, "workspaceSwitcher")
        mouseClick(button)
        tryVerify(() => switcher.menu && switcher.menu.opened)
        menuClick(findChild(switcher.menu.contentItem, "createWorkspaceItem"))
        const sheet = findChild(t.sidebar, "createWorkspaceSheet")
        tryVerify(() => sheet.opened)
        const field = findChild(sheet.contentItem, "customizerNameField")
        tryVerify(() => field.activeFocus)
        keyClick(Qt.Key_Return) // empty name: nothing happens
        verify(sheet.visible)
        for (const c of "Play")
            keyClick(c)
        mouseClick(rowNamed(sheet.contentItem, "color:Red"))
        mouseClick(rowNamed(sheet.contentItem, "icon:atom"))
        tryVerify(() => field.activeFocus)
        keyClick(Qt.Key_Return) // Return in the field creates
        tryVerify(() => !sheet.visible)
        compare(t.fixture.workspaceNames(), ["Default", "Play"])
        compare(button.Accessible.name, "Play")

        // Back to the first one from the menu.
        tryVerify(() => switcher.menu === null)
        mouseClick(button)
        tryVerify(() => switcher.menu && switcher.menu.opened)
        const row = findChild(switcher.menu.contentItem, "workspaceRow:Default")
        verify(row !== null)
        menuClick(row)
        tryVerify(() => button.Accessible.name === "Default")

        // Escape in the edit sheet's field writes nothing.
        t.sidebar.controller.beginEditWorkspace(t.sidebar.controller.workspaceRows[1].id)
        const edit = findChild(t.sidebar, "editWorkspaceSheet")
        tryVerify(() => edit.opened)
        const editField = findChild(edit.contentItem, "customizerNameField")
        compare(editField.text, "Play")
        tryVerify(() => editField.activeFocus)
        keyClick("s")
        keyClick(Qt.Key_Escape)
        tryVerify(() => !edit.visible)
        compare(t.fixture.workspaceNames(), ["Default", "Play"])
    }
}
