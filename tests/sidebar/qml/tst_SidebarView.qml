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
        const sidebar = createTemporaryObject(sidebarComponent, testCase, { viewModel: fixture.viewModel })
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
        mouseClick(row)
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
}
