#include "platform/base/SystemPaths.h"
#include "platform/core/BundleUrl.h"
#include "platform/core/ListMove.h"
#include "platform/core/NameComparison.h"
#include "platform/core/NotificationCenter.h"
#include "platform/core/UuidText.h"

#include <QLocale>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>

using namespace brimlark;

TEST(UuidText, AcceptsOnlyTheCanonicalShapeInEitherCase)
{
    const auto lower = UuidText::parse(u"d3b07384-d113-4e4e-a343-a33a0a26f3d3");
    ASSERT_TRUE(lower);
    EXPECT_EQ(UuidText::format(*lower), QStringLiteral("D3B07384-D113-4E4E-A343-A33A0A26F3D3"));
    EXPECT_EQ(UuidText::parse(u"D3B07384-D113-4E4E-A343-A33A0A26F3D3"), lower);
    EXPECT_TRUE(UuidText::parse(u"00000000-0000-0000-0000-000000000000"));
    for (const char16_t *bad :
        { u"", u"{d3b07384-d113-4e4e-a343-a33a0a26f3d3}", u"d3b07384-d113-4e4e-a343-a33a0a26f3d3x",
            u"d3b07384d1134e4ea343a33a0a26f3d3", u"d3b07384-d113-4e4e-a343-a33a0a26f3dg",
            u" d3b07384-d113-4e4e-a343-a33a0a26f3d", u"d3b07384-d113-4e4e-a343_a33a0a26f3d3" }) {
        EXPECT_FALSE(UuidText::parse(QStringView(bad))) << QString::fromUtf16(bad).toStdString();
    }
}

TEST(BundleUrl, DirectoryUrlTextIsStableAndEncoded)
{
    const QString text = BundleUrl::directoryUrlText(QStringLiteral("/Applications/My App.app"));
    EXPECT_EQ(text, QStringLiteral("file:///Applications/My%20App.app/"));
    EXPECT_EQ(BundleUrl::directoryUrlText(QStringLiteral("/Applications/My App.app/")), text);
    EXPECT_EQ(BundleUrl::directoryUrlText(QStringLiteral("/Applications//My App.app")), text);
    EXPECT_EQ(BundleUrl::pathOfText(text), QStringLiteral("/Applications/My App.app"));
    EXPECT_EQ(BundleUrl::pathOf(QUrl::fromLocalFile(QStringLiteral("/"))), QStringLiteral("/"));
}

TEST(ListMove, MovesBlocksBeforeTheDestinationElement)
{
    struct Case
    {
        std::set<int> sources;
        int destination;
        QStringList expected;
    };
    const QStringList base { QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
        QStringLiteral("d"), QStringLiteral("e") };
    auto L = [](std::initializer_list<const char *> items) {
        QStringList out;
        for (auto i : items) {
            out << QString::fromLatin1(i);
        }
        return out;
    };
    const std::vector<Case> cases {
        { { 0 }, 2, L({ "b", "a", "c", "d", "e" }) },
        { { 0 }, 5, L({ "b", "c", "d", "e", "a" }) },
        { { 4 }, 0, L({ "e", "a", "b", "c", "d" }) },
        { { 1, 3 }, 0, L({ "b", "d", "a", "c", "e" }) },
        { { 1, 3 }, 5, L({ "a", "c", "e", "b", "d" }) },
        { { 1, 3 }, 3, L({ "a", "c", "b", "d", "e" }) },
        { { 2 }, 2, L({ "a", "b", "c", "d", "e" }) },
        { { 2 }, 3, L({ "a", "b", "c", "d", "e" }) },
        // Out-of-range sources are ignored; the destination is clamped.
        { { 7, -1 }, 1, L({ "a", "b", "c", "d", "e" }) },
        { { 0, 9 }, 99, L({ "b", "c", "d", "e", "a" }) },
        { { 4 }, -3, L({ "e", "a", "b", "c", "d" }) },
    };
    for (const auto &c : cases) {
        QStringList list = base;
        ListMove::apply(list, c.sources, c.destination);
        EXPECT_EQ(list, c.expected) << "destination " << c.destination;
    }
    std::vector<int> empty;
    ListMove::apply(empty, { 0 }, 0);
    EXPECT_TRUE(empty.empty());
}

TEST(NameComparison, SortsLikeAPersonUnderTheCLocale)
{
    NameComparison c { QLocale::c() };
    QStringList names { QStringLiteral("zebra"), QStringLiteral("Apple"), QStringLiteral("éclair"),
        QStringLiteral("banana") };
    std::stable_sort(
        names.begin(), names.end(), [&](const QString &a, const QString &b) { return c.lessThan(a, b); });
    EXPECT_EQ(names,
        (QStringList { QStringLiteral("Apple"), QStringLiteral("banana"), QStringLiteral("éclair"),
            QStringLiteral("zebra") }));
    EXPECT_EQ(c.compare(QStringLiteral("Safari"), QStringLiteral("safari")), 0);
}

TEST(NotificationCenter, DeliversSynchronouslyAndForgetsDestroyedObservers)
{
    NotificationCenter center;
    QStringList seen;
    auto context = std::make_unique<QObject>();
    center.addObserver(
        Notifications::WorkspaceChanged, context.get(), [&](const QVariant &v) { seen << v.toString(); });
    const auto token = center.addObserver(
        Notifications::WorkspaceChanged, nullptr, [&](const QVariant &) { seen << QStringLiteral("free"); });
    center.post(Notifications::HotkeyTriggered);
    center.post(Notifications::WorkspaceChanged, QStringLiteral("x"));
    EXPECT_EQ(seen, (QStringList { QStringLiteral("x"), QStringLiteral("free") }));
    context.reset();
    center.removeObserver(token);
    center.post(Notifications::WorkspaceChanged, QStringLiteral("y"));
    EXPECT_EQ(seen.size(), 2);
}

TEST(SystemPaths, EveryPathComesFromTheTwoRoots)
{
    SystemPaths::overrideRoots("/tmp/h/", "/tmp/r");
    EXPECT_EQ(SystemPaths::applicationDirectories(),
        (std::vector<std::string> {
            "/tmp/r/Applications", "/tmp/r/System/Applications", "/tmp/h/Applications" }));
    EXPECT_EQ(SystemPaths::caches(), "/tmp/h/Library/Caches");
    EXPECT_EQ(SystemPaths::systemLibrary(), "/tmp/r/Library");
    SystemPaths::overrideRoots("/home/u", "/");
    EXPECT_EQ(SystemPaths::applicationDirectories().front(), "/Applications");
    SystemPaths::overrideRoots({}, {});
}
