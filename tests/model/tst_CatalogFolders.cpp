#include "model/CatalogFolders.h"
#include "model/WorkspaceManager.h"
#include "platform/base/Defaults.h"
#include "platform/core/NotificationCenter.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using namespace brimlark;

namespace {

struct Folders
{
    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager workspaces { defaults, center };
    QDateTime now = QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
    CatalogFolders folders { defaults, workspaces, [this] { return now; } };

    QStringList names() const
    {
        QStringList out;
        for (const auto &f : folders.folders()) {
            out << f.name;
        }
        return out;
    }
    QUuid idOf(const QString &name) const
    {
        for (const auto &f : folders.folders()) {
            if (f.name == name) {
                return f.id;
            }
        }
        return {};
    }
};

} // namespace

TEST(CatalogFolders, EditsFindTheFolderByIdAndAnUnknownIdChangesNothing)
{
    Folders f;
    f.folders.create(
        QStringLiteral("Work"), QStringLiteral("folder"), QStringLiteral("#000000"), std::nullopt);
    const QUuid work = f.idOf(QStringLiteral("Work"));
    ASSERT_NE(f.folders.find(work), nullptr);
    EXPECT_TRUE(f.folders.addApp(work, QStringLiteral("file:///A.app/")));
    EXPECT_FALSE(f.folders.addApp(work, QStringLiteral("file:///A.app/")));
    EXPECT_TRUE(f.folders.rename(work, QStringLiteral("Play")));

    const QUuid stranger = QUuid::createUuid();
    const auto before
        = f.defaults.data(f.workspaces.perWorkspaceKey(CatalogFolders::foldersBase).toStdString());
    EXPECT_FALSE(f.folders.remove(stranger));
    EXPECT_FALSE(f.folders.rename(stranger, QStringLiteral("x")));
    EXPECT_FALSE(f.folders.togglePin(stranger));
    EXPECT_FALSE(f.folders.addApp(stranger, QStringLiteral("file:///A.app/")));
    EXPECT_FALSE(f.folders.reorderApps(stranger, { 0 }, 1));
    EXPECT_FALSE(f.folders.update(stranger, QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("x")));
    EXPECT_EQ(
        f.defaults.data(f.workspaces.perWorkspaceKey(CatalogFolders::foldersBase).toStdString()), before);

    // What was saved is what a fresh load reads.
    CatalogFolders again(f.defaults, f.workspaces, [&f] { return f.now; });
    again.load();
    ASSERT_NE(again.find(work), nullptr);
    EXPECT_EQ(again.find(work)->name, QStringLiteral("Play"));
    EXPECT_EQ(again.find(work)->appURLs, QStringList { QStringLiteral("file:///A.app/") });
}

TEST(CatalogFolders, PinnedGoFirstNewFoldersGoLastAndRootReordersSkipHiddenFolders)
{
    Folders f;
    for (const char *name : { "A", "B", "C" }) {
        f.folders.create(
            QString::fromLatin1(name), QStringLiteral("folder"), QStringLiteral("#000000"), std::nullopt);
    }
    EXPECT_EQ(f.names(), (QStringList { QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C") }));
    f.folders.togglePin(f.idOf(QStringLiteral("C")));
    EXPECT_EQ(f.names().first(), QStringLiteral("C"));

    const QSet<QUuid> hidden { f.idOf(QStringLiteral("A")) };
    f.folders.reorderRoots({ 1 }, 0, hidden); // B before C among the visible roots
    EXPECT_EQ(f.folders.find(f.idOf(QStringLiteral("B")))->sortOrder, 0);
    EXPECT_EQ(f.folders.find(f.idOf(QStringLiteral("C")))->sortOrder, 1);
    EXPECT_EQ(f.folders.roots(hidden).size(), 2);

    // A new folder after an order at the largest value does not wrap round.
    QList<AppFolder> list = f.folders.folders();
    list.first().sortOrder = std::numeric_limits<qint64>::max();
    f.folders.set(list);
    f.folders.create(QStringLiteral("D"), QStringLiteral("folder"), QStringLiteral("#000000"), std::nullopt);
    EXPECT_EQ(f.folders.find(f.idOf(QStringLiteral("D")))->sortOrder, std::numeric_limits<qint64>::max());
}

TEST(CatalogFolders, AGridReorderStoresTheOrderAndNumbersFoldersByPosition)
{
    Folders f;
    f.folders.create(QStringLiteral("A"), QStringLiteral("folder"), QStringLiteral("#000000"), std::nullopt);
    const QUuid a = f.idOf(QStringLiteral("A"));
    const QList<GridItemIdentifier> current { GridItemIdentifier::folder(a),
        GridItemIdentifier::category(QStringLiteral("X")) };
    f.folders.reorderGrid({ 0 }, 2, current);
    EXPECT_EQ(f.folders.gridOrder(), (QList<GridItemIdentifier> { current[1], current[0] }));
    EXPECT_EQ(f.folders.find(a)->sortOrder, 1);
}

// A save encodes again only the folders it has not seen as they are now.
TEST(CatalogFolders, EverySaveStoresEachFolderAsItIsNow)
{
    Folders f;
    for (const char *name : { "A", "B", "C" }) {
        f.folders.create(
            QString::fromLatin1(name), QStringLiteral("folder"), QStringLiteral("#000000"), std::nullopt);
    }
    const QUuid a = f.idOf(QStringLiteral("A"));
    const QUuid b = f.idOf(QStringLiteral("B"));
    const std::pair<const char *, std::function<void()>> edits[] = {
        { "rename", [&] { f.folders.rename(a, QStringLiteral("A2")); } },
        { "pin", [&] { f.folders.togglePin(b); } },
        { "color", [&] { f.folders.setColor(a, QStringLiteral("#FF0000")); } },
        { "icon", [&] { f.folders.setIcon(b, QStringLiteral("star")); } },
        { "add", [&] { f.folders.addApp(a, QStringLiteral("file:///X.app/")); } },
        { "add another", [&] { f.folders.addApp(a, QStringLiteral("file:///Y.app/")); } },
        { "reorder members", [&] { f.folders.reorderApps(a, { 1 }, 0); } },
        { "remove member", [&] { f.folders.removeApp(a, QStringLiteral("file:///X.app/")); } },
        { "reorder roots", [&] { f.folders.reorderRoots({ 2 }, 0, {}); } },
        { "replace and save",
            [&] {
                auto list = f.folders.folders();
                list[0].name = QStringLiteral("Replaced");
                f.folders.set(list);
                f.folders.save();
            } },
        { "remove folder", [&] { f.folders.remove(b); } },
    };
    for (const auto &[name, edit] : edits) {
        edit();
        const auto stored = nlohmann::ordered_json::parse(
            *f.defaults.data(f.workspaces.perWorkspaceKey(CatalogFolders::foldersBase).toStdString()));
        ASSERT_EQ(stored.size(), std::size_t(f.folders.folders().size())) << name;
        for (const auto &element : stored) {
            const auto decoded = AppFolder::fromJson(element);
            ASSERT_TRUE(decoded) << name;
            const AppFolder *now = f.folders.find(decoded->id);
            ASSERT_NE(now, nullptr) << name;
            EXPECT_EQ(element, now->toJson()) << name;
        }
    }
}
