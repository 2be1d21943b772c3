#include "BundleFixtures.h"
#include "IconFixtures.h"
#include "TestSupport.h"

#include "platform/gui/AppWorkspace.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace brimlark;
using namespace brimlark::test;

namespace {
QRgb centre(const QImage &image)
{
    return image.pixel(image.width() / 2, image.height() / 2) | 0xFF000000u;
}

bool samePixels(const QImage &a, const QImage &b)
{
    return a.size() == b.size()
        && a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

QString iconBundle(const QString &folder, const QString &name, const QString &iconKey, const QString &file,
    const QByteArray &bytes)
{
    InfoEntries entries;
    if (!iconKey.isEmpty()) {
        entries.push_back({ QStringLiteral("CFBundleIconFile"), iconKey });
    }
    entries.push_back({ QStringLiteral("CFBundleExecutable"), QStringLiteral("run") });
    const QString path = makeBundle(folder, name, entries, true);
    if (!file.isEmpty()) {
        TemporaryRoots::writeFile(path + QStringLiteral("/Contents/Resources/") + file, bytes);
    }
    return path;
}

AppWorkspace themelessWorkspace()
{
    return AppWorkspace(AppWorkspace::IconThemeOptions {});
}
} // namespace

TEST(AppWorkspace, IconFamilyGivesTheMemberThatCoversTheSize)
{
    TemporaryRoots roots;
    const QByteArray icns = icnsBytes({ { QByteArrayLiteral("ic07"), pngBytes(Qt::red, 128) },
        { QByteArrayLiteral("ic08"), pngBytes(Qt::blue, 256) } });
    const QString app = iconBundle(roots.root(), QStringLiteral("Icons.app"), QStringLiteral("AppIcon"),
        QStringLiteral("AppIcon.icns"), icns);
    AppWorkspace workspace = themelessWorkspace();
    struct Case
    {
        int requested;
        int side;
        QRgb colour;
    };
    for (const Case &c : { Case { 64, 64, qRgb(255, 0, 0) }, Case { 128, 128, qRgb(255, 0, 0) },
             Case { 200, 200, qRgb(0, 0, 255) }, Case { 1024, 256, qRgb(0, 0, 255) } }) {
        const QImage image = workspace.iconForFile(app, c.requested);
        ASSERT_FALSE(image.isNull()) << c.requested;
        EXPECT_EQ(image.size(), QSize(c.side, c.side)) << c.requested;
        EXPECT_EQ(centre(image), c.colour) << c.requested;
    }
}

TEST(AppWorkspace, IconFileNameResolvesInResources)
{
    TemporaryRoots roots;
    AppWorkspace workspace = themelessWorkspace();
    const QByteArray green = pngBytes(Qt::green, 64);
    struct Case
    {
        const char *key;
        const char *file;
        bool icns = false;
    };
    int n = 0;
    // The last is an icon family misnamed as a PNG: read by what it holds.
    for (const Case &c : { Case { "Icon.png", "Icon.png" }, Case { "Icon", "Icon.png" },
             Case { "Pic.icns", "Pic.icns", true }, Case { "Odd.png", "Odd.png", true } }) {
        const QByteArray bytes
            = c.icns ? icnsBytes({ { QByteArrayLiteral("ic07"), pngBytes(Qt::green, 128) } }) : green;
        const QString app = iconBundle(roots.root(), QStringLiteral("A%1.app").arg(n++),
            QString::fromLatin1(c.key), QString::fromLatin1(c.file), bytes);
        EXPECT_EQ(AppWorkspace::bundleIconFile(app),
            app + QStringLiteral("/Contents/Resources/") + QLatin1String(c.file));
        const QImage image = workspace.iconForFile(app, 64);
        EXPECT_EQ(image.size(), QSize(64, 64)) << c.key;
        EXPECT_EQ(centre(image), qRgb(0, 255, 0)) << c.key;
    }
}

TEST(AppWorkspace, LargeIconsAreDecodedWithinTheBound)
{
    TemporaryRoots roots;
    QImage wide(600, 300, QImage::Format_ARGB32);
    wide.fill(Qt::yellow);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    wide.save(&buffer, "PNG");
    const QString app = iconBundle(roots.root(), QStringLiteral("Wide.app"), QStringLiteral("Wide.png"),
        QStringLiteral("Wide.png"), bytes);
    const QImage image = themelessWorkspace().iconForFile(app, 256);
    EXPECT_EQ(image.size(), QSize(256, 128));
}

TEST(AppWorkspace, BundlesWithoutAUsableIconGetTheGenericIcon)
{
    TemporaryRoots roots;
    AppWorkspace workspace = themelessWorkspace();
    const QImage generic = workspace.genericApplicationIcon(64);
    ASSERT_FALSE(generic.isNull());
    EXPECT_EQ(generic.size(), QSize(64, 64));
    // Drawn once per size and shared, not decoded again for each bundle.
    EXPECT_EQ(workspace.genericApplicationIcon(64).cacheKey(), generic.cacheKey());
    EXPECT_EQ(workspace.genericApplicationIcon(32).size(), QSize(32, 32));

    // Outside the bundle: must not be read even though it exists.
    TemporaryRoots::writeFile(roots.root() + QStringLiteral("/outside.png"), pngBytes(Qt::red, 64));
    const std::vector<QString> apps = {
        iconBundle(roots.root(), QStringLiteral("NoKey.app"), {}, {}, {}),
        iconBundle(roots.root(), QStringLiteral("Missing.app"), QStringLiteral("Gone"), {}, {}),
        iconBundle(roots.root(), QStringLiteral("Corrupt.app"), QStringLiteral("AppIcon"),
            QStringLiteral("AppIcon.icns"), QByteArrayLiteral("icns\x00\x00\x00\x10garbage!")),
        iconBundle(
            roots.root(), QStringLiteral("Escape.app"), QStringLiteral("../../../outside.png"), {}, {}),
        makeBundle(roots.root(), QStringLiteral("NoInfo.app"), QByteArray()),
        roots.root() + QStringLiteral("/NotThere.app"),
    };
    for (const QString &app : apps) {
        EXPECT_TRUE(samePixels(workspace.iconForFile(app, 64), generic)) << app.toStdString();
    }
}

TEST(AppWorkspace, OtherFilesGetTheirTypesThemeIcon)
{
    TemporaryRoots roots;
    const QString icons = roots.root() + QStringLiteral("/icons");
    TemporaryRoots::writeFile(
        icons + QStringLiteral("/Test/16x16/mimetypes/text-plain.png"), pngBytes(Qt::red, 16));
    TemporaryRoots::writeFile(
        icons + QStringLiteral("/Test/64x64/mimetypes/text-plain.png"), pngBytes(Qt::green, 64));
    TemporaryRoots::writeFile(
        icons + QStringLiteral("/Test/48x48/mimetypes/image-png.png"), pngBytes(Qt::cyan, 48));
    TemporaryRoots::writeFile(
        icons + QStringLiteral("/Fallback/32x32/mimetypes/text-x-generic.png"), pngBytes(Qt::blue, 32));
    AppWorkspace workspace(
        AppWorkspace::IconThemeOptions { { icons }, { QStringLiteral("Test"), QStringLiteral("Fallback") } });

    const QString text = roots.home() + QStringLiteral("/notes.txt");
    TemporaryRoots::writeFile(text, "hello");
    // The smallest picture that covers the size wins over a smaller one.
    QImage image = workspace.iconForFile(text, 32);
    EXPECT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(centre(image), qRgb(0, 255, 0));
    // Larger than any picture: the largest, not scaled up.
    image = workspace.iconForFile(text, 128);
    EXPECT_EQ(centre(image), qRgb(0, 255, 0));
    EXPECT_EQ(image.size(), QSize(64, 64));

    const QString png = roots.home() + QStringLiteral("/picture.png");
    TemporaryRoots::writeFile(png, pngBytes(Qt::black, 4));
    EXPECT_EQ(centre(workspace.iconForFile(png, 48)), qRgb(0, 255, 255));

    // A type the theme has no picture for falls back to the generic document of a later theme.
    const QString other = roots.home() + QStringLiteral("/data.unknownext");
    TemporaryRoots::writeFile(other, QByteArray("\x01\x02\x03", 3));
    EXPECT_EQ(centre(workspace.iconForFile(other, 32)), qRgb(0, 0, 255));

    // No theme at all: the shipped document picture.
    const QImage document = themelessWorkspace().iconForFile(text, 48);
    EXPECT_FALSE(document.isNull());
    EXPECT_LE(std::max(document.width(), document.height()), 48);
}

TEST(AppWorkspace, OpensABundlesExecutableDetached)
{
    TemporaryRoots roots;
    const QString marker = roots.home() + QStringLiteral("/started");
    const QString app = makeBundle(roots.root(), QStringLiteral("Runner.app"),
        { { QStringLiteral("CFBundleExecutable"), QStringLiteral("runner") } }, false);
    const QString exe = app + QStringLiteral("/Contents/MacOS/runner");
    TemporaryRoots::writeFile(exe, QStringLiteral("#!/bin/sh\necho ok > '%1'\n").arg(marker).toUtf8());
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    AppWorkspace workspace = themelessWorkspace();
    EXPECT_TRUE(workspace.openApplication(app));
    EXPECT_TRUE(waitUntil([&] { return QFileInfo(marker).size() > 0; }));
}

TEST(AppWorkspace, UnopenableApplicationsReportFailure)
{
    TemporaryRoots roots;
    AppWorkspace workspace = themelessWorkspace();
    const QString noExe = makeBundle(roots.root(), QStringLiteral("NoExe.app"),
        { { QStringLiteral("CFBundleExecutable"), QStringLiteral("runner") } }, true);
    const QString notExecutable = makeBundle(roots.root(), QStringLiteral("Plain.app"),
        { { QStringLiteral("CFBundleExecutable"), QStringLiteral("runner") } }, true);
    TemporaryRoots::writeFile(notExecutable + QStringLiteral("/Contents/MacOS/runner"), "#!/bin/sh\n");
    QFile::setPermissions(
        notExecutable + QStringLiteral("/Contents/MacOS/runner"), QFile::ReadOwner | QFile::WriteOwner);
    const QString escape = makeBundle(roots.root(), QStringLiteral("Escape.app"),
        { { QStringLiteral("CFBundleExecutable"), QStringLiteral("../../../../bin/true") } }, true);
    const QString folderExe = makeBundle(roots.root(), QStringLiteral("Folder.app"),
        { { QStringLiteral("CFBundleExecutable"), QStringLiteral("runner") } }, true);
    QDir().mkpath(folderExe + QStringLiteral("/Contents/MacOS/runner"));
    const QString file = roots.root() + QStringLiteral("/File.app");
    TemporaryRoots::writeFile(file, "x");
    for (const QString &path : { noExe, notExecutable, escape, folderExe, file,
             makeBundle(roots.root(), QStringLiteral("Empty.app"), QByteArray()),
             roots.root() + QStringLiteral("/Missing.app"), QString() }) {
        EXPECT_FALSE(workspace.openApplication(path)) << path.toStdString();
    }
    // Without a GUI application there is no desktop to hand URLs to.
    EXPECT_FALSE(workspace.openUrl(QUrl(QStringLiteral("file:///tmp"))));
}

TEST(AppWorkspace, SampleBundlesShowTheirOwnIcons)
{
    TemporaryRoots roots;
    QProcess generator;
    generator.start(QStandardPaths::findExecutable(QStringLiteral("python3")),
        { sourceDir() + QStringLiteral("/samples/generate.py"), roots.root(), QStringLiteral("--home"),
            roots.home(), QStringLiteral("--force") });
    ASSERT_TRUE(generator.waitForFinished(60000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();

    AppWorkspace workspace = themelessWorkspace();
    const QImage generic = workspace.genericApplicationIcon(128);
    int own = 0;
    int placeholders = 0;
    const QStringList folders = { roots.root() + QStringLiteral("/Applications"),
        roots.root() + QStringLiteral("/System/Applications"),
        roots.home() + QStringLiteral("/Applications") };
    for (const QString &folder : folders) {
        const QStringList bundles
            = QDir(folder).entryList({ QStringLiteral("*.app") }, QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &name : bundles) {
            if (!name.endsWith(QStringLiteral(".app"))) {
                continue; // not a bundle name: the folder with the upper-case extension
            }
            const QString path = folder + u'/' + name;
            const QImage icon = workspace.iconForFile(path, 128);
            ASSERT_EQ(icon.size(), QSize(128, 128)) << path.toStdString();
            const bool hasFile = AppWorkspace::bundleIconFile(path).has_value();
            EXPECT_EQ(!samePixels(icon, generic), hasFile) << path.toStdString();
            (hasFile ? own : placeholders)++;
        }
    }
    EXPECT_GE(own, 30);
    EXPECT_GE(placeholders, 3); // no key, or a key naming a missing file
}
