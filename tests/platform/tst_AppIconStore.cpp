#include "TestSupport.h"

#include "platform/gui/AppIconImageProvider.h"
#include "platform/gui/AppIconStore.h"
#include "platform/gui/AppWorkspace.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QSignalSpy>
#include <QWaitCondition>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace brimlark;
using namespace brimlark::test;

namespace {
// An icon source whose answers the test releases path by path, so that loads
// can be made to finish in any order. Each path has its own colour.
class GatedSource
{
public:
    AppIconStore::IconSource source()
    {
        return [this](const QString &path, int size) { return answer(path, size); };
    }
    void hold(const QString &path)
    {
        QMutexLocker lock(&m_mutex);
        m_held.insert(path);
    }
    void releaseAll()
    {
        QMutexLocker lock(&m_mutex);
        m_held.clear();
        m_open = true;
        m_changed.wakeAll();
    }
    int calls(const QString &path) const
    {
        QMutexLocker lock(&m_mutex);
        auto it = m_calls.find(path);
        return it == m_calls.end() ? 0 : it->second;
    }
    int totalCalls() const
    {
        QMutexLocker lock(&m_mutex);
        int n = 0;
        for (const auto &[path, count] : m_calls) {
            n += count;
        }
        return n;
    }
    bool waitingOn(const QString &path) const
    {
        QMutexLocker lock(&m_mutex);
        return m_waiting.count(path) > 0;
    }
    static QRgb colourOf(const QString &path) { return qRgb(qHash(path) & 0xFF, 40, 200); }

private:
    QImage answer(const QString &path, int size)
    {
        QMutexLocker lock(&m_mutex);
        ++m_calls[path];
        m_waiting.insert(path);
        while (!m_open && m_held.count(path)) {
            m_changed.wait(&m_mutex);
        }
        m_waiting.erase(path);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(colourOf(path));
        return image;
    }

    mutable QMutex m_mutex;
    QWaitCondition m_changed;
    std::set<QString> m_held;
    std::set<QString> m_waiting;
    std::map<QString, int> m_calls;
    bool m_open = false;
};

QRgb colourOf(const QImage &image)
{
    return image.isNull() ? 0 : image.pixel(0, 0);
}

const QString A = QStringLiteral("/Applications/A.app");
const QString B = QStringLiteral("/Applications/B.app");
} // namespace

TEST(AppIconStore, PrefetchSkipsCachedIconsAndReturnsAtOnce)
{
    GatedSource source;
    AppIconStore store(source.source(), AppIconCache::DefaultMaxBytes, 64);
    store.fetch(A, 64);
    QStringList paths;
    for (int i = 0; i < 20; ++i) {
        paths << QStringLiteral("/Applications/P%1.app").arg(i);
        source.hold(paths.last());
    }
    paths.insert(5, A);
    QElapsedTimer timer;
    timer.start();
    store.prefetchIcons(paths);
    // Every decode is held back, so returning proves the caller never waits.
    EXPECT_LT(timer.elapsed(), 1000);
    ASSERT_TRUE(waitUntil([&] { return source.waitingOn(paths.first()); }));
    source.releaseAll();
    ASSERT_TRUE(store.waitForDone(5000));
    EXPECT_EQ(source.calls(A), 1);
    for (const QString &path : paths) {
        EXPECT_TRUE(store.cache().contains(AppIconStore::cacheKey(path, 64))) << path.toStdString();
    }
    EXPECT_EQ(source.totalCalls(), 21);
}

TEST(AppIconStore, PrefetchStopsWhenTheCacheIsFullOfItsOwnIcons)
{
    GatedSource source;
    source.releaseAll();
    const qsizetype iconBytes = 32 * 32 * 4;
    AppIconStore store(source.source(), 10 * iconBytes, 32);
    // Older icons may go to make room for the new list.
    for (int i = 0; i < 10; ++i) {
        store.fetch(QStringLiteral("/Old/%1.app").arg(i), 32);
    }
    QStringList paths;
    for (int i = 0; i < 50; ++i) {
        paths << QStringLiteral("/Applications/P%1.app").arg(i);
    }
    store.prefetchIcons(paths);
    ASSERT_TRUE(store.waitForDone(5000));
    EXPECT_LE(store.cache().totalBytes(), store.cache().maxBytes());
    EXPECT_EQ(store.cache().count(), 10);
    // The first ten of the list are kept, not pushed out by the rest.
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(store.cache().contains(AppIconStore::cacheKey(paths[i], 32))) << i;
    }
    // It stopped at the first icon that found no room.
    EXPECT_EQ(source.totalCalls(), 10 + 11);
}

TEST(AppIconStore, NewerPrefetchEndsAnOlderOne)
{
    GatedSource source;
    AppIconStore store(source.source(), AppIconCache::DefaultMaxBytes, 32);
    QStringList first;
    for (int i = 0; i < 30; ++i) {
        first << QStringLiteral("/First/%1.app").arg(i);
    }
    source.hold(first[0]);
    store.prefetchIcons(first);
    ASSERT_TRUE(waitUntil([&] { return source.waitingOn(first[0]); }));
    store.prefetchIcons({ B });
    source.releaseAll();
    ASSERT_TRUE(store.waitForDone(5000));
    EXPECT_EQ(source.calls(first[1]), 0);
    EXPECT_EQ(source.calls(B), 1);
}

TEST(AppIconStore, AnIconWhoseFileChangedIsDecodedAgain)
{
    GatedSource source;
    source.releaseAll();
    std::map<QString, quint64> versions { { A, 1 }, { B, 1 } };
    AppIconStore store(source.source(), AppIconCache::DefaultMaxBytes, 64,
        [&versions](const QString &path) { return versions.at(path); });
    store.prefetchIcons({ A, B });
    ASSERT_TRUE(store.waitForDone(5000));
    store.fetch(A, 256, 1);
    EXPECT_EQ(source.calls(A), 2);

    // A's files change: the next prefetch drops A at every size and decodes
    // it once more; B stays as it is.
    versions[A] = 2;
    store.prefetchIcons({ A, B });
    ASSERT_TRUE(store.waitForDone(5000));
    EXPECT_EQ(source.calls(A), 3);
    EXPECT_EQ(source.calls(B), 1);
    EXPECT_EQ(store.cache().versionOf(AppIconStore::cacheKey(A, 64)), 2u);
    EXPECT_FALSE(store.cache().contains(AppIconStore::cacheKey(A, 256)));

    // A view asking with the version it was given decodes only on a mismatch.
    store.fetch(B, 64, 1);
    store.fetch(B, 64, 5);
    EXPECT_EQ(source.calls(B), 2);
    EXPECT_EQ(store.cache().versionOf(AppIconStore::cacheKey(B, 64)), 5u);
}

TEST(AppIconStore, SizesShareDecodesByStep)
{
    EXPECT_EQ(AppIconStore::sizeStep(1), 32);
    EXPECT_EQ(AppIconStore::sizeStep(33), 48);
    // A tile's 80 points are decoded at 80, not at the next power of two.
    EXPECT_EQ(AppIconStore::sizeStep(80), 80);
    EXPECT_EQ(AppIconStore::sizeStep(81), 96);
    EXPECT_EQ(AppIconStore::sizeStep(128), 128);
    EXPECT_EQ(AppIconStore::sizeStep(160), 160);
    EXPECT_EQ(AppIconStore::sizeStep(5000), 256);
    EXPECT_EQ(AppIconStore::cacheKey(A, 60), AppIconStore::cacheKey(A, 64));
    EXPECT_NE(AppIconStore::cacheKey(A, 64), AppIconStore::cacheKey(A, 65));
}

// The cache holds a few screens of tiles whatever the catalog holds: a bigger
// or denser screen gets more, and a small one keeps a floor for the cards'
// and the picker's icons.
TEST(AppIconStore, TheCacheBoundFollowsTheScreen)
{
    constexpr qsizetype MiB = 1024 * 1024;
    const qsizetype fullHd = AppIconStore::cacheBytesForScreen(QSize(1920, 1080), QSize(134, 160), 80);
    EXPECT_EQ(fullHd, 15 * 7 * 3 * 80 * 80 * 4);
    EXPECT_EQ(AppIconStore::cacheBytesForScreen(QSize(3840, 2160), QSize(268, 320), 160), fullHd * 4);
    EXPECT_EQ(AppIconStore::cacheBytesForScreen(QSize(640, 480), QSize(134, 160), 80), 4 * MiB);
    EXPECT_EQ(AppIconStore::cacheBytesForScreen(QSize(), QSize(134, 160), 80), 4 * MiB);
    EXPECT_EQ(AppIconStore::cacheBytesForScreen(QSize(20000, 20000), QSize(10, 10), 256),
        AppIconCache::DefaultMaxBytes);
}

TEST(AppIconImageProvider, ServesIconsByPathAtTheRequestedSize)
{
    GatedSource source;
    source.releaseAll();
    AppIconStore store(source.source(), AppIconCache::DefaultMaxBytes, 128);
    AppIconImageProvider provider(store);
    const QString path = QStringLiteral("/Applications/Café 100% #1?.app");
    const QUrl url = AppIconImageProvider::urlForPath(path);
    EXPECT_EQ(url.scheme(), QStringLiteral("image"));
    EXPECT_EQ(url.host(), QStringLiteral("appicon"));
    // The engine passes the URL minus scheme and provider name.
    const QString id = url.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority).mid(1);
    ASSERT_EQ(AppIconImageProvider::pathForId(id), path);

    for (const QSize &requested : { QSize(48, 48), QSize(), QSize(900, 900) }) {
        std::unique_ptr<QQuickImageResponse> response(provider.requestImageResponse(id, requested));
        auto *icon = dynamic_cast<AppIconImageResponse *>(response.get());
        ASSERT_TRUE(icon);
        QSignalSpy finished(response.get(), &QQuickImageResponse::finished);
        // Nothing is emitted before control is back in the event loop.
        EXPECT_EQ(finished.count(), 0);
        ASSERT_TRUE(finished.wait(5000));
        const QImage image = icon->image();
        EXPECT_EQ(colourOf(image), GatedSource::colourOf(path));
        const int expected = requested.isValid() ? std::min(requested.width(), 256) : 128;
        EXPECT_EQ(image.width(), expected);
        EXPECT_TRUE(response->errorString().isEmpty());
    }
    EXPECT_EQ(source.calls(path), 3);

    // A version rides along as a query the path cannot be mistaken for.
    struct Case
    {
        QString path;
        quint64 version;
    };
    for (const Case &c : { Case { path, 42 }, Case { QStringLiteral("/A?v=7.app"), 0 },
             Case { QStringLiteral("/B?v=7"), 9 }, Case { QStringLiteral("/C?v=7"), 0 } }) {
        const QString versioned = AppIconImageProvider::urlForPath(c.path, c.version)
                                      .toString(QUrl::RemoveScheme | QUrl::RemoveAuthority)
                                      .mid(1);
        EXPECT_EQ(AppIconImageProvider::pathForId(versioned), c.path);
        EXPECT_EQ(AppIconImageProvider::versionForId(versioned).value_or(0), c.version)
            << c.path.toStdString();
    }
}

// The stand-in a tile shows in its first frame is the generic application
// icon, drawn at the size asked (80 px unless asked).
TEST(AppPlaceholderImageProvider, DrawsTheGenericIconAtTheRequestedSize)
{
    AppPlaceholderImageProvider provider;
    AppWorkspace workspace;
    for (const QSize &requested : { QSize(), QSize(160, 160) }) {
        QSize size;
        const QImage placeholder = provider.requestImage(QStringLiteral("app"), &size, requested);
        const int side = requested.isValid() ? requested.width() : 80;
        ASSERT_EQ(placeholder.size(), QSize(side, side));
        EXPECT_EQ(size, placeholder.size());
        const QImage generic = workspace.genericApplicationIcon(side).convertToFormat(placeholder.format());
        ASSERT_EQ(generic.size(), placeholder.size());
        for (const QPoint &at : { QPoint(side / 2, side / 2), QPoint(side / 4, side / 2), QPoint(2, 2) }) {
            const QColor a = placeholder.pixelColor(at);
            const QColor b = generic.pixelColor(at);
            EXPECT_LE(std::abs(a.red() - b.red()) + std::abs(a.green() - b.green())
                    + std::abs(a.blue() - b.blue()) + std::abs(a.alpha() - b.alpha()),
                12)
                << side << " at " << at.x() << "," << at.y();
        }
    }
}
