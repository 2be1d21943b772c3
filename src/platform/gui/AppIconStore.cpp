#include "platform/gui/AppIconStore.h"

#include "platform/base/FreedMemory.h"
#include "platform/base/ProcessWide.h"
#include "platform/core/Bundle.h"
#include "platform/gui/AppWorkspace.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QMutexLocker>
#include <QThread>

#include <algorithm>

namespace brimlark {

AppIconStore::AppIconStore(IconSource source, qsizetype cacheBytes, int iconSize, VersionSource versions,
    PlaceholderSource placeholders)
    : m_source(std::move(source))
    , m_versions(std::move(versions))
    , m_placeholders(std::move(placeholders))
    , m_cache(cacheBytes)
    , m_iconSize(sizeStep(iconSize))
{
    // One pass at a time, in list order: prefetching is speculative work.
    m_prefetchPool.setMaxThreadCount(1);
    m_prefetchPool.setThreadPriority(QThread::LowPriority);
    m_loadPool.setMaxThreadCount(std::max(2, QThread::idealThreadCount() / 2));
    m_loadPool.setThreadPriority(QThread::NormalPriority);
}

AppIconStore::~AppIconStore()
{
    ++m_prefetchGeneration;
    m_prefetchPool.clear();
    m_loadPool.clear();
    m_prefetchPool.waitForDone();
    m_loadPool.waitForDone();
}

namespace {
ProcessWide<AppIconStore> s_shared("AppIconStore::shared()");
}

std::unique_ptr<AppIconStore> AppIconStore::overWorkspace(
    AppWorkspace &workspace, int iconSize, qsizetype cacheBytes)
{
    return std::make_unique<AppIconStore>(
        [&workspace](const QString &path, int pixelSize) { return workspace.iconForFile(path, pixelSize); },
        cacheBytes, iconSize, &Bundle::iconStampOf,
        [&workspace](int pixelSize) { return workspace.genericApplicationIcon(pixelSize); });
}

qsizetype AppIconStore::cacheBytesForScreen(QSize screenPixels, QSize cellPixels, int iconSize, int screens)
{
    constexpr qsizetype floorBytes = qsizetype(4) * 1024 * 1024;
    if (cellPixels.isEmpty() || screenPixels.isEmpty()) {
        return floorBytes;
    }
    const qsizetype columns = (screenPixels.width() + cellPixels.width() - 1) / cellPixels.width();
    const qsizetype rows = (screenPixels.height() + cellPixels.height() - 1) / cellPixels.height();
    const qsizetype side = sizeStep(iconSize);
    const qsizetype bytes = columns * rows * std::max(screens, 1) * side * side * 4;
    return std::clamp(bytes, floorBytes, AppIconCache::DefaultMaxBytes);
}

AppIconStore &AppIconStore::shared()
{
    return *s_shared.get();
}

void AppIconStore::installShared(AppIconStore *store)
{
    s_shared.installUnowned(store);
}

namespace {
// Icons are kept at multiples of this many pixels, from 32 to the largest.
constexpr int s_sizeGrain = 16;
constexpr int s_smallestSize = 32;
} // namespace

int AppIconStore::sizeStep(int pixelSize)
{
    const int rounded = (std::max(pixelSize, 1) + s_sizeGrain - 1) / s_sizeGrain * s_sizeGrain;
    return std::clamp(rounded, s_smallestSize, int(AppWorkspace::MaxIconSize));
}

QString AppIconStore::cacheKey(const QString &path, int pixelSize)
{
    return QString::number(sizeStep(pixelSize)) + u':' + path;
}

std::optional<QImage> AppIconStore::cached(const QString &path, int pixelSize)
{
    return m_cache.find(cacheKey(path, pixelSize));
}

QImage AppIconStore::fetch(const QString &path, int pixelSize, std::optional<quint64> version)
{
    const QString key = cacheKey(path, pixelSize);
    if (auto hit = m_cache.find(key, version)) {
        return *hit;
    }
    // Read before the decode: a change made during it then shows as a newer
    // version on the next look.
    const quint64 decodedVersion = version ? *version : versionOf(path);
    QImage image = m_source ? m_source(path, sizeStep(pixelSize)) : QImage();
    if (image.isNull()) {
        image = genericAppIcon(pixelSize);
    }
    m_cache.insert(key, image, decodedVersion);
    return image;
}

quint64 AppIconStore::versionOf(const QString &path) const
{
    return m_versions ? m_versions(path) : 0;
}

void AppIconStore::dropOtherVersions(const QString &path, quint64 version)
{
    for (int step = s_smallestSize; step <= AppWorkspace::MaxIconSize; step += s_sizeGrain) {
        const QString key = cacheKey(path, step);
        if (const auto held = m_cache.versionOf(key); held && *held != version) {
            m_cache.remove(key);
        }
    }
}

void AppIconStore::prefetchIcons(const QStringList &paths, const QList<quint64> &versions)
{
    const quint64 generation = ++m_prefetchGeneration;
    m_prefetchPool.start([this, paths, versions, generation] { runPrefetch(paths, versions, generation); });
}

void AppIconStore::runPrefetch(const QStringList &paths, const QList<quint64> &versions, quint64 generation)
{
    // Decoding leaves its freed buffers in this thread's own allocator area:
    // handed back at the end.
    const struct Release
    {
        ~Release() { releaseFreedMemory(); }
    } release;
    const quint64 since = m_cache.currentStamp();
    const bool versionsGiven = versions.size() == paths.size();
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (m_prefetchGeneration.load() != generation) {
            return;
        }
        const QString &path = paths[i];
        const quint64 version = versionsGiven ? versions[i] : versionOf(path);
        const QString key = cacheKey(path, m_iconSize);
        if (m_cache.touch(key, version)) {
            continue;
        }
        dropOtherVersions(path, version);
        QImage image = m_source ? m_source(path, m_iconSize) : QImage();
        if (image.isNull()) {
            continue;
        }
        if (!m_cache.insertIfRoom(key, image, since, version)) {
            return;
        }
    }
}

void AppIconStore::load(const QString &path, int pixelSize, Completion done)
{
    m_loadPool.start([this, path, pixelSize, done = std::move(done)] {
        const QImage image = fetch(path, pixelSize);
        if (auto *app = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                app, [done, image] { done(image); }, Qt::QueuedConnection);
        }
    });
}

QImage AppIconStore::genericAppIcon(int pixelSize)
{
    const int step = sizeStep(pixelSize);
    QMutexLocker lock(&m_genericMutex);
    auto it = m_generic.find(step);
    if (it == m_generic.end()) {
        QImage placeholder;
        if (m_placeholders) {
            placeholder = m_placeholders(step);
        } else {
            placeholder = QImage(step, step, QImage::Format_ARGB32_Premultiplied);
            placeholder.fill(Qt::transparent);
        }
        it = m_generic.emplace(step, std::move(placeholder)).first;
    }
    return it->second;
}

bool AppIconStore::waitForDone(int msecs)
{
    return m_prefetchPool.waitForDone(msecs) && m_loadPool.waitForDone(msecs);
}

} // namespace brimlark
