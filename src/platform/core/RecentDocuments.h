#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace brimlark {

// Recently used files from the freedesktop recently-used.xbel that desktop
// programs keep in the data folder ($XDG_DATA_HOME, or ~/.local/share).
class RecentDocuments
{
public:
    using Clock = std::function<QDateTime()>;

    struct Document
    {
        QString path;
        QString displayName;
        QDateTime lastUsed;
    };

    static constexpr qint64 WindowSeconds = 259200; // 3 days
    static constexpr int MaxDocuments = 30;
    // A bookmark file beyond this size is not read.
    static constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;
    // Element nesting beyond any real list of recent files.
    static constexpr int MaxNesting = 64;

    // Default: the real clock and the file in SystemPaths::dataHome().
    RecentDocuments();
    RecentDocuments(Clock clock, QString xbelPath);

    // Existing local files used within the last three days (the boundary
    // included), newest first, at most MaxDocuments. A missing or malformed
    // bookmark file gives an empty list. Safe to call from any thread.
    QList<Document> fetch() const;

    // Every local-file bookmark of an xbel document with its newest use;
    // none when the text is not a well-formed bookmark list.
    static std::optional<QList<Document>> parse(const QByteArray &xbel);

    static QString defaultPath();
    const QString &path() const { return m_path; }

private:
    Clock m_clock;
    QString m_path;
};

} // namespace brimlark
