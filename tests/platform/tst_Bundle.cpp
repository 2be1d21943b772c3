#include "BundleFixtures.h"
#include "HostileFiles.h"
#include "TestSupport.h"

#include "platform/core/Bundle.h"

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
