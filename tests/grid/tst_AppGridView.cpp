// The grid's views in a window: drags and drops as the window system
// delivers them, and a screenshot of the sample bundles' tiles.

#include "GridFixture.h"
#include "TestSupport.h"

#include "model/AppScanner.h"
#include "platform/gui/AppIconImageProvider.h"
#include "platform/gui/AppIconStore.h"

#include <QAccessible>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>
#include <QStandardPaths>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

// Every message the views print while a test runs.
QStringList s_messages;
QtMessageHandler s_previous = nullptr;

void collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg) {
        s_messages << message;
    }
    s_previous(type, context, message);
}

class GridWindow
{
public:
    GridWindow(test::GridFixture &fixture, QSize size = QSize(1000, 700))
    {
        engine.addImportPath(QStringLiteral("qrc:/"));
        AppIconImageProvider::install(engine, test::sharedIconStore());
        QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Brimlark/Grid/AppGridView.qml")));
        grid.reset(qobject_cast<QQuickItem *>(component.createWithInitialProperties(
            { { QStringLiteral("viewModel"), QVariant::fromValue(fixture.viewModel()) } })));
        if (!grid) {
            ADD_FAILURE() << component.errorString().toStdString();
            return;
        }
        window.resize(size);
        grid->setParentItem(window.contentItem());
        grid->setSize(size);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // Items by object name in the visual tree (delegates have no object parent).
    static void collectItems(QQuickItem *item, const QString &objectName, QList<QQuickItem *> &out)
    {
        for (QQuickItem *child : item->childItems()) {
            if (child->objectName() == objectName) {
                out << child;
            }
            collectItems(child, objectName, out);
        }
    }
    static QQuickItem *findIn(QQuickItem *item, const QString &objectName)
    {
        QList<QQuickItem *> found;
        collectItems(item, objectName, found);
        return found.value(0);
    }
    ~GridWindow()
    {
        // Icons still being loaded arrive before the engine goes (a request
        // cut off by the engine's end is never freed), then the items go,
        // then whatever they left for later deletion.
        if (grid) {
            test::waitUntil([this] { return !anyImageLoading(grid.get()); }, 10000);
        }
        QThreadPool::globalInstance()->waitForDone(10000);
        QCoreApplication::processEvents();
        grid.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // Dropping the window's resources empties the image cache, and with
        // it the tiles' texture factories. The scene graph only queues their
        // textures then, to be freed at the end of its next synchronisation,
        // and the software render context does not free what is still
        // queued when the window goes (they leak at exit). One synchronous
        // frame (a grab renders on this thread) frees them now, instead of
        // whenever an update request happens to be due before the window is
        // destroyed.
        window.releaseResources();
        QCoreApplication::processEvents();
        (void)window.grabWindow();
    }

    static bool anyImageLoading(QQuickItem *item)
    {
        for (QQuickItem *child : item->childItems()) {
            if (child->inherits("QQuickImageBase") && child->property("status").toInt() == 2 /* Loading */) {
                return true;
            }
            if (anyImageLoading(child)) {
                return true;
            }
        }
        return false;
    }

    QQuickItem *find(const QString &objectName) const { return findIn(grid.get(), objectName); }
    QList<QQuickItem *> tiles() const
    {
        QList<QQuickItem *> found;
        collectItems(grid.get(), QStringLiteral("appTile"), found);
        QList<QQuickItem *> out;
        for (QQuickItem *item : found) {
            if (item->isVisible() && item->parentItem() && item->parentItem()->isVisible()) {
                out << item;
            }
        }
        return out;
    }
    QQuickItem *tile(const QString &name) const
    {
        for (QQuickItem *t : tiles()) {
            if (t->property("app").value<AppItem>().name() == name) {
                return t;
            }
        }
        return nullptr;
    }
    QPoint centreOf(QQuickItem *item) const
    {
        return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
    }
    // A drag of `mime` that enters at `to`, moves there, and is dropped
    // when `drop` (else it leaves the window).
    bool drag(QMimeData *mime, QPoint to, bool drop)
    {
        QDragEnterEvent enter(to, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &enter);
        QDragMoveEvent move(to, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &move);
        if (!drop) {
            QDragLeaveEvent leave;
            QCoreApplication::sendEvent(&window, &leave);
            return false;
        }
        QDropEvent dropEvent(to, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &dropEvent);
        return dropEvent.isAccepted();
    }

    QQmlEngine engine;
    QQuickWindow window;
    std::unique_ptr<QQuickItem> grid;
};

class AppGridViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        s_messages.clear();
        s_previous = qInstallMessageHandler(collect);
    }
    void TearDown() override
    {
        qInstallMessageHandler(s_previous);
        EXPECT_TRUE(s_messages.isEmpty()) << s_messages.join(u'\n').toStdString();
    }

    static QMimeData *uriList(const QString &urlText)
    {
        auto *mime = new QMimeData;
        mime->setData(QStringLiteral("text/uri-list"), urlText.toUtf8() + "\r\n");
        return mime;
    }
};

TEST_F(AppGridViewTest, AFolderTileTakesTheDroppedApplicationsPlace)
{
    test::GridFixture f;
    f.publish(QStringList { u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs });
    f.makeFolder(QStringLiteral("Work"), { u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs });
    f.selectFolder(QStringLiteral("Work"));
    GridWindow w(f);
    ASSERT_TRUE(w.grid);
    ASSERT_TRUE(test::waitUntil([&] { return w.tiles().size() == 4; }));

    std::unique_ptr<QMimeData> mime(uriList(f.urlTextOf(u"A"_qs)));
    EXPECT_TRUE(w.drag(mime.get(), w.centreOf(w.tile(u"C"_qs)), true));
    EXPECT_EQ(f.folderMembers(u"Work"_qs), (QStringList { u"B"_qs, u"C"_qs, u"A"_qs, u"D"_qs }));
}

TEST_F(AppGridViewTest, HoveringADraggedTileMovesItAfterTheDelay)
{
    test::GridFixture f;
    f.publish(QStringList { u"A"_qs, u"B"_qs, u"C"_qs });
    f.makeFolder(QStringLiteral("Work"), { u"A"_qs, u"B"_qs, u"C"_qs });
    f.selectFolder(QStringLiteral("Work"));
    GridWindow w(f);
    ASSERT_TRUE(test::waitUntil([&] { return w.tiles().size() == 3; }));

    QQuickItem *a = w.tile(u"A"_qs);
    QMetaObject::invokeMethod(a->property("controller").value<QObject *>(), "beginDrag");
    std::unique_ptr<QMimeData> mime(uriList(f.urlTextOf(u"A"_qs)));
    QQuickItem *c = w.tile(u"C"_qs);
    QDragEnterEvent enter(w.centreOf(c), Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w.window, &enter);
    // The tile under the drag is enlarged at once; nothing moves yet.
    EXPECT_TRUE(test::waitUntil([&] { return c->scale() > 1.07; }));
    f.advance(149);
    EXPECT_EQ(f.folderMembers(u"Work"_qs), (QStringList { u"A"_qs, u"B"_qs, u"C"_qs }));
    f.advance(1);
    EXPECT_EQ(f.folderMembers(u"Work"_qs), (QStringList { u"B"_qs, u"C"_qs, u"A"_qs }));
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(&w.window, &leave);
}

TEST_F(AppGridViewTest, ADropIsNotUndoneByTheMovePlannedOnEnteringTheTile)
{
    test::GridFixture f;
    f.publish(QStringList { u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs });
    f.makeFolder(QStringLiteral("Work"), { u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs });
    f.selectFolder(QStringLiteral("Work"));
    GridWindow w(f);
    ASSERT_TRUE(test::waitUntil([&] { return w.tiles().size() == 4; }));

    QObject *dragged = w.tile(u"A"_qs)->property("controller").value<QObject *>();
    QMetaObject::invokeMethod(dragged, "beginDrag");
    std::unique_ptr<QMimeData> mime(uriList(f.urlTextOf(u"A"_qs)));
    QQuickItem *c = w.tile(u"C"_qs);
    EXPECT_TRUE(w.drag(mime.get(), w.centreOf(c), true));
    QMetaObject::invokeMethod(dragged, "endDrag");
    EXPECT_EQ(f.folderMembers(u"Work"_qs), (QStringList { u"B"_qs, u"C"_qs, u"A"_qs, u"D"_qs }));
    // Time passes beyond the hover delay: the drop stands, and the tile
    // that was under the drag is back to its size.
    f.advance(1000);
    EXPECT_EQ(f.folderMembers(u"Work"_qs), (QStringList { u"B"_qs, u"C"_qs, u"A"_qs, u"D"_qs }));
    EXPECT_TRUE(test::waitUntil([&] {
        QQuickItem *tile = w.tile(u"C"_qs);
        return tile && tile->scale() == 1.0;
    }));
}

TEST_F(AppGridViewTest, ClosedMenusLeaveNothingUnderTheTile)
{
    test::GridFixture f;
    f.publish(QStringList { u"A"_qs });
    f.makeFolder(QStringLiteral("R&D"));
    GridWindow w(f);
    ASSERT_TRUE(test::waitUntil([&] { return w.tiles().size() == 1; }));
    QQuickItem *tile = w.tile(u"A"_qs);
    const auto children = [tile] { return tile->findChildren<QObject *>().size(); };
    const qsizetype before = children();
    for (int i = 0; i < 10; ++i) {
        QVariant opened;
        ASSERT_TRUE(QMetaObject::invokeMethod(tile, "openMenu", Q_RETURN_ARG(QVariant, opened)));
        QPointer<QObject> menu = opened.value<QObject *>();
        ASSERT_TRUE(menu);
        QMetaObject::invokeMethod(menu, "close");
        ASSERT_TRUE(test::waitUntil([&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return menu.isNull();
        }));
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(children(), before);
}

TEST_F(AppGridViewTest, TilesAreButtonsNamedAfterTheirApplications)
{
    test::GridFixture f;
    f.publish(QStringList { u"R&D <i>Tools</i>"_qs, u"B"_qs });
    GridWindow w(f);
    ASSERT_TRUE(test::waitUntil([&] { return w.tiles().size() == 2; }));
    QAccessibleInterface *grid = QAccessible::queryAccessibleInterface(w.find(u"appTileGrid"_qs));
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->role(), QAccessible::List);
    EXPECT_FALSE(grid->text(QAccessible::Name).isEmpty());

    QAccessibleInterface *tile = QAccessible::queryAccessibleInterface(w.tile(u"R&D <i>Tools</i>"_qs));
    ASSERT_TRUE(tile);
    EXPECT_EQ(tile->role(), QAccessible::Button);
    EXPECT_EQ(tile->text(QAccessible::Name), u"R&D <i>Tools</i>"_qs);
    ASSERT_TRUE(tile->actionInterface());
    tile->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_EQ(f.launched().size(), 1);
    EXPECT_TRUE(f.launched().first().endsWith(u"/R&D <i>Tools</i>.app"_qs));
}

TEST_F(AppGridViewTest, OutsideAFolderTilesTakeNoDrop)
{
    test::GridFixture f;
    f.publish(QStringList { u"A"_qs, u"B"_qs });
    f.makeFolder(QStringLiteral("Work"), { u"A"_qs, u"B"_qs });
    GridWindow w(f);
    ASSERT_TRUE(test::waitUntil([&] { return w.tiles().size() == 2; }));
    std::unique_ptr<QMimeData> mime(uriList(f.urlTextOf(u"A"_qs)));
    EXPECT_FALSE(w.drag(mime.get(), w.centreOf(w.tile(u"B"_qs)), true));
    EXPECT_EQ(f.folderMembers(u"Work"_qs), (QStringList { u"A"_qs, u"B"_qs }));
}

TEST_F(AppGridViewTest, TheEmptyFolderTakesOnlyTextThatNamesAnInstalledApplication)
{
    test::GridFixture f;
    f.publish(QStringList { u"A"_qs, u"B"_qs });
    f.makeFolder(QStringLiteral("Empty"));
    f.selectFolder(QStringLiteral("Empty"));
    GridWindow w(f);
    QQuickItem *empty = w.find(QStringLiteral("emptyFolderView"));
    ASSERT_TRUE(empty);
    const QPoint centre = w.centreOf(empty);

    QMimeData words;
    words.setText(QStringLiteral("just some words"));
    EXPECT_FALSE(w.drag(&words, centre, true));
    QMimeData unknown;
    unknown.setText(QStringLiteral("file:///Applications/Unknown.app/"));
    EXPECT_FALSE(w.drag(&unknown, centre, true));
    EXPECT_TRUE(f.folderMembers(u"Empty"_qs).isEmpty());

    QMimeData named;
    named.setText(f.urlTextOf(u"B"_qs).chopped(1)); // without the closing slash
    EXPECT_TRUE(w.drag(&named, centre, true));
    EXPECT_EQ(f.folderMembers(u"Empty"_qs), QStringList { u"B"_qs });
    // The folder has an application now: the tile grid shows it.
    EXPECT_TRUE(test::waitUntil([&] { return w.tiles().size() == 1; }));
}

TEST_F(AppGridViewTest, AClickOnATileStartsTheApplicationsExecutable)
{
    test::TemporaryRoots roots;
    const QString bundle = roots.root() + QStringLiteral("/Applications/Marker.app");
    const QString marker = roots.home() + QStringLiteral("/started");
    ASSERT_TRUE(test::TemporaryRoots::writeFile(bundle + QStringLiteral("/Contents/Info.plist"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
        "<key>CFBundleExecutable</key><string>marker</string></dict></plist>\n"));
    const QString script = bundle + QStringLiteral("/Contents/MacOS/marker");
    ASSERT_TRUE(test::TemporaryRoots::writeFile(script, "#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n"));
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    test::GridFixture f(roots.root() + QStringLiteral("/Applications"));
    f.workspace.startsPrograms = true;
    f.publish(QStringList { u"Marker"_qs });
    GridWindow w(f);
    ASSERT_TRUE(test::waitUntil([&] { return w.tiles().size() == 1; }));
    QTest::mouseClick(&w.window, Qt::LeftButton, Qt::NoModifier, w.centreOf(w.tile(u"Marker"_qs)));
    EXPECT_EQ(f.launched(), QStringList { bundle });
    EXPECT_TRUE(test::waitUntil([&] { return QFile::exists(marker); }, 10000));
}

class UnifiedGridViewTest : public AppGridViewTest
{
protected:
    UnifiedGridViewTest()
    {
        f.publish(QList<AppItem> { f.app(u"A"_qs, u"Games"_qs), f.app(u"B"_qs, u"Tools"_qs) });
        f.makeFolder(u"Work"_qs, { u"A"_qs, u"B"_qs });
        f.finder.setAllAppsSortOption(AppSortOption::category);
    }
    QList<QQuickItem *> cards(GridWindow &w)
    {
        QList<QQuickItem *> found;
        GridWindow::collectItems(w.grid.get(), u"categoryCard"_qs, found);
        return found;
    }
    QQuickItem *card(GridWindow &w, const QString &title)
    {
        for (QQuickItem *c : cards(w)) {
            if (c->property("categoryName").toString() == title) {
                return c;
            }
        }
        return nullptr;
    }

    test::GridFixture f;
};

TEST_F(UnifiedGridViewTest, TextNamingACardDroppedOnAnotherMovesItThere)
{
    GridWindow w(f);
    ASSERT_TRUE(test::waitUntil([&] { return cards(w).size() == 3; }));
    const QStringList before = f.gridItemTexts();
    auto *mime = new QMimeData;
    mime->setText(before.last());
    EXPECT_TRUE(w.drag(mime, w.centreOf(card(w, u"Work"_qs)), true));
    delete mime;
    EXPECT_EQ(f.gridItemTexts(), (QStringList { before[2], before[0], before[1] }));
    // Cards and the tile are buttons for assistive technology.
    QAccessibleInterface *tile = QAccessible::queryAccessibleInterface(w.find(u"addFolderTile"_qs));
    ASSERT_TRUE(tile);
    EXPECT_EQ(tile->role(), QAccessible::Button);
    EXPECT_EQ(tile->text(QAccessible::Name), u"Add Folder"_qs);
}

TEST_F(UnifiedGridViewTest, ALaunchFromANarrowPanelLaunchesOnceAndClosesIt)
{
    GridWindow w(f, QSize(520, 520));
    // One column: the cards below the next row are not built.
    ASSERT_TRUE(test::waitUntil([&] { return card(w, u"Work"_qs) != nullptr; }));
    QTest::mouseClick(
        &w.window, Qt::LeftButton, Qt::NoModifier, w.centreOf(card(w, u"Work"_qs)) + QPoint(0, 40));
    auto *controller = w.grid->property("controller").value<QObject *>();
    ASSERT_TRUE(test::waitUntil([&] { return w.tiles().size() == 2; }));
    // The close button stays inside the window.
    QQuickItem *close = w.find(u"panelCloseButton"_qs);
    const QRectF closeRect = close->mapRectToScene(QRectF(0, 0, close->width(), close->height()));
    EXPECT_TRUE(QRectF(0, 0, 520, 520).contains(closeRect)) << closeRect.right();

    QTest::mouseClick(&w.window, Qt::LeftButton, Qt::NoModifier, w.centreOf(w.tile(u"A"_qs)));
    EXPECT_EQ(f.launched(), QStringList { f.app(u"A"_qs).id() });
    f.advance(200);
    EXPECT_EQ(controller->property("overlayKind").toString(), u"none"_qs);
    EXPECT_EQ(f.launched().size(), 1);
}

// Pixels of the image inside the rectangle that differ clearly from `background`.
int differing(const QImage &image, const QRect &rect, QRgb background)
{
    int count = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int d = std::abs(qRed(p) - qRed(background)) + std::abs(qGreen(p) - qGreen(background))
                + std::abs(qBlue(p) - qBlue(background));
            if (d > 60) {
                ++count;
            }
        }
    }
    return count;
}

int distinctColours(const QImage &image, const QRect &rect)
{
    QSet<QRgb> colours;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); y += 2) {
        for (int x = r.left(); x <= r.right(); x += 2) {
            colours.insert(image.pixel(x, y) & 0xF0F0F0);
        }
    }
    return int(colours.size());
}

TEST_F(AppGridViewTest, AScreenshotOfTheSampleBundlesShowsFilledTiles)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    const QString generator
        = qEnvironmentVariable("BRIMLARK_SOURCE_DIR") + QStringLiteral("/samples/generate.py");
    if (python.isEmpty() || !QFile::exists(generator)) {
        GTEST_SKIP() << "python3 or the sample generator is missing";
    }
    test::TemporaryRoots roots;
    QProcess gen;
    gen.start(python,
        { generator, roots.root(), QStringLiteral("--home"), roots.home(), QStringLiteral("--force") });
    ASSERT_TRUE(gen.waitForFinished(60000));
    ASSERT_EQ(gen.exitCode(), 0) << gen.readAllStandardError().toStdString();

    const QList<AppItem> apps = AppScanner::scan(AppScanner::applicationFolders());
    ASSERT_GE(apps.size(), 12);
    test::GridFixture f(roots.root());
    f.publish(apps);

    GridWindow w(f, QSize(1000, 700));
    ASSERT_TRUE(w.grid);
    ASSERT_TRUE(test::waitUntil([&] { return w.tiles().size() >= 12; }));
    // Every tile on screen has its icon loaded (or its placeholder drawn).
    ASSERT_TRUE(test::waitUntil(
        [&] {
            for (QQuickItem *t : w.tiles()) {
                auto *icon = GridWindow::findIn(t, QStringLiteral("appIcon"));
                const int status = icon->property("status").toInt();
                if (status == 2 /* Loading */) {
                    return false;
                }
            }
            return true;
        },
        10000));
    QTest::qWait(50);
    const QImage shot = w.window.grabWindow().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    const QRgb background = shot.pixel(3, shot.height() - 3);

    int checked = 0;
    int withOwnIcon = 0;
    for (QQuickItem *t : w.tiles()) {
        auto *icon = GridWindow::findIn(t, QStringLiteral("appIcon"));
        auto *name = GridWindow::findIn(t, QStringLiteral("appName"));
        const QRect iconRect = icon->mapRectToScene(QRectF(0, 0, icon->width(), icon->height())).toRect();
        const QRect nameRect = name->mapRectToScene(QRectF(0, 0, name->width(), name->height())).toRect();
        if (!shot.rect().contains(iconRect) || !shot.rect().contains(nameRect)) {
            continue; // cut off at the bottom
        }
        ++checked;
        const std::string label = t->property("app").value<AppItem>().name().toStdString();
        // An icon covers a good part of its box with more than one colour.
        EXPECT_GT(differing(shot, iconRect, background), iconRect.width() * iconRect.height() / 5) << label;
        EXPECT_GT(distinctColours(shot, iconRect), 3) << label;
        // The name is drawn.
        EXPECT_GT(differing(shot, nameRect, background), 20) << label;
        if (icon->property("status").toInt() == 1 /* Ready */) {
            ++withOwnIcon;
        }
    }
    EXPECT_GE(checked, 12);
    EXPECT_EQ(withOwnIcon, checked);
    if (const QString dir = qEnvironmentVariable("BRIMLARK_SCREENSHOT_DIR"); !dir.isEmpty()) {
        shot.save(dir + QStringLiteral("/grid-samples.png"));
    }
}

} // namespace
