#pragma once

#include "platform/core/BundleUrl.h"

#include <QExplicitlySharedDataPointer>
#include <QHash>
#include <QMetaType>
#include <QSharedData>
#include <QString>
#include <QUrl>

#include <functional>

namespace brimlark {

// An installed application bundle. Identity is the bundle's path; the name,
// category and icon stamp take no part in equality or hashing (sameDetails()
// compares them too). Its details are made once, by the scan, and every
// list that holds the application shares them: a copy is one pointer.
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
    AppItem(QString name, const QUrl &url, QString category, quint64 iconStamp = 0, bool awaitsFiles = false)
        : d(new Data(std::move(name), url, std::move(category), iconStamp, awaitsFiles))
    {
    }

    const QString &name() const { return data().name; }
    // Made from the URL text when asked for: few callers want it, and an
    // application keeps one copy of its location, not three.
    QUrl url() const { return d ? QUrl(d->urlText, QUrl::StrictMode) : QUrl(); }
    const QString &category() const { return data().category; }
    // The bundle's file-system path, without a trailing separator.
    const QString &id() const { return data().id; }
    // The absolute URL text every stored reference to the application uses.
    const QString &urlText() const { return data().urlText; }
    // The state of the bundle's files when it was scanned (Bundle::iconStamp());
    // 0 when unknown. A new stamp means a new icon URL.
    quint64 iconStamp() const { return data().iconStamp; }
    // The bundle had no readable information list or no icon file when it was
    // scanned: a copy still under way, most likely, so its files are watched.
    bool awaitsFiles() const { return data().awaitsFiles; }

    bool operator==(const AppItem &other) const { return id() == other.id(); }
    bool sameDetails(const AppItem &other) const
    {
        if (d == other.d) {
            return true;
        }
        return id() == other.id() && name() == other.name() && category() == other.category()
            && urlText() == other.urlText() && iconStamp() == other.iconStamp();
    }

private:
    // Never changed once made, so never detached.
    struct Data : QSharedData
    {
        Data() = default;
        Data(QString name, const QUrl &url, QString category, quint64 iconStamp, bool awaitsFiles)
            : name(std::move(name))
            , category(std::move(category))
            , id(BundleUrl::pathOf(url))
            , urlText(url.toString(QUrl::FullyEncoded))
            , iconStamp(iconStamp)
            , awaitsFiles(awaitsFiles)
        {
            // Both were grown piece by piece and kept for as long as the
            // application is known: without the spare room.
            id.squeeze();
            urlText.squeeze();
        }
        QString name;
        QString category;
        QString id;
        QString urlText;
        quint64 iconStamp = 0;
        bool awaitsFiles = false;
    };
    const Data &data() const
    {
        static const Data empty;
        return d ? *d : empty;
    }

    QExplicitlySharedDataPointer<const Data> d;
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
