#pragma once

#include "platform/core/BundleUrl.h"

#include <QHash>
#include <QMetaType>
#include <QString>
#include <QUrl>

#include <functional>

namespace brimlark {

// An installed application bundle. Identity is the bundle's path; the name,
// category and icon stamp take no part in equality or hashing (sameDetails()
// compares them too).
class AppItem
{
    Q_GADGET
    Q_PROPERTY(QString name READ name CONSTANT)
    Q_PROPERTY(QUrl url READ url CONSTANT)
    Q_PROPERTY(QString category READ category CONSTANT)
    Q_PROPERTY(QString id READ id CONSTANT)
    Q_PROPERTY(QString urlText READ urlText CONSTANT)

public:
    AppItem() = default;
    AppItem(QString name, QUrl url, QString category, quint64 iconStamp = 0, bool awaitsFiles = false)
        : m_name(std::move(name))
        , m_url(std::move(url))
        , m_category(std::move(category))
        , m_id(BundleUrl::pathOf(m_url))
        , m_urlText(m_url.toString(QUrl::FullyEncoded))
        , m_iconStamp(iconStamp)
        , m_awaitsFiles(awaitsFiles)
    {
    }

    const QString &name() const { return m_name; }
    const QUrl &url() const { return m_url; }
    const QString &category() const { return m_category; }
    // The bundle's file-system path, without a trailing separator.
    const QString &id() const { return m_id; }
    // The absolute URL text every stored reference to the application uses.
    const QString &urlText() const { return m_urlText; }
    // The state of the bundle's files when it was scanned (Bundle::iconStamp());
    // 0 when unknown. A new stamp means a new icon URL.
    quint64 iconStamp() const { return m_iconStamp; }
    // The bundle had no readable information list or no icon file when it was
    // scanned: a copy still under way, most likely, so its files are watched.
    bool awaitsFiles() const { return m_awaitsFiles; }

    bool operator==(const AppItem &other) const { return m_id == other.m_id; }
    bool sameDetails(const AppItem &other) const
    {
        return m_id == other.m_id && m_name == other.m_name && m_category == other.m_category
            && m_urlText == other.m_urlText && m_iconStamp == other.m_iconStamp;
    }

private:
    QString m_name;
    QUrl m_url;
    QString m_category;
    QString m_id;
    QString m_urlText;
    quint64 m_iconStamp = 0;
    bool m_awaitsFiles = false;
};

inline size_t qHash(const AppItem &item, size_t seed = 0)
{
    return qHash(item.id(), seed);
}

} // namespace brimlark

template <> struct std::hash<brimlark::AppItem>
{
    size_t operator()(const brimlark::AppItem &item) const { return qHash(item.id()); }
};

Q_DECLARE_METATYPE(brimlark::AppItem)
