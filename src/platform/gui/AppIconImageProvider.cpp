#include "platform/gui/AppIconImageProvider.h"

#include "platform/gui/AppIconStore.h"
#include "platform/gui/AppWorkspace.h"

#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QQmlEngine>
#include <QQuickTextureFactory>
#include <QSvgRenderer>
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

AppIconImageProvider::AppIconImageProvider(AppIconStore &store)
    : m_store(store)
{
}

QQuickImageResponse *AppIconImageProvider::requestImageResponse(const QString &id, const QSize &requestedSize)
{
    const QString path = pathForId(id);
    const std::optional<quint64> version = versionForId(id);
    int size = m_store.iconSize();
    if (requestedSize.isValid() && !requestedSize.isEmpty()) {
        size = std::max(requestedSize.width(), requestedSize.height());
    }
    size = std::clamp(size, 1, AppWorkspace::MaxIconSize);
    auto *response = new AppIconImageResponse;
    // The store outlives the engine; this provider goes with the engine, and
    // a load may still be running then.
    AppIconStore *store = &m_store;
    // The work starts from the response's own thread once control is back in
    // its event loop, so the engine has connected to finished by then.
    QMetaObject::invokeMethod(
        response,
        [store, response, path, size, version] {
            QThreadPool::globalInstance()->start([store, response, path, size, version] {
                if (response->isCancelled()) {
                    response->finish(QImage());
                    return;
                }
                // The store keeps a few sizes; the view gets the size it draws,
                // scaled once here rather than on every frame it paints.
                QImage image = store->fetch(path, size, version);
                if (image.width() > size || image.height() > size) {
                    image = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
                }
                response->finish(image);
            });
        },
        Qt::QueuedConnection);
    return response;
}

namespace {

// A "?" of the path itself stays escaped in the id, so the last one is ours.
qsizetype versionMark(const QString &id)
{
    const qsizetype mark = id.lastIndexOf(QStringLiteral("?v="));
    if (mark < 0 || mark + 3 == id.size()) {
        return -1;
    }
    for (qsizetype i = mark + 3; i < id.size(); ++i) {
        if (!id[i].isDigit()) {
            return -1;
        }
    }
    return mark;
}

} // namespace

QUrl AppIconImageProvider::urlForPath(const QString &path, quint64 version)
{
    const QByteArray encoded = QUrl::toPercentEncoding(path, QByteArrayLiteral("/"));
    QString text = QStringLiteral("image://") + ProviderId + u'/' + QString::fromLatin1(encoded);
    if (version != 0) {
        text += QStringLiteral("?v=") + QString::number(version);
    }
    return QUrl(text, QUrl::StrictMode);
}

QString AppIconImageProvider::pathForId(const QString &id)
{
    // The engine hands the id over with most escapes already decoded; what
    // is left escaped (such as "%25" for "%") decodes once more here.
    const qsizetype mark = versionMark(id);
    return QUrl::fromPercentEncoding((mark >= 0 ? id.left(mark) : id).toUtf8());
}

std::optional<quint64> AppIconImageProvider::versionForId(const QString &id)
{
    const qsizetype mark = versionMark(id);
    bool ok = false;
    const quint64 version = mark >= 0 ? id.mid(mark + 3).toULongLong(&ok) : 0;
    return ok && version != 0 ? std::optional<quint64>(version) : std::nullopt;
}

void AppIconImageProvider::install(QQmlEngine &engine, AppIconStore &store)
{
    engine.addImageProvider(ProviderId, new AppIconImageProvider(store));
    engine.addImageProvider(AppPlaceholderImageProvider::ProviderId, new AppPlaceholderImageProvider);
}

AppPlaceholderImageProvider::AppPlaceholderImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Image)
{
}

QImage AppPlaceholderImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    Q_UNUSED(id);
    constexpr int DefaultSide = 80;
    constexpr int MaxSide = 512;
    const int width = std::clamp(requestedSize.width() > 0 ? requestedSize.width() : DefaultSide, 1, MaxSide);
    const int height = std::clamp(requestedSize.height() > 0 ? requestedSize.height() : width, 1, MaxSide);
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/brimlark/platform/generic-app.svg"));
    if (renderer.isValid()) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const QSize drawn = renderer.defaultSize().scaled(width, height, Qt::KeepAspectRatio);
        renderer.render(&painter,
            QRectF((width - drawn.width()) / 2.0, (height - drawn.height()) / 2.0, drawn.width(),
                drawn.height()));
    }
    if (size) {
        *size = image.size();
    }
    return image;
}

} // namespace brimlark
