#include "platform/gui/AppIconCache.h"

#include <QMutexLocker>

namespace brimlark {

AppIconCache::AppIconCache(qsizetype maxBytes)
    : m_maxBytes(std::max<qsizetype>(0, maxBytes))
{
}

qsizetype AppIconCache::bytesOf(const QImage &image)
{
    return image.sizeInBytes();
}

std::optional<QImage> AppIconCache::find(const QString &key, std::optional<quint64> version)
{
    QMutexLocker lock(&m_mutex);
    auto it = m_entries.find(key);
    if (it == m_entries.end() || (version && it->version != *version)) {
        return std::nullopt;
    }
    m_order.splice(m_order.begin(), m_order, it->position);
    it->stamp = ++m_stamp;
    return it->image;
}

bool AppIconCache::contains(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    return m_entries.contains(key);
}

bool AppIconCache::touch(const QString &key, std::optional<quint64> version)
{
    QMutexLocker lock(&m_mutex);
    auto it = m_entries.find(key);
    if (it == m_entries.end() || (version && it->version != *version)) {
        return false;
    }
    m_order.splice(m_order.begin(), m_order, it->position);
    it->stamp = ++m_stamp;
    return true;
}

std::optional<quint64> AppIconCache::versionOf(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    auto it = m_entries.constFind(key);
    if (it == m_entries.constEnd()) {
        return std::nullopt;
    }
    return it->version;
}

void AppIconCache::remove(const QString &key)
{
    QMutexLocker lock(&m_mutex);
    removeLocked(key);
}

void AppIconCache::insert(const QString &key, const QImage &image, quint64 version)
{
    QMutexLocker lock(&m_mutex);
    storeLocked(key, image, std::nullopt, version);
}

bool AppIconCache::insertIfRoom(
    const QString &key, const QImage &image, quint64 protectedSince, quint64 version)
{
    QMutexLocker lock(&m_mutex);
    return storeLocked(key, image, protectedSince, version);
}

bool AppIconCache::storeLocked(
    const QString &key, const QImage &image, std::optional<quint64> protectedSince, quint64 version)
{
    const qsizetype bytes = bytesOf(image);
    if (image.isNull() || bytes > m_maxBytes) {
        return false;
    }
    const auto existing = m_entries.constFind(key);
    const qsizetype replaced = existing == m_entries.constEnd() ? 0 : existing->bytes;
    // First check that the room can be made, so a refused store drops nothing.
    qsizetype needed = m_bytes - replaced + bytes - m_maxBytes;
    if (needed > 0 && protectedSince) {
        for (auto it = m_order.rbegin(); it != m_order.rend() && needed > 0; ++it) {
            if (*it == key) {
                continue;
            }
            const Entry &victim = *m_entries.constFind(*it);
            if (victim.stamp >= *protectedSince) {
                return false;
            }
            needed -= victim.bytes;
        }
    }
    removeLocked(key);
    while (m_bytes + bytes > m_maxBytes && !m_order.empty()) {
        removeLocked(m_order.back());
    }
    m_order.push_front(key);
    Entry entry;
    entry.image = image;
    entry.bytes = bytes;
    entry.stamp = ++m_stamp;
    entry.version = version;
    entry.position = m_order.begin();
    m_entries.insert(key, std::move(entry));
    m_bytes += bytes;
    return true;
}

void AppIconCache::removeLocked(const QString &key)
{
    auto it = m_entries.find(key);
    if (it == m_entries.end()) {
        return;
    }
    m_bytes -= it->bytes;
    m_order.erase(it->position);
    m_entries.erase(it);
}

quint64 AppIconCache::currentStamp() const
{
    QMutexLocker lock(&m_mutex);
    return m_stamp + 1;
}

qsizetype AppIconCache::totalBytes() const
{
    QMutexLocker lock(&m_mutex);
    return m_bytes;
}

qsizetype AppIconCache::count() const
{
    QMutexLocker lock(&m_mutex);
    return m_entries.size();
}

void AppIconCache::clear()
{
    QMutexLocker lock(&m_mutex);
    m_entries.clear();
    m_order.clear();
    m_bytes = 0;
}

} // namespace brimlark
