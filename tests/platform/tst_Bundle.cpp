#include "BundleFixtures.h"
#include "HostileFiles.h"
#include "TestSupport.h"

#include "platform/core/Bundle.h"

#include <QDateTime>
#include <QFile>

#include <gtest/gtest.h>

using namespace brimlark;
using namespace brimlark::test;

namespace {
const InfoEntries sampleEntries = {
    { QStringLiteral("CFBundleExecutable"), QStringLiteral("runner") },
    { QStringLiteral("LSApplicationCategoryType"), QStringLiteral("public.app-category.games") },
    { QStringLiteral("CFBundleName"), QStringLiteral("Ça Marche") },
    { QStringLiteral("LSMinimumVersion"), 14 },
    { QStringLiteral("NSHighResolutionCapable"), true },
};
} // namespace

TEST(Bundle, ReadsTextKeysFromXmlAndBinaryLists)
{
    TemporaryRoots roots;
    for (bool binary : { false, true }) {
        const QString path = makeBundle(roots.root(),
            binary ? QStringLiteral("Bin.app") : QStringLiteral("Xml.app"), sampleEntries, binary);
        const auto bundle = Bundle::open(path);
        ASSERT_TRUE(bundle) << binary;
        EXPECT_TRUE(bundle->hasInfo());
        EXPECT_EQ(bundle->stringForInfoKey(QStringLiteral("LSApplicationCategoryType")),
            QStringLiteral("public.app-category.games"));
        EXPECT_EQ(bundle->stringForInfoKey(QStringLiteral("CFBundleName")), QStringLiteral("Ça Marche"));
        // Keys of other types are not text.
        EXPECT_FALSE(bundle->stringForInfoKey(QStringLiteral("LSMinimumVersion")));
        EXPECT_FALSE(bundle->stringForInfoKey(QStringLiteral("NSHighResolutionCapable")));
        EXPECT_FALSE(bundle->stringForInfoKey(QStringLiteral("Missing")));
        EXPECT_EQ(bundle->executablePath(), path + QStringLiteral("/Contents/MacOS/runner"));
    }
}

TEST(Bundle, UnreadableListsLeaveTheBundleOpenWithoutKeys)
{
    TemporaryRoots roots;
    struct Case
    {
        const char *name;
        QByteArray info;
    };
    const QByteArray oversized = QByteArray("<?xml version=\"1.0\"?><plist><dict><key>a</key><string>")
        + QByteArray(Bundle::MaxInfoPlistBytes, 'x') + QByteArray("</string></dict></plist>");
    const std::vector<Case> cases = {
        { "no list", {} },
        { "garbage", QByteArray("not a property list at all") },
        { "truncated binary", infoPlist(sampleEntries, true).left(20) },
        { "truncated xml", infoPlist(sampleEntries, false).left(60) },
        { "array root",
            QByteArray(
                "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>a</string></array></plist>") },
        { "oversized", oversized },
    };
    for (const Case &c : cases) {
        const QString path
            = makeBundle(roots.root(), QString::fromLatin1(c.name) + QStringLiteral(".app"), c.info);
        const auto bundle = Bundle::open(path);
        ASSERT_TRUE(bundle) << c.name;
        EXPECT_FALSE(bundle->hasInfo()) << c.name;
        EXPECT_FALSE(bundle->stringForInfoKey(QStringLiteral("CFBundleExecutable"))) << c.name;
        EXPECT_FALSE(bundle->executablePath()) << c.name;
    }
}

TEST(Bundle, TheIconStampChangesWithEachFileItComesFrom)
{
    TemporaryRoots roots;
    enum Change { Add, RewriteOlder, Remove };
    const struct
    {
        const char *file;
        Change change;
    } cases[] = {
        { "new", Add },
        { "Contents/new", Add },
        { "Contents/Info.plist", RewriteOlder },
        { "Contents/Resources/new", Add },
        { "Contents/Resources/icon.png", RewriteOlder },
        { "Contents/Resources/icon.png", Remove },
    };
    int n = 0;
    for (const auto &c : cases) {
        const QString path = makeBundle(roots.root(), QStringLiteral("B%1.app").arg(n++),
            { { QStringLiteral("CFBundleIconFile"), QStringLiteral("icon") } }, false);
        ASSERT_TRUE(TemporaryRoots::writeFile(path + QStringLiteral("/Contents/Resources/icon.png"), "png"));
        const quint64 before = Bundle::iconStampOf(path);
        EXPECT_EQ(Bundle::openListed(path).survey().iconStamp, before) << c.file;
        const QString file = path + u'/' + QString::fromLatin1(c.file);
        if (c.change == Add) {
            ASSERT_TRUE(TemporaryRoots::writeFile(file, "x"));
        } else if (c.change == Remove) {
            ASSERT_TRUE(QFile::remove(file));
        } else {
            // Rewritten in place, the same size and a day older: no folder changes.
            QFile same(file);
            ASSERT_TRUE(same.open(QIODevice::ReadWrite));
            const QByteArray bytes = same.readAll();
            ASSERT_TRUE(same.seek(0) && same.write(bytes) == bytes.size());
            ASSERT_TRUE(same.setFileTime(
                QDateTime::currentDateTimeUtc().addDays(-1), QFileDevice::FileModificationTime));
        }
        EXPECT_NE(Bundle::iconStampOf(path), before) << c.file;
        EXPECT_EQ(Bundle::openListed(path).survey().iconStamp, Bundle::iconStampOf(path)) << c.file;
    }
}

TEST(Bundle, OnlyDirectoriesOpen)
{
    TemporaryRoots roots;
    const QString file = roots.root() + QStringLiteral("/Plain.app");
    ASSERT_TRUE(TemporaryRoots::writeFile(file, "x"));
    EXPECT_FALSE(Bundle::open(file));
    EXPECT_FALSE(Bundle::open(roots.root() + QStringLiteral("/Missing.app")));
    EXPECT_FALSE(Bundle::open(QString()));
}

TEST(Bundle, ExecutableNameStaysInsideTheBundle)
{
    TemporaryRoots roots;
    for (const char *name : { "../../../bin/sh", "sub/tool", "..", ".", "" }) {
        const QString path = makeBundle(roots.root(), QStringLiteral("Bad.app"),
            { { QStringLiteral("CFBundleExecutable"), QString::fromLatin1(name) } }, false);
        const auto bundle = Bundle::open(path);
        ASSERT_TRUE(bundle);
        EXPECT_FALSE(bundle->executablePath()) << name;
    }
}

TEST(Bundle, HostileListsNeitherCrashNorBlockTheReader)
{
    TemporaryRoots roots;
    // Megabytes of nesting once overflowed the parser's stack.
    for (const QByteArray &deep : { deeplyNestedXml(250000), deeplyNestedBinary(350000) }) {
        ASSERT_LT(deep.size(), Bundle::MaxInfoPlistBytes);
        const QString path = makeBundle(roots.root(), QStringLiteral("Deep.app"), deep);
        EXPECT_FALSE(Bundle::openListed(path).hasInfo());
    }
    // A named pipe once held the scan (and the quit) for ever.
    const QString path = roots.root() + QStringLiteral("/Pipe.app");
    ASSERT_TRUE(QDir().mkpath(path + QStringLiteral("/Contents")));
    ASSERT_TRUE(makeFifo(path + QStringLiteral("/Contents/Info.plist")));
    bool hasInfo = true;
    EXPECT_TRUE(returnsWithoutBlocking([&] { hasInfo = Bundle::openListed(path).hasInfo(); },
        path + QStringLiteral("/Contents/Info.plist")));
    EXPECT_FALSE(hasInfo);
}
