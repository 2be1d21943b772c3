import QtQuick
import QtQuick.Controls
import QtTest
import Brimlark.Grid

TestCase {
    id: test
    name: "AppItemView"
    when: windowShown
    visible: true
    width: 400
    height: 400

    property var fixture

    Component {
        id: tileComponent
        AppItemView {}
    }

    function init() {
        failOnWarning(/.?/)
        fixture = GridTest.fixture()
        fixture.publish(["Alpha", "Bravo"])
    }

    function cleanup() {
        fixture = null
    }

    function makeTile(name) {
        const tile = createTemporaryObject(tileComponent, test, {
            "app": fixture.appNamed(name),
            "viewModel": fixture.viewModel
        })
        verify(tile)
        return tile
    }

    function menuTexts(menu) {
        const out = []
        for (let i = 0; i < menu.count; ++i) {
            const item = menu.itemAt(i)
            if (item instanceof MenuSeparator)
                out.push("-")
            else if (item.subMenu)
                out.push(">" + item.subMenu.title + ":" + item.subMenu.count)
            else
                out.push(item.text)
        }
        return out
    }

    function test_showsTheNameVerbatimUnderTheIcon() {
        fixture.publish(["<b>Bold</b> & Co"])
        const tile = makeTile("<b>Bold</b> & Co")
        compare(tile.nameItem.text, "<b>Bold</b> & Co")
        compare(tile.nameItem.textFormat, Text.PlainText)
        compare(tile.iconItem.width, 80)
        verify(tile.iconItem.source.toString().startsWith("image://appicon/"))
        verify(tile.iconItem.y < tile.nameItem.mapToItem(tile.iconItem.parent, 0, 0).y)
    }

    function test_longNamesTakeTwoLines() {
        const name = "Brimlark Extraordinarily Long Application Name That Goes On"
        fixture.publish([name])
        const tile = makeTile(name)
        tryCompare(tile.nameItem, "lineCount", 2)
        verify(tile.nameItem.truncated)
    }

    function test_theFocusRingShowsOverTheTileWhileItHasTheKeyboard() {
        const tile = makeTile("Alpha")
        verify(!findChild(tile, "tileFocusRing"))
        tile.forceActiveFocus(Qt.TabFocusReason)
        const ring = findChild(tile, "tileFocusRing")
        verify(ring && ring.visible)
        verify(ring.width > tile.iconItem.width)
        tile.focus = false
        tryVerify(() => !findChild(tile, "tileFocusRing"))
    }

    function test_theTooltipShowsTheNameVerbatim() {
        fixture.publish(["<i>Slanted</i> & Co"])
        const tile = makeTile("<i>Slanted</i> & Co")
        mouseMove(tile, tile.width / 2, tile.height / 2)
        const loader = findChild(tile, "toolTipLoader")
        tryVerify(() => loader.item !== null)
        compare(loader.item.contentItem.text, "<i>Slanted</i> & Co")
        compare(loader.item.contentItem.textFormat, Text.PlainText)
        mouseMove(test, 390, 390)
    }

    function test_folderNamesShowVerbatimAndAnEmptySubmenuIsDisabled() {
        let tile = makeTile("Alpha")
        let menu = tile.openMenu()
        tryCompare(menu, "opened", true)
        waitForItemPolished(menu.contentItem)
        // No folder yet: "Add to Folder" is shown disabled.
        verify(!menu.itemAt(6).enabled)
        menu.close()

        fixture.makeFolder("R&D", [])
        fixture.makeFolder("<i>Ideas", [])
        tile = makeTile("Bravo")
        menu = tile.openMenu()
        verify(menu.itemAt(6).enabled)
        const sub = menu.itemAt(6).subMenu
        const shown = {}
        for (let i = 0; i < sub.count; ++i) {
            const item = sub.itemAt(i)
            const text = findChild(item, "plainMenuItemText")
            compare(text.textFormat, Text.PlainText)
            shown[text.text] = item
        }
        // No "&" turns into a mnemonic, no name into markup.
        compare(shown["R&D"].text, "R&D")
        compare(shown["R&D"].Accessible.name, "R&D")
        verify(shown["<i>Ideas"] !== undefined)
        menu.close()
    }

    function test_aClickLaunchesAndDimsForThreeTenths() {
        const tile = makeTile("Alpha")
        mouseClick(tile)
        compare(fixture.launched.length, 1)
        verify(fixture.launched[0].endsWith("/Alpha.app"))
        verify(tile.isLaunching)
        tryCompare(tile.iconItem, "opacity", 0.6)
        tryCompare(tile.nameItem, "opacity", 0.5)
        fixture.advance(300)
        verify(!tile.isLaunching)
        tryCompare(tile.iconItem, "opacity", 1)
        tryCompare(tile.nameItem, "opacity", 1)
    }

    // A drag of the tile out and back ends as the grid expects, without a
    // word on the console (the warnings fail the test).
    function test_aDraggedTileEndsItsDragQuietly() {
        const tile = makeTile("Alpha")
        mousePress(tile, 40, 40)
        for (let i = 1; i <= 6; ++i)
            mouseMove(tile, 40 + 10 * i, 40 + 10 * i)
        mouseRelease(tile, 100, 100)
        tryVerify(() => !tile.Drag.active)
    }

    function test_hoverLiftsTheIconBox() {
        const tile = makeTile("Alpha")
        mouseMove(tile, tile.width / 2, tile.height / 2)
        tryVerify(() => tile.isHovering)
        const box = findChild(tile, "iconBox")
        tryCompare(box, "scale", 1.08)
        tryCompare(tile.iconItem, "opacity", 0.9)
        tryVerify(() => tile.hoverLookShown)
        mouseMove(test, 390, 390)
        tryVerify(() => !tile.isHovering)
        tryCompare(box, "scale", 1)
        // The tinted background fades out and is dropped.
        tryVerify(() => !tile.hoverLookShown)
    }

    function test_theMenuOffersTheCommandsOfAllApps() {
        fixture.makeFolder("Work", [])
        fixture.makeFolder("Play", [])
        const tile = makeTile("Alpha")
        const menu = tile.openMenu()
        compare(menuTexts(menu), ["Launch", "-", "Add to Favorites", "-", "Hide App Globally", "-",
                                  ">Add to Folder:2", "-", "Uninstall App\u2026"])
        const sub = menu.itemAt(6).subMenu
        const names = [sub.itemAt(0).text, sub.itemAt(1).text].sort()
        compare(names, ["Play", "Work"])
        menu.close()
    }

    function test_theMenuInAFolderAndInTheHiddenSection() {
        fixture.makeFolder("Work", ["Alpha"])
        fixture.selectFolder("Work")
        const tile = makeTile("Alpha")
        let menu = tile.openMenu()
        compare(menuTexts(menu), ["Launch", "-", "Add to Favorites", "-", "Hide App Globally", "-",
                                  "Remove from Folder", "-", "Uninstall App\u2026"])
        menu.itemAt(6).triggered()
        compare(fixture.folderMembers("Work"), [])
        menu.close()

        fixture.selectSection("hidden")
        menu = tile.openMenu()
        compare(menuTexts(menu), ["Launch", "-", "Add to Favorites", "-", "Unhide App Globally", "-", "-",
                                  "Uninstall App\u2026"])
        menu.close()
    }

    function test_menuEntriesActOnTheApplication() {
        fixture.makeFolder("Work", [])
        const tile = makeTile("Bravo")
        let menu = tile.openMenu()
        menu.itemAt(2).triggered()
        menu.close()
        menu = tile.openMenu()
        compare(menu.itemAt(2).text, "Remove from Favorites")
        menu.itemAt(6).subMenu.itemAt(0).triggered()
        compare(fixture.folderMembers("Work"), ["Bravo"])
        menu.itemAt(0).triggered()
        compare(fixture.launched.length, 1)
        verify(!tile.isLaunching)
        menu.itemAt(8).triggered()
        compare(fixture.appToUninstallName(), "Bravo")
        menu.close()
    }

    function test_destructiveEntriesAreRed() {
        const tile = makeTile("Alpha")
        const menu = tile.openMenu()
        verify(menu.itemAt(4).destructive)
        verify(!menu.itemAt(2).destructive)
        verify(Qt.colorEqual(findChild(menu.itemAt(4), "plainMenuItemText").color, menu.destructiveColor))
        menu.close()
    }

    function test_hiddenFoldersAreNoTargetOfAddToFolder() {
        fixture.makeFolder("Work", [])
        fixture.makeFolder("Secret", [])
        fixture.hideFolder("Secret")
        fixture.selectSection("allApps")
        const tile = makeTile("Alpha")
        mouseClick(tile, tile.width / 2, tile.height / 2, Qt.RightButton)
        const menu = tile.openedMenu
        tryCompare(menu, "opened", true)
        waitForItemPolished(menu.contentItem)
        const row = menu.itemAt(6)
        mouseClick(row)
        tryCompare(row.subMenu, "opened", true)
        compare(row.subMenu.count, 1)
        compare(row.subMenu.itemAt(0).text, "Work")
        waitForItemPolished(row.subMenu.contentItem)
        mouseClick(row.subMenu.itemAt(0))
        compare(fixture.folderMembers("Work"), ["Alpha"])
        compare(fixture.folderMembers("Secret"), [])
    }
}
