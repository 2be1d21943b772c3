#pragma once

#include "platform/gui/AppIconCache.h"

#include <QImage>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <map>
#include <memory>

namespace brimlark {

class AppWorkspace;

// The icon machinery every loader and the image provider share: the cache,
// a low-priority pool for prefetching after a scan, a higher-priority pool
// for icons a view is waiting for, the source that decodes icons and the
// source of file versions (Bundle::iconStampOf), so an application whose
// files changed since its icon was decoded (one copied in slowly, say) gets
// its icon decoded again.
class AppIconStore
{
public:
    using IconSource = std::function<QImage(const QString &path, int pixelSize)>;
    using Completion = std::function<void(const QImage &icon)>;
    using VersionSource = std::function<quint64(const QString &path)>;
    using PlaceholderSource = std::function<QImage(int pixelSize)>;

    // Size the prefetch and the loaders decode at when the program names
    // none: a large tile on a double-density screen.
    static constexpr int DefaultIconSize = 128;

    // Without a version source every file keeps version 0; without a
    // placeholder source the placeholder is a clear square.
    explicit AppIconStore(IconSource source, qsizetype cacheBytes = AppIconCache::DefaultMaxBytes,
        int iconSize = DefaultIconSize, VersionSource versions = {}, PlaceholderSource placeholders = {});
    ~AppIconStore();

    // The program's store: icons and placeholders from the workspace service,
    // bundle versions from their files, icons decoded at `iconSize` pixels
    // and at most `cacheBytes` of them kept. The workspace must outlive the
    // store.
    static std::unique_ptr<AppIconStore> overWorkspace(AppWorkspace &workspace,
        int iconSize = DefaultIconSize, qsizetype cacheBytes = AppIconCache::DefaultMaxBytes);
    // A cache bound that follows the screen, not the catalog: icons of
    // `iconSize` pixels for `screens` screenfuls of cells `cellPixels` big
    // (the one on screen and those next to it), never less than a floor
    // that keeps the other views' few icons (cards, picker) beside them.
    static qsizetype cacheBytesForScreen(QSize screenPixels, QSize cellPixels, int iconSize, int screens = 3);
    // The process-wide icon cache every loader shares. The program makes it
    // and installs it at start (nullptr uninstalls); asking before that is a
    // programming error.
    static AppIconStore &shared();
    static void installShared(AppIconStore *store);

    AppIconCache &cache() { return m_cache; }
    int iconSize() const { return m_iconSize; }
    // Display sizes are rounded up to a multiple of 16 pixels (32 at least,
    // the largest icon size at most), so nearby sizes share one decode
    // without keeping an icon much larger than it is drawn.
    static int sizeStep(int pixelSize);
    static QString cacheKey(const QString &path, int pixelSize);

    // A cached icon, marked as used; never decodes.
    std::optional<QImage> cached(const QString &path, int pixelSize);
    // Decodes (unless cached meanwhile) and stores; any thread. With a
    // version, an icon cached at another version is decoded again.
    QImage fetch(const QString &path, int pixelSize, std::optional<quint64> version = std::nullopt);
    // The version of the file at the path as it is now; reads the disk.
    quint64 versionOf(const QString &path) const;

    // Returns at once. Decodes the icons that are not cached, in order, on the
    // prefetch pool; an icon whose file changed since it was cached is dropped
    // at every size and decoded again. A newer prefetch ends an older one, and
    // a prefetch stops once the cache is full of icons this prefetch itself
    // used, so it never pushes out what it just brought in. `versions`, when
    // it holds one per path, are the files' versions as a scan already read
    // them; otherwise each is read here.
    void prefetchIcons(const QStringList &paths, const QList<quint64> &versions = {});
    // Returns at once; `done` runs on the main thread with the icon.
    void load(const QString &path, int pixelSize, Completion done);

    // The placeholder shown until an icon is there; made once per size.
    QImage genericAppIcon(int pixelSize);

    // Waits for both pools (tests and benchmarks).
    bool waitForDone(int msecs = -1);

private:
    void runPrefetch(const QStringList &paths, const QList<quint64> &versions, quint64 generation);
    void dropOtherVersions(const QString &path, quint64 version);

    IconSource m_source;
    VersionSource m_versions;
    PlaceholderSource m_placeholders;
    AppIconCache m_cache;
    const int m_iconSize;
    std::atomic<quint64> m_prefetchGeneration { 0 };
    QMutex m_genericMutex;
    std::map<int, QImage> m_generic;
    // Last, so they finish their tasks before the rest goes.
    QThreadPool m_prefetchPool;
    QThreadPool m_loadPool;
};

} // namespace brimlark
