#pragma once

#include <QImage>
#include <QMutex>
#include <QQuickAsyncImageProvider>
#include <QQuickImageProvider>
#include <QUrl>

#include <atomic>
#include <optional>

QT_BEGIN_NAMESPACE
class QQmlEngine;
QT_END_NAMESPACE

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
// down to the one requested. Install with install() below.
class AppIconImageProvider : public QQuickAsyncImageProvider
{
public:
    static inline const QString ProviderId = QStringLiteral("appicon");

    // The store outlives the provider.
    explicit AppIconImageProvider(AppIconStore &store);

    // Adds this provider over the store and the placeholder's provider to
    // the engine.
    static void install(QQmlEngine &engine, AppIconStore &store);

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

// Serves "image://appplaceholder/app": the generic application icon that
// stands in until an application's own icon has loaded, drawn at the
// requested size (80 px unless asked) on the calling thread. A tile needs it
// in its first frame, so it cannot come from the pool; it is drawn from its
// vector picture directly, without the image readers, whose plugins would
// all be loaded for the window's first frame otherwise.
class AppPlaceholderImageProvider : public QQuickImageProvider
{
public:
    static inline const QString ProviderId = QStringLiteral("appplaceholder");

    AppPlaceholderImageProvider();
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;
};

} // namespace brimlark
