import QtQuick
import QtQuick.Controls
import QtTest
import Brimlark.Grid
import Brimlark.Uninstaller

TestCase {
    id: test
    name: "AppGridView"
    when: windowShown
    visible: true
    width: 1200
    height: 800

    property var fixture

    Component {
        id: gridComponent
        AppGridView {
            anchors.fill: parent
            uninstallerSheet: Component {
                AppUninstallerView {}
            }
        }
    }

    function init() {
        failOnWarning(/.?/)
        fixture = GridTest.fixture()
    }

    function cleanup() {
        fixture = null
    }

    function makeGrid() {
        const grid = createTemporaryObject(gridComponent, test, { "viewModel": fixture.viewModel })
        verify(grid)
        return grid
    }

    function layoutItem(grid) {
        const loader = findChild(grid, "gridLayout")
        return loader ? loader.item : null
    }

    function tileNames(view) {
        waitForItemPolished(view)
        const out = []
        for (let i = 0; i < view.count; ++i) {
            const cell = view.itemAtIndex(i)
            if (cell)
                out.push(cell.app.name)
        }
        return out
    }

    function test_theFirstScanShowsTheLoadingScreen() {
        fixture.beginScan()
        const grid = makeGrid()
        // Not before the window's next frame: it fades in from nothing.
        compare(grid.pane.item, null)
        tryVerify(() => grid.pane.item && grid.pane.item.objectName === "loadingView")
        fixture.publish(["Alpha", "Bravo"])
        compare(grid.pane.item.objectName, "gridContent")
        fixture.beginScan()
        compare(grid.pane.item.objectName, "gridContent")
    }

    // A scan that ends before that frame leaves the content alone.
    function test_aScanEndedBeforeTheNextFrameMakesNoLoadingScreen() {
        fixture.beginScan()
        const grid = makeGrid()
        fixture.publish(["Alpha"])
        tryVerify(() => grid.pane.framed)
        compare(grid.pane.item.objectName, "gridContent")
    }

    // A pasted line break is a space in the one-line search.
    function test_aPastedLineBreakSearchesAsASpace() {
        fixture.publish(["New Document", "Newsreader"])
        const grid = makeGrid()
        const field = grid.toolbar.searchField
        tryVerify(() => field.activeFocus)
        GridTest.setClipboardText("New\nDocument")
        field.paste()
        compare(fixture.viewModel.searchQuery, "New Document")
        compare(tileNames(layoutItem(grid)), ["New Document"])
        compare(field.text, "New Document")
    }

    function test_showsTheFilteredApplicationsAsTilesAndSearchNarrowsThem() {
        fixture.publish(["Delta", "Alpha", "Charlie", "Bravo"])
        const grid = makeGrid()
        const tiles = layoutItem(grid)
        compare(tiles.objectName, "appTileGrid")
        compare(tileNames(tiles), ["Alpha", "Bravo", "Charlie", "Delta"])
        for (const [query, names] of [["a", ["Alpha", "Bravo", "Charlie", "Delta"]], ["ha", ["Alpha", "Charlie"]],
                                      ["rav", ["Bravo"]]]) {
            fixture.viewModel.searchQuery = query
            compare(tileNames(tiles), names, query)
        }
        // Narrowing keeps the grid: only its rows change.
        compare(layoutItem(grid), tiles)
        fixture.viewModel.searchQuery = ""
        compare(tiles.count, 4)
        compare(grid.navigationTitle, "All Apps")
    }

    function test_typingRebindsTheTilesOnScreen() {
        fixture.publish(["Delta", "Alpha", "Charlie", "Bravo"])
        const tiles = layoutItem(makeGrid())
        waitForItemPolished(tiles)
        const cells = [0, 1].map(i => tiles.itemAtIndex(i))
        const menu = cells[1].tile.openMenu()
        const check = (names) => {
            compare(tileNames(tiles), names)
            for (let i = 0; i < names.length; ++i) {
                const tile = tiles.itemAtIndex(i).tile
                compare(tile.nameItem.text, names[i])
                compare(tile.controller.app.name, names[i])
                compare(tile.iconItem.source, tiles.model.data(tiles.model.index(i, 0), AppTileModel.IconSourceRole))
            }
        }
        fixture.viewModel.searchQuery = "ha"
        check(["Alpha", "Charlie"])
        compare([0, 1].map(i => tiles.itemAtIndex(i)), cells)
        // The menu was Bravo's: it closes rather than act on Charlie.
        tryCompare(cells[1].tile, "openedMenu", null)
        verify(!menu || !menu.visible)
        fixture.viewModel.searchQuery = ""
        check(["Alpha", "Bravo", "Charlie", "Delta"])
        compare([0, 1].map(i => tiles.itemAtIndex(i)), cells)
    }

    function test_theColumnsFitThePane() {
        fixture.publish(["Alpha", "Bravo", "Charlie"])
        const grid = makeGrid()
        const tiles = layoutItem(grid)
        compare(grid.controller.appColumns.count, 7)
        // 7 columns of 134.86 points and 6 gaps of 32 fill 1136 points.
        fuzzyCompare(tiles.columnWidth, 134.857, 0.01)
        fuzzyCompare(tiles.columnStep, 166.857, 0.01)
        // A tile is 126 points wide, centred in its column.
        const tileX = (i) => tiles.itemAtIndex(i).children[0].mapToItem(grid, 0, 0).x
        fuzzyCompare(tileX(0), 32 + (134.857 - 126) / 2, 0.01)
        grid.anchors.fill = undefined
        grid.width = 580
        compare(grid.controller.appColumns.count, 3)
        waitForItemPolished(tiles)
        // Three columns of 140 with two gaps of 24 stand centred in 516.
        fuzzyCompare(tileX(0), 32 + (516 - 468) / 2 + 7, 0.01)
        fuzzyCompare(tileX(2), 32 + (516 - 468) / 2 + 2 * 164 + 7, 0.01)
    }

    function test_aNewSectionRebuildsTheContent() {
        fixture.publish(["Alpha", "Bravo"])
        const grid = makeGrid()
        const before = layoutItem(grid)
        fixture.selectSection("favorites")
        const after = layoutItem(grid)
        verify(after !== before)
        compare(after.count, 0)
        compare(grid.navigationTitle, "Favorites")
    }

    function test_anEmptyFolderInvitesToAddApplications() {
        fixture.publish(["Alpha"])
        fixture.makeFolder("Empty", [])
        fixture.selectFolder("Empty")
        const grid = makeGrid()
        const empty = layoutItem(grid)
        compare(empty.objectName, "emptyFolderView")
        compare(empty.folder.name, "Empty")
        mouseClick(findChild(empty, "addAppsButton"))
        compare(fixture.appPickerFolderName(), "Empty")
        const sheet = findChild(grid, "appPickerSheet")
        tryCompare(sheet, "opened", true)
        keyClick(Qt.Key_Escape)
        tryVerify(() => fixture.appPickerFolderName() === "")
    }

    function test_folderTilesAreTheFoldersAndRemovalEmptiesIt() {
        fixture.publish(["Alpha", "Bravo"])
        fixture.makeFolder("Work", ["Bravo"])
        fixture.selectFolder("Work")
        const grid = makeGrid()
        const tiles = layoutItem(grid)
        compare(tileNames(tiles), ["Bravo"])
        verify(tiles.folderFlag)
        const menu = tiles.itemAtIndex(0).children[0].openMenu()
        menu.itemAt(6).triggered()
        menu.close()
        compare(layoutItem(grid).objectName, "emptyFolderView")
    }

    function test_theUninstallerSheetOpensForTheChosenApplication() {
        fixture.publish(["Alpha"])
        const grid = makeGrid()
        fixture.askToUninstall("Alpha")
        const sheet = findChild(grid, "uninstallerSheet")
        tryCompare(sheet, "opened", true)
        const view = sheet.contentItem.item
        compare(view.objectName, "appUninstallerView")
        compare(view.app.name, "Alpha")
        view.dismiss()
        compare(fixture.appToUninstallName(), "")
        tryCompare(sheet, "visible", false)
    }

    function test_choosingASortOptionClosesTheMenuAndSorts() {
        fixture.publish(["Alpha", "Beta"])
        const grid = makeGrid()
        const menu = findChild(grid, "sortMenu")
        menu.open()
        tryCompare(menu, "opened", true)
        const zToA = findChild(menu.contentItem, "sortOption1")
        waitForItemPolished(menu.contentItem)
        mouseClick(zToA)
        tryCompare(menu, "visible", false)
        compare(tileNames(layoutItem(grid)), ["Beta", "Alpha"])
    }

    function test_theOverlayShowsAnOpenedCategoryAndClosesOnTheBackdrop() {
        fixture.publish(["Alpha"])
        const grid = makeGrid()
        grid.controller.expandedCategoryName = "Utilities"
        const overlay = findChild(grid, "gridOverlay")
        verify(overlay.active)
        compare(overlay.item.categoryName, "Utilities")
        compare(overlay.item.apps.length, 1)
        mouseClick(overlay.item, 10, 10)
        // It fades out first, then goes.
        verify(overlay.active)
        fixture.advance(200)
        verify(!overlay.active)
        compare(grid.controller.expandedCategoryName, undefined)
    }

    // Every item below item (itself included) with the object name.
    function itemsNamed(item, name, out) {
        if (item.objectName === name)
            out.push(item)
        for (let i = 0; i < item.children.length; ++i)
            itemsNamed(item.children[i], name, out)
        return out
    }

    // A grid whose hidden section is locked and chosen.
    function lockedHiddenGrid() {
        const grid = makeGrid()
        verify(fixture.setPassword("pw"))
        fixture.viewModel.hiddenItemsLock.lock()
        fixture.selectSection("hidden")
        return grid
    }

    function test_unlockingWithReturnLeavesTheSearchFieldTyping() {
        fixture.publish(["Alpha", "Bravo"])
        const grid = lockedHiddenGrid()
        compare(grid.pane.item.objectName, "unlockHiddenView")
        const password = findChild(grid.pane.item, "unlockPasswordField")
        tryVerify(() => password.activeFocus)
        keyClick(Qt.Key_P)
        keyClick(Qt.Key_W)
        keyClick(Qt.Key_Return)
        tryVerify(() => fixture.viewModel.hiddenItemsLock.isUnlocked)
        tryVerify(() => grid.toolbar.searchField.activeFocus)
        keyClick(Qt.Key_Z)
        compare(fixture.viewModel.searchQuery, "z")
    }

    // Another section chosen while the unlock screen's field holds the
    // keyboard: that field goes with its screen, so the search field takes
    // the keys.
    function test_leavingTheUnlockScreenFocusesTheSearchField() {
        fixture.publish(["Alpha", "Bravo"])
        const grid = lockedHiddenGrid()
        const field = findChild(grid.pane.item, "unlockPasswordField")
        mouseClick(field)
        tryVerify(() => field.activeFocus)
        // The search field has reported that it let the keyboard go.
        tryVerify(() => !grid.toolbar.controller.isSearchFocused)
        fixture.selectSection("favorites")
        tryVerify(() => grid.toolbar.searchField.activeFocus)
        keyClick(Qt.Key_Z)
        compare(fixture.viewModel.searchQuery, "z")
    }

    function test_theHiddenSectionMakesOnlyTheTilesInView() {
        const names = fixture.manyNames(600)
        fixture.publish(names)
        fixture.hideApps(names)
        fixture.makeFolder("Secret", ["App 0001"])
        fixture.hideFolder("Secret")
        fixture.selectSection("hidden")
        verify(fixture.setPassword("pw"))
        const grid = makeGrid()
        const section = layoutItem(grid)
        compare(section.objectName, "hiddenSectionView")
        compare(section.count, 600)
        waitForItemPolished(section)
        const made = itemsNamed(section, "appTile", []).length
        verify(made > 0 && made < 100, "tiles made: " + made)
        // Scrolling far makes the tiles there, reusing the ones that left.
        section.contentY = section.contentHeight / 2
        waitForItemPolished(section)
        verify(itemsNamed(section, "appTile", []).length < 150)
        // A change elsewhere keeps the hidden folder's card, built again at the top.
        section.contentY = section.originY
        waitForItemPolished(section)
        const card = findChild(findChild(section, "hiddenFolders"), "categoryCard")
        verify(card)
        fixture.makeFolder("Other", [])
        compare(findChild(findChild(section, "hiddenFolders"), "categoryCard"), card)
    }

    // 150 folders: the unified grid and the hidden section build the cards
    // of the rows in view and of the next row only, at the top and wherever
    // the view is scrolled to.
    function test_onlyTheRowsOfCardsInViewAreBuilt_data() {
        return [
            { tag: "unified grid", hidden: false },
            { tag: "hidden section", hidden: true },
        ]
    }

    function test_onlyTheRowsOfCardsInViewAreBuilt(data) {
        fixture.publishIn(["Alpha"], ["Utilities"])
        for (let i = 0; i < 150; ++i) {
            fixture.makeFolder("Folder " + i, [])
            if (data.hidden)
                fixture.hideFolder("Folder " + i)
        }
        if (data.hidden) {
            fixture.selectSection("hidden")
            verify(fixture.setPassword("pw"))
        } else {
            fixture.selectSection("allApps")
            fixture.setSortOption("Category")
        }
        const view = layoutItem(makeGrid())
        const check = () => {
            waitForItemPolished(view)
            // Cards of rows scrolled away linger until the event loop deletes them.
            wait(0)
            const built = itemsNamed(view, "categoryCard", [])
            const shown = built.filter(c => c.visible)
            const columns = new Set(shown.map(c => Math.round(c.mapToItem(view, 0, 0).x))).size
            verify(shown.length > 0)
            verify(built.length - shown.length <= columns, built.length + " built, " + shown.length + " in view")
        }
        check()
        view.contentY = view.originY + (view.contentHeight - view.height) / 2
        check()
        verify(itemsNamed(view, "categoryCard", []).some(c => c.visible && c.controller.title === "Folder 75"))
    }

    function test_aKeystrokeAfterScrollingToTheEndMakesNoTile() {
        fixture.publish(fixture.manyNames(2000))
        const tiles = layoutItem(makeGrid())
        waitForItemPolished(tiles)
        tiles.positionViewAtEnd()
        waitForItemPolished(tiles)
        let added = 0
        const count = () => ++added
        tiles.contentItem.childrenChanged.connect(count)
        // App 1000 to App 1999: the list now ends above where the view stood.
        fixture.viewModel.searchQuery = "App 1"
        waitForItemPolished(tiles)
        tiles.contentItem.childrenChanged.disconnect(count)
        // The tiles it had are enough: it makes none.
        compare(added, 0, "tiles made")
        // The view ends where the shorter list ends, as before.
        fuzzyCompare(tiles.contentY + tiles.height, tiles.contentHeight + tiles.originY + tiles.bottomMargin, 1)
        compare(tiles.itemAtIndex(999).app.name, "App 1999")
        verify(tiles.itemAtIndex(999).visible)
    }

    function test_aLongPanelTitleStaysClearOfTheCloseButton() {
        fixture.publishIn(["Alpha"], ["An Extraordinarily Long Category Name That Would Run Under The Close Button"])
        const grid = makeGrid()
        grid.controller.expandedCategoryName = "An Extraordinarily Long Category Name That Would Run Under The Close Button"
        const panel = findChild(grid, "categoryPanel")
        const title = findChild(panel, "panelTitle")
        const close = findChild(panel, "panelCloseButton")
        waitForItemPolished(panel)
        const titleRight = title.mapToItem(panel, title.width, 0).x
        const titleLeft = title.mapToItem(panel, 0, 0).x
        verify(titleRight <= close.x, titleRight + " > " + close.x)
        // Still centred in the panel.
        fuzzyCompare(titleLeft, panel.width - titleRight, 0.5)
        verify(title.truncated || title.lineCount === 1)
    }
}
