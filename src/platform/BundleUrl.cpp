#include "platform/BundleUrl.h"

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

} // namespace brimlark
