#include "grid/GridDropRules.h"
#include "platform/core/BundleUrl.h"

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

AppItem app(const QString &path)
{
    return AppItem(
        path.section(u'/', -1).chopped(4), BundleUrl::directoryUrl(path), QStringLiteral("Utilities"));
}

struct PathCase
{
    const char *text;
    const char *path; // null: names no bundle
};

class BundlePathOfText : public ::testing::TestWithParam<PathCase>
{
};

TEST_P(BundlePathOfText, ReadsOnlyLocalFileUrls)
{
    const PathCase c = GetParam();
    const auto path = GridDropRules::bundlePathOfText(QString::fromUtf8(c.text));
    if (c.path) {
        ASSERT_TRUE(path) << c.text;
        EXPECT_EQ(*path, QString::fromUtf8(c.path));
    } else {
        EXPECT_FALSE(path) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, BundlePathOfText,
    ::testing::Values(PathCase { "file:///A.app", "/A.app" }, PathCase { "file:///A.app/", "/A.app" },
        PathCase { "file:///A.app//", "/A.app" },
        PathCase { "  file:///Applications/Caf%C3%A9.app/\n", "/Applications/Café.app" },
        PathCase { "file://localhost/A.app", "/A.app" },
        PathCase { "file:///Applications/My%20App.app/", "/Applications/My App.app" },
        PathCase { "file://otherhost/A.app", nullptr }, PathCase { "https://example.com/A.app", nullptr },
        PathCase { "/Applications/A.app", nullptr }, PathCase { "A.app", nullptr }, PathCase { "", nullptr },
        PathCase { "   ", nullptr }, PathCase { "file:///A.app\nfile:///B.app", nullptr },
        PathCase { "file:", nullptr }));

TEST(GridDropRules, URLsWithAndWithoutTheClosingSlashNameOneBundle)
{
    const QList<AppItem> apps { app(QStringLiteral("/Applications/A.app")),
        app(QStringLiteral("/Applications/B.app")) };
    for (const char *text : { "file:///Applications/B.app", "file:///Applications/B.app/" }) {
        const auto found = GridDropRules::appForFolderDrop(apps, QString::fromLatin1(text), {});
        ASSERT_TRUE(found) << text;
        EXPECT_EQ(found->name(), u"B");
    }
}

TEST(GridDropRules, AFolderDropTakesTheTextFirstThenTheFirstUrl)
{
    const QList<AppItem> apps { app(QStringLiteral("/A.app")), app(QStringLiteral("/B.app")) };
    const QList<QUrl> urls { QUrl(QStringLiteral("file:///B.app")), QUrl(QStringLiteral("file:///A.app")) };
    EXPECT_EQ(GridDropRules::appForFolderDrop(apps, QStringLiteral("file:///A.app/"), urls)->name(), u"A");
    EXPECT_EQ(GridDropRules::appForFolderDrop(apps, QStringLiteral("some words"), urls)->name(), u"B");
    EXPECT_EQ(GridDropRules::appForFolderDrop(apps, QString(), urls)->name(), u"B");
    // Nothing installed under the path: nothing.
    EXPECT_FALSE(GridDropRules::appForFolderDrop(apps, QStringLiteral("file:///C.app"), {}));
    EXPECT_FALSE(GridDropRules::appForFolderDrop(apps, QStringLiteral("words"), {}));
    EXPECT_FALSE(GridDropRules::appForFolderDrop({}, QStringLiteral("file:///A.app"), urls));
}

TEST(GridDropRules, TheSourceTakesTheTargetsPlaceInBothDirections)
{
    AppFolder folder;
    folder.appURLs = { QStringLiteral("file:///A.app/"), QStringLiteral("file:///B.app"),
        QStringLiteral("file:///C.app/"), QStringLiteral("file:///D.app/") };
    // Later: the destination counts places before the source leaves.
    EXPECT_EQ(GridDropRules::moveOnto(folder, QStringLiteral("/A.app"), QStringLiteral("/C.app")),
        (GridDropRules::Move { 0, 3 }));
    // Earlier.
    EXPECT_EQ(GridDropRules::moveOnto(folder, QStringLiteral("/D.app"), QStringLiteral("/B.app")),
        (GridDropRules::Move { 3, 1 }));
    // Onto itself: stays.
    EXPECT_EQ(GridDropRules::moveOnto(folder, QStringLiteral("/B.app"), QStringLiteral("/B.app")),
        (GridDropRules::Move { 1, 1 }));
    // Not a member: no move.
    EXPECT_FALSE(GridDropRules::moveOnto(folder, QStringLiteral("/E.app"), QStringLiteral("/B.app")));
    EXPECT_FALSE(GridDropRules::moveOnto(folder, QStringLiteral("/A.app"), QStringLiteral("/E.app")));
}

TEST(GridDropRules, StoredEntriesThatAreNoUrlsAreSkipped)
{
    AppFolder folder;
    folder.appURLs = { QStringLiteral("garbage"), QStringLiteral("file:///A.app/") };
    EXPECT_EQ(GridDropRules::positionInFolder(folder, QStringLiteral("/A.app")), 1);
    EXPECT_EQ(GridDropRules::positionInFolder(folder, QStringLiteral("garbage")), -1);
}

} // namespace
