#pragma once

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QString>

#include <list>
#include <optional>

namespace brimlark {

// Decoded icons by key, bounded by their bytes: storing past the bound drops
// the least recently used icons first. Each icon keeps the version of the
// file it was decoded from, so an icon of a file that changed since reads as
// missing. Safe for concurrent use.
class AppIconCache
{
public:
    static constexpr qsizetype DefaultMaxBytes = qsizetype(64) * 1024 * 1024;

    explicit AppIconCache(qsizetype maxBytes = DefaultMaxBytes);

    // Returns the icon and marks it as just used; with a version, only an
    // icon stored with that version.
    std::optional<QImage> find(const QString &key, std::optional<quint64> version = std::nullopt);
    bool contains(const QString &key) const;
    // Marks the icon as just used; false when it is not held (at that version).
    bool touch(const QString &key, std::optional<quint64> version = std::nullopt);
    // The version the icon was stored with; none when it is not held.
    std::optional<quint64> versionOf(const QString &key) const;
    void remove(const QString &key);

    // Stores the icon, dropping least recently used ones to stay in bound.
    // An icon bigger than the whole bound is not stored.
    void insert(const QString &key, const QImage &image, quint64 version = 0);
    // Stores the icon only if no icon used at or after `protectedSince`
    // (a value of currentStamp()) has to go for it; false otherwise.
    bool insertIfRoom(const QString &key, const QImage &image, quint64 protectedSince, quint64 version = 0);

    // A moment in the cache's own use order.
    quint64 currentStamp() const;

    qsizetype totalBytes() const;
    qsizetype count() const;
    qsizetype maxBytes() const { return m_maxBytes; }
    void clear();

private:
    struct Entry
    {
        QImage image;
        qsizetype bytes = 0;
        quint64 stamp = 0;
        quint64 version = 0;
        std::list<QString>::iterator position;
    };
    static qsizetype bytesOf(const QImage &image);
    void removeLocked(const QString &key);
    bool storeLocked(
        const QString &key, const QImage &image, std::optional<quint64> protectedSince, quint64 version);

    const qsizetype m_maxBytes;
    mutable QMutex m_mutex;
    std::list<QString> m_order; // most recently used first
    QHash<QString, Entry> m_entries;
    qsizetype m_bytes = 0;
    quint64 m_stamp = 0;
};

} // namespace brimlark
