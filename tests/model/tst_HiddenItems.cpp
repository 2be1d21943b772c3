#include "model/HiddenItems.h"
#include "model/StoredStrings.h"
#include "platform/base/Defaults.h"
#include "platform/core/UuidText.h"

#include <gtest/gtest.h>

using namespace brimlark;

TEST(HiddenItems, LoadsValidEntriesAndStoresEveryChangeSorted)
{
    Defaults defaults;
    const QUuid id = QUuid::createUuid();
    StoredStrings::write(
        defaults, HiddenItems::hiddenFoldersKey, { UuidText::format(id).toLower(), QStringLiteral("nope") });
    StoredStrings::write(defaults, HiddenItems::hiddenAppsKey, { QStringLiteral("/b.app") });
    HiddenItems hidden(defaults);
    EXPECT_EQ(hidden.folderIDs(), QSet<QUuid> { id });
    EXPECT_EQ(hidden.appPaths(), QSet<QString> { QStringLiteral("/b.app") });

    hidden.setAppHidden(QStringLiteral("/a.app"), true);
    EXPECT_EQ(StoredStrings::read(defaults, HiddenItems::hiddenAppsKey),
        (QStringList { QStringLiteral("/a.app"), QStringLiteral("/b.app") }));
    // Showing a folder that was not hidden still stores the set, without the
    // text that was not an id.
    hidden.setFolderHidden(QUuid::createUuid(), false);
    EXPECT_EQ(
        StoredStrings::read(defaults, HiddenItems::hiddenFoldersKey), QStringList { UuidText::format(id) });
    hidden.setAppHidden(QStringLiteral("/b.app"), false);
    EXPECT_EQ(HiddenItems(defaults).appPaths(), QSet<QString> { QStringLiteral("/a.app") });
}
