#include "SidebarFixture.h"
#include "sidebar/SidebarController.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

struct Sidebar : test::SidebarFixture
{
    Sidebar() { controller.setViewModel(&vm()); }
    QVariant folderValue(const QString &name) const { return QVariant::fromValue(folder(name)); }
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
        EXPECT_TRUE(s.controller.handleDrop(c.text, c.urls, s.folderValue(QStringLiteral("Work"))));
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
        for (const auto &e : SidebarController::menuEntries(s.folderValue(QStringLiteral("Work")))) {
            const auto m = e.toMap();
            out << (m.value(QStringLiteral("separator")).toBool() ? QStringLiteral("-")
                                                                  : m[u"title"_qs].toString());
        }
        return out;
    };
    EXPECT_EQ(titles(),
        (QStringList { u"Pin Folder"_qs, u"Rename"_qs, u"Change Color..."_qs, u"Change Icon..."_qs, u"-"_qs,
            u"Delete"_qs }));
    s.controller.triggerMenu(QStringLiteral("pin"), s.folderValue(QStringLiteral("Work")));
    EXPECT_TRUE(s.folder(QStringLiteral("Work")).isPinned);
    EXPECT_EQ(titles().first(), u"Unpin Folder"_qs);

    s.controller.triggerMenu(QStringLiteral("delete"), s.folderValue(QStringLiteral("Work")));
    EXPECT_TRUE(s.controller.property("showingDeleteConfirmation").toBool());
    EXPECT_EQ(s.controller.deleteMessage(),
        u"Are you sure you want to delete 'Work'? This action cannot be undone."_qs);
    s.controller.selectFolder(s.folderValue(QStringLiteral("Work")));
    s.controller.confirmDelete();
    EXPECT_TRUE(s.folderNames().isEmpty());
    EXPECT_EQ(s.controller.selectedKey(), u"library:0"_qs);
    EXPECT_FALSE(s.controller.folderToDelete().isValid());
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
    s.controller.triggerMenu(QStringLiteral("rename"), QVariant::fromValue(s.folder(QStringLiteral("   "))));
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
    EXPECT_FALSE(s.controller.folderToRename().isValid());
    // Only "Create Folder" resets the shared icon and colour.
    EXPECT_EQ(s.controller.property("selectedFolderIcon"), u"star"_qs);
}

TEST(SidebarController, pickerOfAVanishedFolderCloses)
{
    Sidebar s;
    s.makeFolder(QStringLiteral("A"));
    s.makeFolder(QStringLiteral("B"));
    s.controller.triggerMenu(QStringLiteral("icon"), s.folderValue(QStringLiteral("B")));
    s.controller.triggerMenu(QStringLiteral("icon"), s.folderValue(QStringLiteral("A")));
    EXPECT_EQ(s.controller.folderForIconPopover().value<AppFolder>().name, u"A"_qs);
    s.controller.triggerMenu(QStringLiteral("color"), s.folderValue(QStringLiteral("A")));

    QSignalSpy closed(&s.controller, &SidebarController::folderForColorPopoverChanged);
    s.finder.setFolderColor(s.folder(QStringLiteral("A")), QStringLiteral("#123456"));
    EXPECT_EQ(closed.count(), 0); // a field change keeps it open
    s.vm().deleteFolder(s.folder(QStringLiteral("A")));
    EXPECT_FALSE(s.controller.folderForIconPopover().isValid());
    EXPECT_FALSE(s.controller.folderForColorPopover().isValid());

    s.controller.triggerMenu(QStringLiteral("icon"), s.folderValue(QStringLiteral("B")));
    s.workspaces.createWorkspace(QStringLiteral("Other"), QStringLiteral("star"), QStringLiteral("#007AFF"));
    EXPECT_FALSE(s.controller.folderForIconPopover().isValid());
}
