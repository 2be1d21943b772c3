#pragma once

#include <QImage>
#include <QMutex>
#include <QQuickAsyncImageProvider>
#include <QUrl>

#include <atomic>
#include <optional>

namespace brimlark {

class AppIconStore;

// One pending icon of the provider; finished is emitted from the pool.
class AppIconImageResponse : public QQuickImageResponse
{
public:
    QQuickTextureFactory *textureFactory() const override;
    QString errorString() const override;
    void cancel() override;

    QImage image() const;
    bool isCancelled() const { return m_cancelled; }
    void finish(const QImage &image);

private:
    mutable QMutex m_mutex;
    QImage m_image;
    std::atomic<bool> m_cancelled { false };
};

// Serves "image://appicon/<path>[?v=<version>]" to QML: the icon of the file
// at the path (decoded again when the cached one has another version; a new
// version also gives a new URL, so the engine's own cache misses too),
// decoded off the GUI thread at the requested size (at most 256 px), from
// the given cache when it is there: the cache's nearest larger size, scaled
// down to the one requested. Install with
// engine.addImageProvider(AppIconImageProvider::ProviderId, new AppIconImageProvider(store)).
class AppIconImageProvider : public QQuickAsyncImageProvider
{
public:
    static inline const QString ProviderId = QStringLiteral("appicon");

    // The store outlives the provider.
    explicit AppIconImageProvider(AppIconStore &store);

    QQuickImageResponse *requestImageResponse(const QString &id, const QSize &requestedSize) override;

    // The image URL for a path, with every character that could be misread
    // escaped; a version of 0 is none.
    static QUrl urlForPath(const QString &path, quint64 version = 0);
    // The path and version an id (the URL after "image://appicon/") names.
    static QString pathForId(const QString &id);
    static std::optional<quint64> versionForId(const QString &id);

private:
    AppIconStore &m_store;
};

} // namespace brimlark
