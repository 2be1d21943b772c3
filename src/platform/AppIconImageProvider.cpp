#include "platform/AppIconImageProvider.h"

#include "platform/AppIconStore.h"
#include "platform/AppWorkspace.h"

#include <QMutex>
#include <QMutexLocker>
#include <QQuickTextureFactory>
#include <QThreadPool>

#include <algorithm>

namespace brimlark {

QQuickTextureFactory *AppIconImageResponse::textureFactory() const
{
    return QQuickTextureFactory::textureFactoryForImage(image());
}

QString AppIconImageResponse::errorString() const
{
    return image().isNull() ? QStringLiteral("No icon") : QString();
}

void AppIconImageResponse::cancel()
{
    m_cancelled = true;
}

QImage AppIconImageResponse::image() const
{
    QMutexLocker lock(&m_mutex);
    return m_image;
}

void AppIconImageResponse::finish(const QImage &image)
{
    {
        QMutexLocker lock(&m_mutex);
        m_image = image;
    }
    // The engine waits for this even after a cancel, then deletes the response.
    emit finished();
}

AppIconImageProvider::AppIconImageProvider() : AppIconImageProvider(AppIconStore::shared())
{
}

AppIconImageProvider::AppIconImageProvider(AppIconStore &store) : m_store(store)
{
}

QQuickImageResponse *AppIconImageProvider::requestImageResponse(const QString &id, const QSize &requestedSize)
{
    const QString path = pathForId(id);
    int size = m_store.iconSize();
    if (requestedSize.isValid() && !requestedSize.isEmpty()) {
        size = std::max(requestedSize.width(), requestedSize.height());
    }
    size = std::clamp(size, 1, AppWorkspace::MaxIconSize);
    auto *response = new AppIconImageResponse;
    // The work starts from the response's own thread once control is back in
    // its event loop, so the engine has connected to finished by then.
    QMetaObject::invokeMethod(
        response,
        [this, response, path, size] {
            QThreadPool::globalInstance()->start([this, response, path, size] {
                response->finish(response->isCancelled() ? QImage() : m_store.fetch(path, size));
            });
        },
        Qt::QueuedConnection);
    return response;
}

QUrl AppIconImageProvider::urlForPath(const QString &path)
{
    const QByteArray encoded = QUrl::toPercentEncoding(path, QByteArrayLiteral("/"));
    return QUrl(QStringLiteral("image://") + ProviderId + u'/' + QString::fromLatin1(encoded), QUrl::StrictMode);
}

QString AppIconImageProvider::pathForId(const QString &id)
{
    // The engine hands the id over with most escapes already decoded; what
    // is left escaped (such as "%25" for "%") decodes once more here.
    return QUrl::fromPercentEncoding(id.toUtf8());
}

} // namespace brimlark
