#pragma once

// Builders for application bundles on disk, shared by the platform and
// model tests.

#include "TestSupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QVariant>

#include <plist/plist.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace brimlark::test {

// Top-level information-list entries: text, integer or boolean values.
using InfoEntries = std::vector<std::pair<QString, QVariant>>;

inline plist_t infoDictionary(const InfoEntries &entries)
{
    plist_t dict = plist_new_dict();
    for (const auto &[key, value] : entries) {
        plist_t item = nullptr;
        if (value.typeId() == QMetaType::Bool) {
            item = plist_new_bool(value.toBool() ? 1 : 0);
        } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
            item = plist_new_uint(value.toULongLong());
        } else {
            item = plist_new_string(value.toString().toUtf8().constData());
        }
        plist_dict_set_item(dict, key.toUtf8().constData(), item);
    }
    return dict;
}

inline QByteArray infoPlist(const InfoEntries &entries, bool binary)
{
    plist_t dict = infoDictionary(entries);
    char *out = nullptr;
    uint32_t length = 0;
    if (binary) {
        plist_to_bin(dict, &out, &length);
    } else {
        plist_to_xml(dict, &out, &length);
    }
    QByteArray bytes(out, qsizetype(length));
    std::free(out);
    plist_free(dict);
    return bytes;
}

// Makes <folder>/<name> as a bundle with the given information list; an
// empty list writes no Info.plist. Returns the bundle's path.
inline QString makeBundle(const QString &folder, const QString &name, const QByteArray &info)
{
    const QString path = folder + u'/' + name;
    QDir().mkpath(path + QStringLiteral("/Contents"));
    if (!info.isEmpty()) {
        TemporaryRoots::writeFile(path + QStringLiteral("/Contents/Info.plist"), info);
    }
    return path;
}

inline QString makeBundle(const QString &folder, const QString &name, const InfoEntries &entries, bool binary)
{
    return makeBundle(folder, name, infoPlist(entries, binary));
}

inline QString sourceDir()
{
    return qEnvironmentVariable("BRIMLARK_SOURCE_DIR");
}

} // namespace brimlark::test
