#pragma once

#include "platform/BundleUrl.h"

#include <QHash>
#include <QMetaType>
#include <QString>
#include <QUrl>

#include <functional>

namespace brimlark {

// An installed application bundle. Identity is the bundle's path; the name
// and category take no part in equality or hashing.
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
    AppItem(QString name, QUrl url, QString category)
        : m_name(std::move(name))
        , m_url(std::move(url))
        , m_category(std::move(category))
        , m_id(BundleUrl::pathOf(m_url))
        , m_urlText(m_url.toString(QUrl::FullyEncoded))
    {
    }

    const QString &name() const { return m_name; }
    const QUrl &url() const { return m_url; }
    const QString &category() const { return m_category; }
    // The bundle's file-system path, without a trailing separator.
    const QString &id() const { return m_id; }
    // The absolute URL text every stored reference to the application uses.
    const QString &urlText() const { return m_urlText; }

    bool operator==(const AppItem &other) const { return m_id == other.m_id; }

private:
    QString m_name;
    QUrl m_url;
    QString m_category;
    QString m_id;
    QString m_urlText;
};

inline size_t qHash(const AppItem &item, size_t seed = 0)
{
    return qHash(item.id(), seed);
}

} // namespace brimlark

template<>
struct std::hash<brimlark::AppItem>
{
    size_t operator()(const brimlark::AppItem &item) const { return qHash(item.id()); }
};

Q_DECLARE_METATYPE(brimlark::AppItem)
