#include "GridFixture.h"

#include "grid/GridToolbarController.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace brimlark;
using DeskTool = GridToolbarController::DeskTool;
using Accessory = GridToolbarController::SearchAccessory;
using Trailing = GridToolbarController::TrailingControl;
using Kind = SidebarSelection::Kind;

namespace {

class GridToolbarControllerTest : public ::testing::Test
{
protected:
    GridToolbarControllerTest()
    {
        toolbar.setNotificationCenter(f.center);
        toolbar.setViewModel(&f.vm());
        toolbar.setCatalog(&f.finder);
        toolbar.setHiddenItemsLock(f.vm().hiddenItemsLock());
        f.publish(QStringList { QStringLiteral("Alpha"), QStringLiteral("Bravo") });
    }

    enum class Hidden { notSelected, noPassword, locked, unlocked };
    void enter(Hidden state)
    {
        if (state == Hidden::notSelected) {
            return;
        }
        if (state != Hidden::noPassword) {
            ASSERT_TRUE(f.setPassword(QStringLiteral("secret")));
        }
        f.vm().setSelection(SidebarSelection(Kind::hidden));
        if (state == Hidden::locked) {
            f.vm().hiddenItemsLock()->lock();
        } else if (state == Hidden::unlocked) {
            f.vm().hiddenItemsLock()->setUnlocked(true);
        }
    }

    test::GridFixture f;
    GridToolbarController toolbar;
};

TEST_F(GridToolbarControllerTest, GuardedTriggersFocusUnlessTheHiddenSectionIsLockedOrWithoutPassword)
{
    const std::vector<std::pair<const char *, std::function<void()>>> triggers {
        { "hot key", [this] { f.center.post(Notifications::HotkeyTriggered); } },
        { "search command", [this] { f.center.post(Notifications::SearchFocusRequested); } },
        { "selection", [this] { f.vm().setSelection(f.vm().selection()); } },
        { "appearing", [this] { toolbar.searchBarAppeared(); } },
    };
    const std::vector<std::pair<Hidden, bool>> states { { Hidden::notSelected, true },
        { Hidden::noPassword, false }, { Hidden::locked, false }, { Hidden::unlocked, true } };
    for (const auto &[state, allowed] : states) {
        for (const auto &[name, fire] : triggers) {
            f.vm().setSelection(SidebarSelection(Kind::allApps));
            f.vm().hiddenItemsLock()->disableSecurity();
            enter(state);
            toolbar.setSearchFocused(false);
            fire();
            EXPECT_EQ(toolbar.isSearchFocused(), allowed) << name << " in state " << int(state);
        }
    }
}

TEST_F(GridToolbarControllerTest, AppearingWritesTrueAgainLaterWithoutAskingTheGuardAgain)
{
    toolbar.searchBarAppeared();
    EXPECT_TRUE(toolbar.isSearchFocused());
    enter(Hidden::locked);
    toolbar.setSearchFocused(false);
    f.advance(299);
    EXPECT_FALSE(toolbar.isSearchFocused());
    f.advance(1);
    EXPECT_TRUE(toolbar.isSearchFocused());
}

TEST_F(GridToolbarControllerTest, ActivationWritesFalseAtOnceThenTrueOnTheNextTurn)
{
    for (auto trigger :
        { &GridToolbarController::applicationBecameActive, &GridToolbarController::windowBecameKey }) {
        toolbar.setSearchFocused(true);
        QSignalSpy writes(&toolbar, &GridToolbarController::isSearchFocusedChanged);
        (toolbar.*trigger)();
        EXPECT_FALSE(toolbar.isSearchFocused());
        f.advance(0);
        EXPECT_TRUE(toolbar.isSearchFocused());
        EXPECT_EQ(writes.count(), 2);
    }
}

TEST_F(GridToolbarControllerTest, UnlockingFocusesWithoutTheGuardAndLockingWritesNothing)
{
    enter(Hidden::locked);
    toolbar.setSearchFocused(false);
    f.vm().hiddenItemsLock()->setUnlocked(true);
    EXPECT_TRUE(toolbar.isSearchFocused());
    toolbar.setSearchFocused(false);
    f.vm().hiddenItemsLock()->lock();
    EXPECT_FALSE(toolbar.isSearchFocused());
}

// Popovers, sheets and menus share the window with the field here, so a
// request would pull the typing out of them.
TEST_F(GridToolbarControllerTest, NothingTakesTheFocusFromAnOpenPopoverSheetOrMenu)
{
    const std::vector<std::pair<const char *, std::function<void(bool)>>> blockers {
        { "popover",
            [this](bool on) {
                on ? toolbar.openDeskTool(DeskTool::QRGenerator)
                   : toolbar.deskToolClosed(DeskTool::QRGenerator);
            } },
        { "sort menu", [this](bool on) { toolbar.setProperty("sortMenuOpen", on); } },
        { "app picker", [this](bool on) { f.vm().setShowingAppPicker(on); } },
    };
    for (const auto &[name, block] : blockers) {
        toolbar.setSearchFocused(false);
        block(true);
        f.center.post(Notifications::SearchFocusRequested);
        toolbar.searchBarAppeared();
        EXPECT_FALSE(toolbar.isSearchFocused()) << name;
        // A deferred write finds the blocker opened meanwhile.
        block(false);
        toolbar.windowBecameKey();
        block(true);
        f.advance(300);
        EXPECT_FALSE(toolbar.isSearchFocused()) << name;
        block(false);
        f.center.post(Notifications::HotkeyTriggered);
        EXPECT_TRUE(toolbar.isSearchFocused()) << name;
    }
}

TEST_F(GridToolbarControllerTest, AnOpenPopupOrAnotherEditorInTheWindowBlocksTheField)
{
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData(R"(
        import QtQuick
        import QtQuick.Controls
        ApplicationWindow {
            width: 300; height: 200
            property alias field: field
            property alias other: other
            property alias popup: popup
            property alias tip: tip
            Column { TextField { id: field } TextField { id: other } }
            Popup { id: popup; width: 50; height: 50 }
            ToolTip { id: tip; text: "hint" }
        })",
        QUrl());
    std::unique_ptr<QObject> window(component.create());
    ASSERT_TRUE(window) << component.errorString().toStdString();
    auto item = [&](const char *name) { return window->property(name).value<QObject *>(); };
    auto *field = qobject_cast<QQuickItem *>(item("field"));
    auto *other = qobject_cast<QQuickItem *>(item("other"));

    field->forceActiveFocus();
    EXPECT_FALSE(GridToolbarController::windowBusy(field));
    QMetaObject::invokeMethod(item("tip"), "open");
    EXPECT_FALSE(GridToolbarController::windowBusy(field));
    other->forceActiveFocus();
    EXPECT_TRUE(GridToolbarController::windowBusy(field));
    field->forceActiveFocus();
    QMetaObject::invokeMethod(item("popup"), "open");
    EXPECT_TRUE(GridToolbarController::windowBusy(field));
}

TEST_F(GridToolbarControllerTest, TheSearchBarEndsInTheBadgeTheClearButtonOrNothing)
{
    const struct
    {
        const char *query;
        bool focused;
        Accessory expected;
    } rows[] { { "", false, Accessory::ShortcutBadge }, { "", true, Accessory::Nothing },
        { "a", false, Accessory::ClearButton }, { "a", true, Accessory::ClearButton } };
    for (const auto &row : rows) {
        f.vm().setSearchQuery(QString::fromLatin1(row.query));
        toolbar.setSearchFocused(row.focused);
        EXPECT_EQ(toolbar.searchAccessory(), row.expected) << row.query << row.focused;
    }
    toolbar.clearSearch();
    EXPECT_TRUE(f.vm().searchQuery().isEmpty());
    EXPECT_EQ(toolbar.searchAccessory(), Accessory::Nothing);
}

TEST_F(GridToolbarControllerTest, TheSelectionDecidesTheBackButtonAndTheTrailingControl)
{
    const AppFolder folder = f.makeFolder(QStringLiteral("Work")).value<AppFolder>();
    const struct
    {
        std::optional<SidebarSelection> selection;
        bool back;
        Trailing trailing;
    } rows[] { { SidebarSelection(Kind::allApps), false, Trailing::SortMenu },
        { SidebarSelection::ofFolder(folder), false, Trailing::AddApps },
        { SidebarSelection::ofCategory(QStringLiteral("Games")), true, Trailing::None },
        { SidebarSelection(Kind::recents), false, Trailing::None },
        { SidebarSelection(Kind::hidden), false, Trailing::None }, { std::nullopt, false, Trailing::None } };
    for (const auto &row : rows) {
        f.vm().setSelection(row.selection);
        EXPECT_EQ(toolbar.showsBackButton(), row.back);
        EXPECT_EQ(toolbar.trailingControl(), row.trailing);
    }

    f.vm().setSelection(SidebarSelection::ofCategory(QStringLiteral("Games")));
    toolbar.showAllApps();
    EXPECT_EQ(f.vm().selection(), SidebarSelection(Kind::allApps));

    f.vm().setSelection(SidebarSelection::ofFolder(folder));
    toolbar.addApps();
    ASSERT_TRUE(f.vm().folderForPicker());
    EXPECT_EQ(f.vm().folderForPicker()->id, folder.id);
    EXPECT_TRUE(f.vm().showingAppPicker());
}

TEST_F(GridToolbarControllerTest, TheSortMenuChecksTheCurrentOptionAndStoresTheChoice)
{
    auto checked = [this] {
        QStringList out;
        for (const auto &entry : toolbar.sortOptions()) {
            if (!entry.toMap().value(QStringLiteral("symbol")).toString().isEmpty()) {
                out << entry.toMap().value(QStringLiteral("title")).toString();
            }
        }
        return out;
    };
    EXPECT_EQ(checked(), QStringList { QStringLiteral("A to Z") });
    toolbar.chooseSortOption(1);
    EXPECT_EQ(checked(), QStringList { QStringLiteral("Z to A") });
    EXPECT_EQ(f.defaults.string(AppFinder::allAppsSortKey.toStdString()), "Z to A");
    EXPECT_EQ(f.vm().filteredApps().first().name(), u"Bravo");
    toolbar.chooseSortOption(7);
    EXPECT_EQ(checked(), QStringList { QStringLiteral("Z to A") });
}

TEST_F(GridToolbarControllerTest, ButtonsOnlyOpenAndAReopenBringsTheMeasurePopoverWhileTheRulerShows)
{
    toolbar.openDeskTool(DeskTool::StickyNotes);
    toolbar.openDeskTool(DeskTool::StickyNotes);
    EXPECT_TRUE(toolbar.isShowing(DeskTool::StickyNotes));
    toolbar.deskToolClosed(DeskTool::StickyNotes);
    EXPECT_EQ(toolbar.openDeskTools(), QList<bool>(5, false));

    toolbar.setProperty("isRulerShowing", false);
    f.center.post(Notifications::AppReopened);
    EXPECT_FALSE(toolbar.isShowing(DeskTool::MeasureRuler));
    toolbar.setProperty("isRulerShowing", true);
    f.center.post(Notifications::AppReopened);
    f.center.post(Notifications::AppReopened);
    EXPECT_TRUE(toolbar.isShowing(DeskTool::MeasureRuler));
}

} // namespace
