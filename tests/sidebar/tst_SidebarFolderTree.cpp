#include "SidebarFixture.h"
#include "sidebar/SidebarFolderModel.h"
#include "sidebar/SidebarFolderTree.h"
#include "support/StoredFolders.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

QStringList shown(const QList<SidebarFolderTree::Row> &rows)
{
    QStringList out;
    for (const auto &r : rows) {
        out << QStringLiteral("%1%2@%3").arg(QString(r.depth * 2, u' '), r.folder.name).arg(r.rootIndex);
    }
    return out;
}

} // namespace

TEST(SidebarFolderTree, flattensRootsWithTheirVisibleSubtrees)
{
    test::SidebarFixture f;
    EXPECT_TRUE(SidebarFolderTree::flatten(f.finder).isEmpty());
    f.makeFolder(QStringLiteral("Work"));
    f.makeFolder(QStringLiteral("Games"));
    f.makeFolder(QStringLiteral("Docs"), QStringLiteral("Work"));
    f.makeFolder(QStringLiteral("Old"), QStringLiteral("Docs"));
    f.makeFolder(QStringLiteral("Secret"), QStringLiteral("Games"));
    f.makeFolder(QStringLiteral("Inside"), QStringLiteral("Secret"));
    f.finder.hideFolder(f.folder(QStringLiteral("Secret")));
    EXPECT_EQ(shown(SidebarFolderTree::flatten(f.finder)),
        (QStringList { u"Work@0"_qs, u"  Docs@0"_qs, u"    Old@0"_qs, u"Games@1"_qs }));
    EXPECT_EQ(SidebarFolderTree::indent(2), 24);
}

TEST(SidebarFolderTree, rootMoveTakesTheTargetsPlace)
{
    using R = SidebarFolderTree::Reorder;
    EXPECT_EQ(SidebarFolderTree::rootMove(2, 0, 3), (R { { 2 }, 0 }));
    EXPECT_EQ(SidebarFolderTree::rootMove(0, 2, 3), (R { { 0 }, 3 }));
    EXPECT_EQ(SidebarFolderTree::rootMove(1, 1, 3), std::nullopt);
    EXPECT_EQ(SidebarFolderTree::rootMove(3, 0, 3), std::nullopt);
    EXPECT_EQ(SidebarFolderTree::rootMove(0, -1, 3), std::nullopt);

    test::SidebarFixture f;
    for (const auto *n : { u"A", u"B", u"C" }) {
        f.makeFolder(QString::fromUtf16(n));
    }
    const QStringList before = f.folderNames();
    const auto move = SidebarFolderTree::rootMove(2, 0, 3);
    f.finder.reorderFolders(move->source, move->destination);
    EXPECT_EQ(f.folderNames(), (QStringList { before[2], before[0], before[1] }));
}

TEST(SidebarFolderModel, fieldChangesUpdateRowsInPlace)
{
    test::SidebarFixture f;
    f.makeFolder(QStringLiteral("Work"));
    f.makeFolder(QStringLiteral("Docs"), QStringLiteral("Work"));
    SidebarFolderModel model;
    QAbstractItemModelTester tester(&model);
    model.setCatalog(&f.finder);
    ASSERT_EQ(model.rowCount(), 2);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);

    f.finder.setFolderColor(f.folder(QStringLiteral("Docs")), QStringLiteral("#FF0000"));
    f.finder.setFolderIcon(f.folder(QStringLiteral("Work")), QStringLiteral("star"));
    f.finder.renameFolder(f.folder(QStringLiteral("Work")), QStringLiteral("Job"));
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(model.index(1).data(SidebarFolderModel::ColorRole), u"#FF0000"_qs);
    EXPECT_EQ(model.index(0).data(SidebarFolderModel::NameRole), u"Job"_qs);
    EXPECT_EQ(model.index(1).data(SidebarFolderModel::IndentRole), 12.0);

    f.makeFolder(QStringLiteral("New"));
    EXPECT_GE(resets.count(), 1);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.rootCount(), 2);
}

// A folder whose parent is gone (deleted, or never stored) and the folders
// of a parent loop stay reachable: each such chain shows from a root row,
// and nothing stored is dropped or rewritten.
TEST(SidebarFolderTree, foldersCutOffFromTheRootsShowAsRoots)
{
    test::SidebarFixture f;
    const auto folder = [](const char16_t *name, int sortOrder, std::optional<QUuid> parent) {
        AppFolder out;
        out.id = QUuid::createUuid();
        out.name = QString::fromUtf16(name);
        out.icon = QStringLiteral("folder");
        out.color = QStringLiteral("#336699");
        out.sortOrder = sortOrder;
        out.parentFolderID = parent;
        return out;
    };
    AppFolder top = folder(u"Top", 0, std::nullopt);
    AppFolder loopA = folder(u"LoopA", 1, std::nullopt);
    AppFolder loopB = folder(u"LoopB", 2, loopA.id);
    loopA.parentFolderID = loopB.id;
    AppFolder underLoop = folder(u"UnderLoop", 3, loopB.id);
    AppFolder orphan = folder(u"Orphan", 4, QUuid::createUuid());
    AppFolder underOrphan = folder(u"UnderOrphan", 5, orphan.id);
    AppFolder self = folder(u"Self", 6, std::nullopt);
    self.parentFolderID = self.id;
    const QList<AppFolder> stored { top, loopA, loopB, underLoop, orphan, underOrphan, self };
    test::storeFolders(f.defaults, f.workspaces, f.finder, stored);

    // The loop is cut at LoopA, the one listed first.
    EXPECT_EQ(shown(SidebarFolderTree::flatten(f.finder)),
        (QStringList { u"Top@0"_qs, u"LoopA@1"_qs, u"  LoopB@1"_qs, u"    UnderLoop@1"_qs, u"Orphan@2"_qs,
            u"  UnderOrphan@2"_qs, u"Self@3"_qs }));
    EXPECT_EQ(f.folderNames(), (QStringList { u"Top"_qs, u"LoopA"_qs, u"Orphan"_qs, u"Self"_qs }));

    // Reordering the shown roots keeps every stored folder and its parent.
    f.finder.reorderFolders({ 3 }, 0);
    EXPECT_EQ(f.folderNames(), (QStringList { u"Self"_qs, u"Top"_qs, u"LoopA"_qs, u"Orphan"_qs }));
    ASSERT_EQ(f.finder.folders().size(), stored.size());
    for (const auto &before : stored) {
        EXPECT_EQ(f.folder(before.name).parentFolderID, before.parentFolderID) << before.name.toStdString();
    }
}
