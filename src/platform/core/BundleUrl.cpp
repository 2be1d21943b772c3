#include "platform/core/BundleUrl.h"

#include <QDir>

namespace brimlark {

QUrl BundleUrl::directoryUrl(const QString &path)
{
    QString clean = QDir::cleanPath(path);
    if (!clean.endsWith(u'/')) {
        clean += u'/';
    }
    return QUrl::fromLocalFile(clean);
}

QString BundleUrl::directoryUrlText(const QString &path)
{
    return directoryUrl(path).toString(QUrl::FullyEncoded);
}

QString BundleUrl::pathOf(const QUrl &url)
{
    QString path = url.isLocalFile() ? url.toLocalFile() : url.path();
    while (path.size() > 1 && path.endsWith(u'/')) {
        path.chop(1);
    }
    return path;
}

QString BundleUrl::pathOfText(const QString &urlText)
{
    return pathOf(QUrl(urlText, QUrl::StrictMode));
}

std::optional<QString> BundleUrl::localPath(const QUrl &url)
{
    if (!url.isValid() || !url.isLocalFile()) {
        return std::nullopt;
    }
    QUrl local = url;
    if (!local.host().isEmpty()) {
        if (local.host() != u"localhost") {
            return std::nullopt;
        }
        local.setHost(QString());
    }
    const QString path = pathOf(local);
    if (path.isEmpty() || !path.startsWith(u'/')) {
        return std::nullopt;
    }
    return path;
}

std::optional<QString> BundleUrl::localPathOfText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    return localPath(QUrl(trimmed, QUrl::StrictMode));
}

} // namespace brimlark
