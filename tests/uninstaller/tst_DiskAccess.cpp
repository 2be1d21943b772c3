#include "support/UninstallerFixture.h"

#include "platform/base/DiskAccess.h"
#include "uninstaller/ResidualScan.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace brimlark;

TEST(DiskAccess, GrantedWhenEveryExistingScannedFolderListsAndOpensTheFirstThatDoesNot)
{
    test::ResidualTree tree;
    tree.makeFooLeftovers();
    std::vector<std::string> opened;
    FolderDiskAccess access(
        [&] {
            std::vector<std::string> folders;
            for (const QString &f : ResidualScan::foldersRead(tree.home(), tree.root())) {
                folders.push_back(f.toStdString());
            }
            return folders;
        },
        [&](const std::string &folder) { opened.push_back(folder); });

    // Missing folders (no Library/Receipts at home, ...) are nothing to read.
    EXPECT_TRUE(access.hasAccess());
    access.openSystemSettings();
    EXPECT_TRUE(opened.empty());

    // A folder that cannot be reached (a link to itself) hides what the scan needs.
    const QString caches = tree.home() + QStringLiteral("/Library/Caches");
    const QString logs = tree.home() + QStringLiteral("/Library/Logs");
    ASSERT_TRUE(QDir(caches).removeRecursively());
    ASSERT_TRUE(QDir(logs).removeRecursively());
    ASSERT_TRUE(QFile::link(caches, caches));
    ASSERT_TRUE(QFile::link(logs, logs));
    EXPECT_FALSE(access.hasAccess());
    EXPECT_EQ(access.firstUnreadableFolder(), caches.toStdString());
    access.openSystemSettings();
    EXPECT_EQ(opened, std::vector<std::string> { caches.toStdString() });
}
