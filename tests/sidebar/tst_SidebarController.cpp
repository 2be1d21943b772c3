#include "SidebarFixture.h"
#include "sidebar/SidebarController.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace brimlark;
using Action = SidebarController::FolderAction;

namespace {

struct Sidebar : test::SidebarFixture
{
    explicit Sidebar(std::shared_ptr<Defaults> settings = nullptr)
        : SidebarFixture(std::move(settings))
    {
        controller.setViewModel(&vm());
        controller.setCatalog(&finder);
    }
    QStringList members(const QString &name) const { return folder(name).appURLs; }
    SidebarController controller;
};

} // namespace

TEST(SidebarController, dropAddsTheNamedInstalledApplicationOnce)
{
    Sidebar s;
    s.publish({ QStringLiteral("Atlas"), QStringLiteral("Notes") });
    s.makeFolder(QStringLiteral("Work"));
    const QString atlas = s.app(QStringLiteral("Atlas")).urlText();
    const struct
    {
        QString text;
        QList<QUrl> urls;
        QStringList members;
    } cases[] = {
        { QStringLiteral("just some words"), {}, {} },
        { QStringLiteral("file://elsewhere/Applications/Atlas.app"), {}, {} },
        { QStringLiteral("file:///Applications/Missing.app/"), {}, {} },
        { QStringLiteral(" file:///Applications/Atlas.app "), {}, { atlas } },
        { atlas, {}, { atlas } },
        { {}, { QUrl(QStringLiteral("file://localhost/Applications/Notes.app")) },
            { atlas, s.app(QStringLiteral("Notes")).urlText() } },
    };
    for (const auto &c : cases) {
        EXPECT_TRUE(s.controller.handleDrop(c.text, c.urls, s.folder(QStringLiteral("Work"))));
        EXPECT_EQ(s.members(QStringLiteral("Work")), c.members) << c.text.toStdString();
    }
    EXPECT_TRUE(s.controller.handleDrop(atlas, {}, {}));
}

TEST(SidebarController, menuOffersPinOrUnpinAndRunsEachEntry)
{
    Sidebar s;
    s.makeFolder(QStringLiteral("Work"));
    auto titles = [&] {
        QStringList out;
        for (const auto &e : SidebarController::menuEntries(s.folder(QStringLiteral("Work")))) {
            out << (e.kind == MenuEntry::Kind::divider ? u"-"_qs : e.title);
        }
        return out;
    };
    EXPECT_EQ(titles(),
        (QStringList { u"Pin Folder"_qs, u"Rename"_qs, u"Change Color..."_qs, u"Change Icon..."_qs, u"-"_qs,
            u"Delete"_qs }));
    s.controller.triggerMenu(Action::pin, s.folder(QStringLiteral("Work")));
    EXPECT_TRUE(s.folder(QStringLiteral("Work")).isPinned);
    EXPECT_EQ(titles().first(), u"Unpin Folder"_qs);

    s.controller.triggerMenu(Action::deleteFolder, s.folder(QStringLiteral("Work")));
    EXPECT_TRUE(s.controller.property("showingDeleteConfirmation").toBool());
    EXPECT_EQ(s.controller.deleteMessage(),
        u"Are you sure you want to delete 'Work'? This action cannot be undone."_qs);
    s.controller.selectFolder(s.folder(QStringLiteral("Work")));
    s.controller.confirmDelete();
    EXPECT_TRUE(s.folderNames().isEmpty());
    EXPECT_EQ(s.controller.selectedKey(), u"library:0"_qs);
    EXPECT_TRUE(s.controller.folderToDelete().id.isNull());
    s.controller.confirmDelete(); // nothing set: nothing happens
}

TEST(SidebarController, folderSheetsFollowTheEmptyNameAndResetRules)
{
    Sidebar s;
    s.controller.newFolder();
    EXPECT_FALSE(s.controller.createFolder());
    EXPECT_TRUE(s.controller.property("showingAddFolder").toBool());
    s.controller.setProperty("newFolderName", QStringLiteral("   "));
    s.controller.setProperty("selectedFolderColor", QStringLiteral("#FF3B30"));
    EXPECT_TRUE(s.controller.createFolder());
    const AppFolder made = s.folder(QStringLiteral("   "));
    EXPECT_EQ(made.icon, u"folder"_qs);
    EXPECT_EQ(made.color, u"#FF3B30"_qs);
    EXPECT_FALSE(made.parentFolderID.has_value());
    EXPECT_FALSE(s.controller.property("showingAddFolder").toBool());
    EXPECT_EQ(s.controller.property("selectedFolderColor"), u"#007AFF"_qs);

    // "Rename" copies name and colour; the sheet's appearance adds the icon.
    s.finder.setFolderIcon(made, QStringLiteral("star"));
    s.controller.triggerMenu(Action::rename, s.folder(QStringLiteral("   ")));
    EXPECT_EQ(s.controller.property("selectedFolderIcon"), u"folder"_qs);
    s.controller.renameSheetAppeared();
    EXPECT_EQ(s.controller.property("selectedFolderIcon"), u"star"_qs);
    s.controller.setProperty("renameFolderName", QString());
    EXPECT_FALSE(s.controller.saveRenameFolder());
    s.controller.setProperty("renameFolderName", QStringLiteral("Work"));
    s.controller.setProperty("selectedFolderColor", QStringLiteral("#34C759"));
    EXPECT_TRUE(s.controller.saveRenameFolder());
    const AppFolder saved = s.folder(QStringLiteral("Work"));
    EXPECT_EQ(saved.color, u"#34C759"_qs);
    EXPECT_EQ(saved.icon, u"star"_qs);
    EXPECT_TRUE(s.controller.folderToRename().id.isNull());
    // Only "Create Folder" resets the shared icon and colour.
    EXPECT_EQ(s.controller.property("selectedFolderIcon"), u"star"_qs);
}

namespace {

// The records in the settings journals of a folder: a header, then per
// record its payload size, a checksum and the payload.
int journalRecords(const QString &folder)
{
    int records = 0;
    for (const auto &entry : std::filesystem::directory_iterator(folder.toStdString())) {
        if (entry.path().filename().string().find(".journal-") == std::string::npos) {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (std::size_t at = 8; at + 8 <= bytes.size(); ++records) {
            std::uint32_t size = 0;
            for (int i = 3; i >= 0; --i) {
                size = (size << 8) | std::uint8_t(bytes[at + std::size_t(i)]);
            }
            at += 8 + size;
        }
    }
    return records;
}

} // namespace

TEST(SidebarController, editFolderSaveIsOneChangeOneRefilterAndOneRecord)
{
    QTemporaryDir dir;
    Sidebar s(std::make_shared<Defaults>(std::filesystem::path(dir.path().toStdString()) / "standard.plist"));
    const QUuid id = s.finder.createFolder(u"Work"_qs, u"folder"_qs, u"#336699"_qs);

    const struct
    {
        QString name, icon, color;
        int changes;
    } saves[] = {
        { u"Play"_qs, u"star"_qs, u"#34C759"_qs, 1 },
        { u"Play"_qs, u"star"_qs, u"#FF3B30"_qs, 1 },
        { u"Rest"_qs, u"star"_qs, u"#FF3B30"_qs, 1 },
        // Saved as it was: nothing to store or announce.
        { u"Rest"_qs, u"star"_qs, u"#FF3B30"_qs, 0 },
    };
    QSignalSpy changes(&s.vm(), &BrimlarkViewModel::changed);
    QSignalSpy refilters(&s.vm(), &BrimlarkViewModel::refiltered);
    for (const auto &save : saves) {
        s.controller.triggerMenu(Action::rename, *s.finder.folder(id));
        s.controller.renameSheetAppeared();
        s.controller.setProperty("renameFolderName", save.name);
        s.controller.setProperty("selectedFolderIcon", save.icon);
        s.controller.setProperty("selectedFolderColor", save.color);
        const int recordsBefore = journalRecords(dir.path());
        changes.clear();
        refilters.clear();
        ASSERT_TRUE(s.controller.saveRenameFolder());
        EXPECT_EQ(changes.count(), save.changes) << save.name.toStdString();
        EXPECT_EQ(refilters.count(), save.changes) << save.name.toStdString();
        EXPECT_EQ(journalRecords(dir.path()) - recordsBefore, save.changes) << save.name.toStdString();
        const AppFolder saved = *s.finder.folder(id);
        EXPECT_EQ(saved.name, save.name);
        EXPECT_EQ(saved.icon, save.icon);
        EXPECT_EQ(saved.color, save.color);
    }
    // What was saved is what the next start reads.
    AppFinder again(s.defaults, s.workspaces, s.center);
    ASSERT_TRUE(again.folder(id));
    EXPECT_EQ(again.folder(id)->name, u"Rest"_qs);
    EXPECT_EQ(again.folder(id)->color, u"#FF3B30"_qs);
}

TEST(SidebarController, pickerOfAVanishedFolderCloses)
{
    Sidebar s;
    s.makeFolder(QStringLiteral("A"));
    s.makeFolder(QStringLiteral("B"));
    s.controller.triggerMenu(Action::changeIcon, s.folder(QStringLiteral("B")));
    s.controller.triggerMenu(Action::changeIcon, s.folder(QStringLiteral("A")));
    EXPECT_EQ(s.controller.folderForIconPopover().name, u"A"_qs);
    s.controller.triggerMenu(Action::changeColor, s.folder(QStringLiteral("A")));

    QSignalSpy closed(&s.controller, &SidebarController::folderForColorPopoverChanged);
    s.finder.setFolderColor(s.folder(QStringLiteral("A")), QStringLiteral("#123456"));
    EXPECT_EQ(closed.count(), 0); // a field change keeps it open
    s.vm().deleteFolder(s.folder(QStringLiteral("A")));
    EXPECT_FALSE(s.controller.showingIconPopover());
    EXPECT_FALSE(s.controller.showingColorPopover());

    s.controller.triggerMenu(Action::changeIcon, s.folder(QStringLiteral("B")));
    s.workspaces.createWorkspace(QStringLiteral("Other"), QStringLiteral("star"), QStringLiteral("#007AFF"));
    EXPECT_FALSE(s.controller.showingIconPopover());
}

namespace {

struct Switcher : Sidebar
{
    Switcher() { controller.setWorkspaceManager(&workspaces); }
    QString id(const QString &name) const
    {
        for (const auto &w : workspaces.workspaces()) {
            if (w.name == name) {
                return w.idText();
            }
        }
        return {};
    }
    QString activeName() const { return controller.activeWorkspace().name; }
    // "name" for a row, "name*" for the checked one.
    QStringList rows() const
    {
        QStringList out;
        for (const auto &w : controller.workspaceRows()) {
            out << w.name + (controller.isActive(w) ? u"*"_qs : QString());
        }
        return out;
    }
    // "name" for an entry with only "Edit...", "name+Delete" with "Delete" too.
    QStringList manage() const
    {
        QStringList out;
        for (const auto &w : controller.manageEntries()) {
            out << w.name + (controller.isActive(w) ? QString() : u"+Delete"_qs);
        }
        return out;
    }
};

} // namespace

TEST(SidebarController, shownWorkspaceIsTheActiveThenTheFirstThenADisplayOnlyDefault)
{
    const Workspace a { QUuid::createUuid(), u"A"_qs, u"star"_qs, u"#FF3B30"_qs };
    const Workspace b { QUuid::createUuid(), u"B"_qs, u"house.fill"_qs, u"#34C759"_qs };
    EXPECT_EQ(SidebarController::shownWorkspace({ a, b }, b.id), b);
    EXPECT_EQ(SidebarController::shownWorkspace({ a, b }, QUuid::createUuid()), a);
    const Workspace shown = SidebarController::shownWorkspace({}, a.id);
    EXPECT_EQ(shown.name, u"Default"_qs);
    EXPECT_EQ(shown.icon, u"briefcase.fill"_qs);
    EXPECT_EQ(shown.color, u"#007AFF"_qs);
    EXPECT_NE(shown.id, a.id);
}

TEST(SidebarController, switcherMenuChecksTheActiveAndManagesOnlyFromTwo)
{
    Switcher s;
    EXPECT_EQ(s.rows(), QStringList { u"Default*"_qs });
    EXPECT_TRUE(s.manage().isEmpty());
    s.workspaces.createWorkspace(u"B"_qs, u"star"_qs, u"#FF3B30"_qs);
    EXPECT_EQ(s.rows(), (QStringList { u"Default"_qs, u"B*"_qs }));
    EXPECT_EQ(s.manage(), (QStringList { u"Default+Delete"_qs, u"B"_qs }));
    EXPECT_EQ(s.activeName(), u"B"_qs);

    // The active workspace is never deleted from the switcher.
    s.controller.deleteWorkspace(s.id(u"B"_qs));
    EXPECT_EQ(s.workspaceNames(), (QStringList { u"Default"_qs, u"B"_qs }));
    s.controller.deleteWorkspace(s.id(u"Default"_qs));
    EXPECT_EQ(s.workspaceNames(), QStringList { u"B"_qs });
    EXPECT_TRUE(s.manage().isEmpty());

    // An active id naming no workspace: the first is shown, none checked.
    s.workspaces.setActiveWorkspaceID(QUuid::createUuid());
    EXPECT_EQ(s.activeName(), u"B"_qs);
    EXPECT_EQ(s.rows(), QStringList { u"B"_qs });
}

TEST(SidebarController, choosingAWorkspaceActivatesItAndSelectsAllApps)
{
    Switcher s;
    s.workspaces.createWorkspace(u"B"_qs, u"star"_qs, u"#FF3B30"_qs);
    s.controller.chooseWorkspace(s.id(u"Default"_qs));
    s.makeFolder(u"Work"_qs);
    s.controller.selectFolder(s.folder(u"Work"_qs));
    QSignalSpy switched(&s.workspaces, &WorkspaceManager::activeWorkspaceIDChanged);
    s.controller.chooseWorkspace(s.id(u"B"_qs));
    EXPECT_EQ(s.activeName(), u"B"_qs);
    EXPECT_EQ(s.controller.selectedKey(), u"library:0"_qs);
    EXPECT_TRUE(s.folderNames().isEmpty());
    s.controller.chooseWorkspace(s.id(u"B"_qs)); // again: switches again
    EXPECT_EQ(switched.count(), 2);
}

TEST(SidebarController, createWorkspaceSheetWritesOnlyOnCreateAndStartsAfresh)
{
    Switcher s;
    s.controller.beginCreateWorkspace();
    EXPECT_TRUE(s.controller.property("showingAddWorkspace").toBool());
    EXPECT_FALSE(s.controller.createWorkspace()); // empty name: inert
    EXPECT_TRUE(s.controller.property("showingAddWorkspace").toBool());
    s.controller.setProperty("newWorkspaceName", u"Play"_qs);
    s.controller.setProperty("selectedWorkspaceColor", u"#AF52DE"_qs);
    s.controller.cancelCreateWorkspace();
    EXPECT_FALSE(s.controller.property("showingAddWorkspace").toBool());
    EXPECT_EQ(s.controller.property("newWorkspaceName"), u"Play"_qs); // cancel keeps the texts
    EXPECT_EQ(s.workspaceNames(), QStringList { u"Default"_qs });

    s.controller.beginCreateWorkspace();
    EXPECT_EQ(s.controller.property("newWorkspaceName"), QString());
    EXPECT_EQ(s.controller.property("selectedWorkspaceIcon"), u"briefcase.fill"_qs);
    EXPECT_EQ(s.controller.property("selectedWorkspaceColor"), u"#007AFF"_qs);
    s.controller.setProperty("newWorkspaceName", u"   "_qs);
    s.controller.setProperty("selectedWorkspaceIcon", u"atom"_qs);
    EXPECT_TRUE(s.controller.createWorkspace());
    EXPECT_EQ(s.activeName(), u"   "_qs);
    EXPECT_EQ(s.controller.activeWorkspace().icon, u"atom"_qs);
    EXPECT_EQ(s.controller.property("newWorkspaceName"), u"   "_qs); // create resets nothing
}

// Creating used to leave a folder of the previous workspace selected.
TEST(SidebarController, createdWorkspaceShowsAllApps)
{
    Switcher s;
    s.makeFolder(u"Work"_qs);
    s.controller.selectFolder(s.folder(u"Work"_qs));
    s.controller.beginCreateWorkspace();
    s.controller.setProperty("newWorkspaceName", u"Play"_qs);
    s.controller.createWorkspace();
    EXPECT_EQ(s.controller.selectedKey(), u"library:0"_qs);
}

TEST(SidebarController, editWorkspaceSheetSavesOnlyAWorkspaceStillNamed)
{
    Switcher s;
    s.workspaces.createWorkspace(u"B"_qs, u"star"_qs, u"#FF3B30"_qs);
    QSignalSpy announced(&s.workspaces, &WorkspaceManager::activeWorkspaceIDChanged);
    s.controller.beginEditWorkspace(s.id(u"Default"_qs));
    EXPECT_EQ(s.controller.property("editWorkspaceName"), u"Default"_qs);
    EXPECT_EQ(s.controller.property("editWorkspaceIcon"), u"briefcase.fill"_qs);
    s.controller.setProperty("editWorkspaceName", QString());
    EXPECT_FALSE(s.controller.saveEditWorkspace());
    s.controller.setProperty("editWorkspaceName", u"Home"_qs);
    s.controller.cancelEditWorkspace(); // nothing written
    EXPECT_EQ(s.workspaceNames(), (QStringList { u"Default"_qs, u"B"_qs }));
    EXPECT_TRUE(s.controller.workspaceToEdit().id.isNull());
    EXPECT_FALSE(s.controller.saveEditWorkspace()); // nothing to edit: inert

    s.controller.beginEditWorkspace(s.id(u"Default"_qs));
    s.controller.setProperty("editWorkspaceName", u"Home"_qs);
    s.controller.setProperty("editWorkspaceColor", u"#34C759"_qs);
    EXPECT_TRUE(s.controller.saveEditWorkspace());
    EXPECT_EQ(s.workspaces.workspaces().first().color, u"#34C759"_qs);
    EXPECT_EQ(s.workspaceNames(), (QStringList { u"Home"_qs, u"B"_qs }));
    EXPECT_FALSE(s.controller.property("showingEditWorkspace").toBool());
    EXPECT_EQ(s.controller.property("editWorkspaceName"), u"Home"_qs); // texts stay
    EXPECT_EQ(announced.count(), 0); // an inactive workspace: no switch announced
}

// A switch under an open "Edit Folder" sheet or delete confirmation of a
// folder of the old workspace closes them without writing.
TEST(SidebarController, folderSheetsOfTheOldWorkspaceCloseOnASwitch)
{
    Switcher s;
    s.makeFolder(u"Work"_qs);
    s.makeFolder(u"Old"_qs);
    s.controller.triggerMenu(Action::rename, s.folder(u"Work"_qs));
    s.controller.setProperty("renameFolderName", u"Renamed"_qs);
    s.controller.triggerMenu(Action::deleteFolder, s.folder(u"Old"_qs));
    const QString first = s.id(u"Default"_qs);
    s.workspaces.createWorkspace(u"B"_qs, u"star"_qs, u"#FF3B30"_qs);
    EXPECT_FALSE(s.controller.property("showingRenameFolder").toBool());
    EXPECT_TRUE(s.controller.folderToRename().id.isNull());
    EXPECT_FALSE(s.controller.property("showingDeleteConfirmation").toBool());
    EXPECT_FALSE(s.controller.saveRenameFolder());
    s.controller.chooseWorkspace(first);
    EXPECT_EQ(s.folderNames(), (QStringList { u"Work"_qs, u"Old"_qs }));
}
