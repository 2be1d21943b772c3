#pragma once

#include "platform/base/Defaults.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace brimlark::StoredStrings {

// A string array of the defaults as text; nothing stored gives an empty list.
inline QStringList read(const Defaults &defaults, const QString &key)
{
    QStringList out;
    if (auto strings = defaults.stringArray(key.toStdString())) {
        out.reserve(qsizetype(strings->size()));
        for (const auto &s : *strings) {
            out << QString::fromStdString(s);
        }
    }
    return out;
}

inline void write(Defaults &defaults, const QString &key, const QStringList &strings)
{
    std::vector<std::string> out;
    out.reserve(size_t(strings.size()));
    for (const auto &s : strings) {
        out.push_back(s.toStdString());
    }
    defaults.setStrings(key.toStdString(), out);
}

} // namespace brimlark::StoredStrings
