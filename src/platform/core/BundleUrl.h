#pragma once

#include <QString>
#include <QUrl>

#include <optional>

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

    // The one match of stored and dropped references: the path a local file
    // URL names, without a trailing separator, so "file:///A.app" and
    // "file:///A.app/" name the same bundle. Nothing for another machine's
    // file, a relative path or any other URL; "localhost" is this machine.
    static std::optional<QString> localPath(const QUrl &url);
    // The same for text: one URL, surrounding blanks allowed.
    static std::optional<QString> localPathOfText(const QString &text);
};

} // namespace brimlark
