import QtQuick
import QtTest
import Brimlark.Sidebar

SidebarTestCase {
    name: "SidebarView"
    width: 400
    height: 700

    function test_libraryRowsSelectSections() {
        const t = makeSidebar()
        for (const title of ["All Apps", "Newly Added", "Recent Apps", "Favorites", "Hidden Apps"])
            verify(rowNamed(t.sidebar, title) !== null, title)
        mouseClick(rowNamed(t.sidebar, "Favorites"))
        compare(t.fixture.selectionKind(), 2)
        verify(rowNamed(t.sidebar, "Favorites").selected)
        verify(!rowNamed(t.sidebar, "All Apps").selected)
    }

    // The named sheet, shown, and its name field once it has the keyboard;
    // with a name, Return on the empty field does nothing, then it is typed.
    function nameSheet(t, sheetName, name) {
        const sheet = findChild(t.sidebar, sheetName)
        settled(sheet)
        const field = findChild(sheet.contentItem, "customizerNameField")
        tryVerify(() => field.activeFocus)
        if (name) {
            keyClick(Qt.Key_Return)
            verify(sheet.visible)
            for (const c of name)
                keyClick(c)
        }
        return { sheet: sheet, field: field }
    }

    function test_newFolderSheetCreatesAFolderRow() {
        const t = makeSidebar()
        verify(rowNamed(t.sidebar, "New Folder") !== null)
        mouseClick(rowNamed(t.sidebar, "New Folder"))
        const sheet = nameSheet(t, "createFolderSheet", "Work").sheet
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
        t.sidebar.controller.triggerMenu(SidebarController.FolderAction.changeColor, folder)
        const popover = findChild(t.sidebar, "colorPopover")
        settled(popover)
        const wheel = findChild(popover.contentItem, "colorWheel")
        mousePress(wheel, 139, 70)
        mouseMove(wheel, 70, 139)
        mouseRelease(wheel, 70, 139)
        verify(popover.visible)
        const stored = popover.contentItem.item.picker.folderColor
        verify(stored !== "#336699")
        compare(rowNamed(t.sidebar, "Work").tint, Qt.color(stored))
    }

    function test_workspaceSwitcherCreatesSwitchesAndEdits() {
        const t = makeSidebar()
        const button = findChild(t.sidebar, "workspaceMenuButton")
        compare(button.Accessible.name, "Default")
        const switcher = findChild(t.sidebar, "workspaceSwitcher")
        menuClick(findChild(openWorkspaceMenu(t).contentItem, "createWorkspaceItem"))
        const { sheet, field } = nameSheet(t, "createWorkspaceSheet", "Play")
        mouseClick(rowNamed(sheet.contentItem, "color:Red"))
        mouseClick(rowNamed(sheet.contentItem, "icon:atom"))
        tryVerify(() => field.activeFocus)
        keyClick(Qt.Key_Return) // Return in the field creates
        tryVerify(() => !sheet.visible)
        compare(t.fixture.workspaceNames(), ["Default", "Play"])
        compare(button.Accessible.name, "Play")

        // Back to the first one from the menu.
        tryVerify(() => switcher.menu === null)
        const row = findChild(openWorkspaceMenu(t).contentItem, "workspaceRow:Default")
        verify(row !== null)
        menuClick(row)
        tryVerify(() => button.Accessible.name === "Default")

        // Escape in the edit sheet's field writes nothing.
        t.sidebar.controller.beginEditWorkspace(t.sidebar.controller.workspaceRows[1].idText)
        const edit = nameSheet(t, "editWorkspaceSheet")
        compare(edit.field.text, "Play")
        keyClick("s")
        keyClick(Qt.Key_Escape)
        tryVerify(() => !edit.sheet.visible)
        compare(t.fixture.workspaceNames(), ["Default", "Play"])
    }
    function makeFolders(fixture, names) {
        for (const n of names)
            fixture.makeFolder(n, "")
    }

    // A root folder dragged at a hand's pace (a pixel or two per event, as a
    // pointer moves) lands where it is dropped, and the drop marker goes.
    // The secondary button never drags.
    function test_thirdRootFolderDraggedToTheTop_data() {
        return [
            { tag: "primary button", button: Qt.LeftButton, order: ["C", "A", "B", "D"] },
            { tag: "secondary button", button: Qt.RightButton, order: ["A", "B", "C", "D"] },
        ]
    }

    function test_thirdRootFolderDraggedToTheTop(data) {
        const t = makeSidebar()
        makeFolders(t.fixture, ["A", "B", "C", "D"])
        const from = rowNamed(t.sidebar, "C")
        const to = rowNamed(t.sidebar, "A")
        const marker = findChild(t.sidebar, "dropMarker")
        const x = from.width / 2
        let y = from.height / 2
        mousePress(from, x, y, data.button)
        const target = to.mapToItem(from, x, 4).y
        let markerSeen = false
        while (y > target) {
            y = Math.max(target, y - 2)
            mouseMove(from, x, y, 16, data.button)
            markerSeen = markerSeen || marker.visible
        }
        compare(markerSeen, data.button === Qt.LeftButton)
        mouseRelease(from, x, y, data.button)
        compare(t.fixture.folderNames(), data.order)
        verify(!marker.visible)
    }

    // Child folders are indented twelve points a level. Deleting a folder
    // (the alert offers "Cancel", then "Delete") keeps its child folders stored; they show again among the root
    // folders instead of dropping out of sight.
    function test_childFoldersIndentByLevelAndOutliveTheirParent() {
        const t = makeSidebar()
        t.fixture.makeFolder("Work", "")
        t.fixture.makeFolder("Docs", "Work")
        t.fixture.makeFolder("Old", "Docs")
        const lead = name => findChild(rowNamed(t.sidebar, name), "rowContent").x
        compare(lead("Docs") - lead("Work"), 12)
        compare(lead("Old") - lead("Work"), 24)

        menuClick(rowNamed(openFolderMenu(t, "Work").contentItem, "Delete"))
        const alert = findChild(t.sidebar, "deleteFolderAlert")
        settled(alert)
        compare(findChild(alert.contentItem, "deleteAlertMessage").text, "Are you sure you want to delete 'Work'? This action cannot be undone.")
        // "Cancel" comes before "Delete", and deletes nothing.
        const x = name => findChild(alert, name).mapToItem(null, 0, 0).x
        verify(x("deleteCancelButton") < x("deleteConfirmButton"))
        mouseClick(findChild(alert, "deleteCancelButton"))
        tryVerify(() => !alert.visible)
        compare(t.fixture.folderNames(), ["Work"])
        menuClick(rowNamed(openFolderMenu(t, "Work").contentItem, "Delete"))
        settled(alert)
        mouseClick(findChild(alert, "deleteConfirmButton"))
        tryVerify(() => !alert.visible)
        compare(t.fixture.folderNames(), ["Docs"])
        const docs = rowNamed(t.sidebar, "Docs")
        verify(docs !== null)
        compare(docs.depth, 0)
        verify(rowNamed(t.sidebar, "Old") !== null)
        compare(lead("Old") - lead("Docs"), 12)
    }

    // A folder nested deeper than the sidebar is wide keeps its name in view.
    function test_aDeeplyNestedFolderKeepsItsName() {
        const t = makeSidebar()
        let parent = ""
        for (let i = 0; i < 20; ++i) {
            t.fixture.makeFolder("Level " + i, parent)
            parent = "Level " + i
        }
        const row = rowNamed(t.sidebar, "Level 19")
        const content = findChild(row, "rowContent")
        const label = content.children[1]
        verify(label.width >= 60, "label width " + label.width)
        verify(content.x + label.x + label.width <= row.width)
    }

    // The folder menu's divider is drawn between "Change Icon..." and "Delete".
    function test_folderMenuDrawsItsDivider() {
        const t = makeSidebar()
        t.fixture.makeFolder("Work", "")
        const menu = openFolderMenu(t, "Work")
        const divider = findChild(menu.contentItem, "folderMenuDivider")
        verify(divider !== null)
        verify(divider.visible && divider.height > 0)
        const icon = rowNamed(menu.contentItem, "Change Icon...")
        const del = rowNamed(menu.contentItem, "Delete")
        const top = item => item.mapToItem(null, 0, 0).y
        verify(top(divider) >= top(icon) + icon.height && top(divider) + divider.height <= top(del),
               [top(icon), icon.height, top(divider), divider.height, top(del)].join(" "))
        menu.close()
    }

    // With many folders the sidebar shows a scroll bar along its right edge.
    function test_sidebarScrollBarRunsAlongTheRightEdge() {
        const t = makeSidebar()
        const names = []
        for (let i = 0; i < 60; ++i)
            names.push("F" + i)
        makeFolders(t.fixture, names)
        const bar = findChild(t.sidebar, "sidebarScrollBar")
        verify(bar !== null)
        const scroll = bar.parent
        tryVerify(() => bar.size > 0 && bar.size < 1)
        verify(bar.height > scroll.height / 2, "height " + bar.height)
        compare(bar.x + bar.width, scroll.width)
    }

    function visibleText(root, text) {
        return descendants(root, i => i.text === text && i.clicked === undefined && i.length === undefined, true)[0] || null
    }

    // The name field keeps the focus it takes on opening and still shows
    // its placeholder while empty.
    function test_nameFieldShowsItsPlaceholderWhileFocused_data() {
        return [
            { tag: "folder", open: c => c.newFolder(), sheet: "createFolderSheet", placeholder: "Folder Name" },
            { tag: "workspace", open: c => c.beginCreateWorkspace(), sheet: "createWorkspaceSheet", placeholder: "Workspace Name" },
        ]
    }
    function test_nameFieldShowsItsPlaceholderWhileFocused(data) {
        const t = makeSidebar()
        data.open(t.sidebar.controller)
        const { sheet, field } = nameSheet(t, data.sheet)
        verify(visibleText(field.parent, data.placeholder) !== null)
        compare(field.Accessible.name, data.placeholder)
        keyClick("x")
        verify(visibleText(field.parent, data.placeholder) === null)
        keyClick(Qt.Key_Escape)
        tryVerify(() => !sheet.visible)
    }

    // Text written into the name field by assistive technology reaches the
    // sheet like typed text: "Create" acts on it, and "Cancel" clears it.
    function test_nameWrittenThroughAccessibilityCountsAsTyped() {
        const t = makeSidebar()
        for (const [name, button] of [["Spoken", "Create"], ["Dropped", "Cancel"], ["", ""]]) {
            mouseClick(rowNamed(t.sidebar, "New Folder"))
            const { sheet, field } = nameSheet(t, "createFolderSheet")
            compare(field.text, "")
            if (name) {
                verify(SidebarTest.writeAccessibleText(field, name))
                compare(field.text, name)
                mouseClick(rowNamed(sheet.contentItem, button))
            } else {
                keyClick(Qt.Key_Escape)
            }
            tryVerify(() => !sheet.visible)
            compare(t.fixture.folderNames(), ["Spoken"])
        }
    }
}
