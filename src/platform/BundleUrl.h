#pragma once

#include <QString>
#include <QUrl>

namespace brimlark {

// File URLs of bundles and folders. A directory's URL text ends in "/", and
// the same path always gives the same text, so stored references match.
class BundleUrl
{
public:
    // "file:///Applications/Safe%20Name.app/" for a directory path.
    static QString directoryUrlText(const QString &path);
    static QUrl directoryUrl(const QString &path);
    // The path of a file URL without a trailing separator ("/" stays "/").
    static QString pathOf(const QUrl &url);
    static QString pathOfText(const QString &urlText);
};

} // namespace brimlark
